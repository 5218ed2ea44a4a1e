#pragma once

#include <QList>
#include <QWidget>

#include "gui/common/page_seam.h"
#include "sms/message_table.h"

namespace Ui {
class ReadSmsPage;
}

namespace pelmar {

struct Workspace;
class MessageListModel;

// The "TabSheet5" tab: the messages stored on the SIM card, sorted into Inbox, Outbox and Sent,
// read with Refresh, replied to, sent from storage, deleted and exported. The messages live in
// the shared MessageTable; this page only shows one folder of it at a time.
class ReadSmsPage : public QWidget {
    Q_OBJECT

  public:
    explicit ReadSmsPage(Workspace& workspace, QWidget* parent = nullptr);
    ~ReadSmsPage() override;

  signals:
    // Reply put the sender's number into the shared recipient number; the main window opens
    // the Send SMS tab.
    void replyRequested();

  private:
    void ReadSMBtnClick();
    void SMTreeViewChange();
    void ReplySMBtnClick();
    void DeleteSMBtnClick();
    void ExportSMBtnClick();

    void ShowFolder(MessageFolder folder);
    // The text of the first selected row into ReadSMText; with nothing selected, the first
    // row is selected when `selectFirst` is set, else the text stays as it is.
    void ShowSelectedMessage(bool selectFirst);
    void UpdateFolderCounts();
    MessageFolder selectedFolder() const;
    void sendStoredMessage(const JoinedMessage& stored);
    void replyTo(const DecodedMessage& message);

    Workspace& m_workspace;
    Ui::ReadSmsPage* ui;
    PageSeam m_seam;  // a refusal puts the focus on the list
    MessageListModel* m_model;
};

}  // namespace pelmar
