#include "app/settings_page.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "base/file_write.h"
#include "gui/common/dialogs.h"

#include "gui/common/link_label.h"
#include "gui/common/port_selector.h"
#include "gui/common/workspace.h"
#include "session/port_probe.h"
#include "ui_settings_page.h"

namespace pelmar {

namespace {

// Asks the phone on `port` for its maker and model, whatever was learnt before, so that the line
// itself is tried: "The phone on PORT is MAKER MODEL.", or why it did not answer.
Outcome testPort(AtChannel& channel, const QString& port, const Progress& progress,
                 std::stop_token stop) {
    reportProgress(progress, QStringLiteral("Testing %1...").arg(port));
    QStringList identity;
    Outcome outcome = RunOperation(
        channel,
        [&]() -> std::optional<Outcome> {
            for (const char* command : {"at+cgmi", "at+cgmm"}) {
                const AtReply reply = channel.SendAndWait(command);
                if (!reply.isOk())
                    return std::nullopt;
                identity.append(identityLineOf(reply));
            }
            return std::nullopt;
        },
        std::move(stop));
    if (outcome.isDone()) {
        outcome.text =
            QStringLiteral("The phone on %1 is %2.").arg(port, identity.join(u' ').trimmed());
    }
    return outcome;
}

}  // namespace

SettingsPage::SettingsPage(Workspace& workspace, QWidget* parent)
    : QWidget(parent), ui(new Ui::SettingsPage), m_workspace(workspace), m_seam(this, workspace) {
    ui->setupUi(this);
    m_seam.setFields(ui->ComPortSelector);
    connect(ui->FindPhoneBtn, &QPushButton::clicked, this, &SettingsPage::FindPhoneBtnClick);
    connect(ui->TestPortBtn, &QPushButton::clicked, this, &SettingsPage::TestPortBtnClick);
    connect(ui->ShowLogBtn, &QPushButton::clicked, this, &SettingsPage::ShowLogBtnClick);
    ui->Label15->setLink(contactUrl().path(), QStringLiteral("Write to us"));
    ui->Label16->setLink(webUrl().host() + webUrl().path(), QStringLiteral("Open our web site"));
    connect(ui->Label15, &QLabel::linkActivated, this, &SettingsPage::Label15Click);
    connect(ui->Label16, &QLabel::linkActivated, this, &SettingsPage::Label16Click);
}

SettingsPage::~SettingsPage() {
    delete ui;
}

PortSelector* SettingsPage::portSelector() const {
    return ui->ComPortSelector;
}

QCheckBox* SettingsPage::olderHandsetCheck() const {
    return ui->OlderHandsetCheck;
}

void SettingsPage::Label15Click() {
    QDesktopServices::openUrl(contactUrl());
}

void SettingsPage::Label16Click() {
    QDesktopServices::openUrl(webUrl());
}

// Every port the system lists, USB and Bluetooth first, on the worker thread; the list then
// names what answered, and the first phone found is chosen.
void SettingsPage::FindPhoneBtnClick() {
    const QStringList devices = ui->ComPortSelector->systemPorts();
    const auto found = [this](const PortProbeResult& result) {
        for (const PortProbe& port : result.ports) {
            if (port.answered)
                ui->ComPortSelector->showFound(port.device, port.identity.isEmpty()
                                                                ? QStringLiteral("a phone")
                                                                : port.identity);
        }
        if (const PortProbe* phone = result.firstPhone()) {
            ui->ComPortSelector->setPortName(phone->device);
            emit portFound(phone->device);
        }
    };
    m_seam.runOperation(
        Identify::No, found,
        [](AtChannel&, const QStringList& ports, const Progress& progress, std::stop_token stop) {
            return ProbePorts(ports, progress, std::move(stop));
        },
        devices);
}

// This run's exchange with the phone, as the wire log holds it: to read, copy or save.
void SettingsPage::ShowLogBtnClick() {
    QDialog box(window());
    box.setObjectName(QStringLiteral("WireLogDlg"));
    box.setWindowTitle(QStringLiteral("Log of this run"));
    auto* text = new QPlainTextEdit(QString::fromUtf8(m_workspace.runner.log().text()), &box);
    text->setObjectName(QStringLiteral("WireLogText"));
    text->setReadOnly(true);
    text->setLineWrapMode(QPlainTextEdit::NoWrap);
    text->setAccessibleName(QStringLiteral("Log of this run"));
    text->setMinimumSize(text->fontMetrics().averageCharWidth() * 90,
                         text->fontMetrics().height() * 25);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, &box);
    QPushButton* copy = buttons->addButton(QStringLiteral("&Copy"), QDialogButtonBox::ActionRole);
    QPushButton* save =
        buttons->addButton(QStringLiteral("&Save..."), QDialogButtonBox::ActionRole);
    connect(copy, &QPushButton::clicked, text,
            [text] { QGuiApplication::clipboard()->setText(text->toPlainText()); });
    connect(save, &QPushButton::clicked, &box, [this, &box, text] {
        const QString path = m_workspace.dialogs.saveFileName(
            &box, QStringLiteral("Log files (*.log *.txt)"), QStringLiteral("log"));
        if (path.isEmpty())
            return;
        try {
            writeWholeFile(path, text->toPlainText().toUtf8());
        } catch (const Error& e) {
            m_workspace.dialogs.showError(&box, e.message());
        }
    });
    connect(buttons, &QDialogButtonBox::rejected, &box, &QDialog::reject);
    auto* layout = new QVBoxLayout(&box);
    layout->addWidget(text);
    layout->addWidget(buttons);
    box.exec();
}

// The chosen port tried: panel 0 names the phone's maker and model, or the error box says why
// it could not.
void SettingsPage::TestPortBtnClick() {
    m_seam.runOperation(Identify::No, nullptr, &testPort, ui->ComPortSelector->portName());
}

}  // namespace pelmar
