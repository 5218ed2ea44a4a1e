#pragma once

#include <QDialog>

class QLineEdit;

namespace Ui {
class TEditPhoneDlg;
}

namespace pelmar {

class Dialogs;

// The entry editor: a name and a number for the phonebook shown on the phonebook page, new or
// the selected entry's. OK closes it only with texts the phonebook can store and the handset's
// write command can carry, and hands them on with entryAccepted.
class TEditPhoneDlg : public QDialog {
    Q_OBJECT

  public:
    explicit TEditPhoneDlg(Dialogs& dialogs, QWidget* parent = nullptr);
    ~TEditPhoneDlg() override;

    // Opens the editor with empty fields, for a new entry.
    void editNew();
    // Opens the editor on an entry's texts.
    void edit(const QString& name, const QString& number);

    QLineEdit* nameEdit() const;
    QLineEdit* phoneEdit() const;

  signals:
    // OK with texts that can be stored.
    void entryAccepted(const QString& name, const QString& number);

  private:
    void OKBtnClick();

    Ui::TEditPhoneDlg* ui;
    Dialogs& m_dialogs;
};

}  // namespace pelmar
