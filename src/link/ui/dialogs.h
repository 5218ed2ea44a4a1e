#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class QWidget;

namespace pelmar {

// Every message box and file dialog of the window goes through this seam, so tests script
// them and a page never opens a modal box of its own.
class Dialogs {
  public:
    virtual ~Dialogs() = default;

    // The standard error box: caption "Error", error icon, one OK button.
    virtual void showError(QWidget* parent, const QString& text) = 0;
    // The warning box before an overwrite: caption "W A R N I N G !", warning icon, Yes and
    // No. True for Yes.
    virtual bool confirmWarning(QWidget* parent, const QString& text) = 0;
    // A file to read (e.g. "Bitmaps (*.bmp)"); empty when the user cancels.
    virtual QString openFileName(QWidget* parent, const QString& filter) = 0;
    // A file to write; asks before overwriting an existing one; `defaultSuffix` is added to a
    // name without one. Empty when the user cancels.
    virtual QString saveFileName(QWidget* parent, const QString& filter,
                                 const QString& defaultSuffix) = 0;
};

// The real boxes and dialogs.
class WidgetDialogs : public Dialogs {
  public:
    void showError(QWidget* parent, const QString& text) override;
    bool confirmWarning(QWidget* parent, const QString& text) override;
    QString openFileName(QWidget* parent, const QString& filter) override;
    QString saveFileName(QWidget* parent, const QString& filter,
                         const QString& defaultSuffix) override;
};

// Answers from a script and records what was asked, for tests and the screenshot run.
class ScriptedDialogs : public Dialogs {
  public:
    enum class Kind { Error, Warning, Open, Save };
    struct Asked {
        Kind kind;
        QString text;  // the message, or the file filter
    };

    QList<Asked> asked;
    QList<bool> warningAnswers;  // taken from the front; No when empty
    QStringList fileAnswers;     // taken from the front; cancelled when empty

    void showError(QWidget* parent, const QString& text) override;
    bool confirmWarning(QWidget* parent, const QString& text) override;
    QString openFileName(QWidget* parent, const QString& filter) override;
    QString saveFileName(QWidget* parent, const QString& filter,
                         const QString& defaultSuffix) override;

    // The texts asked of one kind, in order.
    QStringList texts(Kind kind) const;
};

}  // namespace pelmar
