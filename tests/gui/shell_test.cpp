#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <memory>
#include <vector>

#include "app/pelmar_main_form.h"
#include "app/settings_page.h"
#include "gui/common/operation_status.h"
#include "gui/common/port_selector.h"
#include "gui/phonebook/pick_phone_number.h"
#include "phonebook/data_location.h"
#include "support/run_cli.h"
#include "support/scripted_dialogs.h"
#include "support/table.h"
#include "support/widgets_application.h"
#include "support/window_fixture.h"

namespace pelmar {
namespace {

using Kind = ScriptedDialogs::Kind;

[[maybe_unused]] testing::Environment* const kEnvironment =
    testing::AddGlobalTestEnvironment(new test::WidgetsApplication);

StartOptions startWith(QString port, QString dataDir = {}, bool demo = false) {
    StartOptions options;
    options.port = std::move(port);
    options.dataDir = std::move(dataDir);
    options.demo = demo;
    return options;
}

class ShellTest : public testing::Test {
  protected:
    void SetUp() override { QSettings().clear(); }

    // The window on the real connection; its workspace lives until the test ends.
    std::unique_ptr<TPelmarMainForm> open(StartOptions options = {}) {
        if (options.dataDir.isEmpty())
            options.dataDir = data.path();
        workspaces.push_back(
            std::make_unique<Workspace>(dialogs, phoneBookDirectory(options.dataDir)));
        return std::make_unique<TPelmarMainForm>(*workspaces.back(), options);
    }
    template <class W = QWidget>
    static W* child(const TPelmarMainForm& form, const char* name) {
        return form.findChild<W*>(QLatin1StringView(name));
    }

    QTemporaryDir data;
    ScriptedDialogs dialogs;
    std::vector<std::unique_ptr<Workspace>> workspaces;
};

TEST_F(ShellTest, OpensOnSettingsAsAFixedWindowWithEveryNamedControl) {
    const auto form = open();
    const QTabWidget* tabs = form->pageControl();
    QStringList captions;
    for (int i = 0; i < tabs->count(); ++i)
        captions << tabs->tabText(i);
    EXPECT_EQ(captions.join(u'|'), u"Settings|Send EMS|Send Logo|Send SMS|Read SMS|RudarOvov");
    EXPECT_EQ(tabs->currentIndex(), 0);
    EXPECT_TRUE(form->windowTitle().startsWith(u"Pelmar - v 1.1"));

    for (const char* name :
         {"PageControl1", "MainStatusBar", "TabSheet1", "TabSheet2", "TabSheet3", "TabSheet4",
          "TabSheet5", "TabSheet6", "Label10", "ComPortSelector", "OlderHandsetCheck", "Image2",
          "Label15", "Label16", "OperationStatus", "PhoneIdentity"}) {
        EXPECT_NE(child(*form, name), nullptr) << name;
    }
    EXPECT_EQ(tabs->widget(0)->objectName(), u"TabSheet4");

    form->show();  // lays the pages out
    EXPECT_EQ(form->minimumSize(), form->maximumSize());
    EXPECT_GE(form->width(), TPelmarMainForm::kMinimumSize.width());
    EXPECT_GE(form->height(), TPelmarMainForm::kMinimumSize.height());
    EXPECT_FALSE(form->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    // Nothing is squeezed below what it asks for.
    for (const QWidget* w : form->findChildren<QWidget*>()) {
        if (w->isVisibleTo(form.get()) && w->layout() == nullptr &&
            w->minimumSizeHint().isValid()) {
            EXPECT_GE(w->width() + 1, w->minimumSizeHint().width()) << qPrintable(w->objectName());
        }
    }
}

// Every control of every page, of the entry editor and of the picker has a name a screen
// reader speaks; a button without text also has a tool tip.
TEST_F(ShellTest, EveryControlOfEveryPageHasASpokenName) {
    const auto form = open();
    form->show();
    const QList<QWidget*> roots{form.get(), form->picker(),
                                form->findChild<QDialog*>(u"EditPhoneDlg"_qs)};
    for (QWidget* root : roots) {
        for (QWidget* w : root->findChildren<QWidget*>()) {
            const bool control = qobject_cast<QAbstractButton*>(w) || qobject_cast<QLineEdit*>(w) ||
                                 qobject_cast<QPlainTextEdit*>(w) || qobject_cast<QComboBox*>(w) ||
                                 qobject_cast<QAbstractItemView*>(w);
            if (!control || w->objectName().isEmpty() || w->objectName().startsWith(u"qt_") ||
                qobject_cast<QTabBar*>(w->parentWidget()) ||
                qobject_cast<QComboBox*>(w->parentWidget()))
                continue;
            QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
            EXPECT_FALSE(a->text(QAccessible::Name).trimmed().isEmpty())
                << qPrintable(w->objectName());
            const auto* button = qobject_cast<QAbstractButton*>(w);
            if (button && button->text().isEmpty()) {
                EXPECT_FALSE(button->toolTip().isEmpty()) << qPrintable(w->objectName());
            }
        }
    }
}

TEST_F(ShellTest, ControlsCarryTheirLabelsAsNamesAndTabGoesInReadingOrder) {
    const auto form = open();
    struct Named {
        const char* object;
        const char* name;
    };
    // clang-format off
    for (const Named& n : std::initializer_list<Named>{
        {"OlderHandsetCheck", "Older handset (messages without SMSC field, older phonebook commands)"},
        {"Label15", "pelmar@example.org"},
        {"Label16", "www.example.org/pelmar/"},
        {"Image2", "Pelmar banner"},
        {"CancelOperationButton", "Cancel"},
        {"PhoneIdentity", "Handset"}
    }) {
        // clang-format on
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(child(*form, n.object));
        ASSERT_NE(a, nullptr) << n.object;
        EXPECT_EQ(a->text(QAccessible::Name).toStdString(), n.name);
    }
    // A combo box's name is its text on Linux; screen readers take its label from the relation.
    QAccessibleInterface* port =
        QAccessible::queryAccessibleInterface(child(*form, "ComPortSelector"));
    const auto labels = port->relations(QAccessible::Label);
    ASSERT_EQ(labels.size(), 1);
    EXPECT_EQ(labels.constFirst().first->text(QAccessible::Name).toStdString(), "Serial port");
    EXPECT_FALSE(child<QToolButton>(*form, "CancelOperationButton")->toolTip().isEmpty());

    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    child(*form, "ComPortSelector")->setFocus();
    QStringList order;
    for (int i = 0; i < 6; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget* focused = QApplication::focusWidget();
        if (qobject_cast<QComboBox*>(focused->parentWidget()))
            focused = focused->parentWidget();
        order << focused->objectName();
    }
    EXPECT_EQ(order.join(u' ').toStdString(),
              "FindPhoneBtn TestPortBtn ShowLogBtn OlderHandsetCheck Label15 Label16");
}

struct PortCase {
    const char* label;
    StartOptions options;
    const char* picked;    // typed into the selector during the run; empty: nothing
    const char* portName;  // PortName during the run
    const char* stored;    // PortName at the next plain start
};

class PortChoiceTest : public ShellTest, public testing::WithParamInterface<PortCase> {};

TEST_P(PortChoiceTest, StartsWithItAndStoresOnlyWhatTheUserChose) {
    const PortCase& c = GetParam();
    QSettings().setValue(QStringLiteral("Port"), QStringLiteral("/dev/ttyUSB7"));
    {
        const auto form = open(c.options);
        PortSelector* selector = form->settingsPage()->portSelector();
        if (*c.picked) {
            selector->lineEdit()->selectAll();
            QTest::keyClicks(selector->lineEdit(), QString::fromLatin1(c.picked));
            QTest::keyClick(selector->lineEdit(), Qt::Key_Return);
        }
        EXPECT_EQ(form->PortName(), QString::fromLatin1(c.portName));
        EXPECT_EQ(selector->portName(), QString::fromLatin1(c.portName));
        form->settingsPage()->olderHandsetCheck()->setChecked(true);
        EXPECT_TRUE(form->close());
    }
    const auto next = open();
    EXPECT_EQ(next->PortName(), QString::fromLatin1(c.stored));
    EXPECT_TRUE(next->olderHandset());
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Shell, PortChoiceTest,
    testing::Values(
        PortCase{"AbsentStoredDeviceRestoredByName", {}, "", "/dev/ttyUSB7", "/dev/ttyUSB7"},
        PortCase{"PortOptionForThisRunOnly", startWith(u"/dev/pts/9"_qs), "", "/dev/pts/9", "/dev/ttyUSB7"},
        PortCase{"DemoOptionForThisRunOnly", startWith({}, {}, true), "", "Demo handset", "/dev/ttyUSB7"},
        PortCase{"DemoRunStoresNoChoice", startWith({}, {}, true), "/dev/ttyACM0", "/dev/ttyACM0", "/dev/ttyUSB7"},
        PortCase{"DemoHandsetChosenForThisRunOnly", {}, "Demo handset", "Demo handset", "/dev/ttyUSB7"},
        PortCase{"TypedPathAfterOverrideIsStored", startWith(u"/dev/pts/9"_qs), "/dev/ttyACM0", "/dev/ttyACM0", "/dev/ttyACM0"}),
    test::ByLabel());
// clang-format on

TEST_F(ShellTest, UnreadablePhonebookIsReportedAndNeverSavedOver) {
    ASSERT_TRUE(QFile::copy(QStringLiteral(PELMAR_TEST_DATA "/phonebook-sm.dat"),
                            data.filePath(QStringLiteral("me.dat"))));
    ASSERT_TRUE(QDir(data.path()).mkdir(QStringLiteral("sm.dat")));  // cannot be read as a file
    const auto form = open();
    ASSERT_EQ(dialogs.texts(Kind::Error).size(), 1);
    EXPECT_TRUE(dialogs.texts(Kind::Error).constFirst().contains(u"sm.dat"));
    EXPECT_EQ(form->workspace().phoneBooks.PhoneBookME.count(), 3);
    EXPECT_EQ(form->pageControl()->currentIndex(), 0);  // the window opened all the same

    EXPECT_TRUE(form->close());  // SM is skipped: writing it would fail on the folder
    EXPECT_EQ(dialogs.asked.size(), 1);
    EXPECT_TRUE(QFileInfo(data.filePath(QStringLiteral("sm.dat"))).isDir());
    EXPECT_EQ(PhoneBookStore::loadFile(data.filePath(QStringLiteral("me.dat"))).count(), 3);
}

struct SaveFailureCase {
    const char* label;
    bool quitWithoutSaving;
};

class SaveFailureTest : public ShellTest, public testing::WithParamInterface<SaveFailureCase> {};

TEST_P(SaveFailureTest, ShowsTheErrorAndAsksBeforeLosingTheEdits) {
    QFile blocker(data.filePath(QStringLiteral("file")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    const auto form = open(startWith({}, data.filePath(QStringLiteral("file/books"))));
    dialogs.warningAnswers = {GetParam().quitWithoutSaving};
    form->show();
    EXPECT_EQ(form->close(), GetParam().quitWithoutSaving);
    EXPECT_EQ(form->isVisible(), !GetParam().quitWithoutSaving);
    EXPECT_EQ(dialogs.texts(Kind::Error).size(), 1);
    EXPECT_EQ(dialogs.texts(Kind::Warning).size(), 1);
}

INSTANTIATE_TEST_SUITE_P(Shell, SaveFailureTest,
                         testing::Values(SaveFailureCase{"NoKeepsTheWindowOpen", false},
                                         SaveFailureCase{"YesQuitsWithoutSaving", true}),
                         test::ByLabel());

struct OptionsCase {
    const char* label;
    QStringList args;
    int exitCode;  // -1: the window starts
    const char* port;
};

class StartOptionsTest : public testing::TestWithParam<OptionsCase> {};

TEST_P(StartOptionsTest, ParsesOrRefuses) {
    const OptionsCase& c = GetParam();
    StartOptions options;
    QString message;
    int exitCode = -1;
    const bool starts = parseStartOptions(QStringList{QStringLiteral("pelmar")} + c.args, options,
                                          message, exitCode);
    EXPECT_EQ(starts ? -1 : exitCode, c.exitCode) << qPrintable(message);
    if (starts) {
        EXPECT_EQ(options.portOverride(), QString::fromLatin1(c.port));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Shell, StartOptionsTest,
    testing::Values(
        OptionsCase{"Plain", {}, -1, ""},
        OptionsCase{"PortWinsOverDemo", {u"--demo"_qs, u"--port"_qs, u"COM4"_qs}, -1, "COM4"},
        OptionsCase{"Demo", {u"--demo"_qs, u"--data-dir"_qs, u"/d"_qs}, -1, "Demo handset"},
        OptionsCase{"HelpEndsAtOnce", {u"--help"_qs}, 0, ""},
        OptionsCase{"UnknownOptionRefused", {u"--colour"_qs}, 2, ""},
        OptionsCase{"StrayArgumentRefused", {u"COM1"_qs}, 2, ""},
        OptionsCase{"PortWithoutDeviceRefused", {u"--port"_qs}, 2, ""}),
    test::ByLabel());

TEST(PortSelectorTest, ListsReportedPortsAfreshEachTimeItOpens) {
    QList<SerialPortInfo> reported = {{u"/dev/ttyUSB0"_qs, u"Prolific USB-Serial"_qs},
                                      {u"COM3"_qs, {}}};
    int listings = 0;
    PortSelector selector;
    selector.setPortLister([&] {
        ++listings;
        return reported;
    });
    QStringList items;
    for (int i = 0; i < selector.count(); ++i)
        items << selector.itemText(i);
    EXPECT_EQ(items.join(u'|').toStdString(), "ttyUSB0 — Prolific USB-Serial|COM3|Demo handset");

    selector.setPortName(u"/dev/ttyUSB0"_qs);
    reported.removeFirst();  // unplugged
    selector.showPopup();
    selector.hidePopup();
    EXPECT_EQ(listings, 2);
    EXPECT_EQ(selector.portName(), u"/dev/ttyUSB0");  // still the choice, by its name
    EXPECT_EQ(selector.currentText(), u"ttyUSB0");
}

TEST(OperationStatusTest, CountedStepsShowTheBarAndCancelOnlyWhileBusy) {
    OperationStatus status;
    status.show();
    auto* bar = status.findChild<QProgressBar*>();
    auto* cancel = status.findChild<QToolButton*>();
    QSignalSpy cancelled(&status, &OperationStatus::cancelRequested);
    status.setBusy(true);
    status.showStep(u"Reading messages..."_qs, 2, 5);
    EXPECT_TRUE(bar->isVisible());
    EXPECT_EQ(bar->text(), u"2 of 5");
    QTest::mouseClick(cancel, Qt::LeftButton);
    EXPECT_EQ(cancelled.count(), 1);
    status.showStep(u"Identifying the handset..."_qs, 0, 0);
    EXPECT_FALSE(bar->isVisible());
    status.setBusy(false);
    status.showResult(u"Done."_qs);
    EXPECT_FALSE(cancel->isVisible());
    EXPECT_EQ(status.text(), u"Done.");
}

// Test asks the phone on the chosen port for its maker and model, whatever was known before.
class SettingsTest : public test::WindowFixture {};

TEST_F(SettingsTest, TestNamesThePhoneOnThePort) {
    openWindow(0);
    child<QPushButton>("TestPortBtn")->click();
    ASSERT_TRUE(finishes());
    const simulator::Identity& phone = state.identity;
    EXPECT_EQ(form->operationStatus()->text(),
              QStringLiteral("The phone on test handset is %1 %2.")
                  .arg(QString::fromLatin1(phone.manufacturer), QString::fromLatin1(phone.model)));
    EXPECT_EQ(test::commandsSent(sim, "at+cg"), (QList<QByteArray>{"at+cgmi", "at+cgmm"}));
}

// The window and the command-line tool keep the phonebooks in one folder.
TEST_F(ShellTest, WindowAndCliShareTheDataFolder) {
    const QString userFolder = test::WidgetsApplication::dataHome() + QStringLiteral("/pelmar");
    EXPECT_EQ(phoneBookDirectory(QString()), userFolder);
    const test::CliResult plain = test::runCli({u"data-dir"_qs});
    EXPECT_EQ(plain.out.trimmed(), userFolder.toUtf8());
    const test::CliResult given = test::runCli({u"--data-dir"_qs, data.path(), u"data-dir"_qs});
    EXPECT_EQ(given.out.trimmed(), data.path().toUtf8());
}

// The real program in a throw-away home, without a display.
QProcessEnvironment programEnvironment(const QTemporaryDir& home) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"HOME"_qs, home.path());
    env.insert(u"XDG_CONFIG_HOME"_qs, home.filePath(u"config"_qs));
    env.insert(u"XDG_DATA_HOME"_qs, home.filePath(u"data"_qs));
    env.insert(u"QT_QPA_PLATFORM"_qs, u"offscreen"_qs);
    env.insert(u"QT_LOGGING_RULES"_qs, u"pelmar.instance.debug=true"_qs);
    return env;
}

// Every page at 100 % and 200 %. The offscreen screen has 800 × 800 pixels: the window fits it
// at 100 %; at 200 % it would not, so it takes the screen and its pages scroll.
TEST(ScreenshotTest, EveryPageIsWrittenAtBothScales) {
    QTemporaryDir home;
    QSize settingsSize[2];
    for (int scale : {1, 2}) {
        QProcess p;
        QProcessEnvironment env = programEnvironment(home);
        env.insert(u"QT_SCALE_FACTOR"_qs, QString::number(scale));
        p.setProcessEnvironment(env);
        const QString dir = home.filePath(QString::number(scale));
        p.start(QStringLiteral(PELMAR_SCREENSHOTS_PATH), {dir});
        ASSERT_TRUE(p.waitForFinished(30000));
        ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().constData();
        EXPECT_EQ(QDir(dir).entryList({u"*.png"_qs}).join(u' ').toStdString(),
                  "1-settings.png 2-send-ems.png 3-send-logo.png 4-send-sms.png 5-read-sms.png "
                  "6-rudarovov.png 7-error-box.png 8-entry-editor.png 9-number-picker.png");
        settingsSize[scale - 1] = QImage(QDir(dir).filePath(u"1-settings.png"_qs)).size();
    }
    EXPECT_GE(settingsSize[0].width(), TPelmarMainForm::kMinimumSize.width());
    EXPECT_EQ(settingsSize[1], QSize(800, 800));
}

// Two real processes: the second start hands over to the first and ends.
TEST(SingleInstanceTest, SecondStartRaisesTheFirstAndEnds) {
    QTemporaryDir home;
    const QProcessEnvironment env = programEnvironment(home);
    const auto start = [&](QProcess& p) {
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(PELMAR_APP_PATH), {});
        return p.waitForStarted(20000);
    };
    // What each process wrote to stderr so far, kept across waits.
    QHash<QProcess*, QByteArray> logs;
    const auto waitForLog = [&logs](QProcess& p, QByteArrayView line) {
        QByteArray& seen = logs[&p];
        QDeadlineTimer deadline(20000);
        while (!seen.contains(line) && !deadline.hasExpired() && p.state() == QProcess::Running) {
            p.waitForReadyRead(200);
            seen += p.readAllStandardError();
        }
        return seen.contains(line);
    };

    QProcess first;
    ASSERT_TRUE(start(first));
    ASSERT_TRUE(waitForLog(first, "listening on"));
    QProcess second;
    second.setProcessEnvironment(env);
    second.start(QStringLiteral(PELMAR_APP_PATH), {u"--port"_qs, u"/dev/pts/77"_qs});
    ASSERT_TRUE(second.waitForStarted(20000));
    ASSERT_TRUE(second.waitForFinished(20000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_TRUE(waitForLog(first, "a later start asks for port \"/dev/pts/77\""));
    EXPECT_TRUE(waitForLog(first, "a later start asks for the window"));
    EXPECT_EQ(first.state(), QProcess::Running);

    // A run that died leaves its lock and socket behind; the next start takes them over.
    first.kill();
    first.waitForFinished();
    QProcess third;
    ASSERT_TRUE(start(third));
    EXPECT_TRUE(waitForLog(third, "listening on"));
    third.kill();
    third.waitForFinished();
}

}  // namespace
}  // namespace pelmar
