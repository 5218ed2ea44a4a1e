#pragma once

#include <QMainWindow>

#include "app/phone_book_files.h"
#include "app/start_options.h"
#include "link/ui/page_context.h"
#include "phonebook/phone_books.h"
#include "session/operation_runner.h"
#include "smart/smart_framing.h"
#include "sms/message_table.h"
#include "sms/recipient_number.h"

class QLabel;
class QTabWidget;

namespace Ui {
class TPelmarMainForm;
}

namespace pelmar {

class Dialogs;
class OperationStatus;
class SettingsPage;
class TfrmPickPhoneNumber;

// The one window: six tabs, one per job, over a status bar. It owns what the pages share (the
// phonebooks, the message table, the recipient number, the concatenation reference, the
// operation runner and the dialogs), shows how each handset operation goes, and does the
// start-up and shutdown work.
class TPelmarMainForm : public QMainWindow {
    Q_OBJECT

  public:
    static constexpr QSize kMinimumSize{517, 348};

    // `connections` makes the handset connection for a port name (tests give a simulated one);
    // empty: the real one.
    TPelmarMainForm(Dialogs& dialogs, const StartOptions& options,
                    OperationRunner::ConnectionFactory connections = {}, QWidget* parent = nullptr);
    ~TPelmarMainForm() override;

    // The port the next operation opens.
    const QString& PortName() const { return m_portName; }
    bool olderHandset() const;

    Dialogs& dialogs() const { return m_dialogs; }
    PhoneBooks& phoneBooks() { return m_phoneBooks; }
    MessageTable& messages() { return m_messages; }
    RecipientNumber& recipient() { return m_recipient; }
    OperationRunner& runner() { return m_runner; }
    const PhoneBookFiles& phoneBookFiles() const { return m_files; }
    QTabWidget* pageControl() const;
    SettingsPage* settingsPage() const { return m_settings; }
    OperationStatus* operationStatus() const { return m_status; }
    TfrmPickPhoneNumber* picker() const { return m_picker; }

  public slots:
    // A later start of the program asked for this window.
    void bringToFront();
    // Panel 1 of the status bar: the handset's maker and model once identified.
    void setPhoneIdentity(const QString& identity);

  signals:
    void portNameChanged(const QString& name);

  private slots:
    // Every pick button of every send page: the number picker, over the window.
    void PickUpSMSPhoneClick();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void composePages();
    void connectPickers();
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
    Dialogs& m_dialogs;
    StartOptions m_options;
    PhoneBooks m_phoneBooks;
    PhoneBookFiles m_files;
    MessageTable m_messages;
    RecipientNumber m_recipient;
    ConcatReference m_concatReference;
    // Declared after what its jobs' results reach, so it goes first: a running job is
    // cancelled and its result dropped before the data behind it is.
    OperationRunner m_runner;
    PageContext m_context;
    QString m_portName;
    QString m_portToStore;  // --port does not replace the stored choice unless the user picks
    SettingsPage* m_settings = nullptr;
    OperationStatus* m_status = nullptr;
    QLabel* m_phoneIdentity = nullptr;
    TfrmPickPhoneNumber* m_picker = nullptr;
};

}  // namespace pelmar
