#include "app/pelmar_main_form.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QScreen>
#include <QScrollArea>
#include <QSettings>
#include <QStyle>
#include <QTabWidget>

#include "app/app_settings.h"
#include "app/settings_page.h"
#include "gui/common/accessible_names.h"
#include "gui/common/dialogs.h"
#include "gui/common/live_text.h"
#include "gui/common/operation_status.h"
#include "gui/common/port_selector.h"
#include "gui/phonebook/phonebook_page.h"
#include "gui/phonebook/pick_phone_number.h"
#include "gui/smart/send_ems_page.h"
#include "gui/smart/send_logo_page.h"
#include "gui/sms/read_sms_page.h"
#include "gui/sms/send_sms_page.h"
#include "session/handset_connection.h"
#include "ui_pelmar_main_form.h"

namespace pelmar {

TPelmarMainForm::TPelmarMainForm(Workspace& workspace, const StartOptions& options, QWidget* parent)
    : QMainWindow(parent), ui(new Ui::TPelmarMainForm), m_workspace(workspace), m_options(options) {
    ui->setupUi(this);
    composePages();
    composeStatusBar();
    connectRunner();
    FormCreate();
    fixSize();
}

TPelmarMainForm::~TPelmarMainForm() {
    delete ui;
}

QTabWidget* TPelmarMainForm::pageControl() const {
    return ui->PageControl1;
}

bool TPelmarMainForm::olderHandset() const {
    return m_settings->olderHandsetCheck()->isChecked();
}

void TPelmarMainForm::composePages() {
    // The desktop theme's icon where it has one (drawn for its light or dark colours), the
    // style's own otherwise.
    struct Page {
        QWidget* widget;
        const char* themeIcon;
        QStyle::StandardPixmap icon;
        const char* caption;
    };
    m_settings = new SettingsPage(m_workspace);
    auto* sendEms = new SendEmsPage(m_workspace);
    auto* sendLogo = new SendLogoPage(m_workspace);
    auto* sendSms = m_sendSms = new SendSmsPage(m_workspace);
    auto* readSms = new ReadSmsPage(m_workspace);
    // Reply put the sender's number into the shared recipient; the answer is typed there.
    connect(readSms, &ReadSmsPage::replyRequested, this,
            [this, sendSms] { ui->PageControl1->setCurrentWidget(sendSms); });
    const Page pages[] = {
        {m_settings, "preferences-system", QStyle::SP_ComputerIcon, "Settings"},
        {sendEms, "audio-volume-high", QStyle::SP_MediaVolume, "Send EMS"},
        {sendLogo, "image-x-generic", QStyle::SP_DesktopIcon, "Send Logo"},
        {sendSms, "mail-send", QStyle::SP_ArrowForward, "Send SMS"},
        {readSms, "folder-open", QStyle::SP_DirOpenIcon, "Read SMS"},
        {new PhoneBookPage(m_workspace), "x-office-address-book", QStyle::SP_FileDialogDetailedView,
         "RudarOvov"},
    };
    for (const Page& page : pages) {
        ui->PageControl1->addTab(
            page.widget,
            QIcon::fromTheme(QLatin1StringView(page.themeIcon), style()->standardIcon(page.icon)),
            QString::fromLatin1(page.caption));
    }
    ui->PageControl1->setCurrentIndex(0);

    // One picker for every page that asks for a number.
    m_picker = new TfrmPickPhoneNumber(m_workspace.phoneBooks, m_workspace.recipient, this);
    connect(sendEms, &SendEmsPage::pickNumberRequested, m_picker, &TfrmPickPhoneNumber::open);
    connect(sendLogo, &SendLogoPage::pickNumberRequested, m_picker, &TfrmPickPhoneNumber::open);
    connect(sendSms, &SendSmsPage::pickNumberRequested, m_picker, &TfrmPickPhoneNumber::open);
    nameFieldsByTheirLabels(this);
}

void TPelmarMainForm::composeStatusBar() {
    m_status = new OperationStatus;
    m_phoneIdentity = new LiveText;
    m_phoneIdentity->setObjectName(QStringLiteral("PhoneIdentity"));
    m_phoneIdentity->setRole(QStringLiteral("Handset"));
    m_phoneIdentity->setElided(true);  // the whole of it in the tool tip
    // Panel 0 takes the room of about 350 of the original 517 pixels, panel 1 the rest.
    m_phoneIdentity->setMinimumWidth(m_phoneIdentity->fontMetrics().averageCharWidth() * 22);
    ui->MainStatusBar->addWidget(m_status, 2);
    ui->MainStatusBar->addPermanentWidget(m_phoneIdentity, 1);
}

void TPelmarMainForm::connectRunner() {
    // The SIM's PIN, when the handset asks for it: never kept, never logged.
    m_workspace.runner.setPinAsker([this](std::optional<int> attemptsLeft) {
        QString text = QStringLiteral("The SIM card asks for its PIN.");
        if (attemptsLeft)
            text += QStringLiteral(" Attempts left: %1.").arg(*attemptsLeft);
        return m_workspace.dialogs.askPin(this, text);
    });
    // One operation at a time: the pages wait while one runs; Cancel in the status bar stays.
    connect(&m_workspace.runner, &OperationRunner::busyChanged, this, [this](bool busy) {
        ui->PageControl1->setEnabled(!busy);
        m_status->setBusy(busy);
        if (busy)
            m_status->showResult(QString());  // the last result is not this operation's
    });
    connect(
        &m_workspace.runner, &OperationRunner::progress, m_status,
        [this](const ProgressStep& step) { m_status->showStep(step.text, step.done, step.total); });
    connect(&m_workspace.runner, &OperationRunner::phoneIdentityChanged, this,
            &TPelmarMainForm::setPhoneIdentity);
    connect(&m_workspace.runner, &OperationRunner::finished, this, &TPelmarMainForm::showOutcome);
    connect(m_status, &OperationStatus::cancelRequested, &m_workspace.runner,
            &OperationRunner::cancel);
}

void TPelmarMainForm::showOutcome(const Outcome& outcome) {
    switch (outcome.kind) {
        case Outcome::Kind::Done:
        case Outcome::Kind::PhoneRefused:
        case Outcome::Kind::HandsetError:
        case Outcome::Kind::Cancelled:  // the user's own doing: said in the panel, not as an error
            m_status->showResult(outcome.text);
            return;
        case Outcome::Kind::InputRefused:
            return;  // the page shows what to fix and where
        case Outcome::Kind::Failed:
            m_status->showResult(QStringLiteral("The operation failed."));
            m_workspace.dialogs.showError(this, outcome.text);
            return;
    }
}

void TPelmarMainForm::fixSize() {
    // A fixed window like a dialog: as big as its contents ask, never resized or maximised.
    const Qt::WindowFlags flags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                  Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                                  Qt::WindowCloseButtonHint;
    const QSize wanted = sizeHint().expandedTo(kMinimumSize);
    const QSize room = screen() ? screen()->availableSize() : QSize();
    if (room.isEmpty() || (wanted.width() <= room.width() && wanted.height() <= room.height())) {
        setWindowFlags(flags | Qt::MSWindowsFixedSizeDialogHint);
        setFixedSize(wanted);
        return;
    }
    // A screen too small for it (a large scale on a small screen): the window fits the room,
    // may be resized within it, and each page scrolls, so the status bar and Cancel stay in view.
    QTabWidget* tabs = ui->PageControl1;
    for (int i = 0; i < tabs->count(); ++i) {
        QWidget* page = tabs->widget(i);
        const QIcon icon = tabs->tabIcon(i);
        const QString caption = tabs->tabText(i);
        tabs->removeTab(i);
        auto* scroll = new QScrollArea;
        scroll->setObjectName(page->objectName() + QStringLiteral("Scroll"));
        scroll->setWidgetResizable(true);
        scroll->setFrameShape(QFrame::NoFrame);
        scroll->setWidget(page);
        tabs->insertTab(i, scroll, icon, caption);
    }
    tabs->setCurrentIndex(0);
    setWindowFlags(flags | Qt::WindowMaximizeButtonHint);
    setMinimumSize(kMinimumSize.boundedTo(room));
    setMaximumSize(wanted);
    resize(wanted.boundedTo(room));
}

void TPelmarMainForm::FormCreate() {
    // The counters, the encoding combos, the message counter, the Inbox node, the sample
    // ringtone, the SIM phonebook view and the operator list start with their pages.
    const AppSettings stored = AppSettings::load(QSettings());
    PortSelector* selector = m_settings->portSelector();
    const QString override = m_options.portOverride();
    if (!override.isEmpty()) {
        selector->setPortName(override);
        m_portToStore = stored.port;
    } else if (!stored.port.isEmpty()) {
        selector->setPortName(stored.port);
        m_portToStore = stored.port;
    } else if (selector->count() > 1) {
        // First run: the first port the system reports; never the demo handset by accident.
        selector->setCurrentIndex(0);
        m_portToStore = selector->portName();
    } else {
        selector->setCurrentIndex(-1);
    }
    SetPortName(selector->portName());
    connect(selector, &PortSelector::portChosen, this, &TPelmarMainForm::ComPortSelectorChange);
    connect(m_settings, &SettingsPage::portFound, this, &TPelmarMainForm::ComPortSelectorChange);
    connect(m_settings->olderHandsetCheck(), &QCheckBox::toggled, this, [this](bool older) {
        m_workspace.dialect = older ? HandsetDialect::Older : HandsetDialect::Standard;
    });
    m_settings->olderHandsetCheck()->setChecked(stored.olderHandset);
    m_sendSms->longMessageCheck()->setChecked(stored.longMessage);
    if (m_options.demo) {
        // The demo keeps nothing of its own: the stored port stays the user's.
        m_portToStore = stored.port;
        setWindowTitle(windowTitle() + QStringLiteral(" (demo: nothing leaves this computer)"));
    }

    // A file that cannot be read is reported; the other stores load, and the window opens.
    for (const QString& error : m_workspace.phoneBookFiles.LoadPhoneBooks(m_workspace.phoneBooks))
        m_workspace.dialogs.showError(this, error);
}

bool TPelmarMainForm::FormClose() {
    QSettings settings;
    AppSettings{m_portToStore, olderHandset(), m_sendSms->longMessageCheck()->isChecked()}.save(
        settings);
    try {
        m_workspace.phoneBookFiles.SavePhoneBooks(m_workspace.phoneBooks);
        return true;
    } catch (const Error& e) {
        m_workspace.dialogs.showError(this, e.message());
        return m_workspace.dialogs.confirmWarning(
            this, QStringLiteral("The phonebooks could not be saved, so your changes to them "
                                 "would be lost.\n\nQuit without saving them?"));
    }
}

void TPelmarMainForm::closeEvent(QCloseEvent* event) {
    if (FormClose())
        event->accept();
    else
        event->ignore();
}

void TPelmarMainForm::ComPortSelectorChange(const QString& name) {
    // The demo handset, and any choice in a demo run, last for this run only.
    if (!m_options.demo && name != HandsetConnection::kDemoPort)
        m_portToStore = name;
    SetPortName(name);
}

void TPelmarMainForm::takePortOfALaterStart(const QString& port) {
    if (m_workspace.runner.isBusy()) {
        m_status->showResult(QStringLiteral("The port %1 of a later start was not taken: an "
                                            "operation is running. Choose it on the Settings "
                                            "tab when it has ended.")
                                 .arg(port));
        return;
    }
    m_settings->portSelector()->setPortName(port);
    SetPortName(port);
    m_status->showResult(QStringLiteral("This run now uses %1.").arg(port));
}

void TPelmarMainForm::SetPortName(const QString& name) {
    if (name == m_portName)
        return;
    m_portName = name;
    m_workspace.runner.SetPortName(name);
    setPhoneIdentity(QString());
    emit portNameChanged(name);
}

void TPelmarMainForm::bringToFront() {
    if (isMinimized())
        showNormal();
    show();
    raise();
    activateWindow();
}

void TPelmarMainForm::setPhoneIdentity(const QString& identity) {
    // On the demo handset, panel 1 says so: nothing goes to a real phone.
    if (m_portName == HandsetConnection::kDemoPort)
        m_phoneIdentity->setFullText(identity.isEmpty()
                                         ? QStringLiteral("Demo handset")
                                         : QStringLiteral("Demo handset: ") + identity);
    else
        m_phoneIdentity->setFullText(identity);
}

}  // namespace pelmar
