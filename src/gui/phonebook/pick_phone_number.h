#pragma once

#include <QDialog>

namespace Ui {
class TfrmPickPhoneNumber;
}

namespace pelmar {

class PhoneBooks;
class PickerModel;
class RecipientNumber;

// The number picker: every entry of the three local phonebooks that the search text finds, as
// "Name (Number)"; the chosen number goes into the shared recipient number, which all four
// number fields show. One picker serves every pick button; it keeps its search text between
// uses, and its list follows the stores.
class TfrmPickPhoneNumber : public QDialog {
    Q_OBJECT

  public:
    TfrmPickPhoneNumber(const PhoneBooks& books, RecipientNumber& recipient,
                        QWidget* parent = nullptr);
    ~TfrmPickPhoneNumber() override;

    // Puts the number behind `row` into the recipient number.
    void SetPickUpNumber(int row);

  protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    int selectedRow() const;
    void selectRow(int row);
    void pickSelected();

    Ui::TfrmPickPhoneNumber* ui;
    RecipientNumber& m_recipient;
    PickerModel* m_rows;
};

}  // namespace pelmar
