#include "sms/message_table.h"

#include <gtest/gtest.h>

#include "support/table.h"

namespace pelmar {
namespace {

DecodedMessage msg(quint32 index, int status, const char* number, const char* date = "",
                   const char* text = "") {
    DecodedMessage m;
    m.Index = index;
    m.Status = messageStatusOf(status);
    m.Number = QString::fromUtf8(number);
    m.Date = QString::fromUtf8(date);
    m.Text = QString::fromUtf8(text);
    return m;
}

// A listing as a handset sends it: folders interleaved, plus statuses that belong nowhere.
MessageTable mixedListing() {
    return MessageTable({msg(1, 1, "+100"), msg(2, 2, "+200"), msg(3, 0, "+300"), msg(4, 3, "+400"),
                         msg(5, 255, "+500"), msg(6, 7, "+600"), msg(7, 0, "+700")});
}

struct FolderCase {
    const char* label;
    MessageFolder folder;
    QList<quint32> storageIndexes;  // of the rows, top to bottom
};

class FolderTest : public testing::TestWithParam<FolderCase> {};

TEST_P(FolderTest, ShowsItsMessagesInListingOrder) {
    const FolderCase& c = GetParam();
    const MessageTable table = mixedListing();
    QList<quint32> shown;
    for (qsizetype row = 0; row < table.count(c.folder); ++row)
        shown.append(table.message(c.folder, row)->Index);
    EXPECT_EQ(shown, c.storageIndexes);
    EXPECT_EQ(table.message(c.folder, table.count(c.folder)), nullptr);
    EXPECT_EQ(table.message(c.folder, -1), nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Listing, FolderTest,
    testing::Values(FolderCase{"InboxHoldsUnreadAndReadUnsorted", MessageFolder::Inbox, {1, 3, 7}},
                    FolderCase{"OutboxHoldsUnsent", MessageFolder::Outbox, {2}},
                    FolderCase{"SentHoldsSent", MessageFolder::Sent, {4}}),
    test::ByLabel());

struct DeleteCase {
    const char* label;
    QList<quint32> confirmed;
    QList<quint32> inboxAfter;
};

class DeleteTest : public testing::TestWithParam<DeleteCase> {};

TEST_P(DeleteTest, OnlyConfirmedIndexesLeaveTheFolder) {
    const DeleteCase& c = GetParam();
    MessageTable table({msg(11, 0, "a"), msg(12, 1, "b"), msg(13, 0, "c"), msg(14, 1, "d")});
    table.markDeleted(c.confirmed);
    QList<quint32> shown;
    for (const qsizetype i : table.rows(MessageFolder::Inbox))
        shown.append(table.messages()[i].Index);
    EXPECT_EQ(shown, c.inboxAfter);
    EXPECT_EQ(table.count(MessageFolder::Inbox), c.inboxAfter.size());
    // Deleted messages leave the export too: two lines per message still listed.
    EXPECT_EQ(table.exportLines(MessageFolder::Inbox, {}).count(QStringLiteral("\r\n")),
              2 * c.inboxAfter.size());
}

INSTANTIATE_TEST_SUITE_P(Deletion, DeleteTest,
                         testing::Values(DeleteCase{"RowsOneAndThreeOfFour", {11, 13}, {12, 14}},
                                         DeleteCase{"NothingConfirmed", {}, {11, 12, 13, 14}},
                                         DeleteCase{"IndexNotListed", {99}, {11, 12, 13, 14}}),
                         test::ByLabel());

TEST(MessageTableTest, ReplaceTakesAnyNumberOfMessages) {
    QList<DecodedMessage> many;
    for (quint32 i = 1; i <= 45; ++i)
        many.append(msg(i, 0, "+1"));
    MessageTable table;
    table.replace(many);
    EXPECT_EQ(table.count(MessageFolder::Inbox), 45);
    EXPECT_EQ(table.count(MessageFolder::Sent), 0);
}

struct ExportCase {
    const char* label;
    MessageFolder folder;
    const char* lines;
};

class ExportTest : public testing::TestWithParam<ExportCase> {};

TEST_P(ExportTest, WritesNameDateAndTextLines) {
    // The read message is listed first; the export still puts the unread ones before it.
    const MessageTable table({msg(1, 1, "+380501112233", "02.03.24 10:00", "read"),
                              msg(2, 0, "+15550001", "01.03.24 09:00", "two\nlines"),
                              msg(3, 0, "+15550002", "01.03.24 09:30", "unread"),
                              msg(4, 2, "+15550001", "", "draft")});
    const NameLookup lookup = [](const QString& number) {
        return number == QStringLiteral("+15550001") ? QStringLiteral("Anna") : QString();
    };
    EXPECT_EQ(table.exportLines(GetParam().folder, lookup), QString::fromUtf8(GetParam().lines));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Folders, ExportTest,
    testing::Values(
        ExportCase{"InboxUnreadFirstSixLines", MessageFolder::Inbox, "Anna 01.03.24 09:00\r\ntwo\nlines\r\n" "+15550002 01.03.24 09:30\r\nunread\r\n" "+380501112233 02.03.24 10:00\r\nread\r\n"},
        ExportCase{"OutboxHasNoDateAfterTheBlank", MessageFolder::Outbox, "Anna \r\ndraft\r\n"},
        ExportCase{"EmptyFolderWritesNothing", MessageFolder::Sent, ""}),
    test::ByLabel());
// clang-format on

}  // namespace
}  // namespace pelmar
