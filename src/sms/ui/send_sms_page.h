#pragma once

#include <QWidget>

#include "link/input_problem.h"
#include "sms/message_operations.h"

namespace Ui {
class SendSmsPage;
}

namespace pelmar {

struct PageContext;

// The "Send SMS" tab: a text within one message of its coding, the shared recipient number,
// and Send or Store through the handset.
class SendSmsPage : public QWidget {
    Q_OBJECT

  public:
    explicit SendSmsPage(PageContext& context, QWidget* parent = nullptr);
    ~SendSmsPage() override;

    // The coding the controls ask for: Flash when checked, else the combo's choice.
    SmsMode mode() const;

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
    void SendOrStoreSMS(SubmitAction action);
    // Shows why the input cannot go and puts the focus on the field it is about.
    void refuse(const InputProblem& problem);
    void keepFitting();

    Ui::SendSmsPage* ui;
    PageContext& m_context;
};

}  // namespace pelmar
