#pragma once

#include <QMainWindow>

#include "app/phone_book_files.h"
#include "app/start_options.h"
#include "phonebook/phone_books.h"

class QLabel;
class QTabWidget;

namespace Ui {
class TPelmarMainForm;
}

namespace pelmar {

class Dialogs;
class OperationStatus;
class SettingsPage;

// The one window: six tabs, one per job, over a status bar. It owns what the pages share
// (the phonebooks, the port name, the dialogs) and the start-up and shutdown work.
class TPelmarMainForm : public QMainWindow {
    Q_OBJECT

  public:
    static constexpr QSize kMinimumSize{517, 348};

    TPelmarMainForm(Dialogs& dialogs, const StartOptions& options, QWidget* parent = nullptr);
    ~TPelmarMainForm() override;

    // The port the next operation opens.
    const QString& PortName() const { return m_portName; }
    bool olderHandset() const;

    Dialogs& dialogs() const { return m_dialogs; }
    PhoneBooks& phoneBooks() { return m_phoneBooks; }
    const PhoneBookFiles& phoneBookFiles() const { return m_files; }
    QTabWidget* pageControl() const;
    SettingsPage* settingsPage() const { return m_settings; }
    OperationStatus* operationStatus() const { return m_status; }

  public slots:
    // A later start of the program asked for this window.
    void bringToFront();
    // Panel 1 of the status bar: the handset's maker and model once identified.
    void setPhoneIdentity(const QString& identity);

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

    Ui::TPelmarMainForm* ui;
    Dialogs& m_dialogs;
    StartOptions m_options;
    PhoneBooks m_phoneBooks;
    PhoneBookFiles m_files;
    QString m_portName;
    QString m_portToStore;  // --port does not replace the stored choice unless the user picks
    SettingsPage* m_settings = nullptr;
    OperationStatus* m_status = nullptr;
    QLabel* m_phoneIdentity = nullptr;
};

}  // namespace pelmar
