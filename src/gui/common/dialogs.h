#pragma once

#include <QString>
#include <optional>

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
    // The SIM's PIN, typed masked in a box "SIM PIN" that says `text`; nothing when the user
    // cancels. The PIN is never kept.
    virtual std::optional<QString> askPin(QWidget* parent, const QString& text) = 0;
    // A file to write, replaced when it exists (the box asks first); `defaultSuffix` is added to
    // a name without one. Empty when the user cancels.
    virtual QString saveFileName(QWidget* parent, const QString& filter,
                                 const QString& defaultSuffix) = 0;
    // A file the export is added to the end of (made when missing): the dialog opens in the
    // user's documents folder and says the export is added, and choosing an existing file asks
    // nothing; `defaultSuffix` is added to a name without one. Empty when the user cancels.
    virtual QString appendFileName(QWidget* parent, const QString& filter,
                                   const QString& defaultSuffix) = 0;
};

// The real boxes and dialogs.
class WidgetDialogs : public Dialogs {
  public:
    void showError(QWidget* parent, const QString& text) override;
    bool confirmWarning(QWidget* parent, const QString& text) override;
    QString openFileName(QWidget* parent, const QString& filter) override;
    std::optional<QString> askPin(QWidget* parent, const QString& text) override;
    QString saveFileName(QWidget* parent, const QString& filter,
                         const QString& defaultSuffix) override;
    QString appendFileName(QWidget* parent, const QString& filter,
                           const QString& defaultSuffix) override;
};

}  // namespace pelmar
