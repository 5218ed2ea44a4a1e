#pragma once

#include <QMainWindow>

#include "app/start_options.h"
#include "gui/common/workspace.h"
#include "phonebook/phone_books.h"
#include "session/operation_runner.h"
#include "smart/smart_framing.h"
#include "sms/message_table.h"
#include "sms/recipient_number.h"

class QTabWidget;

namespace Ui {
class TPelmarMainForm;
}

namespace pelmar {

class Dialogs;
class LiveText;
class OperationStatus;
class SendSmsPage;
class SettingsPage;
class TfrmPickPhoneNumber;

// The one window: six tabs, one per job, over a status bar, composed over the workspace the
// pages share. It shows how each handset operation goes and does the start-up and shutdown
// work.
class TPelmarMainForm : public QMainWindow {
    Q_OBJECT

  public:
    static constexpr QSize kMinimumSize{517, 348};

    TPelmarMainForm(Workspace& workspace, const StartOptions& options, QWidget* parent = nullptr);
    ~TPelmarMainForm() override;

    // The port the next operation opens.
    const QString& PortName() const { return m_portName; }
    bool olderHandset() const;

    Workspace& workspace() const { return m_workspace; }
    QTabWidget* pageControl() const;
    SettingsPage* settingsPage() const { return m_settings; }
    OperationStatus* operationStatus() const { return m_status; }
    TfrmPickPhoneNumber* picker() const { return m_picker; }

  public slots:
    // A later start of the program asked for this window.
    void bringToFront();
    // Panel 1 of the status bar: the handset's maker and model once identified.
    void setPhoneIdentity(const QString& identity);
    // A later start of the program was given this port: taken for this run unless an
    // operation is running; panel 0 says which.
    void takePortOfALaterStart(const QString& port);

  signals:
    void portNameChanged(const QString& name);

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void composePages();
    void composeStatusBar();
    void fixSize();
    void FormCreate();
    // False keeps the window open: the phonebooks could not be saved and the user did not
    // agree to quit without them.
    bool FormClose();
    void ComPortSelectorChange(const QString& name);
    void SetPortName(const QString& name);
    void connectRunner();
    // Panel 0 (and the error dialog for a failure) once an operation has ended.
    void showOutcome(const Outcome& outcome);

    Ui::TPelmarMainForm* ui;
    Workspace& m_workspace;
    StartOptions m_options;
    QString m_portName;
    QString m_portToStore;  // --port does not replace the stored choice unless the user picks
    SettingsPage* m_settings = nullptr;
    SendSmsPage* m_sendSms = nullptr;
    OperationStatus* m_status = nullptr;
    LiveText* m_phoneIdentity = nullptr;
    TfrmPickPhoneNumber* m_picker = nullptr;
};

}  // namespace pelmar
