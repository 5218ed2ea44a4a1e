#include "phonebook/ui/edit_phone_dlg.h"

#include "link/ui/dialogs.h"
#include "phonebook/phone_book_entry.h"
#include "ui_edit_phone_dlg.h"

namespace pelmar {

TEditPhoneDlg::TEditPhoneDlg(Dialogs& dialogs, std::function<bool()> isNewNum, QWidget* parent)
    : QDialog(parent),
      ui(new Ui::TEditPhoneDlg),
      m_dialogs(dialogs),
      m_isNewNum(std::move(isNewNum)) {
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
    ui->PhoneEdit->setMinimumWidth(fontMetrics().averageCharWidth() * 30);
    // Escape rejects the dialog, as Cancel does.
    connect(ui->CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(ui->OKBtn, &QPushButton::clicked, this, &TEditPhoneDlg::OKBtnClick);
}

TEditPhoneDlg::~TEditPhoneDlg() {
    delete ui;
}

QLineEdit* TEditPhoneDlg::nameEdit() const {
    return ui->NameEdit;
}

QLineEdit* TEditPhoneDlg::phoneEdit() const {
    return ui->PhoneEdit;
}

void TEditPhoneDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TEditPhoneDlg::FormShow() {
    if (m_isNewNum && m_isNewNum()) {
        ui->NameEdit->clear();
        ui->PhoneEdit->clear();
    }
    ui->NameEdit->setFocus(Qt::OtherFocusReason);
}

void TEditPhoneDlg::OKBtnClick() {
    // A double quote or a control character would end the handset's write command early, and a
    // name character outside Windows-1251 would be lost in the file: say which, and stay open.
    if (const auto problem =
            PhoneBookEntry::userProblem(ui->NameEdit->text(), ui->PhoneEdit->text())) {
        m_dialogs.showError(this, problem->text);
        QLineEdit* field =
            problem->field == InputField::PhonebookNumber ? ui->PhoneEdit : ui->NameEdit;
        field->setFocus(Qt::OtherFocusReason);
        return;
    }
    accept();
}

}  // namespace pelmar
