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

#include "link/ui/dialogs.h"
#include "link/ui/page_context.h"
#include "phonebook/phone_books.h"
#include "session/operation_runner.h"
#include "smart/smart_framing.h"
#include "sms/hex_text.h"
#include "sms/recipient_number.h"
#include "sms/submit_pdu.h"
#include "sms/ui/message_list_model.h"
#include "sms/ui/read_sms_page.h"
#include "support/table.h"

// Failures show texts as text.
void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace pelmar {
namespace {

using namespace std::chrono_literals;
using Kind = Outcome::Kind;

class WidgetsEnvironment : public testing::Environment {
  public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "pelmar-read-sms-test";
        static char* argv[] = {name, nullptr};
        app_ = std::make_unique<QApplication>(argc, argv);
    }
    void TearDown() override { app_.reset(); }

  private:
    std::unique_ptr<QApplication> app_;
};
[[maybe_unused]] testing::Environment* const kEnvironment =
    testing::AddGlobalTestEnvironment(new WidgetsEnvironment);

// A received message as the SIM stores it: SMS-DELIVER, GSM 7-bit, sent 02.01.26 03:04.
SimMessage received(const QByteArray& number, const QString& text, int status) {
    const bool international = number.startsWith('+');
    const QByteArray digits = international ? number.mid(1) : number;
    const QByteArray tpdu = "04" + ByteToHex(quint8(digits.size())) +
                            (international ? "91" : "81") + SemiOctetEncode(digits) + "0000" +
                            "62102030405000" + ByteToHex(quint8(text.size())) + PackSeptets(text);
    return {status, "00", tpdu};
}

// A message the user stored: SMS-SUBMIT to `number`.
SimMessage stored(const QString& number, const QString& text, int status) {
    return {status, "00", BuildSubmitPdu(number, text, SmsMode::Standard)};
}

DecodedMessage message(quint32 index, int status, const QString& number, const QString& text) {
    return {index, status, QStringLiteral("02.01.26 03:04"), number, text};
}

// The page alone, on a simulated handset in memory, with every box scripted.
class ReadSmsPageTest : public testing::Test {
  protected:
    ReadSmsPageTest() {
        phoneBooks.PhoneBookSM.append(
            PhoneBookEntry::fromUser(QStringLiteral("Alice"), QStringLiteral("+12025550123")));
    }

    // Builds the page once the table and the handset are set.
    ReadSmsPage& open() {
        page = std::make_unique<ReadSmsPage>(context);
        return *page;
    }
    template <class W = QWidget>
    W* child(const char* name) {
        W* w = page->findChild<W*>(QLatin1StringView(name));
        EXPECT_TRUE(w) << name;
        return w;
    }
    // Presses the button and waits for the operation it started.
    Outcome press(const char* button) {
        QSignalSpy finished(&runner, &OperationRunner::finished);
        child<QPushButton>(button)->click();
        EXPECT_TRUE(finished.count() > 0 || finished.wait(10000)) << button;
        return finished.isEmpty() ? Outcome{} : finished.first().first().value<Outcome>();
    }
    void selectRows(QList<int> rows) {
        auto* list = child<QTreeView>("SMListBox");
        list->clearSelection();
        for (const int row : rows)
            list->selectionModel()->select(list->model()->index(row, 0),
                                           QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    void showFolder(int node) {
        auto* tree = child<QTreeWidget>("SMTreeView");
        tree->setCurrentItem(tree->topLevelItem(node));
    }
    QStringList column(int c) {
        QStringList texts;
        const QAbstractItemModel* model = child<QTreeView>("SMListBox")->model();
        for (int row = 0; row < model->rowCount(); ++row)
            texts.append(model->index(row, c).data().toString());
        return texts;
    }
    QStringList folderTexts() {
        QStringList texts;
        auto* tree = child<QTreeWidget>("SMTreeView");
        for (int i = 0; i < tree->topLevelItemCount(); ++i)
            texts.append(tree->topLevelItem(i)->text(0));
        return texts;
    }
    QList<QByteArray> commands(const char* prefix) {
        QList<QByteArray> found;
        for (const QByteArray& line : sim ? sim->log() : QList<QByteArray>())
            if (line.startsWith(QByteArray("CMD ") + prefix))
                found.append(line.mid(4));
        return found;
    }

    SimState state = emptySimState();
    SimOptions options;
    HandsetSim* sim = nullptr;  // made on the runner's thread with the first job
    ScriptedDialogs dialogs;
    PhoneBooks phoneBooks;
    MessageTable table;
    RecipientNumber recipient;
    ConcatReference concat;
    OperationRunner runner{
        QStringLiteral("sim"), 2s, [this](const QString&, std::chrono::milliseconds timeout) {
            auto made = std::make_unique<HandsetConnection>(
                std::make_unique<HandsetSim>(state, options),
                options.baud ? SimTransport::Timing::Real : SimTransport::Timing::Fast, timeout);
            sim = made->sim();
            return made;
        }};
    PageContext context{dialogs,
                        runner,
                        phoneBooks,
                        table,
                        recipient,
                        concat,
                        [] { return HandsetDialect::Standard; }};
    std::unique_ptr<ReadSmsPage> page;
};

TEST_F(ReadSmsPageTest, ModelFollowsTheTableThroughFoldersAndDeletions) {
    table.replace({message(1, 1, QStringLiteral("+12025550123"), QStringLiteral("hi")),
                   message(2, 2, QStringLiteral("5550199"), QStringLiteral("draft")),
                   message(3, 0, QStringLiteral("5550100"), QStringLiteral("new"))});
    MessageListModel model(table,
                           [this](const QString& n) { return phoneBooks.FindNameByNumber(n); });
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    EXPECT_EQ(model.rowCount(), 2);
    EXPECT_EQ(model.index(0, 0).data().toString(), QStringLiteral("Alice"));
    EXPECT_EQ(model.index(1, 0).data().toString(), QStringLiteral("5550100"));
    EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), QStringLiteral("Date"));
    model.setFolder(MessageFolder::Outbox);
    ASSERT_EQ(model.rowCount(), 1);
    EXPECT_EQ(model.message(0)->Index, 2u);
    table.markDeleted({2});
    model.reload();
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_EQ(model.message(0), nullptr);
}

struct RefreshCase {
    const char* label;
    int messages;                           // in the handset, statuses 0 to 3 in turn
    std::function<void(SimOptions&)> line;  // how the handset misbehaves
    Kind kind;
    QStringList folders;  // the tree afterwards
    bool replyShown;
};

class RefreshTest : public ReadSmsPageTest, public testing::WithParamInterface<RefreshCase> {};

TEST_P(RefreshTest, FoldersShowTheLastCompleteListing) {
    const RefreshCase& c = GetParam();
    state.messageSlots = 50;
    for (int i = 1; i <= c.messages; ++i) {
        const QString text = QStringLiteral("message %1").arg(i);
        state.messages.insert(i, i % 4 < 2 ? received("+12025550123", text, i % 4)
                                           : stored(QStringLiteral("5550199"), text, i % 4));
    }
    if (c.line)
        c.line(options);
    // What the user saw before: one message in the Inbox.
    table.replace({message(7, 1, QStringLiteral("5550100"), QStringLiteral("before"))});
    open();
    EXPECT_EQ(press("ReadSMBtn").kind, c.kind);
    EXPECT_EQ(folderTexts(), c.folders);
    EXPECT_EQ(child("ReplySMBtn")->isVisibleTo(page.get()), c.replyShown);
    EXPECT_EQ(child("ExportSMBtn")->isVisibleTo(page.get()), c.replyShown);
    // With rows, the first one is selected and its text shown.
    EXPECT_EQ(child<QPlainTextEdit>("ReadSMText")->toPlainText().isEmpty(), !c.replyShown);
}

const QStringList kBefore = {QStringLiteral("Inbox (1)"), QStringLiteral("Outbox (0)"),
                             QStringLiteral("Sent (0)")};

INSTANTIATE_TEST_SUITE_P(
    ReadSmsPage, RefreshTest,
    testing::Values(RefreshCase{"NoMessages",
                                0,
                                {},
                                Kind::Done,
                                {QStringLiteral("Inbox (0)"), QStringLiteral("Outbox (0)"),
                                 QStringLiteral("Sent (0)")},
                                false},
                    RefreshCase{"FortyMessages",
                                40,
                                {},
                                Kind::Done,
                                {QStringLiteral("Inbox (20)"), QStringLiteral("Outbox (10)"),
                                 QStringLiteral("Sent (10)")},
                                true},
                    RefreshCase{"ListingRefusedKeepsTheList", 4,
                                [](SimOptions& o) { addReplyOverride(o, "CMGL=+CMS ERROR: 500"); },
                                Kind::HandsetError, kBefore, true},
                    RefreshCase{"LineCutKeepsTheList", 40,
                                [](SimOptions& o) { o.hangupAfter = 600; }, Kind::Failed, kBefore,
                                true}),
    test::ByLabel());

// Inbox: a read and an unread message; Outbox: a national and an international number.
QList<DecodedMessage> mixedTable() {
    return {message(1, 1, QStringLiteral("+12025550123"), QStringLiteral("first\nsecond")),
            message(2, 0, QStringLiteral("5550100"), QStringLiteral("unread")),
            message(3, 2, QStringLiteral("5550199"), QStringLiteral("draft")),
            message(4, 2, QStringLiteral("+12025550123"), QStringLiteral("draft 2"))};
}

struct FolderCase {
    const char* label;
    int node;
    QStringList from;
    bool replyShown;
    const char* replyText;
    bool exportShown;
    int textLines;  // of the first row's text in ReadSMText
};

class FolderTest : public ReadSmsPageTest, public testing::WithParamInterface<FolderCase> {};

TEST_P(FolderTest, ListAndButtonsFollowTheFolder) {
    const FolderCase& c = GetParam();
    table.replace(mixedTable());
    open();
    showFolder(c.node);
    EXPECT_EQ(column(MessageListModel::FromColumn), c.from);
    auto* reply = child<QPushButton>("ReplySMBtn");
    EXPECT_EQ(reply->isVisibleTo(page.get()), c.replyShown);
    EXPECT_EQ(reply->text(), QLatin1StringView(c.replyText));
    EXPECT_EQ(child("ExportSMBtn")->isVisibleTo(page.get()), c.exportShown);
    EXPECT_EQ(child<QPlainTextEdit>("ReadSMText")->document()->blockCount(), c.textLines);
}

INSTANTIATE_TEST_SUITE_P(
    ReadSmsPage, FolderTest,
    testing::Values(FolderCase{"InboxNamesKnownSenders",
                               0,
                               {QStringLiteral("Alice"), QStringLiteral("5550100")},
                               true,
                               "Reply",
                               true,
                               2},
                    FolderCase{"OutboxSends",
                               1,
                               {QStringLiteral("5550199"), QStringLiteral("Alice")},
                               true,
                               "Send",
                               true,
                               1},
                    FolderCase{"EmptySentHidesBoth", 2, {}, false, "Reply", false, 1}),
    test::ByLabel());

struct NoSelectionCase {
    const char* label;
    int node;
    const char* button;
    const char* error;
};

class NoSelectionTest : public ReadSmsPageTest,
                        public testing::WithParamInterface<NoSelectionCase> {};

TEST_P(NoSelectionTest, AsksForARowAndTouchesNothing) {
    const NoSelectionCase& c = GetParam();
    table.replace(mixedTable());
    open();
    showFolder(c.node);
    selectRows({});
    child<QPushButton>(c.button)->click();
    EXPECT_EQ(dialogs.texts(ScriptedDialogs::Kind::Error), QStringList{QLatin1StringView(c.error)});
    EXPECT_FALSE(runner.isBusy());
    EXPECT_EQ(sim, nullptr);  // the line was never opened
    EXPECT_TRUE(recipient.number().isEmpty());
    EXPECT_EQ(table.count(MessageFolder::Inbox), 2);
    EXPECT_EQ(table.count(MessageFolder::Outbox), 2);
}

INSTANTIATE_TEST_SUITE_P(
    ReadSmsPage, NoSelectionTest,
    testing::Values(NoSelectionCase{"Reply", 0, "ReplySMBtn", "Select the message to reply first!"},
                    NoSelectionCase{"Send", 1, "ReplySMBtn", "Select the message to send first!"},
                    NoSelectionCase{"Delete", 0, "DeleteSMBtn",
                                    "Select the message to delete first!"}),
    test::ByLabel());

struct DeleteCase {
    const char* label;
    QList<int> rows;  // selected in the Inbox of four
    QList<QByteArray> commands;
    Kind kind;
    const char* says;  // in the outcome's text
    QStringList left;  // the Inbox's texts afterwards
    const char* inbox;
};

class DeleteTest : public ReadSmsPageTest, public testing::WithParamInterface<DeleteCase> {};

TEST_P(DeleteTest, OnlyWhatTheHandsetDeletedLeaves) {
    const DeleteCase& c = GetParam();
    state.messageSlots = 4;  // index 5 lies beyond the storage: the handset refuses it
    for (const int index : {1, 2, 3, 5})
        state.messages.insert(index, received("5550100", QStringLiteral("m%1").arg(index), 1));
    open();
    ASSERT_EQ(press("ReadSMBtn").kind, Kind::Done);
    selectRows(c.rows);
    const Outcome outcome = press("DeleteSMBtn");
    EXPECT_EQ(outcome.kind, c.kind);
    EXPECT_TRUE(outcome.text.contains(QLatin1StringView(c.says))) << outcome.text.toStdString();
    EXPECT_EQ(commands("at+cmgd"), c.commands);
    EXPECT_EQ(column(MessageListModel::FromColumn).size(), c.left.size());
    EXPECT_EQ(folderTexts().first(), QLatin1StringView(c.inbox));
    QStringList texts;
    for (const DecodedMessage* m :
         {table.message(MessageFolder::Inbox, 0), table.message(MessageFolder::Inbox, 1),
          table.message(MessageFolder::Inbox, 2)})
        if (m)
            texts.append(m->Text);
    EXPECT_EQ(texts, c.left);
}

INSTANTIATE_TEST_SUITE_P(ReadSmsPage, DeleteTest,
                         testing::Values(DeleteCase{"RowsOneAndThreeOfFour",
                                                    {0, 2},
                                                    {"at+cmgd=1", "at+cmgd=3"},
                                                    Kind::Done,
                                                    "Done.",
                                                    {QStringLiteral("m2"), QStringLiteral("m5")},
                                                    "Inbox (2)"},
                                         DeleteCase{"RefusedOneStaysAndIsCounted",
                                                    {1, 3},
                                                    {"at+cmgd=2", "at+cmgd=5"},
                                                    Kind::HandsetError,
                                                    "1 of 2 messages could not be deleted",
                                                    {QStringLiteral("m1"), QStringLiteral("m3"),
                                                     QStringLiteral("m5")},
                                                    "Inbox (3)"}),
                         test::ByLabel());

TEST_F(ReadSmsPageTest, ReplyPutsTheSenderIntoTheRecipientNumber) {
    table.replace(mixedTable());
    open();
    QSignalSpy replied(page.get(), &ReadSmsPage::replyRequested);
    selectRows({1});
    child<QPushButton>("ReplySMBtn")->click();
    EXPECT_EQ(replied.count(), 1);
    EXPECT_EQ(recipient.number(), QStringLiteral("5550100"));
    EXPECT_EQ(sim, nullptr);
}

struct SendCase {
    const char* label;
    int row;                 // in the Outbox
    QByteArray command;      // empty: refused before the line is used
    QByteArray destination;  // as the handset sent it
};

class SendStoredTest : public ReadSmsPageTest, public testing::WithParamInterface<SendCase> {};

TEST_P(SendStoredTest, StoredNumberGoesAsItIs) {
    const SendCase& c = GetParam();
    state.messages.insert(3, stored(QStringLiteral("5550199"), QStringLiteral("draft"), 2));
    state.messages.insert(4, stored(QStringLiteral("+12025550123"), QStringLiteral("d2"), 2));
    state.messages.insert(5, stored(QString(), QStringLiteral("nowhere"), 2));
    open();
    ASSERT_EQ(press("ReadSMBtn").kind, Kind::Done);
    showFolder(1);
    ASSERT_EQ(column(MessageListModel::FromColumn),
              (QStringList{QStringLiteral("5550199"), QStringLiteral("Alice"), QString()}));
    selectRows({c.row});
    if (c.command.isEmpty()) {
        child<QPushButton>("ReplySMBtn")->click();
        EXPECT_EQ(dialogs.texts(ScriptedDialogs::Kind::Error).size(), 1);
        EXPECT_FALSE(runner.isBusy());
        EXPECT_EQ(commands("at+cmss"), QList<QByteArray>{});
        return;
    }
    EXPECT_EQ(press("ReplySMBtn").kind, Kind::Done);
    EXPECT_EQ(commands("at+cmss"), QList<QByteArray>{c.command});
    ASSERT_EQ(sim->state().sent.size(), 1);
    EXPECT_EQ(sim->state().sent.first().destination, c.destination);
}

INSTANTIATE_TEST_SUITE_P(ReadSmsPage, SendStoredTest,
                         testing::Values(SendCase{"NationalStaysNational", 0,
                                                  "at+cmss=3,\"5550199\"", "5550199"},
                                         SendCase{"InternationalKeepsOnePlus", 1,
                                                  "at+cmss=4,\"+12025550123\"", "+12025550123"},
                                         SendCase{"NoDestinationRefused", 2, {}, {}}),
                         test::ByLabel());

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
    messages.append(message(5, 0, QStringLiteral("5550111"), QStringLiteral("Привет")));
    table.replace(messages);
    open();
    showFolder(c.node);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("out.txt"));
    if (c.before == "DIR") {
        ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("out.txt")));
    } else if (!c.before.isNull()) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(c.before);
    }
    if (!c.cancelled)
        dialogs.fileAnswers.append(path);
    child<QPushButton>("ExportSMBtn")->click();
    EXPECT_EQ(dialogs.texts(ScriptedDialogs::Kind::Save),
              QStringList{QStringLiteral("text files (*.txt)")});
    EXPECT_EQ(dialogs.texts(ScriptedDialogs::Kind::Error).size(), c.errors);
    QFile file(path);
    EXPECT_EQ(file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray(), c.after);
}

INSTANTIATE_TEST_SUITE_P(
    ReadSmsPage, ExportTest,
    testing::Values(
        ExportCase{"InboxUnreadFirstAppended", 0, "old\r\n", false,
                   "old\r\n"
                   "5550100 02.01.26 03:04\r\nunread\r\n"
                   "5550111 02.01.26 03:04\r\n\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82\r\n"
                   "Alice 02.01.26 03:04\r\nfirst\nsecond\r\n",
                   0},
        ExportCase{"OutboxIntoNewFile",
                   1,
                   {},
                   false,
                   "5550199 02.01.26 03:04\r\ndraft\r\nAlice 02.01.26 03:04\r\ndraft 2\r\n",
                   0},
        ExportCase{"CancelledWritesNothing", 0, {}, true, {}, 0},
        ExportCase{"UnwritableSaysWhy", 0, "DIR", false, {}, 1}),
    test::ByLabel());

TEST_F(ReadSmsPageTest, CancelDuringAPacedListingKeepsTheOldList) {
    state = loadSimState(QStringLiteral(PELMAR_TEST_DATA "/sim-30-messages.json"));
    options.baud = 38400;  // in pieces of 64 bytes: about a second for the listing
    options.chunkSize = 64;
    table.replace(mixedTable());
    open();
    QSignalSpy steps(&runner, &OperationRunner::progress);
    QSignalSpy finished(&runner, &OperationRunner::finished);
    child<QPushButton>("ReadSMBtn")->click();
    const QDeadlineTimer deadline(10s);
    auto listing = [&] {
        for (const QList<QVariant>& args : steps)
            if (args.first().value<ProgressStep>().done >= 3)
                return true;
        return false;
    };
    while (!listing() && !deadline.hasExpired())
        steps.wait(100);
    ASSERT_TRUE(runner.isBusy()) << "the listing ended before it could be cancelled";
    runner.cancel();
    ASSERT_TRUE(finished.wait(10000));
    EXPECT_EQ(finished.first().first().value<Outcome>().kind, Kind::Failed);
    EXPECT_EQ(folderTexts().first(), QStringLiteral("Inbox (2)"));
    EXPECT_EQ(column(MessageListModel::FromColumn),
              (QStringList{QStringLiteral("Alice"), QStringLiteral("5550100")}));
}

TEST_F(ReadSmsPageTest, EveryControlIsNamedForAssistiveTools) {
    open();
    for (const char* field : {"SMTreeView", "SMListBox", "ReadSMText"}) {
        bool labelled = false;
        for (const QLabel* label : page->findChildren<QLabel*>())
            labelled = labelled || label->buddy() == child(field);
        EXPECT_TRUE(labelled) << field;
    }
    for (const char* button : {"ReadSMBtn", "ReplySMBtn", "DeleteSMBtn", "ExportSMBtn"})
        EXPECT_FALSE(child<QPushButton>(button)->text().isEmpty()) << button;
    EXPECT_EQ(column(MessageListModel::FromColumn), QStringList{});
    EXPECT_EQ(child<QTreeView>("SMListBox")->selectionMode(), QAbstractItemView::ExtendedSelection);
}

}  // namespace
}  // namespace pelmar
