#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTreeView>
#include <QTreeWidget>
#include <memory>

#include "base/hex_text.h"
#include "gui/common/workspace.h"
#include "gui/sms/message_list_model.h"
#include "gui/sms/read_sms_page.h"
#include "phonebook/phone_books.h"
#include "session/operation_runner.h"
#include "smart/smart_framing.h"
#include "sms/recipient_number.h"
#include "sms/submit_pdu.h"
#include "support/scripted_dialogs.h"
#include "support/simulated_pages.h"
#include "support/table.h"
#include "support/widgets_application.h"

namespace pelmar {
namespace {

using namespace std::chrono_literals;
using Kind = Outcome::Kind;
using Asked = ScriptedDialogs::Kind;

[[maybe_unused]] testing::Environment* const kEnvironment =
    testing::AddGlobalTestEnvironment(new test::WidgetsApplication);

// A received message as the SIM stores it (SMS-DELIVER, GSM 7-bit, sent 02.01.26 03:04), or
// one the user stored (SMS-SUBMIT) when `status` is 2 or 3.
simulator::StoredMessage onSim(const QByteArray& number, const QString& text, int status) {
    if (status >= 2)
        return {status, "00", BuildSubmitPdu(QString::fromLatin1(number), text, SmsMode::Standard)};
    const bool plus = number.startsWith('+');
    const QByteArray digits = plus ? number.mid(1) : number;
    return {status, "00",
            "04" + ByteToHex(quint8(digits.size())) + (plus ? "91" : "81") +
                SemiOctetEncode(digits) + "000062102030405000" + ByteToHex(quint8(text.size())) +
                PackSeptets(text)};
}

QList<DecodedMessage> mixedTable() {
    const QString date = QStringLiteral("02.01.26 03:04");
    return {{1,
             MessageStatus::ReceivedRead,
             date,
             QStringLiteral("+12025550123"),
             QStringLiteral("first\nsecond"),
             {}},
            {2,
             MessageStatus::ReceivedUnread,
             date,
             QStringLiteral("5550100"),
             QStringLiteral("unread"),
             {}},
            {3,
             MessageStatus::StoredUnsent,
             date,
             QStringLiteral("5550199"),
             QStringLiteral("draft"),
             {}},
            {4,
             MessageStatus::StoredUnsent,
             date,
             QStringLiteral("+12025550123"),
             QStringLiteral("draft 2"),
             {}}};
}

// The page alone, on a simulated handset in memory, every box scripted, its model checked by
// QAbstractItemModelTester throughout.
class ReadSmsPageTest : public test::PageFixture<ReadSmsPage> {
  protected:
    ReadSmsPageTest() {
        workspace.phoneBooks.PhoneBookSM.append(
            PhoneBookEntry::fromUser(QStringLiteral("Alice"), QStringLiteral("+12025550123")));
    }
    void open() {
        PageFixture::open();
        tester = std::make_unique<QAbstractItemModelTester>(
            list()->model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    }
    QTreeView* list() { return child<QTreeView>("SMListBox"); }
    bool shown(const char* name) { return child(name)->isVisibleTo(page.get()); }
    void select(int node, QList<int> rows) {
        auto* tree = child<QTreeWidget>("SMTreeView");
        tree->setCurrentItem(tree->topLevelItem(node));
        list()->clearSelection();
        for (const int row : rows)
            list()->selectionModel()->select(
                list()->model()->index(row, 0),
                QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    QStringList from() {
        QStringList texts;
        for (int row = 0; row < list()->model()->rowCount(); ++row)
            texts.append(list()->model()->index(row, 0).data().toString());
        return texts;
    }
    QStringList folders() {
        QStringList texts;
        auto* tree = child<QTreeWidget>("SMTreeView");
        for (int i = 0; i < tree->topLevelItemCount(); ++i)
            texts.append(tree->topLevelItem(i)->text(0));
        return texts;
    }

    std::unique_ptr<QAbstractItemModelTester> tester;
};

struct RefreshCase {
    const char* label;
    int messages;                                      // statuses 0 to 3 in turn
    std::function<void(simulator::SimOptions&)> line;  // how the handset misbehaves
    Kind kind;
    QString tree;
};

class RefreshTest : public ReadSmsPageTest, public testing::WithParamInterface<RefreshCase> {};

TEST_P(RefreshTest, FoldersShowTheLastCompleteListing) {
    const RefreshCase& c = GetParam();
    state.messageSlots = 50;
    for (int i = 1; i <= c.messages; ++i)
        state.messages.insert(i, onSim(i % 4 < 2 ? "+12025550123" : "5550199",
                                       QStringLiteral("message %1").arg(i), i % 4));
    if (c.line)
        c.line(options);
    workspace.messages.replace(mixedTable());  // what the user saw before
    open();
    EXPECT_EQ(press("ReadSMBtn")->kind, c.kind);
    EXPECT_EQ(folders().join(u' '), c.tree);
    const bool rows = !from().isEmpty();
    EXPECT_EQ(shown("ReplySMBtn"), rows);
    EXPECT_EQ(shown("ExportSMBtn"), rows);
    // With rows, the first one is selected and its text shown.
    EXPECT_EQ(child<QPlainTextEdit>("ReadSMText")->toPlainText().isEmpty(), !rows);
}

const QString kBefore = QStringLiteral("Inbox (2) Outbox (2) Sent (0)");

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    ReadSmsPage, RefreshTest,
    testing::Values(
        RefreshCase{"NoMessages", 0, {}, Kind::Done, QStringLiteral("Inbox (0) Outbox (0) Sent (0)")},
        RefreshCase{"FortyMessages", 40, {}, Kind::Done, QStringLiteral("Inbox (20) Outbox (10) Sent (10)")},
        RefreshCase{"ListingRefusedKeepsTheList", 4, [](simulator::SimOptions& o) {simulator::addReplyOverride(o, "CMGL=+CMS ERROR: 500");}, Kind::HandsetError, kBefore},
        RefreshCase{"LineCutKeepsWhatArrivedMarkedIncomplete", 40, [](simulator::SimOptions& o) { o.hangupAfter = 600; }, Kind::Failed, u"Inbox (3+) Outbox (2+) Sent (1+)"_qs}),
    test::ByLabel());
// clang-format on

// A paced listing shows its messages as they arrive; a Cancel keeps them, marked incomplete.
TEST_F(ReadSmsPageTest, CancelDuringAPacedListingKeepsWhatArrivedMarkedIncomplete) {
    state = simulator::loadSimState(QStringLiteral(PELMAR_TEST_DATA "/sim-30-messages.json"));
    options.baud = 38400;  // in pieces of 64 bytes: about a second for the listing
    options.chunkSize = 64;
    workspace.messages.replace(mixedTable());
    open();
    QSignalSpy steps(&workspace.runner, &OperationRunner::progress);
    QSignalSpy finished(&workspace.runner, &OperationRunner::finished);
    child<QPushButton>("ReadSMBtn")->click();
    const QDeadlineTimer deadline(10s);
    while ((steps.isEmpty() || steps.last().first().value<ProgressStep>().done < 3) &&
           !deadline.hasExpired())
        steps.wait(100);
    ASSERT_TRUE(workspace.runner.isBusy()) << "the listing ended before it could be cancelled";
    workspace.runner.cancel();
    ASSERT_TRUE(finished.wait(10000));
    const Outcome cancelled = finished.first().first().value<Outcome>();
    EXPECT_EQ(cancelled.kind, Kind::Cancelled);
    EXPECT_TRUE(cancelled.text.startsWith(u"Cancelled: ")) << qPrintable(cancelled.text);
    EXPECT_TRUE(folders().join(u' ').contains(u"+)")) << qPrintable(folders().join(u' '));
    EXPECT_FALSE(from().isEmpty());
    EXPECT_NE(from(), (QStringList{QStringLiteral("Alice"), QStringLiteral("5550100")}));
}

struct FolderCase {
    const char* label;
    int node;
    QStringList from;
    const char* replyText;  // empty: hidden
    int textLines;          // of the first row's text in ReadSMText
};

class FolderTest : public ReadSmsPageTest, public testing::WithParamInterface<FolderCase> {};

TEST_P(FolderTest, ListAndButtonsFollowTheFolder) {
    const FolderCase& c = GetParam();
    workspace.messages.replace(mixedTable());
    open();
    select(c.node, {0});
    EXPECT_EQ(from(), c.from);
    EXPECT_EQ(shown("ReplySMBtn"), *c.replyText != 0);
    if (*c.replyText) {
        EXPECT_EQ(child<QPushButton>("ReplySMBtn")->text().remove(u'&'),
                  QLatin1StringView(c.replyText));
    }
    EXPECT_EQ(shown("ExportSMBtn"), !c.from.isEmpty());
    EXPECT_EQ(child<QPlainTextEdit>("ReadSMText")->document()->blockCount(), c.textLines);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    ReadSmsPage, FolderTest,
    testing::Values(
        FolderCase{"InboxNamesKnownSenders", 0, {QStringLiteral("Alice"), QStringLiteral("5550100")}, "Reply", 2},
        FolderCase{"OutboxSends", 1, {QStringLiteral("5550199"), QStringLiteral("Alice")}, "Send", 1},
        FolderCase{"EmptySentHidesBoth", 2, {}, "", 1}),
    test::ByLabel());
// clang-format on

// Reply in the Inbox, Send in the Outbox.
struct ReplyCase {
    const char* label;
    int node;
    QList<int> rows;
    QByteArray command;  // at+cmss sent; empty when none
    QString recipient;   // the shared number afterwards
    const char* error;   // the box shown; empty when none
};

class ReplyTest : public ReadSmsPageTest, public testing::WithParamInterface<ReplyCase> {};

TEST_P(ReplyTest, RepliesOrSendsTheStoredNumberAsItIs) {
    const ReplyCase& c = GetParam();
    state.messages.insert(2, onSim("5550100", QStringLiteral("hello"), 0));
    state.messages.insert(3, onSim("5550199", QStringLiteral("draft"), 2));
    state.messages.insert(4, onSim("+12025550123", QStringLiteral("d2"), 2));
    state.messages.insert(5, onSim("", QStringLiteral("nowhere"), 2));
    open();
    ASSERT_EQ(press("ReadSMBtn")->kind, Kind::Done);
    QSignalSpy replied(page.get(), &ReadSmsPage::replyRequested);
    select(c.node, c.rows);
    if (c.command.isEmpty())
        child<QPushButton>("ReplySMBtn")->click();
    else
        EXPECT_EQ(press("ReplySMBtn")->kind, Kind::Done);
    EXPECT_EQ(test::commandsSent(sim, "at+cmss"),
              c.command.isEmpty() ? QList<QByteArray>{} : QList<QByteArray>{c.command});
    EXPECT_EQ(sim->state().sent.size(), c.command.isEmpty() ? 0 : 1);
    EXPECT_EQ(workspace.recipient.number(), c.recipient);
    EXPECT_EQ(replied.count(), c.recipient.isEmpty() ? 0 : 1);
    EXPECT_EQ(dialogs.texts(Asked::Error).join(QString()), QLatin1StringView(c.error));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    ReadSmsPage, ReplyTest,
    testing::Values(
        ReplyCase{"ReplyFillsTheRecipient", 0, {0}, {}, QStringLiteral("5550100"), ""},
        ReplyCase{"ReplyWithoutRow", 0, {}, {}, {}, "Select the message to reply first!"},
        ReplyCase{"NationalStaysNational", 1, {0}, "at+cmss=3,\"5550199\"", {}, ""},
        ReplyCase{"InternationalKeepsOnePlus", 1, {1}, "at+cmss=4,\"+12025550123\"", {}, ""},
        ReplyCase{"NoDestinationRefused", 1, {2}, {}, {}, "This message holds no number the handset can send it to."},
        ReplyCase{"SendWithoutRow", 1, {}, {}, {}, "Select the message to send first!"}),
    test::ByLabel());
// clang-format on

struct DeleteCase {
    const char* label;
    QList<int> rows;  // selected in the Inbox
    QList<QByteArray> commands;
    const char* says;  // in the outcome's text, or the box shown
    QString tree;
};

class DeleteTest : public ReadSmsPageTest, public testing::WithParamInterface<DeleteCase> {};

TEST_P(DeleteTest, OnlyWhatTheHandsetDeletedLeaves) {
    const DeleteCase& c = GetParam();
    state.messageSlots = 4;  // index 5 lies beyond the storage: the handset refuses it
    for (const int index : {1, 2, 3, 5})
        state.messages.insert(index, onSim("5550100", QStringLiteral("m%1").arg(index), 1));
    open();
    ASSERT_EQ(press("ReadSMBtn")->kind, Kind::Done);
    select(0, c.rows);
    const QString says = c.commands.isEmpty() ? (child<QPushButton>("DeleteSMBtn")->click(),
                                                 dialogs.texts(Asked::Error).join(QString()))
                                              : press("DeleteSMBtn")->text;
    EXPECT_TRUE(says.contains(QLatin1StringView(c.says))) << says.toStdString();
    EXPECT_EQ(test::commandsSent(sim, "at+cmgd"), c.commands);
    EXPECT_EQ(folders().join(u' '), c.tree);
    EXPECT_EQ(from().size(), workspace.messages.count(MessageFolder::Inbox));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    ReadSmsPage, DeleteTest,
    testing::Values(
        DeleteCase{"RowsOneAndThreeOfFour", {0, 2}, {"at+cmgd=1", "at+cmgd=3"}, "Done.", QStringLiteral("Inbox (2) Outbox (0) Sent (0)")},
        DeleteCase{"RefusedOneStays", {1, 3}, {"at+cmgd=2", "at+cmgd=5"}, "1 of 2 messages could not be deleted", QStringLiteral("Inbox (3) Outbox (0) Sent (0)")},
        DeleteCase{"NoRowSelected", {}, {}, "Select the message to delete first!", QStringLiteral("Inbox (4) Outbox (0) Sent (0)")}),
    test::ByLabel());
// clang-format on

struct ExportCase {
    const char* label;
    int node;
    QByteArray before;  // the file's content; a directory stands there when "DIR"
    bool cancelled;
    QByteArray after;
    int errors;
};

class ExportTest : public ReadSmsPageTest, public testing::WithParamInterface<ExportCase> {};

TEST_P(ExportTest, FolderIsAppendedToTheFile) {
    const ExportCase& c = GetParam();
    QList<DecodedMessage> messages = mixedTable();
    messages.append({5,
                     MessageStatus::ReceivedUnread,
                     QStringLiteral("02.01.26 03:04"),
                     QStringLiteral("5550111"),
                     QStringLiteral("Привет"),
                     {}});
    workspace.messages.replace(messages);
    open();
    select(c.node, {});
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("out.txt"));
    QFile file(path);
    if (c.before == "DIR") {
        ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("out.txt")));
    } else if (!c.before.isNull()) {
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(c.before) && file.flush());
    }
    file.close();
    if (!c.cancelled)
        dialogs.fileAnswers.append(path);
    child<QPushButton>("ExportSMBtn")->click();
    EXPECT_EQ(dialogs.texts(Asked::Save), QStringList{QStringLiteral("text files (*.txt)")});
    EXPECT_EQ(dialogs.texts(Asked::Error).size(), c.errors);
    EXPECT_EQ(file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray(), c.after);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    ReadSmsPage, ExportTest,
    testing::Values(
        ExportCase{"InboxUnreadFirstAppended", 0, "old\r\n", false, "old\r\n5550100 02.01.26 03:04\r\nunread\r\n" "5550111 02.01.26 03:04\r\n\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82\r\n" "Alice 02.01.26 03:04\r\nfirst\nsecond\r\n", 0},
        ExportCase{"OutboxIntoNewFile", 1, {}, false, "5550199 02.01.26 03:04\r\ndraft\r\nAlice 02.01.26 03:04\r\ndraft 2\r\n", 0},
        ExportCase{"CancelledWritesNothing", 0, {}, true, {}, 0},
        ExportCase{"UnwritableSaysWhy", 0, "DIR", false, {}, 1}),
    test::ByLabel());
// clang-format on

TEST_F(ReadSmsPageTest, SeveralRowsSelectable) {
    open();
    EXPECT_EQ(list()->selectionMode(), QAbstractItemView::ExtendedSelection);
}

}  // namespace
}  // namespace pelmar
