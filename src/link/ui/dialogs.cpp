#include "link/ui/dialogs.h"

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

void ScriptedDialogs::showError(QWidget*, const QString& text) {
    asked.append({Kind::Error, text});
}

bool ScriptedDialogs::confirmWarning(QWidget*, const QString& text) {
    asked.append({Kind::Warning, text});
    return !warningAnswers.isEmpty() && warningAnswers.takeFirst();
}

QString ScriptedDialogs::openFileName(QWidget*, const QString& filter) {
    asked.append({Kind::Open, filter});
    return fileAnswers.isEmpty() ? QString() : fileAnswers.takeFirst();
}

QString ScriptedDialogs::saveFileName(QWidget*, const QString& filter, const QString&) {
    asked.append({Kind::Save, filter});
    return fileAnswers.isEmpty() ? QString() : fileAnswers.takeFirst();
}

QStringList ScriptedDialogs::texts(Kind kind) const {
    QStringList result;
    for (const Asked& a : asked) {
        if (a.kind == kind)
            result.append(a.text);
    }
    return result;
}

}  // namespace pelmar
