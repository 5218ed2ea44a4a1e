#include "gui/common/dialogs.h"

#include <QFileDialog>
#include <QMessageBox>

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

QString WidgetDialogs::saveFileName(QWidget* parent, const QString& filter,
                                    const QString& defaultSuffix) {
    // The static helper cannot add a default suffix; the dialog asks before overwriting.
    QFileDialog dialog(parent, {}, {}, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(defaultSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

}  // namespace pelmar
