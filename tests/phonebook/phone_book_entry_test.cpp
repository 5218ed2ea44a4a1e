#include "phonebook/phone_book_entry.h"

#include <gtest/gtest.h>

#include "phonebook/record_bytes.h"
#include "support/table.h"

using namespace Qt::StringLiterals;

namespace pelmar {
namespace {

TEST(PhoneBookEntryTest, RecordLayoutIsFieldByField) {
    QByteArray out;
    PhoneBookEntry(QByteArrayLiteral("+123"), 145, QByteArrayLiteral("Bob")).appendRecord(out);
    EXPECT_EQ(out, test::recordBytes("+123", 145, "Bob"));
    EXPECT_EQ(PhoneBookEntry::fromRecord(out),
              PhoneBookEntry(QByteArrayLiteral("+123"), 145, QByteArrayLiteral("Bob")));
}

struct LengthCase {
    const char* label;
    int numberLength;
    int nameLength;
    qsizetype numberRead;
    qsizetype nameRead;
};

class CorruptLengthTest : public testing::TestWithParam<LengthCase> {};

TEST_P(CorruptLengthTest, LengthIsClampedToItsField) {
    const LengthCase& c = GetParam();
    const PhoneBookEntry e = PhoneBookEntry::fromRecord(test::recordBytes(
        QByteArray(100, '7'), 129, QByteArray(200, 'n'), c.numberLength, c.nameLength));
    EXPECT_EQ(e.Number(), QByteArray(c.numberRead, '7'));
    EXPECT_EQ(e.Name(), QByteArray(c.nameRead, 'n'));
    EXPECT_EQ(e.NumberType(), 129);
}

INSTANTIATE_TEST_SUITE_P(Records, CorruptLengthTest,
                         testing::Values(LengthCase{"LengthsAtTheirRoom", 100, 200, 100, 200},
                                         LengthCase{"NumberLength255", 255, 3, 100, 3},
                                         LengthCase{"NumberLength101", 101, 0, 100, 0},
                                         LengthCase{"NameLength201", 5, 201, 5, 200},
                                         LengthCase{"NameLength255", 0, 255, 0, 200}),
                         test::ByLabel());

struct UserCase {
    const char* label;
    QString name;
    QString number;
    const char* error;  // a part of the message, or nullptr when the entry is made
    int type;
};

class FromUserTest : public testing::TestWithParam<UserCase> {};

TEST_P(FromUserTest, AppliesTypeRuleOrRefuses) {
    const UserCase& c = GetParam();
    if (c.error) {
        try {
            PhoneBookEntry::fromUser(c.name, c.number);
            FAIL() << "accepted";
        } catch (const PhoneBookError& e) {
            EXPECT_TRUE(e.message().contains(QString::fromUtf8(c.error))) << e.what();
        }
        // The editor puts the focus on the field the refusal is about.
        const auto problem = PhoneBookEntry::userProblem(c.name, c.number);
        ASSERT_TRUE(problem);
        EXPECT_EQ(problem->field, QString::fromUtf8(c.error).contains(u"number")
                                      ? InputField::PhonebookNumber
                                      : InputField::PhonebookName);
        return;
    }
    const PhoneBookEntry e = PhoneBookEntry::fromUser(c.name, c.number);
    EXPECT_EQ(e.NumberType(), c.type);
    EXPECT_EQ(e.nameText(), c.name);
    EXPECT_EQ(e.numberText(), c.number);
}

INSTANTIATE_TEST_SUITE_P(
    Editor, FromUserTest,
    testing::Values(
        UserCase{"PlusMakesInternational", u"Bob"_s, u"+123"_s, nullptr, 145},
        UserCase{"NoPlusIsNational", u"Bob"_s, u"0123"_s, nullptr, 129},
        UserCase{"PlusAnywhereCounts", u"Bob"_s, u"12+3"_s, nullptr, 145},
        UserCase{"EmptyFieldsAllowed", QString(), QString(), nullptr, 129},
        UserCase{"CyrillicName", u"Анна"_s, u"555"_s, nullptr, 129},
        UserCase{"FullLengths", QString(200, u'n'), QString(100, u'1'), nullptr, 129},
        UserCase{"NameTooLong", QString(201, u'n'), u"1"_s, "name is 201 characters", 0},
        UserCase{"NumberTooLong", u"n"_s, QString(101, u'1'), "number is 101 characters", 0},
        UserCase{"NameOutsideCodePage", u"李"_s, u"1"_s, "name contains \"李\" (U+674E)", 0},
        UserCase{"EmojiNamedWhole", u"a😀"_s, u"1"_s, "(U+1F600)", 0},
        UserCase{"QuoteWouldBreakCommand", u"a\"b"_s, u"1"_s, "double quote", 0},
        UserCase{"LineBreakInNumber", u"a"_s, u"1\r2"_s, "number holds CR (\\x0D)", 0},
        UserCase{"BackspacesInName", u"\b\b;+CMGD=2"_s, u"1"_s, "name holds backspace", 0},
        UserCase{"ChainInNumber", u"a"_s, u"1;+CMGD=1"_s, "number holds \";\" at position 2", 0},
        UserCase{"LettersInNumber", u"a"_s, u"abc"_s, "number holds \"a\"", 0},
        UserCase{"HighQuoteThenChainInName", u"ў;+CFUN=0"_s, u"1"_s, "reads as a double quote", 0},
        UserCase{"DialPausesAllowed", u"Office"_s, u"+1*2#p3,w4"_s, nullptr, 145}),
    test::ByLabel());

TEST(PhoneBookEntryTest, FieldsHoldBytesWithinTheirRoom) {
    const PhoneBookEntry e =
        PhoneBookEntry::fromHandset(QByteArray(120, '1'), 401, QByteArray(250, 'x'));
    EXPECT_EQ(e.Number().size(), 100);
    EXPECT_EQ(e.Name().size(), 200);
    EXPECT_EQ(e.NumberType(), 145);  // 401 = 0x191
    EXPECT_THROW(PhoneBookEntry(QByteArray(101, '1'), 129, {}), PhoneBookError);
    EXPECT_EQ(PhoneBookEntry::fromUser(u"Анна"_s, {}).Name(), "\xC0\xED\xED\xE0");  // 1251
}

}  // namespace
}  // namespace pelmar
