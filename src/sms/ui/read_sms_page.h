#pragma once

#include <QList>
#include <QWidget>

#include "sms/message_table.h"

namespace Ui {
class ReadSmsPage;
}

namespace pelmar {

struct PageContext;
class MessageListModel;

// The "TabSheet5" tab: the messages stored on the SIM card, sorted into Inbox, Outbox and Sent,
// read with Refresh, replied to, sent from storage, deleted and exported. The messages live in
// the shared MessageTable; this page only shows one folder of it at a time.
class ReadSmsPage : public QWidget {
    Q_OBJECT

  public:
    explicit ReadSmsPage(PageContext& context, QWidget* parent = nullptr);
    ~ReadSmsPage() override;

  signals:
    // Reply put the sender's number into the shared recipient number; the main window opens
    // the Send SMS tab.
    void replyRequested();

  protected:
    // The phonebooks may have changed on another tab: the "From" names follow.
    void showEvent(QShowEvent* event) override;

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
    // The selected rows, top to bottom.
    QList<int> selectedRows() const;
    void sendStoredMessage(const DecodedMessage& message);
    void replyTo(const DecodedMessage& message);
    // The error box for what the user must do first; the focus goes to the list.
    void refuse(const QString& text);

    PageContext& m_context;
    Ui::ReadSmsPage* ui;
    MessageListModel* m_model;
};

}  // namespace pelmar
