#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>

#include "support/run_cli.h"
#include "support/table.h"

namespace pelmar {
namespace {

QStringList encodeArgs(const QStringList& args) {
    return QStringList{QStringLiteral("sms"), QStringLiteral("encode")} + args;
}

QStringList split(const char16_t* args) {
    return QString::fromUtf16(args).split(QChar(u'|'));
}

struct EncodeCase {
    const char* label;
    const char16_t* args;  // separated by "|"
    const char* out;
};

class SmsEncodeCliTest : public testing::TestWithParam<EncodeCase> {};

TEST_P(SmsEncodeCliTest, PrintsLengthAndHex) {
    const test::CliResult r = test::runCli(encodeArgs(split(GetParam().args)));
    EXPECT_EQ(r.exitCode, 0) << r.err.constData();
    EXPECT_EQ(r.out, QByteArray(GetParam().out) + '\n');
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Outputs, SmsEncodeCliTest,
                         testing::Values(
                             EncodeCase{"Standard", u"--number|+1234567890|abc", "16 0011000A9121436587090000A70361F118"},
                             EncodeCase{"NoSmsc", u"--number|+1234567890|--no-smsc|abc", "16 11000A9121436587090000A70361F118"},
                             EncodeCase{"OlderHandset", u"--number|+1234567890|--older-handset|abc", "16 11000A9121436587090000A70361F118"},
                             EncodeCase{"Ucs2", u"--coding|ucs2|--number|1234567890|Пр", "17 0011000A8121436587090008A704041F0440"},
                             EncodeCase{"Flash", u"--flash|--number|+1234567890|Пр", "19 0011000A9121436587090018A7060001041F0440"},
                             EncodeCase{"TextAfterDoubleDash", u"--number|1|--|-5", "11 0011000181F10000A702AD1A"}),
                         test::ByLabel());
// clang-format on

struct RefusalCase {
    const char* label;
    const char16_t* args;
    QString text;             // appended to the arguments
    const char16_t* message;  // part of what stderr says
};

class SmsEncodeRefusalTest : public testing::TestWithParam<RefusalCase> {};

TEST_P(SmsEncodeRefusalTest, ExitsTwoAndSaysWhy) {
    const test::CliResult r = test::runCli(encodeArgs(split(GetParam().args) << GetParam().text));
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_TRUE(QString::fromUtf8(r.err).contains(QString::fromUtf16(GetParam().message)))
        << r.err.constData();
    EXPECT_FALSE(r.err.chopped(1).contains('\x1B')) << "ESC reached the terminal";
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    BadInput, SmsEncodeRefusalTest,
    testing::Values(
        RefusalCase{"EmptyNumber", u"--number|", QStringLiteral("abc"), u"--number"},
        RefusalCase{"NoNumber", u"--no-smsc", QStringLiteral("abc"), u"--number"},
        RefusalCase{"LetterInNumber", u"--number|12a4", QStringLiteral("abc"), u"\"a\" (U+0061) at position 3"},
        RefusalCase{"PlusOnly", u"--number|+", QStringLiteral("abc"), u"pelmar-cli: The number \"+\" has no digits"},
        RefusalCase{"CyrillicInStandard", u"--number|1", QStringLiteral("ok Привет"), u"\"П\" (U+041F) at position 4 is not in the GSM 7-bit alphabet"},
        RefusalCase{"Standard161", u"--number|1", QString(161, u'x'), u"161 septets"},
        RefusalCase{"ExtensionCountsTwo", u"--number|1", QString(81, u'€'), u"162 septets"},
        RefusalCase{"Ucs2Over70", u"--coding|ucs2|--number|1", QString(71, u'Ж'), u"71 characters"},
        RefusalCase{"FlashOver69", u"--flash|--number|1", QString(70, u'Ж'), u"70 characters"},
        RefusalCase{"EmojiCountsTwo", u"--coding|ucs2|--number|1", QString::fromUtf16(u"a\U0001F600").repeated(24), u"72 UTF-16 units"},
        RefusalCase{"UnknownCoding", u"--coding|latin1|--number|1", QStringLiteral("a"), u"unknown coding"},
        RefusalCase{"FlashIsNotStandard", u"--flash|--coding|standard|--number|1", QStringLiteral("a"), u"UCS2"},
        RefusalCase{"EmptyText", u"--number|1", QString(), u"pelmar-cli: Enter message text."},
        RefusalCase{"TerminalEscapeInCodingShownEscaped", u"--coding|\x1B[2J|--number|1", QStringLiteral("a"), u"unknown coding \"\\x1B[2J\""}),
    test::ByLabel());
// clang-format on

struct BadUtf8Case {
    const char* label;
    const char16_t* args;  // the argument that is not UTF-8 ("a", 0xFF) goes last
};

class BadUtf8ArgumentTest : public testing::TestWithParam<BadUtf8Case> {};

// QProcess passes only valid UTF-8, so a shell puts the malformed argument in.
TEST_P(BadUtf8ArgumentTest, RefusedInEveryPath) {
    const QString shell = QStandardPaths::findExecutable(QStringLiteral("sh"));
    if (shell.isEmpty())
        GTEST_SKIP() << "no sh";
    const test::CliResult r = test::runProgram(
        shell, QStringList{QStringLiteral("-c"),
                           QStringLiteral("exec \"$0\" \"$@\" \"$(printf 'a\\377')\""),
                           QStringLiteral(PELMAR_CLI_PATH)} +
                   split(GetParam().args));
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.out.isEmpty()) << r.out.constData();
    EXPECT_TRUE(r.err.contains("(\"a\\xFF\") is not valid UTF-8")) << r.err.constData();
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Paths, BadUtf8ArgumentTest,
    testing::Values(
        BadUtf8Case{"Ucs2Text", u"sms|encode|--coding|ucs2|--number|1"},
        BadUtf8Case{"StandardText", u"sms|encode|--number|1"},
        BadUtf8Case{"PhonebookName", u"phonebook|add|/nonexistent/sm.dat|--number|1|--name"}),
    test::ByLabel());
// clang-format on

TEST(SmsEncodeLimitTest, FullMessagesAreAccepted) {
    const QStringList number{QStringLiteral("--number"), QStringLiteral("1")};
    const QStringList ucs2{QStringLiteral("--coding"), QStringLiteral("ucs2")};
    for (const QStringList& args :
         {number + QStringList{QString(160, u'x')}, number + QStringList{QString(80, u'€')},
          ucs2 + number + QStringList{QString(70, u'Ж')},
          number + QStringList{QStringLiteral("--flash"), QString(69, u'Ж')}}) {
        EXPECT_EQ(test::runCli(encodeArgs(args)).exitCode, 0) << args.last().size();
    }
}

TEST(SmsDecodeCliTest, PrintsOneJsonLinePerMessage) {
    const test::CliResult r =
        test::runCli({QStringLiteral("sms"), QStringLiteral("decode")},
                     "at+cmgl=4\r\r\n+CMGL: 1,0,,22\r\n040B912143658709F10000622160819403000361F118"
                     "\r\n\r\nOK\r\n");
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, QByteArray(R"({"date":"2026-12-06T18:49:30Z","index":1,)"
                                R"("number":"+12345678901","status":0,"text":"abc"})"
                                "\n"));
}

TEST(SmsDecodeCliTest, SmscFieldListingDecodesTheSame) {
    const test::CliResult r =
        test::runCli({QStringLiteral("sms"), QStringLiteral("decode"),
                      QStringLiteral(PELMAR_TEST_DATA "/listing-smsc-field.txt")});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, QByteArray(R"({"date":"2026-12-06T18:49:30Z","index":1,)"
                                R"("number":"+12345678901","status":0,"text":"abc"})"
                                "\n") +
                         QStringLiteral(R"({"date":"2026-12-06T18:49:30Z","index":2,)"
                                        R"("number":"+12345678901","status":1,"text":"Пр"})"
                                        "\n")
                             .toUtf8());
}

TEST(SmsDecodeCliTest, BrokenEntryIsPrintedAsUnreadableAndCounted) {
    const test::CliResult r =
        test::runCli({QStringLiteral("sms"), QStringLiteral("decode"),
                      QStringLiteral(PELMAR_TEST_DATA "/broken-listing-truncated-entry.txt")});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out.count('\n'), 3);
    EXPECT_TRUE(r.out.contains(R"({"date":"","index":2,"number":"Unknown","status":1,)"
                               R"("text":"[unreadable message]"})"));
    EXPECT_TRUE(r.err.contains("1 listed message could not be read"));
}

TEST(SmsDecodeCliTest, NoMessageIsNotAnError) {
    const test::CliResult r =
        test::runCli({QStringLiteral("sms"), QStringLiteral("decode")}, "\r\nOK\r\n");
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.out.isEmpty());
}

TEST(SmsDecodeCliTest, UnreadableFileIsRefused) {
    for (const char* file : {PELMAR_TEST_DATA "/no-such-listing.txt", PELMAR_TEST_DATA}) {
        const test::CliResult r = test::runCli(
            {QStringLiteral("sms"), QStringLiteral("decode"), QString::fromUtf8(file)});
        EXPECT_EQ(r.exitCode, 2) << file;
        EXPECT_TRUE(r.err.contains("cannot read")) << file;
    }
}

TEST(SmsCliTest, EveryCommandHasHelp) {
    for (const char* command : {"encode", "decode"}) {
        const test::CliResult r = test::runCli(
            {QStringLiteral("sms"), QString::fromLatin1(command), QStringLiteral("--help")});
        EXPECT_EQ(r.exitCode, 0) << command;
        EXPECT_TRUE(r.out.contains("Usage:")) << command;
    }
}

// A second opinion: the PDUs that `sms encode` writes, read by a decoder written separately
// from TS 23.040/23.038 (tests/tools/pdu_decode.py).
struct IndependentCase {
    const char* label;
    const char16_t* number;
    const char16_t* options;
    const char16_t* text;
    const char* coding;
    int messageClass;  // -1: none
};

class IndependentDecoderTest : public testing::TestWithParam<IndependentCase> {};

TEST_P(IndependentDecoderTest, ReadsTheSameMessage) {
    const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
    if (python.isEmpty())
        GTEST_SKIP() << "python3 is not installed";
    const IndependentCase& c = GetParam();
    QStringList args{QStringLiteral("--number"), QString::fromUtf16(c.number)};
    if (*c.options)
        args += split(c.options);
    const QString text = QString::fromUtf16(c.text);
    const test::CliResult encoded = test::runCli(encodeArgs(args << text));
    ASSERT_EQ(encoded.exitCode, 0) << encoded.err.constData();
    const QStringList lengthAndHex = QString::fromLatin1(encoded.out.trimmed()).split(u' ');
    ASSERT_EQ(lengthAndHex.size(), 2);

    const test::CliResult decoded = test::runProgram(
        python,
        QStringList{QStringLiteral(PELMAR_TEST_DATA "/../tools/pdu_decode.py")} + lengthAndHex);
    ASSERT_EQ(decoded.exitCode, 0) << decoded.err.constData();
    const QJsonObject pdu = QJsonDocument::fromJson(decoded.out).object();
    EXPECT_EQ(pdu[QStringLiteral("type")].toString(), QStringLiteral("SMS-SUBMIT"));
    EXPECT_EQ(pdu[QStringLiteral("number")].toString(), QString::fromUtf16(c.number));
    // A flash message starts with the marker U+0001.
    EXPECT_EQ(pdu[QStringLiteral("text")].toString(), c.messageClass == 0 ? QChar(1) + text : text);
    EXPECT_EQ(pdu[QStringLiteral("coding")].toString(), QLatin1StringView(c.coding));
    EXPECT_EQ(pdu[QStringLiteral("class")].toInt(-1), c.messageClass);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Encodings, IndependentDecoderTest,
    testing::Values(
        IndependentCase{"StandardInternational", u"+1234567890", u"", u"abc", "gsm7", -1},
        IndependentCase{"StandardNationalOddDigits", u"12345", u"--no-smsc", u"Hello @ 5$ _ £ ¿? à", "gsm7", -1},
        IndependentCase{"ExtensionCharacters", u"+4915112345678", u"", u"[]{}\\^~|€ and more", "gsm7", -1},
        IndependentCase{"SevenCharsEndInPadding", u"+1", u"", u"1234567", "gsm7", -1},
        IndependentCase{"Ucs2Cyrillic", u"1234567890", u"--coding|ucs2", u"Ґанок, їжак «№ 5» €", "ucs2", -1},
        IndependentCase{"FlashClass0", u"+380501234567", u"--flash", u"Срочно!", "ucs2", 0}),
    test::ByLabel());
// clang-format on

}  // namespace
}  // namespace pelmar
