#include <gtest/gtest.h>

#include "smart/smart_send.h"
#include "sms/message_operations.h"
#include "support/sim_line.h"
#include "support/table.h"

// Every send refuses bad input before the port, with the field the page puts the focus on.
namespace pelmar {
namespace {

using F = InputField;

const QString kNumber = QStringLiteral("+12345678901");
const QString kNoNumber;
const QString kPleaseNumber =
    QStringLiteral("Please enter the recipient's phone number (with \"+\" if needed).");
const NetworkCode kNetwork{"202", "01"};

QString utf8(const char* text) {
    return QString::fromUtf8(text);
}

Outcome sms(AtChannel& ch, const QString& number, const char* text, SmsMode mode) {
    return SendOrStoreSMS(ch, {number, utf8(text), mode}, SubmitAction::Send).outcome;
}

Outcome ringtone(AtChannel& ch, const QString& number, const QString& rtttl) {
    return SendRingtone(ch, number, rtttl).outcome;
}

Outcome picture(AtChannel& ch, const QString& number, const char* text,
                const MonoBitmap& image = BuiltInPicture()) {
    return SendPictureMessage(ch, number, utf8(text), PictureCoding::Standard, image, {}).outcome;
}

Outcome logo(AtChannel& ch, const QString& number, const NetworkCode& network,
             const MonoBitmap& image = BuiltInLogo()) {
    return SendOperatorLogo(ch, number, network, image).outcome;
}

struct FieldCase {
    const char* label;
    Outcome (*send)(AtChannel&);
    InputField field;
    QString text;  // the whole text, or a part of it when `exact` is false
    bool exact = true;
};

class InputFieldTest : public testing::TestWithParam<FieldCase> {};

TEST_P(InputFieldTest, RefusalNamesTheFieldBeforeThePort) {
    const FieldCase& c = GetParam();
    test::SimLine line(simulator::loadSimState(QStringLiteral(PELMAR_TEST_DATA "/sim-basic.json")));
    const Outcome r = c.send(line.channel);
    EXPECT_EQ(r.kind, Outcome::Kind::InputRefused) << r.text.toStdString();
    EXPECT_EQ(r.field, c.field) << r.text.toStdString();
    if (c.exact)
        EXPECT_EQ(r.text, c.text);
    else
        EXPECT_TRUE(r.text.contains(c.text)) << r.text.toStdString();
    EXPECT_TRUE(line.sim.log().isEmpty());
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Sends, InputFieldTest,
    testing::Values(
        /* Text message: the text is asked for before the number. */ FieldCase{"SmsNothingTyped", [](AtChannel& ch) { return sms(ch, kNoNumber, "", {}); }, F::MessageText, QStringLiteral("Enter message text.")},
        FieldCase{"SmsNoNumber", [](AtChannel& ch) { return sms(ch, kNoNumber, "abc", {}); }, F::RecipientNumber, kPleaseNumber},
        FieldCase{"SmsLetterInNumber", [](AtChannel& ch) { return sms(ch, QStringLiteral("12a"), "abc", {}); }, F::RecipientNumber, QStringLiteral("The number may hold only digits and \"+\": \"a\" (U+0061) at " "position 3")},
        FieldCase{"SmsCyrillicInStandard", [](AtChannel& ch) { return sms(ch, kNumber, "Привет", SmsMode::Standard); }, F::MessageText, QStringLiteral("not in the GSM 7-bit alphabet"), false},
        /* Ringtone: text, number, then what the encoder refuses. */ FieldCase{"RingtoneNothingTyped", [](AtChannel& ch) { return ringtone(ch, kNoNumber, {}); }, F::RingtoneText, QStringLiteral("Please enter ringtone (in RTTL format).")},
        FieldCase{"RingtoneNoNumber", [](AtChannel& ch) { return ringtone(ch, kNoNumber, QStringLiteral("T:c")); }, F::RecipientNumber, kPleaseNumber},
        FieldCase{"RingtoneOctave8", [](AtChannel& ch) { return ringtone(ch, kNumber, QStringLiteral("T:c8")); }, F::RingtoneText, QStringLiteral("Note 1 \"C8\""), false},
        FieldCase{"RingtoneTooBig", [](AtChannel& ch) {return ringtone(ch, kNumber, QStringLiteral("x:") + QStringLiteral("c,").repeated(100));}, F::RingtoneText, QStringLiteral("The Ringtone is too big to send.")},
        /* Picture message: text, number, then the coding and the picture. */ FieldCase{"PictureNothingTyped", [](AtChannel& ch) { return picture(ch, kNoNumber, ""); }, F::PictureText, QStringLiteral("Please enter message text.")},
        FieldCase{"PictureNoNumber", [](AtChannel& ch) { return picture(ch, kNoNumber, "Hi"); }, F::RecipientNumber, kPleaseNumber},
        FieldCase{"PictureAccentInStandard", [](AtChannel& ch) { return picture(ch, kNumber, "café"); }, F::PictureText, QStringLiteral("\"é\" (U+00E9) at position 4 can not be sent in Standard " "coding; choose UCS2.")},
        FieldCase{"PictureOfLogoSize", [](AtChannel& ch) { return picture(ch, kNumber, "Hi", MonoBitmap(72, 14)); }, F::PictureImage, PictureFormatMessage()},
        /* Operator logo: the number first, then the logo and the network. */ FieldCase{"LogoNoNumberAndWrongImage", [](AtChannel& ch) { return logo(ch, kNoNumber, kNetwork, MonoBitmap(72, 28)); }, F::RecipientNumber, kPleaseNumber},
        FieldCase{"LogoOfPictureSize", [](AtChannel& ch) { return logo(ch, kNumber, kNetwork, MonoBitmap(72, 28)); }, F::LogoImage, LogoFormatMessage()},
        FieldCase{"LogoNetworkOfFourDigits", [](AtChannel& ch) {return logo(ch, kNumber, NetworkCode{"2020", "1"});}, F::LogoNetwork, QStringLiteral("is not a country code of 3 digits"), false}),
    test::ByLabel());
// clang-format on

}  // namespace
}  // namespace pelmar
