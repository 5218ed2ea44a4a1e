#pragma once

#include <QDialog>
#include <functional>

class QLineEdit;

namespace Ui {
class TEditPhoneDlg;
}

namespace pelmar {

class Dialogs;

// The entry editor: a name and a number for the phonebook shown on the phonebook page, new or
// the selected entry's. OK closes it only with texts the phonebook can store and the handset's
// write command can carry; the page then stores them.
class TEditPhoneDlg : public QDialog {
    Q_OBJECT

  public:
    // `isNewNum` tells, when the editor shows, whether it adds an entry (empty fields).
    TEditPhoneDlg(Dialogs& dialogs, std::function<bool()> isNewNum, QWidget* parent = nullptr);
    ~TEditPhoneDlg() override;

    QLineEdit* nameEdit() const;
    QLineEdit* phoneEdit() const;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void FormShow();
    void OKBtnClick();

    Ui::TEditPhoneDlg* ui;
    Dialogs& m_dialogs;
    std::function<bool()> m_isNewNum;
};

}  // namespace pelmar
