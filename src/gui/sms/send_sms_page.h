#pragma once

#include <QWidget>

#include "gui/common/page_seam.h"
#include "sms/message_operations.h"

class QCheckBox;

namespace Ui {
class SendSmsPage;
}

namespace pelmar {

struct Workspace;

// The "Send SMS" tab: a text within one message of its coding, the shared recipient number,
// and Send or Store through the handset.
class SendSmsPage : public QWidget {
    Q_OBJECT

  public:
    explicit SendSmsPage(Workspace& workspace, QWidget* parent = nullptr);
    ~SendSmsPage() override;

    // The coding the controls ask for: Flash when checked, else the combo's choice.
    SmsMode mode() const;
    // "Long message (sent in parts)"; the window keeps it between runs.
    QCheckBox* longMessageCheck() const;

  signals:
    // The pick button beside the number: the window opens the number picker.
    void pickNumberRequested();

  private:
    void SMSTextChange();
    void EncodingComboChange();
    void FlashSMSCheckClick(bool checked);
    void UpdateSymbolsLeft();
    void SendSMSButtonClick();
    void StoreSMBtnClick();
    void submit(SubmitAction action);
    void keepFitting();

    Ui::SendSmsPage* ui;
    Workspace& m_workspace;
    PageSeam m_seam;
    QStringList m_removed;  // what the Standard filter took out of the text, for the counter
};

}  // namespace pelmar
