#include "sms/ui/read_sms_page.h"

#include <algorithm>

#include <QFile>
#include <QHeaderView>
#include <QPointer>
#include <QSaveFile>
#include <QStyle>

#include "link/ui/dialogs.h"
#include "link/ui/page_context.h"
#include "phonebook/phone_books.h"
#include "session/identified_job.h"
#include "session/operation_runner.h"
#include "sms/message_input.h"
#include "sms/message_operations.h"
#include "sms/recipient_number.h"
#include "sms/ui/message_list_model.h"
#include "ui_read_sms_page.h"

namespace pelmar {

namespace {

// Adds `bytes` to the end of the file, creating it when missing. The whole file is written
// anew and replaces the old one only when complete, so a failed export leaves it as it was.
// Returns the error text, empty on success.
QString appendToFile(const QString& path, const QByteArray& bytes) {
    QByteArray content;
    QFile old(path);
    if (old.exists()) {
        if (!old.open(QIODevice::ReadOnly))
            return QStringLiteral("Can not read \"%1\": %2").arg(path, old.errorString());
        content = old.readAll();
    }
    content += bytes;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size() || !file.commit())
        return QStringLiteral("Can not write \"%1\": %2").arg(path, file.errorString());
    return {};
}

NameLookup namesIn(const PhoneBooks& books) {
    return [&books](const QString& number) { return books.FindNameByNumber(number); };
}

}  // namespace

ReadSmsPage::ReadSmsPage(PageContext& context, QWidget* parent)
    : QWidget(parent), m_context(context), ui(new Ui::ReadSmsPage) {
    ui->setupUi(this);
    m_model = new MessageListModel(m_context.messages, namesIn(m_context.phoneBooks), this);
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

    ShowFolder(MessageFolder::Inbox);
    UpdateFolderCounts();
}

ReadSmsPage::~ReadSmsPage() {
    delete ui;
}

void ReadSmsPage::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    m_model->namesChanged();
}

void ReadSmsPage::ReadSMBtnClick() {
    auto job = [](AtChannel& channel, const Progress& progress, std::stop_token stop) {
        return ReadMessages(channel, progress, std::move(stop));
    };
    m_context.runner.run(identifiedJob(job), [page = QPointer(this)](MessageListing listing) {
        // A listing that did not end keeps the messages the user was looking at.
        if (!page || !listing.messages)
            return;
        page->m_context.messages.replace(std::move(*listing.messages));
        const QSignalBlocker blocker(page->ui->SMTreeView);
        page->ui->SMTreeView->setCurrentItem(page->ui->SMTreeView->topLevelItem(0));
        page->ShowFolder(MessageFolder::Inbox);
        page->UpdateFolderCounts();
    });
}

void ReadSmsPage::SMTreeViewChange() {
    const int node = ui->SMTreeView->indexOfTopLevelItem(ui->SMTreeView->currentItem());
    if (node >= 0 && node < static_cast<int>(kMessageFolders.size()))
        ShowFolder(kMessageFolders[node]);
}

MessageFolder ReadSmsPage::selectedFolder() const {
    return m_model->folder();
}

QList<int> ReadSmsPage::selectedRows() const {
    QList<int> rows;
    for (const QModelIndex& index : ui->SMListBox->selectionModel()->selectedRows())
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void ReadSmsPage::ShowFolder(MessageFolder folder) {
    ui->ReadSMText->clear();
    m_model->setFolder(folder);
    const bool hasRows = m_model->rowCount() > 0;
    ui->ReplySMBtn->setVisible(hasRows && folder != MessageFolder::Sent);
    ui->ReplySMBtn->setText(folder == MessageFolder::Outbox ? QStringLiteral("Send")
                                                            : QStringLiteral("Reply"));
    ui->ExportSMBtn->setVisible(hasRows);
    if (hasRows)
        ShowSelectedMessage(true);
}

void ReadSmsPage::ShowSelectedMessage(bool selectFirst) {
    QList<int> rows = selectedRows();
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
        ui->SMTreeView->topLevelItem(node)->setText(0, QStringLiteral("%1 (%2)")
                                                           .arg(folderName(folder))
                                                           .arg(m_context.messages.count(folder)));
    }
}

void ReadSmsPage::ReplySMBtnClick() {
    const bool outbox = selectedFolder() == MessageFolder::Outbox;
    const QList<int> rows = selectedRows();
    const DecodedMessage* m = rows.isEmpty() ? nullptr : m_model->message(rows.first());
    if (!m) {
        refuse(outbox ? QStringLiteral("Select the message to send first!")
                      : QStringLiteral("Select the message to reply first!"));
        return;
    }
    if (outbox)
        sendStoredMessage(*m);
    else
        replyTo(*m);
}

void ReadSmsPage::sendStoredMessage(const DecodedMessage& message) {
    // The number goes as it was stored (a national number stays national), once it is one the
    // handset can dial: a message stored without a destination is refused here.
    if (numberProblem(message.Number)) {
        refuse(QStringLiteral("This message holds no number the handset can send it to."));
        return;
    }
    m_context.runner.run(
        [index = message.Index, number = message.Number](
            AtChannel& channel, const Progress& progress, std::stop_token stop) {
            return SendStoredMessage(channel, index, number, progress, std::move(stop));
        },
        [page = QPointer(this)](SubmitResult result) {
            if (page && result.outcome.kind == Outcome::Kind::InputRefused)
                page->refuse(result.outcome.text);
        });
}

void ReadSmsPage::refuse(const QString& text) {
    m_context.dialogs.showError(this, text);
    ui->SMListBox->setFocus();
}

void ReadSmsPage::replyTo(const DecodedMessage& message) {
    m_context.recipient.setNumber(message.Number);
    emit replyRequested();
}

void ReadSmsPage::DeleteSMBtnClick() {
    QList<quint32> indexes;
    for (const int row : selectedRows()) {
        if (const DecodedMessage* m = m_model->message(row))
            indexes.append(m->Index);
    }
    if (indexes.isEmpty()) {
        refuse(QStringLiteral("Select the message to delete first!"));
        return;
    }
    auto job = [indexes](AtChannel& channel, const Progress& progress, std::stop_token stop) {
        return DeleteMessages(channel, indexes, progress, std::move(stop));
    };
    m_context.runner.run(job, [page = QPointer(this)](DeleteResult result) {
        if (!page)
            return;
        // Only what the handset confirmed leaves the list; the outcome tells of the rest.
        page->m_context.messages.markDeleted(result.deleted);
        page->ShowFolder(page->selectedFolder());
        page->UpdateFolderCounts();
    });
}

void ReadSmsPage::ExportSMBtnClick() {
    const QString path = m_context.dialogs.saveFileName(this, QStringLiteral("text files (*.txt)"),
                                                        QStringLiteral("txt"));
    if (path.isEmpty())
        return;
    const QString lines =
        m_context.messages.exportLines(selectedFolder(), namesIn(m_context.phoneBooks));
    const QString error = appendToFile(path, lines.toUtf8());
    if (!error.isEmpty())
        m_context.dialogs.showError(this, error);
}

}  // namespace pelmar
