#include "gui/phonebook/edit_phone_dlg.h"

#include "gui/common/dialogs.h"
#include "phonebook/phone_book_entry.h"
#include "ui_edit_phone_dlg.h"

namespace pelmar {

TEditPhoneDlg::TEditPhoneDlg(Dialogs& dialogs, QWidget* parent)
    : QDialog(parent), ui(new Ui::TEditPhoneDlg), m_dialogs(dialogs) {
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

void TEditPhoneDlg::editNew() {
    edit(QString(), QString());
}

void TEditPhoneDlg::edit(const QString& name, const QString& number) {
    ui->NameEdit->setText(name);
    ui->PhoneEdit->setText(number);
    open();
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
    emit entryAccepted(ui->NameEdit->text(), ui->PhoneEdit->text());
}

}  // namespace pelmar
