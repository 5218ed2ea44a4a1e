// A widely used AT client, Gammu, takes the simulator for a phone: it identifies it, lists its
// messages and reads its SIM phonebook over the pseudo-terminal.

#include <gtest/gtest.h>

#include "base/input_problem.h"
#include "sim/sim_state.h"
#include "sms/long_message.h"
#include "support/gammu_handset.h"

using namespace Qt::StringLiterals;

namespace pelmar {
namespace {

class GammuTest : public testing::Test {
  protected:
    void SetUp() override {
        if (!m_handset.available())
            GTEST_SKIP() << "gammu is not installed";
        ASSERT_TRUE(m_handset.start(QStringList{QStringLiteral("--save-state"),
                                                m_handset.filePath(QStringLiteral("final.json"))}));
    }

    test::CliResult gammu(const QStringList& args) { return m_handset.run(args); }

    test::GammuHandset m_handset;
};

TEST_F(GammuTest, IdentifiesListsMessagesAndReadsThePhonebook) {
    const test::CliResult identify = gammu({QStringLiteral("identify")});
    EXPECT_EQ(identify.exitCode, 0) << identify.err.constData();
    EXPECT_TRUE(identify.out.contains("Pelmar")) << identify.out.constData();
    EXPECT_TRUE(identify.out.contains("Simulated Handset 100"));
    EXPECT_TRUE(identify.out.contains("350000000000006"));

    const test::CliResult sms = gammu({QStringLiteral("getallsms")});
    EXPECT_EQ(sms.exitCode, 0) << sms.err.constData();
    EXPECT_TRUE(sms.out.contains("Are we still on for lunch tomorrow?")) << sms.out.constData();
    EXPECT_TRUE(sms.out.contains("See you at 8 then."));
    EXPECT_TRUE(sms.out.contains("Delivered"));
    // Cyrillic in UCS2, an alphanumeric sender, a flash message.
    EXPECT_TRUE(sms.out.contains("Встречаемся в семь у метро."));
    EXPECT_TRUE(sms.out.contains("\"PelmarBank\""));
    EXPECT_TRUE(sms.out.contains("Call me when you land!"));
    EXPECT_TRUE(sms.out.contains("Class                : 0"));
    EXPECT_TRUE(sms.out.contains("12 SMS parts in 12 SMS sequences")) << sms.out.constData();

    const test::CliResult book = gammu({QStringLiteral("getmemory"), QStringLiteral("SM"),
                                        QStringLiteral("1"), QStringLiteral("10")});
    EXPECT_EQ(book.exitCode, 0) << book.err.constData();
    EXPECT_TRUE(book.out.contains("Alice Walker")) << book.out.constData();
    EXPECT_TRUE(book.out.contains("\"5550199\""));
    EXPECT_TRUE(book.out.contains("9 entries filled"));

    m_handset.stop();
    EXPECT_EQ(m_handset.simExitCode(), 0);
    // Gammu read the unread message, so the handset now holds it as read.
    const simulator::HandsetState final =
        simulator::loadSimState(m_handset.filePath(QStringLiteral("final.json")));
    EXPECT_EQ(final.messages.value(1).status, 1);
}

struct SplitCase {
    const char* label;
    QString text;
    SmsMode mode;
    int parts;  // 0: refused
};

QString times(const char16_t* piece, int count) {
    return QString::fromUtf16(piece).repeated(count);
}

// clang-format off
const SplitCase kSplitCases[] = {
    {"StandardOneMessage",       times(u"a", 160),                                     SmsMode::Standard, 1},
    {"StandardTwoParts",         times(u"b", 161),                                     SmsMode::Standard, 2},
    {"Standard400",              times(u"Long text, part by part. ", 16),             SmsMode::Standard, 3},
    {"EscapePairAtBoundary",     times(u"c", 152) + times(u"€", 1) + times(u"d", 8),   SmsMode::Standard, 2},
    {"StandardTenParts",         times(u"e", 10 * 153),                                SmsMode::Standard, 10},
    {"StandardElevenRefused",    times(u"f", 10 * 153 + 1),                            SmsMode::Standard, 0},
    {"Ucs2TwoParts",             times(u"Ж", 71),                                      SmsMode::Ucs2, 2},
    {"SurrogatePairAtBoundary",  times(u"Щ", 66) + times(u"😀", 1) + times(u"Я", 10),  SmsMode::Ucs2, 2},
    {"CyrillicAndEmoji150",      times(u"Привет, мир 😀! ", 10),                      SmsMode::Ucs2, 3},
    {"FlashTwoParts",            times(u"Срочно ", 10),                                SmsMode::Flash, 2},
    {"Ucs2TenParts",             times(u"ы", 10 * 67),                                 SmsMode::Ucs2, 10},
    {"Ucs2ElevenRefused",        times(u"ы", 10 * 67 + 1),                             SmsMode::Ucs2, 0},
};
// clang-format on

// Our parts, stored on the handset, as Gammu links them back: each text whole, in its parts.
TEST(GammuLinkTest, LinksTheTextsWeSplit) {
    test::GammuHandset handset;
    if (!handset.available())
        GTEST_SKIP() << "gammu is not installed";
    simulator::HandsetState state = simulator::emptySimState();
    state.messageSlots = 60;
    int reference = 10;
    for (const SplitCase& c : kSplitCases) {
        SCOPED_TRACE(c.label);
        if (c.parts == 0) {
            EXPECT_THROW(BuildLongSubmitPdus(u"+1234567890"_s, c.text, c.mode, 1), EInput);
            continue;
        }
        const QList<QByteArray> pdus =
            BuildLongSubmitPdus(QStringLiteral("+1234567890"), c.text, c.mode, ++reference);
        EXPECT_EQ(pdus.size(), c.parts);
        for (const QByteArray& pdu : pdus)
            state.messages.insert(static_cast<int>(state.messages.size()) + 1, {2, "00", pdu});
    }
    ASSERT_TRUE(handset.start(state));
    const test::CliResult read = handset.run({QStringLiteral("geteachsms")});
    ASSERT_EQ(read.exitCode, 0) << read.err.constData();
    // Read part by part, a pair of surrogates cut in two would show as "?" (no text here has one).
    const test::CliResult parts = handset.run({QStringLiteral("getallsms")});
    EXPECT_FALSE(parts.out.contains('?')) << parts.out.constData();
    // Flash parts each start with the marker U+0001, which Gammu shows as "~" (no text here has
    // one).
    const QString out = QString::fromUtf8(read.out).remove(QLatin1Char('~'));
    reference = 10;
    for (const SplitCase& c : kSplitCases) {
        SCOPED_TRACE(c.label);
        if (c.parts == 0)
            continue;
        EXPECT_TRUE(out.contains(u"\n\n"_s + c.text + u"\n"_s)) << out.toStdString();
        ++reference;
        if (c.parts > 1) {
            EXPECT_TRUE(out.contains(
                QStringLiteral("ID (8 bit) %1, %2 parts").arg(reference).arg(c.parts)));
        }
    }
}

}  // namespace
}  // namespace pelmar
