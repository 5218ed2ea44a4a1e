#include "support/scripted_dialogs.h"

namespace pelmar {

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

std::optional<QString> ScriptedDialogs::askPin(QWidget*, const QString& text) {
    asked.append({Kind::Pin, text});
    if (pinAnswers.isEmpty())
        return std::nullopt;
    return pinAnswers.takeFirst();
}

QString ScriptedDialogs::saveFileName(QWidget* parent, const QString& filter,
                                      const QString& defaultSuffix) {
    return appendFileName(parent, filter, defaultSuffix);
}

QString ScriptedDialogs::appendFileName(QWidget*, const QString& filter, const QString&) {
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
