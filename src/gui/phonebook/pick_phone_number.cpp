#include "gui/phonebook/pick_phone_number.h"

#include <QKeyEvent>

#include "gui/phonebook/picker_model.h"
#include "sms/recipient_number.h"
#include "ui_pick_phone_number.h"

namespace pelmar {

TfrmPickPhoneNumber::TfrmPickPhoneNumber(const PhoneBooks& books, RecipientNumber& recipient,
                                         QWidget* parent)
    : QDialog(parent),
      ui(new Ui::TfrmPickPhoneNumber),
      m_recipient(recipient),
      m_rows(new PickerModel(books, this)) {
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
    ui->PickUpPhoneList->setModel(m_rows);
    ui->PickUpPhoneList->setSelectionMode(QAbstractItemView::SingleSelection);
    // Enter picks from either control; Up and Down typed in the search move the selection.
    ui->PickUpPhoneEdit->installEventFilter(this);
    ui->PickUpPhoneList->installEventFilter(this);
    connect(ui->PickUpPhoneEdit, &QLineEdit::textChanged, m_rows, &PickerModel::setSearch);
    // A new list (a search typed, a store changed) starts on its first row.
    connect(m_rows, &QAbstractItemModel::modelReset, this, [this] {
        if (m_rows->rowCount() > 0)
            selectRow(0);
    });
    connect(ui->PickUpPhoneList, &QListView::doubleClicked, this,
            &TfrmPickPhoneNumber::pickSelected);
    connect(ui->CloseBtn, &QPushButton::clicked, this, &QDialog::reject);
    if (m_rows->rowCount() > 0)
        selectRow(0);
}

TfrmPickPhoneNumber::~TfrmPickPhoneNumber() {
    delete ui;
}

void TfrmPickPhoneNumber::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    ui->PickUpPhoneEdit->setFocus(Qt::OtherFocusReason);
}

void TfrmPickPhoneNumber::SetPickUpNumber(int row) {
    if (row >= 0 && row < m_rows->rowCount())
        m_recipient.setNumber(m_rows->index(row).data(PickerModel::NumberRole).toString());
}

int TfrmPickPhoneNumber::selectedRow() const {
    const QModelIndex current = ui->PickUpPhoneList->currentIndex();
    return current.isValid() ? current.row() : -1;
}

void TfrmPickPhoneNumber::selectRow(int row) {
    ui->PickUpPhoneList->setCurrentIndex(m_rows->index(row));
}

void TfrmPickPhoneNumber::pickSelected() {
    const int row = selectedRow();
    if (row < 0)
        return;  // an empty list: the picker stays open
    SetPickUpNumber(row);
    accept();
}

bool TfrmPickPhoneNumber::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        pickSelected();
        return true;
    }
    if (watched == ui->PickUpPhoneEdit && (key == Qt::Key_Up || key == Qt::Key_Down)) {
        const int row = selectedRow() + (key == Qt::Key_Up ? -1 : 1);
        if (row >= 0 && row < m_rows->rowCount())
            selectRow(row);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace pelmar
