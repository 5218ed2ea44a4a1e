#include "gui/common/dialogs.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QStandardPaths>

namespace pelmar {

void WidgetDialogs::showError(QWidget* parent, const QString& text) {
    QMessageBox::critical(parent, QStringLiteral("Error"), text, QMessageBox::Ok);
}

bool WidgetDialogs::confirmWarning(QWidget* parent, const QString& text) {
    return QMessageBox::warning(parent, QStringLiteral("W A R N I N G !"), text,
                                QMessageBox::Yes | QMessageBox::No,
                                QMessageBox::No) == QMessageBox::Yes;
}

QString WidgetDialogs::openFileName(QWidget* parent, const QString& filter) {
    return QFileDialog::getOpenFileName(parent, {}, {}, filter);
}

std::optional<QString> WidgetDialogs::askPin(QWidget* parent, const QString& text) {
    bool ok = false;
    const QString pin =
        QInputDialog::getText(parent, QStringLiteral("SIM PIN"), text, QLineEdit::Password,
                              QString(), &ok, Qt::WindowFlags(), Qt::ImhDigitsOnly);
    if (!ok)
        return std::nullopt;
    return pin;
}

QString WidgetDialogs::saveFileName(QWidget* parent, const QString& filter,
                                    const QString& defaultSuffix) {
    QFileDialog dialog(parent, {}, {}, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(defaultSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

QString WidgetDialogs::appendFileName(QWidget* parent, const QString& filter,
                                      const QString& defaultSuffix) {
    // Nothing is replaced: an existing file takes the export at its end, so there is nothing to
    // confirm.
    QFileDialog dialog(parent, QStringLiteral("Export (added to the end of the file)"),
                       QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation), filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setLabelText(QFileDialog::Accept, QStringLiteral("Export"));
    dialog.setDefaultSuffix(defaultSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

}  // namespace pelmar
