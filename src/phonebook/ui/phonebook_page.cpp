#include "phonebook/ui/phonebook_page.h"

#include <QButtonGroup>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <algorithm>

#include "link/command_text.h"
#include "link/ui/dialogs.h"
#include "link/ui/page_context.h"
#include "phonebook/phonebook_transfer.h"
#include "phonebook/ui/edit_phone_dlg.h"
#include "phonebook/ui/phone_book_model.h"
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

// The entries whose name or number fills its room in the record: those the read had to cut.
QList<qsizetype> filledEntries(const PhoneBookStore& store) {
    QList<qsizetype> found;
    for (qsizetype i = 0; i < store.count(); ++i) {
        const PhoneBookEntry& entry = store.at(i);
        if (entry.Name().size() >= PhoneBookEntry::kNameRoom ||
            entry.Number().size() >= PhoneBookEntry::kNumberRoom) {
            found.append(i);
        }
    }
    return found;
}

}  // namespace

PhoneBookPage::PhoneBookPage(PageContext& context, QWidget* parent)
    : QWidget(parent),
      ui(new Ui::PhoneBookPage),
      m_context(context),
      m_model(new PhoneBookModel(context.phoneBooks, this)),
      m_editor(new TEditPhoneDlg(
          context.dialogs, [this] { return m_newNumberFlag; }, this)) {
    ui->setupUi(this);
    ui->PhoneBookLV->setModel(m_model);
    QHeaderView* header = ui->PhoneBookLV->header();
    header->setMinimumSectionSize(100);
    header->resizeSection(PhoneBookModel::NameColumn, 200);
    ui->PhoneBookLV->installEventFilter(this);

    m_group = new QButtonGroup(this);
    m_group->addButton(ui->PhoneBookSIM, SimItem);
    m_group->addButton(ui->PhoneBookPhone, PhoneItem);
    connect(m_group, &QButtonGroup::idClicked, this, &PhoneBookPage::PhoneBookSelectGroupClick);
    connect(ui->AddPhoneBtn, &QPushButton::clicked, this, &PhoneBookPage::AddPhoneBtnClick);
    connect(ui->EditBtn, &QPushButton::clicked, this, &PhoneBookPage::EditBtnClick);
    connect(ui->PhoneBookLV, &QTreeView::doubleClicked, this, &PhoneBookPage::EditBtnClick);
    connect(ui->DeleteBtn, &QPushButton::clicked, this, &PhoneBookPage::DeleteBtnClick);
    connect(ui->ReadBookBtn, &QPushButton::clicked, this, &PhoneBookPage::ReadBookBtnClick);
    connect(ui->WriteBookBtn, &QPushButton::clicked, this, &PhoneBookPage::WriteBookBtnClick);
    connect(m_editor, &QDialog::accepted, this, [this] {
        AddPhoneNumber(m_editor->phoneEdit()->text(), m_editor->nameEdit()->text());
    });
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
    m_context.phoneBooks.SortPhoneBooks();
    m_model->showBook(chosenKind());
    ui->WriteBookBtn->setVisible(kItems[item].writable);
    // "LD" has no radio button: neither of the two stays checked while it is shown.
    m_group->setExclusive(false);
    ui->PhoneBookSIM->setChecked(item == SimItem);
    ui->PhoneBookPhone->setChecked(item == PhoneItem);
    m_group->setExclusive(true);
}

QList<int> PhoneBookPage::selectedRows() const {
    QList<int> rows;
    for (const QModelIndex& index : ui->PhoneBookLV->selectionModel()->selectedRows())
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void PhoneBookPage::selectRow(int row) {
    ui->PhoneBookLV->setFocus(Qt::OtherFocusReason);
    ui->PhoneBookLV->selectionModel()->setCurrentIndex(
        m_model->index(row, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void PhoneBookPage::refuse(const QString& text) {
    m_context.dialogs.showError(window(), text);
    ui->PhoneBookLV->setFocus(Qt::OtherFocusReason);
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
    m_newNumberFlag = true;
    m_editor->open();
}

void PhoneBookPage::EditBtnClick() {
    const QList<int> rows = selectedRows();
    if (rows.isEmpty()) {
        refuse(QStringLiteral("Try to select a phonebook entry first"));
        return;
    }
    m_newNumberFlag = false;
    m_editRow = rows.first();
    const PhoneBookEntry& entry = m_model->store().at(m_editRow);
    m_editor->phoneEdit()->setText(entry.numberText());
    m_editor->nameEdit()->setText(entry.nameText());
    m_editor->open();
}

void PhoneBookPage::AddPhoneNumber(const QString& number, const QString& name) {
    // The editor let only storable texts through.
    PhoneBookEntry entry = PhoneBookEntry::fromUser(name, number);
    PhoneBookStore& store = m_model->store();
    if (m_newNumberFlag)
        store.append(std::move(entry));
    else if (m_editRow >= 0 && m_editRow < store.count())
        store.replace(m_editRow, std::move(entry));
    m_context.phoneBooks.SortPhoneBooks();
    m_model->reload();  // the entry stands at its place by name; no row is selected
}

void PhoneBookPage::DeleteBtnClick() {
    if (m_model->rowCount() == 0)
        return;
    const QList<int> rows = selectedRows();
    const int first = rows.isEmpty() ? 0 : rows.first();
    m_model->removeEntries(rows);
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
    const auto identify = [](AtChannel& channel, const Progress&, std::stop_token stop) {
        return IdentifyHandset(channel, std::move(stop));
    };
    m_context.runner.run(identify, [page = QPointer(this), kind, question](Outcome identified) {
        if (!page || identified.kind == Outcome::Kind::Failed ||
            identified.kind == Outcome::Kind::Cancelled) {
            return;
        }
        if (page->m_context.dialogs.confirmWarning(page->window(), question))
            page->ReadPhoneBook(kind);
    });
}

void PhoneBookPage::ReadPhoneBook(PhoneBookKind kind) {
    const auto job = [kind](AtChannel& channel, const Progress& progress, std::stop_token stop) {
        PhoneBookReadResult result =
            pelmar::ReadPhoneBook(channel, kind, progress, std::move(stop));
        if (!result.store)
            result.outcome.text += QStringLiteral(" The PC phonebook was kept as it was.");
        return result;
    };
    m_context.runner.run(job, [page = QPointer(this), kind](PhoneBookReadResult result) {
        if (!page)
            return;
        PageContext& context = page->m_context;
        if (result.store) {
            context.phoneBooks.store(kind) = std::move(*result.store);
            context.phoneBooks.SortPhoneBooks();
            page->m_model->reload();
            if (result.cut > 0) {
                const PhoneBookStore& store = context.phoneBooks.store(kind);
                context.dialogs.showError(
                    page->window(),
                    QStringLiteral("The names or numbers of these entries were longer than a "
                                   "phonebook entry holds and were cut:\n%1")
                        .arg(entryLines(store, filledEntries(store))));
            }
        } else if (result.partial) {
            context.dialogs.showError(
                page->window(), QStringLiteral("These lines of the handset's reply could not be "
                                               "read, so the PC phonebook was kept as it was:\n%1")
                                    .arg(result.unreadableLines.mid(0, 10).join(u'\n')));
        }
    });
}

void PhoneBookPage::WriteBookBtnClick() {
    if (!kItems[m_item].writable)
        return;
    const QString question = QStringLiteral(
                                 "The whole content of the %1 phonebook will be "
                                 "CLEARED,\r\nand then copied from the PC phonebook. "
                                 "Are you sure?")
                                 .arg(chosenCaption());
    if (!m_context.dialogs.confirmWarning(window(), question))
        return;
    const PhoneBookKind kind = chosenKind();
    const PhoneBookStore store = m_model->store();
    const HandsetDialect dialect = m_context.dialect();
    const auto job = [kind, store, dialect](AtChannel& channel, const Progress& progress,
                                            std::stop_token stop) {
        return pelmar::WritePhoneBook(channel, kind, store, dialect, progress, std::move(stop));
    };
    m_context.runner.run(job, [page = QPointer(this), store](PhoneBookWriteResult result) {
        if (!page)
            return;
        if (result.outcome.kind == Outcome::Kind::InputRefused) {
            page->refuse(result.outcome.text);
            return;
        }
        QStringList parts;
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
            page->m_context.dialogs.showError(page->window(), parts.join(QStringLiteral("\n\n")));
    });
}

}  // namespace pelmar
