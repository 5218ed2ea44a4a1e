#pragma once

#include <QWidget>

#include "link/input_problem.h"
#include "smart/picture_message.h"

namespace Ui {
class SendEmsPage;
}

namespace pelmar {

struct PageContext;

// A ringtone in RTTTL form written out as it is sent, so the user has a working example.
QString sampleRingtone();

// The "Send EMS" tab: a ringtone typed in RTTTL, and a picture message (a 72 × 28 picture with a
// short text), each sent to the shared recipient number as a smart message.
class SendEmsPage : public QWidget {
    Q_OBJECT

  public:
    explicit SendEmsPage(PageContext& context, QWidget* parent = nullptr);
    ~SendEmsPage() override;

    PictureCoding coding() const;

  signals:
    // One of the picker buttons was pressed: the window offers the phonebooks.
    void pickNumberRequested();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void SendRngToneBtnClick();
    void pmTextChange();
    void EmsEncodingComboChange();
    void UpdateSymbolsLeftPicMsg();
    void LoadPictureButtonClick();
    void SendPicMsgButtonClick();
    // Shows what to fix and puts the focus on the field it is about; `number` is the number
    // field of the group whose Send was pressed.
    void refuse(const InputProblem& problem, QWidget* number);

    Ui::SendEmsPage* ui;
    PageContext& m_context;
};

}  // namespace pelmar
