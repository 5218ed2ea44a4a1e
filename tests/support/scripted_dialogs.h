#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "gui/common/dialogs.h"

namespace pelmar {

// Answers from a script and records what was asked, for the window's tests and the screenshot
// program.
class ScriptedDialogs : public Dialogs {
  public:
    enum class Kind { Error, Warning, Open, Save, Pin };
    struct Asked {
        Kind kind;
        QString text;  // the message, or the file filter
    };

    QList<Asked> asked;
    QList<bool> warningAnswers;  // taken from the front; No when empty
    QStringList fileAnswers;     // taken from the front; cancelled when empty
    QStringList pinAnswers;      // taken from the front; cancelled when empty

    void showError(QWidget* parent, const QString& text) override;
    bool confirmWarning(QWidget* parent, const QString& text) override;
    QString openFileName(QWidget* parent, const QString& filter) override;
    std::optional<QString> askPin(QWidget* parent, const QString& text) override;
    QString saveFileName(QWidget* parent, const QString& filter,
                         const QString& defaultSuffix) override;
    QString appendFileName(QWidget* parent, const QString& filter,
                           const QString& defaultSuffix) override;

    // The texts asked of one kind, in order.
    QStringList texts(Kind kind) const;
};

}  // namespace pelmar
