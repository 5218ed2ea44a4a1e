#include "smart/ringtone.h"

#include <gtest/gtest.h>

#include "support/table.h"

namespace pelmar {
namespace {

struct EncodeCase {
    const char* label;
    const char* rtttl;  // UTF-8
    const char* hex;
};

class EncodeRingtoneTest : public testing::TestWithParam<EncodeCase> {};

TEST_P(EncodeRingtoneTest, EncodesByteForByte) {
    const EncodeCase& c = GetParam();
    EXPECT_EQ(EncodeRingtone(QString::fromUtf8(c.rtttl)), QByteArray(c.hex));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Examples, EncodeRingtoneTest,
    testing::Values(
        EncodeCase{"TitleHeaderAndDottedNote", "Test:d=4,o=5,b=100:c,8d.", "024A3A515195CDD004000918922826D000"},
        EncodeCase{"NoColonGivesUnnamedAndDefaults", "x", "024A3A5D55B9B985B59590040005209000"},
        EncodeCase{"EmptyTitle", ":c", "024A3A4004000720922800"},
        EncodeCase{"ScaleChangesAndSharp", "Abc:d=8,o=6,b=125:p,c6,16g#5", "024A3A4D05898C04000D1CA20C22C4998000"},
        EncodeCase{"HeaderWithoutTitleBecomesTheTitle", "d=4,o=5,b=125:c", "024A3A6D90F4D0B1BCF4D4B188F4C404000720922800"},
        EncodeCase{"LongTitleCutTo11", "ABCDEFGHIJKLMNOPQRST:a", "024A3A6D05090D1115191D2125292C04000720934800"},
        EncodeCase{"DotAfterOctaveIsSkipped", "T:8c6.", "024A3A45500400092095116000"},
        EncodeCase{"UnknownTempoGets160", "T:d=4,o=5,b=130:e", "024A3A45500400072092A800"},
        EncodeCase{"NoNotes", "Empty:d=4,o=5,b=100:", "024A3A5515B5C1D1E4040005189000"},
        EncodeCase{"LowerCaseSpecifiers", "Mix:d=4,o=5,b=125:2g;,16g#&", "024A3A4D35A5E00400091C9306333000"},
        EncodeCase{"CyrillicTitleInWindows1251", "Пр:", "024A3A4B3FC0040005209000"}),
    test::ByLabel());
// clang-format on

struct RefusalCase {
    const char* label;
    const char* rtttl;
    const char* message;
};

class RingtoneRefusalTest : public testing::TestWithParam<RefusalCase> {};

TEST_P(RingtoneRefusalTest, NamesTheOffendingInput) {
    const RefusalCase& c = GetParam();
    try {
        EncodeRingtone(QString::fromUtf8(c.rtttl));
        FAIL() << "accepted";
    } catch (const ERingtone& e) {
        EXPECT_EQ(e.message(), QString::fromUtf8(c.message));
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Inexpressible, RingtoneRefusalTest,
    testing::Values(
        RefusalCase{"Octave8", "T:c8", "Note 1 \"C8\" (character 3) can not be sent: octave 8 is out of range (0 to " "7)."},
        RefusalCase{"HeaderOctave9", "T:d=4,o=9,b=100:c", "The ringtone header \"D=4,O=9,B=100:\" asks for octave 9; a ringtone plays " "octaves 0 to 7."},
        RefusalCase{"Duration3", "T:c,3c", "Note 2 \"3C\" (character 5) can not be sent: duration 3 is not one of 1, 2, 4, " "8, 16 and 32."},
        RefusalCase{"DefaultDuration64AfterHeader", "T:d=64,o=5,b=100:c", "Note 1 \"C\" (character 18) can not be sent: duration 64 is not one of 1, 2, " "4, 8, 16 and 32."},
        RefusalCase{"BSharp", "T:c,b#", "Note 2 \"B#\" (character 5) can not be sent: a ringtone " "has no note B#."},
        RefusalCase{"SharpH", "T:#h", "Note 1 \"#H\" (character 3) can not be sent: a ringtone " "has no note #H."},
        RefusalCase{"PauseSharp", "T:p#", "Note 1 \"P#\" (character 3) can not be sent: a " "ringtone has no note P#."},
        RefusalCase{"SharpsOnBothSides", "T:#c#", "Note 1 \"#C#\" (character 3) can not be sent: " "a ringtone has no note #C#."},
        RefusalCase{"EmptyHeaderValue", "T:D=,O=5,B=100:c", "The ringtone header \"D=,O=5,B=100:\" has no usable number after D=."},
        RefusalCase{"TitleOutsideTheCodePage", "Ti€x✓:c", "The ringtone title can not hold \"✓\" (U+2713) at position 5."}),
    test::ByLabel());
// clang-format on

TEST(TempoCodeTest, ListPositionOr160) {
    EXPECT_EQ(TempoCode(25), 0);
    EXPECT_EQ(TempoCode(125), 14);
    EXPECT_EQ(TempoCode(160), 16);
    EXPECT_EQ(TempoCode(900), 31);
    EXPECT_EQ(TempoCode(130), 16);
    EXPECT_EQ(TempoCode(-1), 16);
}

TEST(RingtoneSizeTest, At133OctetsItFitsAndAt134ItIsRefused) {
    EXPECT_NO_THROW(CheckRingtoneSize(QByteArray(2 * 133, '0')));
    EXPECT_THROW(CheckRingtoneSize(QByteArray(2 * 134, '0')), ERingtone);
    // 90 notes: 12 bits each make far more than one message holds.
    const QByteArray tone =
        EncodeRingtone(QStringLiteral("Long:") + QStringLiteral("c,").repeated(90));
    EXPECT_EQ(RingtoneOctetCount(tone), 149);
    EXPECT_THROW(CheckRingtoneSize(tone), ERingtone);
}

}  // namespace
}  // namespace pelmar
