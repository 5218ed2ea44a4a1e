#include "sms/message_joining.h"

#include <gtest/gtest.h>

#include "base/hex_text.h"
#include "sms/listing_decoder.h"
#include "sms/message_table.h"
#include "support/table.h"

namespace pelmar {
namespace {

// One listed SMS-DELIVER in UCS2 from sender A (+12345678901) or B (+19876543210), led by the
// user-data header elements `elements` (hex, empty for none).
struct Listed {
    char sender;
    const char* elements;
    const char16_t* text;
};

struct Joined {
    const char16_t* text;
    QList<quint32> storageIndexes;
};

struct JoinCase {
    const char* label;
    QList<Listed> listed;  // storage indexes 1, 2, ... in this order
    QList<Joined> rows;
};

QByteArray listing(const QList<Listed>& listed) {
    QByteArray out = "at+cmgl=4\r\r\n";
    for (qsizetype i = 0; i < listed.size(); ++i) {
        const Listed& l = listed[i];
        QByteArray ud;
        if (*l.elements)
            ud = ByteToHex(static_cast<quint8>(qstrlen(l.elements) / 2)) + l.elements;
        for (const char16_t* c = l.text; *c; ++c)
            ud += WordToHex(*c);
        const QByteArray pdu = QByteArray(*l.elements ? "44" : "04") +
                               (l.sender == 'A' ? "0B912143658709F1" : "0B919178563412F0") +
                               "0008" + "62216081940300" +
                               ByteToHex(static_cast<quint8>(ud.size() / 2)) + ud;
        out += "+CMGL: " + QByteArray::number(i + 1) + ",1,," + QByteArray::number(pdu.size() / 2) +
               "\r\n" + pdu + "\r\n";
    }
    return out + "\r\nOK\r\n";
}

class JoinTest : public testing::TestWithParam<JoinCase> {};

TEST_P(JoinTest, OneRowPerMessageInPartOrder) {
    const QList<JoinedMessage> rows =
        JoinMessageParts(DecodeListing(listing(GetParam().listed)).messages);
    ASSERT_EQ(rows.size(), GetParam().rows.size());
    for (qsizetype i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].message.Text, QString::fromUtf16(GetParam().rows[i].text)) << i;
        EXPECT_EQ(rows[i].storageIndexes, GetParam().rows[i].storageIndexes) << i;
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Listings, JoinTest,
    testing::Values(
        JoinCase{"InOrder", {{'A', "0003050201", u"Hello "}, {'A', "0003050202", u"world"}}, {{u"Hello world", {1, 2}}}},
        JoinCase{"OutOfOrder", {{'A', "0003050303", u"c"}, {'A', "0003050301", u"a"}, {'A', "0003050302", u"b"}}, {{u"abc", {2, 3, 1}}}},
        JoinCase{"SixteenBitReference", {{'A', "080412340202", u"there"}, {'A', "080412340201", u"Hi "}}, {{u"Hi there", {2, 1}}}},
        JoinCase{"MissingPart", {{'A', "0003070301", u"a"}, {'A', "0003070303", u"c"}}, {{u"a[part 2 of 3 missing]c", {1, 2}}}},
        JoinCase{"LonePart", {{'A', "0003080302", u"b"}}, {{u"[part 1 of 3 missing]b[part 3 of 3 missing]", {1}}}},
        JoinCase{"TwoInterleavedFromOneSender",
                 {{'A', "0003010201", u"x1"}, {'A', "0003020201", u"y1"}, {'B', "", u"plain"}, {'A', "0003020202", u"y2"}, {'A', "0003010202", u"x2"}},
                 {{u"x1x2", {1, 5}}, {u"y1y2", {2, 4}}, {u"plain", {3}}}},
        JoinCase{"SameReferenceOtherSenderStaysApart", {{'A', "0003090201", u"a"}, {'B', "0003090202", u"b"}},
                 {{u"a[part 2 of 2 missing]", {1}}, {u"[part 1 of 2 missing]b", {2}}}},
        JoinCase{"ReusedReferenceStartsAnother",
                 {{'A', "0003040201", u"p"}, {'A', "0003040202", u"q"}, {'A', "0003040201", u"r"}, {'A', "0003040202", u"s"}},
                 {{u"pq", {1, 2}}, {u"rs", {3, 4}}}},
        JoinCase{"LoneSurrogateShowsReplacement", {{'A', "", u"\xD83D" u"A"}}, {{u"\xFFFD" u"A", {1}}}}),
    test::ByLabel());
// clang-format on

TEST(JoinedTableTest, DeleteAndExportFollowTheParts) {
    MessageTable table(DecodeListing(listing({{'A', "0003050301", u"one "},
                                              {'A', "0003050302", u"two "},
                                              {'A', "0003050303", u"three"}}))
                           .messages);
    ASSERT_EQ(table.joinedRows(MessageFolder::Inbox).size(), 1);
    EXPECT_EQ(table.exportLines(MessageFolder::Inbox, {}),
              QStringLiteral("+12345678901 06.12.26 18:49\r\none two three\r\n"));
    table.markDeleted({1, 3});  // the handset refused part 2
    const JoinedMessage* left = table.joinedMessage(MessageFolder::Inbox, 0);
    ASSERT_NE(left, nullptr);
    EXPECT_EQ(left->message.Text, QStringLiteral("[part 1 of 3 missing]two [part 3 of 3 missing]"));
    EXPECT_EQ(left->storageIndexes, QList<quint32>{2});
}

}  // namespace
}  // namespace pelmar
