#include "gui/sms/read_sms_page.h"

#include <algorithm>

#include <QHeaderView>
#include <QStyle>

#include "base/file_write.h"
#include "gui/common/dialogs.h"
#include "gui/common/workspace.h"
#include "gui/sms/message_list_model.h"
#include "phonebook/phone_books.h"
#include "sms/message_input.h"
#include "sms/message_operations.h"
#include "sms/recipient_number.h"
#include "ui_read_sms_page.h"

namespace pelmar {

ReadSmsPage::ReadSmsPage(Workspace& workspace, QWidget* parent)
    : QWidget(parent), m_workspace(workspace), ui(new Ui::ReadSmsPage), m_seam(this, workspace) {
    ui->setupUi(this);
    m_seam.setFields(ui->SMListBox);
    m_model = new MessageListModel(m_workspace.messages, m_workspace.phoneBooks, this);
    ui->SMListBox->setModel(m_model);
    QHeaderView* header = ui->SMListBox->header();
    header->setMinimumSectionSize(100);
    header->resizeSection(MessageListModel::FromColumn, 200);
    header->resizeSection(MessageListModel::DateColumn, 150);

    QIcon folderIcon;
    folderIcon.addPixmap(style()->standardPixmap(QStyle::SP_DirClosedIcon), QIcon::Normal);
    folderIcon.addPixmap(style()->standardPixmap(QStyle::SP_DirOpenIcon), QIcon::Selected);
    for (int i = 0; i < ui->SMTreeView->topLevelItemCount(); ++i)
        ui->SMTreeView->topLevelItem(i)->setIcon(0, folderIcon);
    ui->SMTreeView->setCurrentItem(ui->SMTreeView->topLevelItem(0));
    // Three short folder names: the room goes to the message list.
    ui->SMTreeView->setMaximumWidth(
        ui->SMTreeView->fontMetrics().horizontalAdvance(QStringLiteral("Outbox (99999)")) +
        ui->SMTreeView->iconSize().width() + 48);

    connect(ui->ReadSMBtn, &QPushButton::clicked, this, &ReadSmsPage::ReadSMBtnClick);
    connect(ui->ReplySMBtn, &QPushButton::clicked, this, &ReadSmsPage::ReplySMBtnClick);
    connect(ui->DeleteSMBtn, &QPushButton::clicked, this, &ReadSmsPage::DeleteSMBtnClick);
    connect(ui->ExportSMBtn, &QPushButton::clicked, this, &ReadSmsPage::ExportSMBtnClick);
    connect(ui->SMTreeView, &QTreeWidget::currentItemChanged, this, &ReadSmsPage::SMTreeViewChange);
    connect(ui->SMListBox->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { ShowSelectedMessage(false); });
    // A listing shows its messages as they arrive.
    connect(&m_workspace.runner, &OperationRunner::progress, this,
            [this](const ProgressStep& step) {
                if (step.detail.canConvert<QList<DecodedMessage>>())
                    m_workspace.messages.showArriving(step.detail.value<QList<DecodedMessage>>());
            });
    // A listing or a deletion: the folder shown and the counts follow the table.
    connect(&m_workspace.messages, &MessageTable::changed, this, [this] {
        ShowFolder(selectedFolder());
        UpdateFolderCounts();
    });

    ShowFolder(MessageFolder::Inbox);
    UpdateFolderCounts();
}

ReadSmsPage::~ReadSmsPage() {
    delete ui;
}

void ReadSmsPage::ReadSMBtnClick() {
    const auto listed = [this](MessageListing listing) {
        // A listing that did not end keeps the messages the user was looking at: those that
        // had arrived, marked incomplete, or the old ones when none had.
        if (!listing.messages) {
            if (!listing.arrived.isEmpty())
                m_workspace.messages.showArriving(std::move(listing.arrived));
            return;
        }
        m_workspace.messages.replace(std::move(*listing.messages));
        // A fresh listing opens on the Inbox.
        ui->SMTreeView->setCurrentItem(ui->SMTreeView->topLevelItem(0));
    };
    m_seam.runOperation(Identify::First, listed, &ReadMessages);
}

void ReadSmsPage::SMTreeViewChange() {
    const int node = ui->SMTreeView->indexOfTopLevelItem(ui->SMTreeView->currentItem());
    if (node >= 0 && node < static_cast<int>(kMessageFolders.size()))
        ShowFolder(kMessageFolders[node]);
}

MessageFolder ReadSmsPage::selectedFolder() const {
    return m_model->folder();
}

void ReadSmsPage::ShowFolder(MessageFolder folder) {
    ui->ReadSMText->clear();
    m_model->setFolder(folder);
    const bool hasRows = m_model->rowCount() > 0;
    ui->ReplySMBtn->setVisible(hasRows && folder != MessageFolder::Sent);
    ui->ReplySMBtn->setText(folder == MessageFolder::Outbox ? QStringLiteral("&Send")
                                                            : QStringLiteral("&Reply"));
    ui->ExportSMBtn->setVisible(hasRows);
    if (hasRows)
        ShowSelectedMessage(true);
}

void ReadSmsPage::ShowSelectedMessage(bool selectFirst) {
    QList<int> rows = selectedRows(ui->SMListBox);
    if (rows.isEmpty()) {
        if (!selectFirst || m_model->rowCount() == 0)
            return;
        ui->SMListBox->selectionModel()->setCurrentIndex(
            m_model->index(0, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        return;  // the selection change shows the text
    }
    if (const DecodedMessage* m = m_model->message(rows.first()))
        ui->ReadSMText->setPlainText(m->Text);
}

void ReadSmsPage::UpdateFolderCounts() {
    for (int node = 0; node < static_cast<int>(kMessageFolders.size()); ++node) {
        const MessageFolder folder = kMessageFolders[node];
        // "Inbox (12+)" while the listing is under way or ended part-way.
        ui->SMTreeView->topLevelItem(node)->setText(
            0, QStringLiteral("%1 (%2%3)")
                   .arg(folderName(folder))
                   .arg(m_workspace.messages.joinedRows(folder).size())
                   .arg(m_workspace.messages.isIncomplete() ? QStringLiteral("+") : QString()));
    }
}

void ReadSmsPage::ReplySMBtnClick() {
    const bool outbox = selectedFolder() == MessageFolder::Outbox;
    const QList<int> rows = selectedRows(ui->SMListBox);
    const JoinedMessage* m = rows.isEmpty() ? nullptr : m_model->joined(rows.first());
    if (!m) {
        m_seam.refuse(outbox ? QStringLiteral("Select the message to send first!")
                             : QStringLiteral("Select the message to reply first!"));
        return;
    }
    if (outbox)
        sendStoredMessage(*m);
    else
        replyTo(m->message);
}

void ReadSmsPage::sendStoredMessage(const JoinedMessage& stored) {
    // The number goes as it was stored (a national number stays national), once it is one the
    // handset can dial: a message stored without a destination is refused here. A long message
    // goes part after part.
    if (numberProblem(stored.message.Number)) {
        m_seam.refuse(QStringLiteral("This message holds no number the handset can send it to."));
        return;
    }
    m_seam.runOperation(Identify::No, nullptr, &SendStoredMessages, stored.storageIndexes,
                        stored.message.Number);
}

void ReadSmsPage::replyTo(const DecodedMessage& message) {
    m_workspace.recipient.setNumber(message.Number);
    emit replyRequested();
}

void ReadSmsPage::DeleteSMBtnClick() {
    // Every stored part of each selected message.
    QList<quint32> indexes;
    for (const int row : selectedRows(ui->SMListBox)) {
        if (const JoinedMessage* m = m_model->joined(row))
            indexes.append(m->storageIndexes);
    }
    if (indexes.isEmpty()) {
        m_seam.refuse(QStringLiteral("Select the message to delete first!"));
        return;
    }
    const auto deleted = [this](const DeleteResult& result) {
        // Only what the handset confirmed leaves the list; the outcome tells of the rest.
        m_workspace.messages.markDeleted(result.deleted);
    };
    m_seam.runOperation(Identify::No, deleted, &DeleteMessages, indexes);
}

void ReadSmsPage::ExportSMBtnClick() {
    const QString path = m_workspace.dialogs.appendFileName(
        this, QStringLiteral("text files (*.txt)"), QStringLiteral("txt"));
    if (path.isEmpty())
        return;
    const QString lines = m_workspace.messages.exportLines(selectedFolder(), m_model->names());
    try {
        // Added to the end of the file; a failed write leaves the file as it was.
        appendToFile(path, lines.toUtf8());
    } catch (const Error& e) {
        m_workspace.dialogs.showError(this, e.message());
    }
}

}  // namespace pelmar
