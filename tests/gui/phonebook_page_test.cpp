#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QTreeView>
#include <memory>

#include "app/pelmar_main_form.h"
#include "app/settings_page.h"
#include "gui/common/operation_status.h"
#include "gui/phonebook/edit_phone_dlg.h"
#include "gui/phonebook/phonebook_page.h"
#include "gui/phonebook/pick_phone_number.h"
#include "sim/sim_state.h"
#include "support/scripted_dialogs.h"
#include "support/table.h"
#include "support/widgets_application.h"
#include "support/window_fixture.h"

namespace pelmar {
namespace {

using Asked = ScriptedDialogs::Kind;

[[maybe_unused]] testing::Environment* const kEnvironment =
    testing::AddGlobalTestEnvironment(new test::WidgetsApplication);

PhoneBookStore storeOf(std::initializer_list<std::pair<const char*, const char*>> entries) {
    PhoneBookStore store;
    for (const auto& [name, number] : entries)
        store.append(PhoneBookEntry::fromUser(QString::fromUtf8(name), QString::fromUtf8(number)));
    return store;
}

// The window on a simulated handset, on the phonebook tab, its list checked by
// QAbstractItemModelTester throughout.
class PhoneBookTest : public test::WindowFixture {
  protected:
    PhoneBookTest() { state = simulator::emptySimState(); }
    void open() {
        openWindow(5);
        tester = std::make_unique<QAbstractItemModelTester>(
            list()->model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    }
    void showStore(PhoneBookStore store) {
        workspace->phoneBooks.PhoneBookSM = std::move(store);
        page()->PhoneBookSelectGroupClick(PhoneBookPage::SimItem);
    }
    PhoneBookPage* page() const { return form->findChild<PhoneBookPage*>(); }
    QTreeView* list() const { return child<QTreeView>("PhoneBookLV"); }
    TEditPhoneDlg* editor() const { return page()->editor(); }
    QString names() const {
        QStringList texts;
        for (int row = 0; row < list()->model()->rowCount(); ++row)
            texts.append(list()->model()->index(row, 0).data().toString());
        return texts.join(u' ');
    }
    QList<int> selected() const {
        QList<int> rows;
        for (const QModelIndex& index : list()->selectionModel()->selectedRows())
            rows.append(index.row());
        return rows;
    }
    void select(const QList<int>& rows) {
        list()->clearSelection();
        for (const int row : rows)
            list()->selectionModel()->select(
                list()->model()->index(row, 0),
                QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    // Presses the button, answers its warning, and waits for every operation it starts.
    void transfer(const char* button, bool yes) {
        dialogs.warningAnswers = {yes};
        child<QPushButton>(button)->click();
        EXPECT_TRUE(QTest::qWaitFor(
            [this] {
                return !dialogs.texts(Asked::Warning).isEmpty() && !workspace->runner.isBusy();
            },
            20000));
    }
    QString panel() const { return form->operationStatus()->text(); }

    std::unique_ptr<QAbstractItemModelTester> tester;
};

TEST_F(PhoneBookTest, WriteHidesForLastDialledAndThePhoneButtonFollowsEveryToggle) {
    open();
    EXPECT_EQ(list()->model()->headerData(0, Qt::Horizontal).toString(), u"Name");
    EXPECT_EQ(list()->model()->headerData(1, Qt::Horizontal).toString(), u"Phone");
    EXPECT_TRUE(child("WriteBookBtn")->isVisibleTo(form.get()));
    page()->PhoneBookSelectGroupClick(PhoneBookPage::LastDialledItem);
    EXPECT_FALSE(child("WriteBookBtn")->isVisibleTo(form.get()));
    EXPECT_FALSE(child<QRadioButton>("PhoneBookSIM")->isChecked());
    page()->PhoneBookSelectGroupClick(7);  // no such item: nothing changes
    EXPECT_EQ(page()->chosenItem(), PhoneBookPage::LastDialledItem);
    QTest::mouseClick(child<QWidget>("PhoneBookPhone"), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(page()->chosenItem(), PhoneBookPage::PhoneItem);
    EXPECT_TRUE(child("WriteBookBtn")->isVisibleTo(form.get()));
    child<QRadioButton>("PhoneBookSIM")->setChecked(true);  // as a screen reader toggles it
    EXPECT_EQ(page()->chosenItem(), PhoneBookPage::SimItem);

    child<QPushButton>("EditBtn")->click();
    EXPECT_EQ(dialogs.texts(Asked::Error),
              QStringList{u"Try to select a phonebook entry first"_qs});
    EXPECT_FALSE(editor()->isVisible());
}

enum class Field { None, Name, Number };

struct EditCase {
    const char* label;
    int row;  // -1: Add
    QString name;
    QString number;
    bool ok;  // false: Cancel
    QString names;
    int type;  // of the entry named `name`; 0: not checked
    Field refused;
};

class EditTest : public PhoneBookTest, public testing::WithParamInterface<EditCase> {};

TEST_P(EditTest, StoresWhatTheEditorTakesInOrderByName) {
    const EditCase& c = GetParam();
    open();
    showStore(storeOf({{"Anna", "+111"}, {"Carl", "+123"}, {"Dora", "0444"}}));
    if (c.row < 0) {
        child<QPushButton>("AddPhoneBtn")->click();
    } else {
        select({c.row});
        child<QPushButton>("EditBtn")->click();
    }
    ASSERT_TRUE(QTest::qWaitForWindowActive(editor()));
    EXPECT_EQ(editor()->windowTitle(), u"Edit Phone Number");
    EXPECT_EQ(editor()->focusWidget(), editor()->nameEdit());
    EXPECT_EQ(editor()->nameEdit()->text().isEmpty(), c.row < 0);
    editor()->nameEdit()->setText(c.name);
    editor()->phoneEdit()->setText(c.number);
    QTest::keyClick(editor()->phoneEdit(), c.ok ? Qt::Key_Return : Qt::Key_Escape);

    EXPECT_EQ(names(), c.names);
    EXPECT_EQ(editor()->isVisible(), c.refused != Field::None);
    EXPECT_EQ(dialogs.texts(Asked::Error).size(), c.refused == Field::None ? 0 : 1);
    if (c.refused != Field::None) {
        EXPECT_EQ(editor()->focusWidget(),
                  c.refused == Field::Name ? editor()->nameEdit() : editor()->phoneEdit());
        editor()->reject();
    } else if (c.ok) {
        EXPECT_TRUE(selected().isEmpty());
    }
    if (c.type != 0) {
        for (const PhoneBookEntry& entry : workspace->phoneBooks.PhoneBookSM) {
            if (entry.nameText() == c.name) {
                EXPECT_EQ(entry.NumberType(), c.type);
            }
        }
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    PhoneBookPage, EditTest,
    testing::Values(
        EditCase{"AddBobBetweenAnnaAndCarl", -1, u"Bob"_qs, u"+123"_qs, true, u"Anna Bob Carl Dora"_qs, 145, Field::None},
        EditCase{"NationalNumberGetsType129", 1, u"Carl"_qs, u"0123"_qs, true, u"Anna Carl Dora"_qs, 129, Field::None},
        EditCase{"RenameMovesTheRow", 0, u"Zed"_qs, u"+111"_qs, true, u"Carl Dora Zed"_qs, 145, Field::None},
        EditCase{"CancelChangesNothing", 0, u"Zed"_qs, u"1"_qs, false, u"Anna Carl Dora"_qs, 0, Field::None},
        EditCase{"DoubleQuoteInName", -1, u"Bo\"b"_qs, u"1"_qs, true, u"Anna Carl Dora"_qs, 0, Field::Name},
        EditCase{"ControlCharacterInName", -1, u"Bo\x1b"_qs, u"1"_qs, true, u"Anna Carl Dora"_qs, 0, Field::Name},
        EditCase{"NameOutsideWindows1251", -1, u"Bob \u263A"_qs, u"1"_qs, true, u"Anna Carl Dora"_qs, 0, Field::Name},
        EditCase{"QuoteInNumber", -1, u"Bob"_qs, u"12\"3"_qs, true, u"Anna Carl Dora"_qs, 0, Field::Number}),
    test::ByLabel());
// clang-format on

struct DeleteCase {
    const char* label;
    QList<int> rows;
    bool key;  // the Delete key in the list instead of the button
    QString names;
    int selectedAfter;
};

class DeleteTest : public PhoneBookTest, public testing::WithParamInterface<DeleteCase> {};

TEST_P(DeleteTest, RemovesTheSelectedEntriesAndSelectsTheRowInTheirPlace) {
    const DeleteCase& c = GetParam();
    open();
    showStore(storeOf({{"A", "1"}, {"B", "2"}, {"C", "3"}, {"D", "4"}, {"E", "5"}}));
    select(c.rows);
    if (c.key)
        QTest::keyClick(list(), Qt::Key_Delete);
    else
        child<QPushButton>("DeleteBtn")->click();
    EXPECT_EQ(names(), c.names);
    EXPECT_EQ(workspace->phoneBooks.PhoneBookSM.count(), list()->model()->rowCount());
    EXPECT_EQ(selected(), QList<int>{c.selectedAfter});
    EXPECT_TRUE(dialogs.asked.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    PhoneBookPage, DeleteTest,
    testing::Values(DeleteCase{"RowsFourAndFive", {3, 4}, false, u"A B C"_qs, 2},
                    DeleteCase{"FirstAndThirdByKey", {0, 2}, true, u"B D E"_qs, 0},
                    DeleteCase{"MiddleRow", {2}, false, u"A B D E"_qs, 2},
                    DeleteCase{"NoneSelected", {}, false, u"A B C D E"_qs, 0}),
    test::ByLabel());

enum class Op { Read, Write };

struct TransferCase {
    const char* label;
    Op op;
    bool yes;
    int slotCount;  // of the handset's SM phonebook
    int onHandset;  // entries on the handset: "Carl", "Anna", "Борис" (Windows-1251), "Bxxx..."
                    // (cut)
    std::function<void(simulator::SimOptions&)> line;
    QString names;     // the list afterwards
    QString panel;     // a part of panel 0
    QString errorHas;  // a text the error box holds; empty: no box
    int written;       // "at+cpbw=" commands; and of them with a number
    int withEntry;
};

class TransferTest : public PhoneBookTest, public testing::WithParamInterface<TransferCase> {};

TEST_P(TransferTest, MovesTheWholePhonebookOnlyWhenConfirmed) {
    const TransferCase& c = GetParam();
    simulator::ContactList& book = state.phonebooks[QByteArrayLiteral("SM")];
    book.capacity = c.slotCount;
    const QList<simulator::Contact> handset = {{"+333", 145, "Carl"},
                                               {"0111", 129, "Anna"},
                                               {"+222", 145, "\xC1\xEE\xF0\xE8\xF1"},
                                               {"+444", 145, "B" + QByteArray(230, 'x')}};
    for (int i = 0; i < c.onHandset; ++i)
        book.entries.insert(i * 7 + 2, handset[i]);
    options.dialect = HandsetDialect::Older;
    if (c.line)
        c.line(options);
    open();
    form->settingsPage()->olderHandsetCheck()->setChecked(true);
    showStore(storeOf({{"Zoe", "+9"}, {"Bob", "5"}, {"A name too long here", "7"}}));
    transfer(c.op == Op::Read ? "ReadBookBtn" : "WriteBookBtn", c.yes);

    EXPECT_EQ(dialogs.texts(Asked::Warning),
              QStringList{c.op == Op::Read
                              ? u"The whole content of the PC phonebook will be CLEARED,\r\nand "
                                u"then loaded from SIM phonebook. Are you sure?"_qs
                              : u"The whole content of the SIM phonebook will be CLEARED,\r\nand "
                                u"then copied from the PC phonebook. Are you sure?"_qs});
    // The handset is identified before the read question, whatever the answer.
    EXPECT_EQ(test::commandsSent(sim, "at+cgmi").isEmpty(), c.op == Op::Write);
    EXPECT_EQ(names(), c.names);
    EXPECT_TRUE(panel().contains(c.panel)) << panel().toStdString();
    const QStringList errors = dialogs.texts(Asked::Error);
    if (c.errorHas.isEmpty()) {
        EXPECT_TRUE(errors.isEmpty()) << errors.join(u'\n').toStdString();
    } else {
        ASSERT_EQ(errors.size(), 1);
        EXPECT_TRUE(errors.first().contains(c.errorHas)) << errors.first().toStdString();
    }
    const QList<QByteArray> writes = test::commandsSent(sim, "at+cpbw=");
    EXPECT_EQ(writes.size(), c.written);
    int withEntry = 0;
    for (int k = 1; k <= writes.size(); ++k) {
        if (writes[k - 1] != "at+cpbw=" + QByteArray::number(k) + ",1")
            ++withEntry;
    }
    EXPECT_EQ(withEntry, c.withEntry);
    if (c.op == Op::Read && !c.yes) {
        EXPECT_TRUE(test::commandsSent(sim, "at+cpbs").isEmpty());
    }
}

const QString kLocal = u"A name too long here Bob Zoe"_qs;

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    PhoneBookPage, TransferTest,
    testing::Values(
        TransferCase{"ReadThreeUsedOf250", Op::Read, true, 250, 3, {}, u"Anna Carl Борис"_qs, u"Done."_qs, {}, 0, 0},
        TransferCase{"ReadCutNameIsNamed", Op::Read, true, 250, 4, {}, u"Anna B"_qs + QString(199, u'x') + u" Carl Борис"_qs, u"were cut"_qs, u"(+444)"_qs, 0, 0},
        TransferCase{"ReadDeclined", Op::Read, false, 250, 3, {}, kLocal, u"Done."_qs, {}, 0, 0},
        TransferCase{"FailedReadKeepsTheStore", Op::Read, true, 250, 3, [](simulator::SimOptions& o) { o.replies.insert("CPBR", "ERROR"); }, kLocal, u"The PC phonebook was kept"_qs, {}, 0, 0},
        TransferCase{"WriteDeclined", Op::Write, false, 250, 0, {}, kLocal, {}, {}, 0, 0},
        TransferCase{"WriteRefusedEntryIsNamed", Op::Write, true, 250, 0, {}, kLocal, u"The handset refused 1"_qs, u"\"A name too long here\" (7)"_qs, 3, 3},
        TransferCase{"WriteBeyondTheSlotsIsNamed", Op::Write, true, 2, 0, {}, kLocal, u"The handset refused 1"_qs, u"\"Zoe\" (+9)"_qs, 2, 2}),
    test::ByLabel());
// clang-format on

TEST_F(PhoneBookTest, WrittenAndReadBackUnchangedAndKeptAcrossARestart) {
    open();
    showStore(storeOf({{"Anna", "+123"}, {"Joanna", "0501"}, {"Петр", "+7050"}}));
    const PhoneBookStore before = workspace->phoneBooks.PhoneBookSM;
    transfer("WriteBookBtn", true);
    EXPECT_EQ(panel(), u"Done.");
    dialogs.asked.clear();
    workspace->phoneBooks.PhoneBookSM.clear();
    transfer("ReadBookBtn", true);
    EXPECT_EQ(workspace->phoneBooks.PhoneBookSM, before);
    form->close();
    form.reset();
    open();
    EXPECT_EQ(workspace->phoneBooks.PhoneBookSM, before);
    EXPECT_EQ(names(), u"Anna Joanna Петр");
}

struct PickCase {
    const char* label;
    QString search;
    QStringList rows;
};

class PickTest : public PhoneBookTest, public testing::WithParamInterface<PickCase> {};

TEST_P(PickTest, ListsWhatTheSearchFinds) {
    const PickCase& c = GetParam();
    open();
    PhoneBooks& books = workspace->phoneBooks;
    books.setStore(PhoneBookKind::SM,
                   storeOf({{"Anna", "+050111"}, {"Joanna", "222"}, {"Иван", "3050"}}));
    books.setStore(PhoneBookKind::ME, storeOf({{"Bob", "555"}}));
    books.setStore(PhoneBookKind::LD, storeOf({{"", "0500"}}));
    form->picker()->findChild<QLineEdit*>(QStringLiteral("PickUpPhoneEdit"))->setText(c.search);
    form->picker()->open();
    auto* rows = form->picker()->findChild<QListView*>(QStringLiteral("PickUpPhoneList"));
    QStringList texts;
    for (int row = 0; row < rows->model()->rowCount(); ++row)
        texts.append(rows->model()->index(row, 0).data().toString());
    EXPECT_EQ(texts, c.rows);
    EXPECT_EQ(rows->currentIndex().row(), c.rows.isEmpty() ? -1 : 0);
    form->picker()->reject();
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    PhoneBookPage, PickTest,
    testing::Values(
        PickCase{"EmptySearchListsAllSimFirst", {}, {u"Anna (+050111)"_qs, u"Joanna (222)"_qs, u"Иван (3050)"_qs, u"Bob (555)"_qs, u" (0500)"_qs}},
        PickCase{"LatinLettersCaseBlind", u"aN"_qs, {u"Anna (+050111)"_qs, u"Joanna (222)"_qs}},
        PickCase{"DigitsInNumbers", u"050"_qs, {u"Anna (+050111)"_qs, u"Иван (3050)"_qs, u" (0500)"_qs}},
        PickCase{"CyrillicSameCaseOnly", u"иван"_qs, {}},
        PickCase{"CyrillicAsStored", u"Ива"_qs, {u"Иван (3050)"_qs}}),
    test::ByLabel());
// clang-format on

TEST_F(PhoneBookTest, PickButtonOpensTheFreshPickerAndFillsEveryNumberField) {
    open();
    workspace->phoneBooks.PhoneBookSM = storeOf({{"Anna", "+050111"}});
    form->pageControl()->setCurrentIndex(3);
    child<QToolButton>("PickUpSMSPhone")->click();
    TfrmPickPhoneNumber* picker = form->picker();
    ASSERT_TRUE(QTest::qWaitForWindowActive(picker));
    EXPECT_EQ(picker->windowTitle(), u"Select Phone Number");
    auto* search = picker->findChild<QLineEdit*>(QStringLiteral("PickUpPhoneEdit"));
    EXPECT_EQ(picker->focusWidget(), search);
    QTest::keyClick(search, Qt::Key_Escape);
    EXPECT_FALSE(picker->isVisible());

    // Entries added since the last use are offered; the search text stays.
    workspace->phoneBooks.PhoneBookSM.append(PhoneBookEntry::fromUser(u"Joanna"_qs, u"0501"_qs));
    search->setText(u"an"_qs);
    child<QToolButton>("PickUpSMSPhone")->click();
    EXPECT_EQ(search->text(), u"an");
    auto* rows = picker->findChild<QListView*>(QStringLiteral("PickUpPhoneList"));
    EXPECT_EQ(rows->model()->rowCount(), 2);
    QTest::keyClick(search, Qt::Key_Down);
    QTest::keyClick(search, Qt::Key_Down);  // already the last row
    EXPECT_EQ(rows->currentIndex().row(), 1);
    QTest::keyClick(search, Qt::Key_Up);
    QTest::keyClick(search, Qt::Key_Down);
    QTest::keyClick(search, Qt::Key_Return);
    EXPECT_FALSE(picker->isVisible());
    for (const char* field :
         {"PhoneNumberSMS", "PhoneNumberRingTone", "PhoneNumberPicMsg", "PhoneNumberLogo"}) {
        EXPECT_EQ(child<QLineEdit>(field)->text(), u"0501") << field;
    }

    // Enter on an empty list keeps the picker open and the number as it was.
    search->setText(u"nobody"_qs);
    child<QToolButton>("PickUpSMSPhone")->click();
    QTest::keyClick(search, Qt::Key_Return);
    EXPECT_TRUE(picker->isVisible());
    EXPECT_EQ(workspace->recipient.number(), u"0501");
    picker->reject();
}

}  // namespace
}  // namespace pelmar
