#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <array>

#include "smart/bitmap.h"
#include "support/run_cli.h"
#include "support/smart_decoder.h"
#include "support/table.h"

namespace pelmar {
namespace {

QString sample(const char* name) {
    return QStringLiteral(PELMAR_TEST_DATA "/") + QString::fromLatin1(name);
}

QStringList argList(std::initializer_list<const char*> args) {
    QStringList out;
    for (const char* a : args)
        out << QString::fromUtf8(a);
    return out;
}

TEST(SmartCliTest, RingtoneEncodePrintsTheOctets) {
    const auto r = test::runCli(argList({"ringtone", "encode", "Test:d=4,o=5,b=100:c,8d."}));
    EXPECT_EQ(r.exitCode, 0) << r.err.constData();
    EXPECT_EQ(r.out, "024A3A515195CDD004000918922826D000\n");
}

TEST(SmartCliTest, LogoIsOnePduOf154WithTheNetworkAfterTheHeader) {
    const auto r =
        test::runCli(argList({"smart", "logo", "--number", "+12345678901", "--network", "202 01"}));
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    const QList<QByteArray> lines = r.out.trimmed().split('\n');
    ASSERT_EQ(lines.size(), 1);
    const QList<QByteArray> fields = lines.first().split(' ');
    ASSERT_EQ(fields.size(), 2);
    EXPECT_EQ(fields[0], "154");
    // "00" SMSC field, 14 TPDU octets up to TP-UDL, then the 7-octet user-data header.
    EXPECT_EQ(fields[1].mid(2 + 2 * 14 + 2 * 7, 14), "02F21000480E01");
}

struct RefusalCase {
    const char* label;
    std::array<const char*, 10> args;  // unused slots stay null
    const char* message;
};

class SmartCliRefusalTest : public testing::TestWithParam<RefusalCase> {};

TEST_P(SmartCliRefusalTest, ExitsWith2AndSaysWhy) {
    const RefusalCase& c = GetParam();
    QStringList args;
    for (const char* a : c.args) {
        if (a)
            args << QString::fromUtf8(a);
    }
    args.replaceInStrings(QStringLiteral("DATA/"), QStringLiteral(PELMAR_TEST_DATA "/"));
    const auto r = test::runCli(args);
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_TRUE(r.err.contains(c.message)) << r.err.constData();
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Input, SmartCliRefusalTest,
    testing::Values(
        RefusalCase{"Octave8", {"ringtone", "encode", "T:c8"}, "Note 1 \"C8\" (character 3)"},
        RefusalCase{"BadNetwork", {"smart", "logo", "--number", "1", "--network", "2020 1"}, "is not a country code of 3 digits"},
        RefusalCase{"PictureFileAsLogo", {"smart", "logo", "--number", "1", "--network", "202 01", "--bitmap", "DATA/picture-72x28.bmp"}, "The logo format should be 1bit per pixel (2 colors), 72 x 14 pixels."},
        RefusalCase{"TwentyFourBitPicture", {"smart", "picture", "--number", "1", "--text", "Hi", "--bitmap", "DATA/broken-24bit-72x28.bmp"}, "The image format should be 1bit per pixel (2 colors), 72 x 28 pixels."},
        RefusalCase{"TextFileAsPicture", {"smart", "picture", "--number", "1", "--text", "Hi", "--bitmap", "DATA/broken-not-a-bitmap.bmp"}, "is not a bitmap"},
        RefusalCase{"Reference255", {"smart", "picture", "--number", "1", "--text", "Hi", "--reference", "255"}, "between 1 and 254"},
        RefusalCase{"UnknownCoding", {"smart", "picture", "--number", "1", "--text", "Hi", "--coding", "latin"}, "--coding takes standard or ucs2"}),
    test::ByLabel());
// clang-format on

// The PDUs go through tests/tools/smart_decode.py, a decoder written from the smart-messaging
// format alone, and must come back as what was put in.
class SmartDecodeTest : public testing::Test {
  protected:
    void SetUp() override {
        m_python = QStandardPaths::findExecutable(QStringLiteral("python3"));
        if (m_python.isEmpty())
            GTEST_SKIP() << "python3 is not installed";
    }

    QJsonObject decodeOne(std::initializer_list<const char*> args) {
        const auto pdus = test::runCli(argList(args));
        EXPECT_EQ(pdus.exitCode, 0) << pdus.err.constData();
        const QJsonArray messages = test::decodeSmartMessages(pdus.out);
        EXPECT_EQ(messages.size(), 1);
        return messages.first().toObject();
    }

    static QJsonArray rowsOf(const char* file) {
        return test::bitmapRows(LoadBmpFile(sample(file)).pixels);
    }

    QString m_python;
};

TEST_F(SmartDecodeTest, RingtoneNotesComeBack) {
    const QJsonObject tone = decodeOne(
        {"smart", "ringtone", "--number", "+4930123", "Abc:d=8,o=6,b=125:p,c6,16g#5,4b.7,e#;"});
    EXPECT_EQ(tone[u"port"].toInt(), 0x1581);
    EXPECT_EQ(tone[u"number"].toString(), QStringLiteral("+4930123"));
    EXPECT_EQ(tone[u"title"].toString(), QStringLiteral("Abc"));
    EXPECT_EQ(tone[u"tempo"].toInt(), 125);
    const char* expected =
        R"([{"note":"P","duration":8,"specifier":"none","scale":2},
            {"note":"C","duration":8,"specifier":"none","scale":2},
            {"note":"G#","duration":16,"specifier":"none","scale":1},
            {"note":"H","duration":4,"specifier":"dotted","scale":3},
            {"note":"F","duration":8,"specifier":"double-dotted","scale":2}])";
    EXPECT_EQ(tone[u"notes"].toArray(), QJsonDocument::fromJson(expected).array());
}

TEST_F(SmartDecodeTest, LogoNetworkAndBitmapComeBack) {
    const QJsonObject logo = decodeOne({"smart", "logo", "--number", "0123456789", "--network",
                                        "454 00", "--bitmap", PELMAR_TEST_DATA "/logo-72x14.bmp"});
    EXPECT_EQ(logo[u"port"].toInt(), 0x1582);
    EXPECT_EQ(logo[u"mcc"].toString(), QStringLiteral("454"));
    EXPECT_EQ(logo[u"mnc"].toString(), QStringLiteral("00"));
    EXPECT_EQ(logo[u"rows"].toArray(), rowsOf("logo-72x14.bmp"));
}

TEST_F(SmartDecodeTest, PictureTextAndBitmapComeBackFromThreeParts) {
    const QJsonObject picture = decodeOne(
        {"smart", "picture", "--number", "+12345678901", "--coding", "ucs2", "--reference", "77",
         "--text", "Hi, Пелмар!", "--bitmap", PELMAR_TEST_DATA "/picture-72x28.bmp"});
    EXPECT_EQ(picture[u"port"].toInt(), 0x158A);
    EXPECT_EQ(picture[u"parts"].toInt(), 3);
    EXPECT_EQ(picture[u"reference"].toInt(), 77);
    EXPECT_EQ(picture[u"text"].toString(), QStringLiteral("Hi, Пелмар!"));
    EXPECT_EQ(picture[u"bitmap"][u"rows"].toArray(), rowsOf("picture-72x28.bmp"));
}

}  // namespace
}  // namespace pelmar
