#pragma once

#include <QList>
#include <QWidget>

#include "phonebook/phone_books.h"

class QButtonGroup;

namespace Ui {
class PhoneBookPage;
}

namespace pelmar {

struct PageContext;
class PhoneBookModel;
class TEditPhoneDlg;

// The "RudarOvov" tab: one local phonebook listed ("SIM" or "Phone"; "LD" from code), its
// entries added, edited and deleted, and the whole of it read from or written to the handset.
class PhoneBookPage : public QWidget {
    Q_OBJECT

  public:
    // The items of "Select Phonebook"; the last has no radio button and cannot be written.
    enum Item { SimItem = 0, PhoneItem = 1, LastDialledItem = 2 };

    explicit PhoneBookPage(PageContext& context, QWidget* parent = nullptr);
    ~PhoneBookPage() override;

    // Sorts the stores and shows the one of `item`; any other index does nothing.
    void PhoneBookSelectGroupClick(int item);
    int chosenItem() const { return m_item; }
    TEditPhoneDlg* editor() const { return m_editor; }
    bool EditDlgIsNewNum() const { return m_newNumberFlag; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    PhoneBookKind chosenKind() const;
    QString chosenCaption() const;
    QList<int> selectedRows() const;
    void selectRow(int row);

    void AddPhoneBtnClick();
    void EditBtnClick();
    void DeleteBtnClick();
    void AddPhoneNumber(const QString& number, const QString& name);
    void ReadBookBtnClick();
    void ReadPhoneBook(PhoneBookKind kind);
    void WriteBookBtnClick();
    void refuse(const QString& text);

    Ui::PhoneBookPage* ui;
    PageContext& m_context;
    PhoneBookModel* m_model;
    QButtonGroup* m_group = nullptr;
    TEditPhoneDlg* m_editor;
    int m_item = SimItem;
    bool m_newNumberFlag = false;
    int m_editRow = -1;  // the entry the editor changes
};

}  // namespace pelmar
