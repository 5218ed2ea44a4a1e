#include "gui/phonebook/phonebook_page.h"

#include <QButtonGroup>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <algorithm>

#include "gui/common/dialogs.h"
#include "gui/common/workspace.h"
#include "gui/phonebook/edit_phone_dlg.h"
#include "gui/phonebook/phone_book_model.h"
#include "link/command_text.h"
#include "phonebook/phonebook_transfer.h"
#include "session/operation_runner.h"
#include "ui_phonebook_page.h"

namespace pelmar {

namespace {

struct ItemInfo {
    PhoneBookKind kind;
    const char* caption;
    bool writable;
};

constexpr ItemInfo kItems[] = {
    {PhoneBookKind::SM, "SIM", true},
    {PhoneBookKind::ME, "Phone", true},
    {PhoneBookKind::LD, "LD", false},
};

// A list of entries for a message box: one line each, the first few only.
QString entryLines(const PhoneBookStore& store, const QList<qsizetype>& indexes) {
    constexpr qsizetype kShown = 10;
    QStringList lines;
    for (qsizetype i = 0; i < std::min(kShown, indexes.size()); ++i) {
        const PhoneBookEntry& entry = store.at(indexes[i]);
        lines << QStringLiteral("\"%1\" (%2)")
                     .arg(escapedText(entry.nameText()), escapedText(entry.numberText()));
    }
    if (indexes.size() > kShown)
        lines << QStringLiteral("and %1 more").arg(indexes.size() - kShown);
    return lines.join(QLatin1Char('\n'));
}

}  // namespace

PhoneBookPage::PhoneBookPage(Workspace& workspace, QWidget* parent)
    : QWidget(parent),
      ui(new Ui::PhoneBookPage),
      m_workspace(workspace),
      m_seam(this, workspace),
      m_model(new PhoneBookModel(workspace.phoneBooks, this)),
      m_editor(new TEditPhoneDlg(workspace.dialogs, this)) {
    ui->setupUi(this);
    m_seam.setFields(ui->PhoneBookLV);
    // The desktop theme's icons where it has them, the style's own otherwise.
    const struct {
        QPushButton* button;
        const char* themeIcon;
        QStyle::StandardPixmap fallback;
    } icons[] = {
        {ui->AddPhoneBtn, "list-add", QStyle::SP_FileDialogNewFolder},
        {ui->EditBtn, "document-edit", QStyle::SP_FileDialogDetailedView},
        {ui->DeleteBtn, "edit-delete", QStyle::SP_TrashIcon},
        {ui->ReadBookBtn, "go-down", QStyle::SP_ArrowDown},
        {ui->WriteBookBtn, "go-up", QStyle::SP_ArrowUp},
    };
    for (const auto& [button, themeIcon, fallback] : icons)
        button->setIcon(
            QIcon::fromTheme(QLatin1StringView(themeIcon), style()->standardIcon(fallback)));
    ui->PhoneBookLV->setModel(m_model);
    QHeaderView* header = ui->PhoneBookLV->header();
    header->setMinimumSectionSize(100);
    header->resizeSection(PhoneBookModel::NameColumn, 200);
    ui->PhoneBookLV->installEventFilter(this);

    m_group = new QButtonGroup(this);
    m_group->addButton(ui->PhoneBookSIM, SimItem);
    m_group->addButton(ui->PhoneBookPhone, PhoneItem);
    // Toggled, not clicked: a screen reader's press checks the button without a click.
    connect(m_group, &QButtonGroup::idToggled, this, [this](int item, bool checked) {
        if (checked && item != m_item)
            PhoneBookSelectGroupClick(item);
    });
    connect(ui->AddPhoneBtn, &QPushButton::clicked, this, &PhoneBookPage::AddPhoneBtnClick);
    connect(ui->EditBtn, &QPushButton::clicked, this, &PhoneBookPage::EditBtnClick);
    connect(ui->PhoneBookLV, &QTreeView::doubleClicked, this, &PhoneBookPage::EditBtnClick);
    connect(ui->DeleteBtn, &QPushButton::clicked, this, &PhoneBookPage::DeleteBtnClick);
    connect(ui->ReadBookBtn, &QPushButton::clicked, this, &PhoneBookPage::ReadBookBtnClick);
    connect(ui->WriteBookBtn, &QPushButton::clicked, this, &PhoneBookPage::WriteBookBtnClick);
    connect(m_editor, &TEditPhoneDlg::entryAccepted, this, &PhoneBookPage::AddPhoneNumber);
    PhoneBookSelectGroupClick(SimItem);
}

PhoneBookPage::~PhoneBookPage() {
    delete ui;
}

PhoneBookKind PhoneBookPage::chosenKind() const {
    return kItems[m_item].kind;
}

QString PhoneBookPage::chosenCaption() const {
    return QString::fromLatin1(kItems[m_item].caption);
}

void PhoneBookPage::PhoneBookSelectGroupClick(int item) {
    if (item < 0 || item >= static_cast<int>(std::size(kItems)))
        return;
    m_item = item;
    m_workspace.phoneBooks.SortPhoneBooks();
    m_model->showBook(chosenKind());
    ui->WriteBookBtn->setVisible(kItems[item].writable);
    // "LD" has no radio button: neither of the two stays checked while it is shown.
    m_group->setExclusive(false);
    ui->PhoneBookSIM->setChecked(item == SimItem);
    ui->PhoneBookPhone->setChecked(item == PhoneItem);
    m_group->setExclusive(true);
}

void PhoneBookPage::selectRow(int row) {
    ui->PhoneBookLV->setFocus(Qt::OtherFocusReason);
    ui->PhoneBookLV->selectionModel()->setCurrentIndex(
        m_model->index(row, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

bool PhoneBookPage::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui->PhoneBookLV && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
        DeleteBtnClick();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void PhoneBookPage::AddPhoneBtnClick() {
    m_editRow = -1;
    m_editor->editNew();
}

void PhoneBookPage::EditBtnClick() {
    const QList<int> rows = selectedRows(ui->PhoneBookLV);
    if (rows.isEmpty()) {
        m_seam.refuse(QStringLiteral("Try to select a phonebook entry first"));
        return;
    }
    m_editRow = rows.first();
    const PhoneBookEntry& entry = m_model->store().at(m_editRow);
    m_editor->edit(entry.nameText(), entry.numberText());
}

void PhoneBookPage::AddPhoneNumber(const QString& name, const QString& number) {
    // The editor let only storable texts through.
    m_workspace.phoneBooks.putEntry(chosenKind(), PhoneBookEntry::fromUser(name, number),
                                    m_editRow);
    // The entry stands at its place by name; no row is selected.
    m_workspace.phoneBooks.SortPhoneBooks();
}

void PhoneBookPage::DeleteBtnClick() {
    if (m_model->rowCount() == 0)
        return;
    const QList<int> rows = selectedRows(ui->PhoneBookLV);
    const int first = rows.isEmpty() ? 0 : rows.first();
    m_workspace.phoneBooks.removeEntries(chosenKind(), {rows.begin(), rows.end()});
    // The row that took the first deleted row's place, or the last one.
    if (m_model->rowCount() > 0)
        selectRow(std::min(first, m_model->rowCount() - 1));
}

void PhoneBookPage::ReadBookBtnClick() {
    const PhoneBookKind kind = chosenKind();
    const QString question =
        QStringLiteral(
            "The whole content of the PC phonebook will be CLEARED,\r\nand then loaded "
            "from %1 phonebook. Are you sure?")
            .arg(chosenCaption());
    // The handset is identified before the question, whatever the answer.
    const auto identified = [this, kind, question](const Outcome& outcome) {
        if (outcome.kind == Outcome::Kind::Failed || outcome.kind == Outcome::Kind::Cancelled)
            return;
        if (m_workspace.dialogs.confirmWarning(window(), question))
            readFromHandset(kind);
    };
    m_seam.runOperation(Identify::No, identified,
                        [](AtChannel& channel, const Progress&, std::stop_token stop) {
                            return IdentifyHandset(channel, std::move(stop));
                        });
}

namespace {

// The read, and what became of the local copy said with its outcome.
PhoneBookReadResult readKeepingWhenIncomplete(AtChannel& channel, PhoneBookKind kind,
                                              const Progress& progress, std::stop_token stop) {
    PhoneBookReadResult result = ReadPhoneBook(channel, kind, progress, std::move(stop));
    if (!result.store)
        result.outcome.text += QStringLiteral(" The PC phonebook was kept as it was.");
    return result;
}

}  // namespace

void PhoneBookPage::readFromHandset(PhoneBookKind kind) {
    const auto read = [this, kind](PhoneBookReadResult result) {
        if (result.store) {
            // The read names the entries it cut, in the handset's order, before the sort.
            const QString cutLines = entryLines(*result.store, result.cutEntries);
            m_workspace.phoneBooks.setStore(kind, std::move(*result.store));
            m_workspace.phoneBooks.SortPhoneBooks();
            if (!result.cutEntries.isEmpty()) {
                m_workspace.dialogs.showError(
                    window(),
                    QStringLiteral("The names or numbers of these entries were longer than a "
                                   "phonebook entry holds and were cut:\n%1")
                        .arg(cutLines));
            }
        } else if (result.partial) {
            m_workspace.dialogs.showError(
                window(), QStringLiteral("These lines of the handset's reply could not be "
                                         "read, so the PC phonebook was kept as it was:\n%1")
                              .arg(result.unreadableLines.mid(0, 10).join(u'\n')));
        }
    };
    m_seam.runOperation(Identify::No, read, &readKeepingWhenIncomplete, kind);
}

void PhoneBookPage::WriteBookBtnClick() {
    if (!kItems[m_item].writable)
        return;
    const QString question = QStringLiteral(
                                 "The whole content of the %1 phonebook will be "
                                 "CLEARED,\r\nand then copied from the PC phonebook. "
                                 "Are you sure?")
                                 .arg(chosenCaption());
    if (!m_workspace.dialogs.confirmWarning(window(), question))
        return;
    const PhoneBookStore store = m_model->store();
    const auto written = [this, store](const PhoneBookWriteResult& result) {
        QStringList parts;
        // A write that ended early says what the handset now holds; a failure says it in the
        // window's error box already.
        if (!result.reachedTheEnd() && result.outcome.kind != Outcome::Kind::Failed)
            parts << holdingsText(result);
        if (!result.refused.isEmpty()) {
            parts << QStringLiteral("The handset refused these entries:\n%1")
                         .arg(entryLines(store, result.refused));
        }
        if (!result.notFitting.isEmpty()) {
            parts << QStringLiteral(
                         "These entries did not fit into the handset's %1 slots and "
                         "were not written:\n%2")
                         .arg(result.slotCount)
                         .arg(entryLines(store, result.notFitting));
        }
        if (!parts.isEmpty())
            m_workspace.dialogs.showError(window(), parts.join(QStringLiteral("\n\n")));
    };
    m_seam.runOperation(Identify::No, written, &WritePhoneBook, chosenKind(), store,
                        m_workspace.dialect);
}

}  // namespace pelmar
