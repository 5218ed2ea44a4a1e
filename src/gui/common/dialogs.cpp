#include "gui/common/dialogs.h"

#include <QFileDialog>
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
