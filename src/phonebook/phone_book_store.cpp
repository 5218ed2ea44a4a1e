#include "phonebook/phone_book_store.h"

#include <QCollator>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

#include "base/file_lock.h"
#include "base/file_write.h"

namespace pelmar {
namespace {

QString shownPath(const QString& path) {
    return QDir::toNativeSeparators(path);
}

PhoneBookError readError(const QString& path, const QString& reason) {
    return PhoneBookError(QStringLiteral("Could not read the phonebook file \"%1\": %2")
                              .arg(shownPath(path), reason));
}

PhoneBookError writeError(const QString& path, const QString& reason) {
    return PhoneBookError(QStringLiteral("Could not write the phonebook file \"%1\": %2")
                              .arg(shownPath(path), reason));
}

// The lock beside a phonebook file, its failure told as a phonebook error.
std::unique_ptr<FileLock> lockFile(const QString& path) {
    try {
        return std::make_unique<FileLock>(path);
    } catch (const Error& e) {
        throw PhoneBookError(e.message());
    }
}

void writeFile(const QString& path, const QByteArray& bytes) {
    try {
        writeWholeFile(path, bytes);
    } catch (const FileWriteError& e) {
        throw writeError(path, e.reason());
    }
}

}  // namespace

void PhoneBookStore::checkIndex(qsizetype index) const {
    if (index < 0 || index >= m_entries.size()) {
        throw PhoneBookError(QStringLiteral("There is no phonebook entry at row %1.").arg(index));
    }
}

const PhoneBookEntry& PhoneBookStore::at(qsizetype index) const {
    checkIndex(index);
    return m_entries.at(index);
}

void PhoneBookStore::replace(qsizetype index, PhoneBookEntry entry) {
    checkIndex(index);
    m_entries[index] = std::move(entry);
}

void PhoneBookStore::removeAt(qsizetype index) {
    checkIndex(index);
    m_entries.removeAt(index);
}

void PhoneBookStore::removeRows(QList<qsizetype> indexes) {
    for (const qsizetype index : indexes)
        checkIndex(index);
    // From the back, so that each index still names the entry it named before.
    std::sort(indexes.begin(), indexes.end(), std::greater<>());
    indexes.erase(std::unique(indexes.begin(), indexes.end()), indexes.end());
    for (const qsizetype index : indexes)
        m_entries.removeAt(index);
}

QList<PhoneBookRow> PhoneBookStore::rows() const {
    QList<PhoneBookRow> rows;
    rows.reserve(m_entries.size());
    for (const PhoneBookEntry& entry : m_entries) {
        rows.append({entry.nameText(), entry.numberText()});
    }
    return rows;
}

QByteArray PhoneBookStore::toFileBytes() const {
    QByteArray bytes;
    bytes.reserve(m_entries.size() * PhoneBookEntry::kRecordSize);
    for (const PhoneBookEntry& entry : m_entries)
        entry.appendRecord(bytes);
    return bytes;
}

qsizetype PhoneBookStore::entryCountForFileSize(qsizetype size) {
    return (size + PhoneBookEntry::kRecordSize / 2) / PhoneBookEntry::kRecordSize;
}

PhoneBookStore PhoneBookStore::fromFileBytes(QByteArrayView bytes) {
    const qsizetype count = entryCountForFileSize(bytes.size());
    QList<PhoneBookEntry> entries;
    entries.reserve(count);
    for (qsizetype i = 0; i < count; ++i) {
        const qsizetype offset = i * PhoneBookEntry::kRecordSize;
        const qsizetype available =
            std::min<qsizetype>(bytes.size() - offset, PhoneBookEntry::kRecordSize);
        entries.append(PhoneBookEntry::fromRecord(bytes.sliced(offset, available)));
    }
    return PhoneBookStore(std::move(entries));
}

PhoneBookStore PhoneBookStore::loadFile(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists())
        return {};
    if (info.isDir())
        throw readError(path, QStringLiteral("it is a folder"));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw readError(path, file.errorString());
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw readError(path, file.errorString());
    return fromFileBytes(bytes);
}

void PhoneBookStore::saveFile(const QString& path) const {
    const auto lock = lockFile(path);
    writeFile(path, toFileBytes());
}

void PhoneBookStore::updateFile(const QString& path,
                                const std::function<void(PhoneBookStore&)>& change) {
    const auto lock = lockFile(path);
    PhoneBookStore store = loadFile(path);
    change(store);
    writeFile(path, store.toFileBytes());
}

void SortPhoneBook(PhoneBookStore& store, const QLocale& locale) {
    if (store.count() < 2)
        return;
    QCollator collator(locale);
    collator.setCaseSensitivity(Qt::CaseSensitive);
    std::vector<std::pair<QString, PhoneBookEntry>> keyed;
    keyed.reserve(static_cast<size_t>(store.count()));
    for (const PhoneBookEntry& entry : store)
        keyed.emplace_back(entry.nameText(), entry);
    std::stable_sort(keyed.begin(), keyed.end(), [&collator](const auto& a, const auto& b) {
        return collator.compare(a.first, b.first) < 0;
    });
    QList<PhoneBookEntry> sorted;
    sorted.reserve(store.count());
    for (auto& [name, entry] : keyed)
        sorted.append(std::move(entry));
    store = PhoneBookStore(std::move(sorted));
}

}  // namespace pelmar
