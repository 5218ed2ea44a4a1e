#include "phonebook/phone_book_entry.h"

#include <algorithm>

#include "link/command_text.h"
#include "sms/windows1251.h"

namespace pelmar {
namespace {

constexpr int kNumberOffset = 0;
constexpr int kTypeOffset = kNumberOffset + 1 + PhoneBookEntry::kNumberRoom;
constexpr int kNameOffset = kTypeOffset + 1;
static_assert(kNameOffset + 1 + PhoneBookEntry::kNameRoom == PhoneBookEntry::kRecordSize);

QByteArray readText(QByteArrayView record, int offset, int room) {
    const int length = std::min<int>(static_cast<quint8>(record[offset]), room);
    return record.sliced(offset + 1, length).toByteArray();
}

void appendText(QByteArray& out, const QByteArray& text, int room) {
    out.append(static_cast<char>(text.size()));
    out.append(text);
    out.append(room - text.size(), '\0');
}

// How a character is named in a message: itself and its code point.
QString describeChar(QStringView text, qsizetype index) {
    char32_t code = text[index].unicode();
    qsizetype width = 1;
    if (text[index].isHighSurrogate() && index + 1 < text.size() &&
        text[index + 1].isLowSurrogate()) {
        code = QChar::surrogateToUcs4(text[index], text[index + 1]);
        width = 2;
    }
    const QString hex =
        QString::number(static_cast<uint>(code), 16).toUpper().rightJustified(4, QLatin1Char('0'));
    return QStringLiteral("\"%1\" (U+%2)").arg(text.mid(index, width).toString(), hex);
}

QByteArray userText(const QString& text, const QString& field, int room) {
    const qsizetype bad = firstNonWindows1251(text);
    if (bad >= 0) {
        throw PhoneBookError(
            QStringLiteral("The %1 contains %2, which a phonebook entry cannot hold.")
                .arg(field, describeChar(text, bad)));
    }
    if (text.size() > room) {
        throw PhoneBookError(
            QStringLiteral("The %1 is %2 characters long; a phonebook entry holds at most %3.")
                .arg(field)
                .arg(text.size())
                .arg(room));
    }
    return *encodeWindows1251(text);
}

}  // namespace

PhoneBookEntry::PhoneBookEntry(QByteArray number, quint8 numberType, QByteArray name)
    : m_number(std::move(number)), m_numberType(numberType), m_name(std::move(name)) {
    if (m_number.size() > kNumberRoom || m_name.size() > kNameRoom) {
        throw PhoneBookError(
            QStringLiteral("A phonebook entry holds at most %1 bytes of number and %2 of name.")
                .arg(kNumberRoom)
                .arg(kNameRoom));
    }
}

PhoneBookEntry PhoneBookEntry::fromHandset(QByteArrayView number, int numberType,
                                           QByteArrayView name) {
    return PhoneBookEntry(
        number.first(std::min<qsizetype>(number.size(), kNumberRoom)).toByteArray(),
        static_cast<quint8>(numberType & 0xFF),
        name.first(std::min<qsizetype>(name.size(), kNameRoom)).toByteArray());
}

PhoneBookEntry PhoneBookEntry::fromUser(const QString& name, const QString& number) {
    QByteArray nameBytes = userText(name, QStringLiteral("name"), kNameRoom);
    QByteArray numberBytes = userText(number, QStringLiteral("number"), kNumberRoom);
    // The entry may be written to a handset later; refuse now what could never be written.
    auto problem = quotedFieldProblem(QStringLiteral("name"), nameBytes);
    if (!problem)
        problem = dialStringProblem(QStringLiteral("number"), numberBytes);
    if (problem)
        throw PhoneBookError(*problem);
    return PhoneBookEntry(std::move(numberBytes), numberTypeFor(number), std::move(nameBytes));
}

quint8 PhoneBookEntry::numberTypeFor(QStringView number) {
    return number.contains(QLatin1Char('+')) ? kInternationalType : kNationalType;
}

PhoneBookEntry PhoneBookEntry::fromRecord(QByteArrayView record) {
    QByteArray full = record.first(std::min<qsizetype>(record.size(), kRecordSize)).toByteArray();
    full.append(kRecordSize - full.size(), '\0');
    PhoneBookEntry entry;
    entry.m_number = readText(full, kNumberOffset, kNumberRoom);
    entry.m_numberType = static_cast<quint8>(full[kTypeOffset]);
    entry.m_name = readText(full, kNameOffset, kNameRoom);
    return entry;
}

void PhoneBookEntry::appendRecord(QByteArray& out) const {
    appendText(out, m_number, kNumberRoom);
    out.append(static_cast<char>(m_numberType));
    appendText(out, m_name, kNameRoom);
}

QString PhoneBookEntry::numberText() const {
    return decodeWindows1251(m_number);
}

QString PhoneBookEntry::nameText() const {
    return decodeWindows1251(m_name);
}

}  // namespace pelmar
