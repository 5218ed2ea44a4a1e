#include <QComboBox>
#include <QLabel>
#include <QPushButton>

#include "gui/smart/mono_bitmap_view.h"
#include "gui/smart/send_logo_page.h"
#include "gui/smart_page_harness.h"
#include "smart/operator_logo.h"
#include "smart/operator_table.h"
#include "support/table.h"

namespace pelmar {
namespace {

using Asked = ScriptedDialogs::Kind;

[[maybe_unused]] testing::Environment* const kEnvironment =
    testing::AddGlobalTestEnvironment(new test::WidgetsApplication);

class SendLogoPageTest : public test::SmartPageHarness<SendLogoPage> {
  protected:
    QComboBox* providers() { return child<QComboBox>("ProviderCombo"); }
    MonoBitmapView* logo() { return child<MonoBitmapView>("LogoImage"); }
};

TEST_F(SendLogoPageTest, StartsWithEveryNetworkInListOrderAndTheBuiltInLogo) {
    open();
    EXPECT_EQ(child<QLabel>("Label12")->text(),
              u"Choose Mobile Network Provider (if you specify an incorrect provider, the logo "
              u"will not be stored).");
    EXPECT_EQ(child<QLabel>("Label13")->text(),
              u"To remove your current logo simply specify incorrect mobile network provider, "
              u"then save the logo.");
    ASSERT_EQ(providers()->count(), 242);
    EXPECT_EQ(providers()->currentIndex(), 0);
    QStringList items;
    for (int i = 0; i < providers()->count(); ++i)
        items.append(providers()->itemText(i));
    EXPECT_EQ(items, OperatorItems());
    EXPECT_EQ(logo()->bitmap(), BuiltInLogo());
}

struct LoadCase {
    const char* label;
    const char* file;
    QString error;  // the start of what the box says; empty: none
};

class LoadLogoTest : public SendLogoPageTest, public testing::WithParamInterface<LoadCase> {};

TEST_P(LoadLogoTest, TakesALogoOfTheRightSizeInBlackAndWhite) {
    const LoadCase& c = GetParam();
    open();
    dialogs.fileAnswers.append(sample(c.file));
    child<QPushButton>("Button2")->click();
    const QStringList errors = dialogs.texts(Asked::Error);
    EXPECT_EQ(errors.size(), c.error.isEmpty() ? 0 : 1);
    if (!errors.isEmpty()) {
        EXPECT_TRUE(errors.first().startsWith(c.error)) << errors.first().toStdString();
    }
    // Another image of the right size shows as the 1-bit logo it was drawn from.
    EXPECT_EQ(logo()->bitmap(),
              c.error.isEmpty() ? LoadBmpFile(sample("logo-72x14.bmp")).pixels : BuiltInLogo());
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    SendLogo, LoadLogoTest,
    testing::Values(
        LoadCase{"Logo", "logo-72x14.bmp", {}},
        LoadCase{"GreyPngAtMidGrey", "logo-72x14-grey.png", {}},
        LoadCase{"PictureIsNoLogo", "picture-72x28.bmp", u"The logo format should be 1bit per pixel (2 colors), 72 x 14 " u"pixels."_qs},
        LoadCase{"NoBitmapAtAll", "broken-not-a-bitmap.bmp", u"\""_qs}),
    test::ByLabel());
// clang-format on

TEST_F(SendLogoPageTest, EmptyNumberNeverTouchesTheHandset) {
    open();
    page->show();
    EXPECT_EQ(press("Button1"), std::nullopt);
    EXPECT_EQ(dialogs.texts(Asked::Error),
              QStringList{u"Please enter the recipient's phone number (with \"+\" if needed)."_qs});
    EXPECT_EQ(page->focusWidget(), child("PhoneNumberLogo"));
    EXPECT_EQ(sim, nullptr) << "the line was opened";
}

TEST_F(SendLogoPageTest, LogoReachesTheHandsetUnderTheChosenNetwork) {
    open();
    const int row = static_cast<int>(OperatorItems().indexOf(u"TCSL GSM    [Hong Kong]"_qs));
    ASSERT_GE(row, 0);
    providers()->setCurrentIndex(row);
    workspace.recipient.setNumber(u"0123456789"_qs);
    QStringList steps;
    QObject::connect(&workspace.runner, &OperationRunner::progress,
                     [&](const ProgressStep& step) { steps.append(step.text); });
    EXPECT_EQ(press("Button1")->kind, Outcome::Kind::Done);
    EXPECT_EQ(steps.value(0), u"Sending logo...");
    const QJsonArray decoded = decodedSent();
    if (decoded.isEmpty())
        GTEST_SKIP() << "python3 is not installed";
    EXPECT_EQ(decoded.first()[u"mcc"].toString(), u"454");
    EXPECT_EQ(decoded.first()[u"mnc"].toString(), u"00");
    EXPECT_EQ(decoded.first()[u"rows"].toArray(), rowsOf(BuiltInLogo()));
}

}  // namespace
}  // namespace pelmar
