#pragma once

#include <QList>
#include <QWidget>

#include "gui/common/page_seam.h"
#include "phonebook/phone_books.h"

class QButtonGroup;

namespace Ui {
class PhoneBookPage;
}

namespace pelmar {

struct Workspace;
class PhoneBookModel;
class TEditPhoneDlg;

// The "RudarOvov" tab: one local phonebook listed ("SIM" or "Phone"; "LD" from code), its
// entries added, edited and deleted, and the whole of it read from or written to the handset.
class PhoneBookPage : public QWidget {
    Q_OBJECT

  public:
    // The items of "Select Phonebook"; the last has no radio button and cannot be written.
    enum Item { SimItem = 0, PhoneItem = 1, LastDialledItem = 2 };

    explicit PhoneBookPage(Workspace& workspace, QWidget* parent = nullptr);
    ~PhoneBookPage() override;

    // Sorts the stores and shows the one of `item`; any other index does nothing.
    void PhoneBookSelectGroupClick(int item);
    int chosenItem() const { return m_item; }
    TEditPhoneDlg* editor() const { return m_editor; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    PhoneBookKind chosenKind() const;
    QString chosenCaption() const;
    void selectRow(int row);

    void AddPhoneBtnClick();
    void EditBtnClick();
    void DeleteBtnClick();
    void AddPhoneNumber(const QString& name, const QString& number);
    void ReadBookBtnClick();
    void readFromHandset(PhoneBookKind kind);
    void WriteBookBtnClick();

    Ui::PhoneBookPage* ui;
    Workspace& m_workspace;
    PageSeam m_seam;  // a refusal puts the focus on the list
    PhoneBookModel* m_model;
    QButtonGroup* m_group = nullptr;
    TEditPhoneDlg* m_editor;
    int m_item = SimItem;
    int m_editRow = -1;  // the entry the editor changes; -1 while it adds one
};

}  // namespace pelmar
