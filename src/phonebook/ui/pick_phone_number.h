#pragma once

#include <QDialog>
#include <QStringList>

class QStringListModel;

namespace Ui {
class TfrmPickPhoneNumber;
}

namespace pelmar {

class PhoneBooks;
class RecipientNumber;

// The number picker: every entry of the three local phonebooks that the search text finds, as
// "Name (Number)"; the chosen number goes into the shared recipient number, which all four
// number fields show. One picker serves every pick button; it keeps its search text between
// uses and lists the stores as they are when it opens.
class TfrmPickPhoneNumber : public QDialog {
    Q_OBJECT

  public:
    TfrmPickPhoneNumber(const PhoneBooks& books, RecipientNumber& recipient,
                        QWidget* parent = nullptr);
    ~TfrmPickPhoneNumber() override;

    // Rebuilds the list from the stores and the search text; the first row is selected.
    void RefreshPickUpPhoneBook();
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
    const PhoneBooks& m_books;
    RecipientNumber& m_recipient;
    QStringListModel* m_rows;
    QStringList m_pickNumbers;  // row -> the entry's number
};

}  // namespace pelmar
