#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

#include "gui/smart/mono_bitmap_view.h"
#include "gui/smart/send_ems_page.h"
#include "gui/smart_page_harness.h"
#include "smart/picture_message.h"
#include "smart/ringtone.h"
#include "support/table.h"

namespace pelmar {
namespace {

using Asked = ScriptedDialogs::Kind;

[[maybe_unused]] testing::Environment* const kEnvironment =
    testing::AddGlobalTestEnvironment(new test::WidgetsApplication);

class SendEmsPageTest : public test::SmartPageHarness<SendEmsPage> {
  protected:
    QPlainTextEdit* ringtone() { return child<QPlainTextEdit>("RingtoneDataEdit"); }
    QPlainTextEdit* text() { return child<QPlainTextEdit>("pmText"); }
    MonoBitmapView* picture() { return child<MonoBitmapView>("Image1"); }
    QString counter() { return child<QLabel>("SymbolsLeftPicMsg")->text(); }
};

TEST_F(SendEmsPageTest, StartsWithTheSampleRingtoneAndTheBuiltInPictureShownPixelExact) {
    open();
    EXPECT_EQ(ringtone()->toPlainText(), sampleRingtone());
    EXPECT_NO_THROW(EncodeRingtone(sampleRingtone()));
    EXPECT_EQ(counter(), u"Symbols left: 121");
    EXPECT_EQ(child<QComboBox>("EmsEncodingCombo")->currentText(), u"Standard");
    ASSERT_EQ(picture()->bitmap(), BuiltInPicture());

    // Every picture pixel is a solid square of the scale, inside a one-pixel frame.
    page->show();
    const int f = picture()->factor();
    const QImage shown = picture()->grab().toImage();
    ASSERT_EQ(shown.size(), QSize(72 * f + 2, 28 * f + 2));
    int wrong = 0;
    for (int y = 0; y < 28 * f; ++y)
        for (int x = 0; x < 72 * f; ++x)
            wrong += (shown.pixel(x + 1, y + 1) == qRgb(0, 0, 0)) !=
                     picture()->bitmap().pixel(x / f, y / f);
    EXPECT_EQ(wrong, 0);
}

struct TextCase {
    const char* label;
    QString typed;
    bool thenUcs2;
    QString kept;
    QString counter;
};

class PictureTextTest : public SendEmsPageTest, public testing::WithParamInterface<TextCase> {};

TEST_P(PictureTextTest, KeepsWhatTheCodingCarries) {
    const TextCase& c = GetParam();
    open();
    text()->insertPlainText(c.typed);
    if (c.thenUcs2)
        child<QComboBox>("EmsEncodingCombo")->setCurrentIndex(1);
    EXPECT_EQ(text()->toPlainText(), c.kept);
    EXPECT_EQ(counter(), c.counter);
}

const QString kHundred(100, u'a');

// clang-format off
INSTANTIATE_TEST_SUITE_P(SendEms, PictureTextTest,
                         testing::Values(
                             TextCase{"CyrillicDroppedInStandardIsNamed", u"Привет, Hi"_qs, false, u", Hi"_qs, u"Symbols Left: 117 — removed “П”, “р”, “и”, “в”, “е”, “т”: choose UCS2 to keep them"_qs},
                             TextCase{"Ucs2CutsTo60", kHundred, true, kHundred.first(60), u"Symbols Left: 0"_qs}),
                         test::ByLabel());
// clang-format on

struct RefusalCase {
    const char* label;
    const char* button;
    QString ringtone;
    QString text;
    QString number;
    QString error;  // the start of what the box says
    const char* focus;
};

class RefusalTest : public SendEmsPageTest, public testing::WithParamInterface<RefusalCase> {};

TEST_P(RefusalTest, SaysWhatToFixBeforeTheLineIsOpened) {
    const RefusalCase& c = GetParam();
    open();
    page->show();
    ringtone()->setPlainText(c.ringtone);
    text()->setPlainText(c.text);
    workspace.recipient.setNumber(c.number);
    EXPECT_EQ(press(c.button), std::nullopt);
    const QStringList errors = dialogs.texts(Asked::Error);
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors.first().startsWith(c.error)) << errors.first().toStdString();
    EXPECT_EQ(page->focusWidget(), child(c.focus));
    EXPECT_EQ(sim, nullptr) << "the line was opened";
}

const QString kNoNumber = u"Please enter the recipient's phone number (with \"+\" if needed)."_qs;

// clang-format off
INSTANTIATE_TEST_SUITE_P(SendEms, RefusalTest,
                         testing::Values(
                             RefusalCase{"EmptyRingtone", "SendRngToneBtn", {}, {}, u"+123"_qs, u"Please enter ringtone (in RTTL format)."_qs, "RingtoneDataEdit"},
                             RefusalCase{"RingtoneWithoutNumber", "SendRngToneBtn", u"a:c"_qs, {}, {}, kNoNumber, "PhoneNumberRingTone"},
                             RefusalCase{"RingtoneTooBig", "SendRngToneBtn", u"a:"_qs + u"c,"_qs.repeated(200), {}, u"+123"_qs, u"The Ringtone is too big to send."_qs, "RingtoneDataEdit"},
                             RefusalCase{"NoteTheEncoderRefuses", "SendRngToneBtn", u"a:c,d,8c8"_qs, {}, u"+123"_qs, u"Note 3 \"8C8\""_qs, "RingtoneDataEdit"},
                             RefusalCase{"EmptyPictureText", "SendPicMsgButton", {}, {}, u"+123"_qs, u"Please enter message text."_qs, "pmText"},
                             RefusalCase{"PictureWithoutNumber", "SendPicMsgButton", {}, u"Hi"_qs, {}, kNoNumber, "PhoneNumberPicMsg"}),
                         test::ByLabel());
// clang-format on

struct LoadCase {
    const char* label;
    const char* file;   // nullptr: the dialog is cancelled
    QString error;      // the start of what the box says; empty: none
    const char* shows;  // the 1-bit file the picture then equals; nullptr: the built-in one
};

class LoadPictureTest : public SendEmsPageTest, public testing::WithParamInterface<LoadCase> {};

TEST_P(LoadPictureTest, TakesAPictureOfTheRightSizeInBlackAndWhite) {
    const LoadCase& c = GetParam();
    open();
    if (c.file)
        dialogs.fileAnswers.append(sample(c.file));
    child<QPushButton>("LoadPictureButton")->click();
    EXPECT_EQ(dialogs.texts(Asked::Open), QStringList{imageFileFilter()});
    const QStringList errors = dialogs.texts(Asked::Error);
    EXPECT_EQ(errors.size(), c.error.isEmpty() ? 0 : 1);
    if (!errors.isEmpty()) {
        EXPECT_TRUE(errors.first().startsWith(c.error)) << errors.first().toStdString();
    }
    EXPECT_EQ(picture()->bitmap(),
              c.shows ? LoadBmpFile(sample(c.shows)).pixels : BuiltInPicture());
}

const QString kPictureFormat =
    u"The image format should be 1bit per pixel (2 colors), 72 x 28 pixels."_qs;

INSTANTIATE_TEST_SUITE_P(
    SendEms, LoadPictureTest,
    testing::Values(LoadCase{"Picture", "picture-72x28-topdown.bmp", {}, "picture-72x28.bmp"},
                    LoadCase{"GreyPngAtMidGrey", "picture-72x28-grey.png", {}, "picture-72x28.bmp"},
                    LoadCase{"Cancelled", nullptr, {}, nullptr},
                    LoadCase{"OneRowShort", "broken-wrong-size-72x27.bmp", kPictureFormat, nullptr},
                    LoadCase{"NoBitmapAtAll", "broken-not-a-bitmap.bmp", u"\""_qs, nullptr}),
    test::ByLabel());

TEST_F(SendEmsPageTest, RingtoneReachesTheHandsetAsItsNotes) {
    open();
    ringtone()->setPlainText(u"Abc:d=8,o=6,b=125:p,c6,16g#5"_qs);
    workspace.recipient.setNumber(u"+4930123"_qs);
    EXPECT_EQ(press("SendRngToneBtn")->kind, Outcome::Kind::Done);
    const QJsonArray decoded = decodedSent();
    if (decoded.isEmpty())
        GTEST_SKIP() << "python3 is not installed";
    EXPECT_EQ(decoded.first()[u"port"].toInt(), 0x1581);
    EXPECT_EQ(decoded.first()[u"title"].toString(), u"Abc");
    EXPECT_EQ(decoded.first()[u"notes"].toArray().size(), 3);
}

struct PictureSendCase {
    const char* label;
    const char* replyToSubmit;  // the handset's answer to every part; "": its own
    int sent;
    int referenceAfter;
};

class PictureSendTest : public SendEmsPageTest,
                        public testing::WithParamInterface<PictureSendCase> {};

TEST_P(PictureSendTest, GoesInThreePartsAndAdvancesTheReferenceOnlyWhenComplete) {
    const PictureSendCase& c = GetParam();
    if (*c.replyToSubmit)
        options.replies.insert("CMGS", c.replyToSubmit);
    options.baud = 9600;  // parts far enough apart that the panel shows each one
    workspace.concatReference = ConcatReference(254);
    open();
    text()->setPlainText(u"Hi"_qs);
    workspace.recipient.setNumber(u"+12345678901"_qs);
    QStringList steps;
    QObject::connect(&workspace.runner, &OperationRunner::progress,
                     [&](const ProgressStep& step) { steps.append(step.text); });
    press("SendPicMsgButton");
    EXPECT_EQ(workspace.concatReference.value(), c.referenceAfter);
    EXPECT_EQ(sim->state().sent.size(), c.sent);
    if (c.sent != 3)
        return;
    EXPECT_EQ(steps, QStringList({u"Sending part 1 from 3"_qs, u"Sending part 2 from 3"_qs,
                                  u"Sending part 3 from 3"_qs}));
    const QJsonArray decoded = decodedSent();
    if (decoded.isEmpty())
        GTEST_SKIP() << "python3 is not installed";
    EXPECT_EQ(decoded.first()[u"reference"].toInt(), 254);
    EXPECT_EQ(decoded.first()[u"text"].toString(), u"Hi");
    EXPECT_EQ(decoded.first()[u"bitmap"][u"rows"].toArray(), rowsOf(BuiltInPicture()));
}

INSTANTIATE_TEST_SUITE_P(SendEms, PictureSendTest,
                         testing::Values(PictureSendCase{"Complete", "", 3, 1},
                                         PictureSendCase{"Refused", "+CMS ERROR: 500", 0, 254}),
                         test::ByLabel());

}  // namespace
}  // namespace pelmar
