#pragma once

#include <QWidget>

#include "gui/common/page_seam.h"
#include "smart/picture_message.h"

namespace Ui {
class SendEmsPage;
}

namespace pelmar {

struct Workspace;

// A ringtone in RTTTL form written out as it is sent, so the user has a working example.
QString sampleRingtone();

// The "Send EMS" tab: a ringtone typed in RTTTL, and a picture message (a 72 × 28 picture with a
// short text), each sent to the shared recipient number as a smart message.
class SendEmsPage : public QWidget {
    Q_OBJECT

  public:
    explicit SendEmsPage(Workspace& workspace, QWidget* parent = nullptr);
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

    Ui::SendEmsPage* ui;
    Workspace& m_workspace;
    // One for each group: a refusal without a field goes to that group's number.
    PageSeam m_ringtone;
    PageSeam m_picture;
    QStringList m_removed;  // what the Standard filter took out of the picture text
};

}  // namespace pelmar
