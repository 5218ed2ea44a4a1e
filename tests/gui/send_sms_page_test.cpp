#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <memory>

#include "app/pelmar_main_form.h"
#include "gui/common/operation_status.h"
#include "sim/sim_state.h"
#include "sms/message_operations.h"
#include "support/scripted_dialogs.h"
#include "support/table.h"
#include "support/widgets_application.h"
#include "support/window_fixture.h"

namespace pelmar {
namespace {

using namespace std::chrono_literals;
using Kind = ScriptedDialogs::Kind;

[[maybe_unused]] testing::Environment* const kEnvironment =
    testing::AddGlobalTestEnvironment(new test::WidgetsApplication);

// The window on a simulated handset; `sim` is the handset while the window lives.
class SendSmsTest : public test::WindowFixture {
  protected:
    void open(simulator::SimOptions simOptions = {},
              simulator::HandsetState simState = simulator::demoSimState(),
              simulator::SimTransport::Timing timing = simulator::SimTransport::Timing::Fast) {
        options = std::move(simOptions);
        state = std::move(simState);
        openWindow(3, {}, timing);
    }
    QPlainTextEdit* text() const { return child<QPlainTextEdit>("SMSText"); }
    QString counter() const { return child<QLabel>("SymbolsLeftLabel")->text(); }
    QString panel() const { return form->operationStatus()->text(); }
};

TEST_F(SendSmsTest, StartsEmptyInStandardWithEveryPickButtonNamed) {
    open();
    EXPECT_EQ(counter(), u"Symbols Left: 160");
    EXPECT_EQ(child<QComboBox>("EncodingCombo")->currentText(), u"Standard");
    EXPECT_FALSE(child<QCheckBox>("FlashSMSCheck")->isChecked());
    for (const char* name :
         {"PickUpSMSPhone", "PickUpRTTLPhone", "PickUpPICPhone", "SpeedButton2"}) {
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(child<QToolButton>(name));
        EXPECT_EQ(a->text(QAccessible::Name), u"Pick a number from the phonebooks") << name;
    }
}

enum class Then { Nothing, Standard, Ucs2, FlashOn, FlashOnAndOff };

struct TextCase {
    const char* label;
    bool ucs2;      // chosen before typing
    bool parts;     // "Long message (sent in parts)" ticked before typing
    QString typed;  // inserted at the caret, as a paste does
    int caretFrom;  // the caret in "hello world" before the paste; -1: empty text
    Then then;
    QString kept;
    QString counter;
    int caret;  // -1: not checked
};

class TextTest : public SendSmsTest, public testing::WithParamInterface<TextCase> {};

TEST_P(TextTest, KeepsWhatTheCodingCarriesWithinOneMessage) {
    const TextCase& c = GetParam();
    open();
    auto* coding = child<QComboBox>("EncodingCombo");
    auto* flash = child<QCheckBox>("FlashSMSCheck");
    coding->setCurrentIndex(c.ucs2 ? 1 : 0);
    child<QCheckBox>("LongMessageCheck")->setChecked(c.parts);
    if (c.caretFrom >= 0) {
        text()->setPlainText(QStringLiteral("hello world"));
        QTextCursor cursor = text()->textCursor();
        cursor.setPosition(c.caretFrom);
        text()->setTextCursor(cursor);
    }
    text()->insertPlainText(c.typed);
    if (c.then == Then::Standard || c.then == Then::Ucs2)
        coding->setCurrentIndex(c.then == Then::Ucs2 ? 1 : 0);
    if (c.then == Then::FlashOn || c.then == Then::FlashOnAndOff)
        QTest::mouseClick(flash, Qt::LeftButton);
    if (c.then == Then::FlashOnAndOff)
        QTest::mouseClick(flash, Qt::LeftButton);
    EXPECT_EQ(coding->isEnabled(), c.then != Then::FlashOn);
    const bool ucs2 = c.then == Then::Nothing ? c.ucs2 : c.then != Then::Standard;
    EXPECT_EQ(coding->currentText(), ucs2 ? u"UCS2" : u"Standard");
    EXPECT_EQ(text()->toPlainText(), c.kept);
    EXPECT_EQ(counter(), c.counter);
    if (c.caret >= 0) {
        EXPECT_EQ(text()->textCursor().position(), c.caret);
    }
}

const QString kHundred(100, u'a');

// clang-format off
INSTANTIATE_TEST_SUITE_P(SendSms, TextTest,
                         testing::Values(
                             TextCase{"CyrillicPastedInStandardIsNamed", false, false, u"Привет, world"_qs, -1, Then::Nothing, u", world"_qs, u"Symbols Left: 153 — removed “П”, “р”, “и”, “в”, “е”, “т”: choose UCS2 to keep them"_qs, 7},
                             TextCase{"CaretStaysWhereTheUserTyped", false, false, u"Ж€"_qs, 5, Then::Nothing, u"hello€ world"_qs, u"Symbols Left: 147 — removed “Ж”: choose UCS2 to keep it"_qs, 6},
                             TextCase{"Ucs2ToStandardStripsAndNames", true, false, u"Привет, world"_qs, -1, Then::Standard, u", world"_qs, u"Symbols Left: 153 — removed “П”, “р”, “и”, “в”, “е”, “т”: choose UCS2 to keep them"_qs, -1},
                             TextCase{"StandardToUcs2CutsTo70", false, false, kHundred, -1, Then::Ucs2, kHundred.first(70), u"Symbols Left: 0"_qs, -1},
                             TextCase{"FlashForcesUcs2AndCutsTo69", false, false, kHundred, -1, Then::FlashOn, kHundred.first(69), u"Symbols Left: 0"_qs, -1},
                             TextCase{"FlashOffKeepsUcs2Limit70", false, false, kHundred, -1, Then::FlashOnAndOff, kHundred.first(69), u"Symbols Left: 1"_qs, -1},
                             TextCase{"LongMessageCountsDownInItsLastPart", false, true, kHundred + kHundred, -1, Then::Nothing, kHundred + kHundred, u"Symbols Left: 106 (2 messages)"_qs, 200},
                             TextCase{"LongUcs2ToTenPartsAtMost", true, true, kHundred.repeated(7), -1, Then::Nothing, kHundred.repeated(7).first(670), u"Symbols Left: 0 (10 messages)"_qs, -1}),
                         test::ByLabel());
// clang-format on

class MirrorTest : public SendSmsTest, public testing::WithParamInterface<const char*> {};

TEST_P(MirrorTest, TypedKeyByKeyEveryNumberFieldFollows) {
    open();
    auto* typedInto = child<QLineEdit>(GetParam());
    QTabWidget* tabs = form->pageControl();
    for (int i = 0; i < tabs->count(); ++i) {
        if (tabs->widget(i)->isAncestorOf(typedInto))
            tabs->setCurrentIndex(i);
    }
    typedInto->setFocus();
    QTest::keyClicks(typedInto, u"+1 (234) 567-890"_qs);
    for (const char* name :
         {"PhoneNumberSMS", "PhoneNumberRingTone", "PhoneNumberPicMsg", "PhoneNumberLogo"})
        EXPECT_EQ(child<QLineEdit>(name)->text(), u"+1234567890") << name;
    EXPECT_EQ(typedInto->cursorPosition(), 11);
}

INSTANTIATE_TEST_SUITE_P(SendSms, MirrorTest,
                         testing::Values("PhoneNumberSMS", "PhoneNumberRingTone",
                                         "PhoneNumberPicMsg", "PhoneNumberLogo"));

struct RefusalCase {
    const char* label;
    QString text;
    QString number;
    QString error;
    const char* focus;
};

class RefusalTest : public SendSmsTest, public testing::WithParamInterface<RefusalCase> {};

TEST_P(RefusalTest, SaysWhatToFixAndTouchesNoHandset) {
    const RefusalCase& c = GetParam();
    open();
    text()->setPlainText(c.text);
    workspace->recipient.setNumber(c.number);
    QTest::mouseClick(child<QPushButton>("SendSMSButton"), Qt::LeftButton);
    EXPECT_EQ(dialogs.texts(Kind::Error), QStringList{c.error});
    EXPECT_EQ(QApplication::focusWidget(), child<QWidget>(c.focus));
    EXPECT_FALSE(workspace->runner.isBusy());
    EXPECT_EQ(sim, nullptr) << "the line was opened";
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    SendSms, RefusalTest,
    testing::Values(
        RefusalCase{"EmptyText", {}, u"+1234567890"_qs, u"Enter message text."_qs, "SMSText"},
        RefusalCase{"EmptyNumber", u"Hi"_qs, {}, u"Please enter the recipient's phone number (with \"+\" if needed)."_qs, "PhoneNumberSMS"},
        RefusalCase{"OnlyPlus", u"Hi"_qs, u"+"_qs, u"The number \"+\" has no digits"_qs, "PhoneNumberSMS"}),
    test::ByLabel());
// clang-format on

struct OutcomeCase {
    const char* label;
    const char* button;
    const char* replyToSubmit;  // the handset's final answer instead of its own; "": its own
    bool silent;                // the handset never answers the submit
    QString panel;
    QString error;     // shown in the error dialog; empty: none
    const char* tpdu;  // what the handset sent or stored; "": nothing new
};

// "Привет, world" in UCS2 to +1234567890: one PDU, as the handset must receive it.
constexpr const char* kPdu =
    "11000A9121436587090008A71A041F04400438043204350442002C00200077006F0072006C0064";

class OutcomeTest : public SendSmsTest, public testing::WithParamInterface<OutcomeCase> {};

TEST_P(OutcomeTest, PanelAndDialogTellTheTruth) {
    const OutcomeCase& c = GetParam();
    simulator::SimOptions faulty;
    for (const QByteArray& command : {QByteArrayLiteral("CMGS"), QByteArrayLiteral("CMGW")}) {
        if (*c.replyToSubmit)
            faulty.replies.insert(command, c.replyToSubmit);
        if (c.silent)
            faulty.silent.insert(command);
    }
    open(faulty);
    workspace->runner.setLineTimeout(300ms);
    child<QComboBox>("EncodingCombo")->setCurrentIndex(1);
    text()->insertPlainText(u"Привет, world"_qs);
    workspace->recipient.setNumber(u"+1234567890"_qs);
    QTest::mouseClick(child<QPushButton>(c.button), Qt::LeftButton);
    EXPECT_FALSE(form->pageControl()->isEnabled());
    ASSERT_TRUE(finishes());
    EXPECT_TRUE(form->pageControl()->isEnabled());
    EXPECT_EQ(panel(), c.panel);
    EXPECT_EQ(dialogs.texts(Kind::Error), c.error.isEmpty() ? QStringList() : QStringList{c.error});
    EXPECT_EQ(child<QLabel>("PhoneIdentity")->text(), u"Pelmar Simulated Handset 100");
    const simulator::HandsetState after = sim->state();
    QByteArray got = after.sent.isEmpty() ? QByteArray() : after.sent.constLast().tpdu;
    if (after.messages.size() > simulator::demoSimState().messages.size())
        got = after.messages.last().tpdu;
    EXPECT_EQ(got, c.tpdu);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    SendSms, OutcomeTest,
    testing::Values(
        OutcomeCase{"Sent", "SendSMSButton", "", false, u"Done."_qs, {}, kPdu},
        OutcomeCase{"Stored", "StoreSMBtn", "", false, u"Done."_qs, {}, kPdu},
        OutcomeCase{"Cms300", "SendSMSButton", "+CMS ERROR: 300", false, u"Can not connect to phone."_qs, {}, ""},
        OutcomeCase{"Cms500", "SendSMSButton", "+CMS ERROR: 500", false, u"The handset answered \"+CMS ERROR: 500\" (unknown error)."_qs, {}, ""},
        OutcomeCase{"TimeOut", "SendSMSButton", "", true, u"The operation failed."_qs, u"Read timeout. Possibly simulated handset is not a valid port for Dovrel."_qs, ""}),
    test::ByLabel());
// clang-format on

// A SIM that asks for its PIN: the window asks the user once, the send goes on, and the PIN is
// in no log.
TEST_F(SendSmsTest, AsksForTheSimPinAndKeepsItOutOfTheLog) {
    simulator::SimOptions locked;
    locked.card.pin = "4711";
    open(locked);
    dialogs.pinAnswers = {u"4711"_qs};
    text()->insertPlainText(u"hello"_qs);
    workspace->recipient.setNumber(u"+1234567890"_qs);
    QTest::mouseClick(child<QPushButton>("SendSMSButton"), Qt::LeftButton);
    ASSERT_TRUE(finishes());
    EXPECT_EQ(panel(), u"Done.");
    EXPECT_EQ(dialogs.texts(Kind::Pin),
              QStringList{u"The SIM card asks for its PIN. Attempts left: 3."_qs});
    EXPECT_EQ(sim->state().sent.size(), 1);
    const QByteArray log = workspace->runner.log().text();
    EXPECT_TRUE(log.contains("CPIN")) << log.constData();
    EXPECT_FALSE(log.contains("4711"));
}

// A listing paced like a slow line: the window stays live (its event loop runs while the line
// is read), shows counted progress, and a Cancel ends it truthfully. How long its longest
// stall is, pelmar-bench measures.
struct ListingCase {
    const char* label;
    bool cancel;
    QString panel;
};

class SlowListingTest : public SendSmsTest, public testing::WithParamInterface<ListingCase> {};

TEST_P(SlowListingTest, WindowStaysLive) {
    simulator::SimOptions paced;
    paced.baud = 38400;
    paced.chunkSize = 64;
    open(paced, simulator::loadSimState(QStringLiteral(PELMAR_TEST_DATA "/sim-30-messages.json")),
         simulator::SimTransport::Timing::Real);
    int ticksWhileBusy = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        if (workspace->runner.isBusy())
            ++ticksWhileBusy;
    });
    ticker.start(10);
    child<QTabWidget>("PageControl1")->setCurrentIndex(4);
    QTest::mouseClick(child<QPushButton>("ReadSMBtn"), Qt::LeftButton);
    auto* bar = child<QProgressBar>("OperationProgress");
    ASSERT_TRUE(QTest::qWaitFor([&] { return bar->isVisible() && bar->value() >= 3; }, 20000));
    EXPECT_FALSE(form->pageControl()->isEnabled());
    if (GetParam().cancel)
        QTest::mouseClick(child<QToolButton>("CancelOperationButton"), Qt::LeftButton);
    ASSERT_TRUE(finishes());
    EXPECT_GE(ticksWhileBusy, 3);  // the bar moved at least three steps meanwhile
    EXPECT_TRUE(panel().startsWith(GetParam().panel)) << qPrintable(panel());
    EXPECT_TRUE(dialogs.asked.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(SendSms, SlowListingTest,
                         testing::Values(ListingCase{"ToTheEnd", false, u"Done."_qs},
                                         ListingCase{"Cancelled", true, u"Cancelled: "_qs}),
                         test::ByLabel());

}  // namespace
}  // namespace pelmar
