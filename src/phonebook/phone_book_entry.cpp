#include "phonebook/phone_book_entry.h"

#include <algorithm>

#include "base/input_problem.h"
#include "base/windows1251.h"
#include "link/command_text.h"

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

// Why `text` cannot be stored as the entry's `field`, which has `room` bytes; nothing when it can.
std::optional<QString> userTextProblem(const QString& text, const QString& field, int room) {
    const qsizetype bad = firstNonWindows1251(text);
    if (bad >= 0) {
        return QStringLiteral("The %1 contains %2, which a phonebook entry cannot hold.")
            .arg(field, describeChar(text, bad));
    }
    if (text.size() > room) {
        return QStringLiteral("The %1 is %2 characters long; a phonebook entry holds at most %3.")
            .arg(field)
            .arg(text.size())
            .arg(room);
    }
    return std::nullopt;
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

std::optional<InputProblem> PhoneBookEntry::userProblem(const QString& name,
                                                        const QString& number) {
    const QString nameField = QStringLiteral("name");
    const QString numberField = QStringLiteral("number");
    if (auto problem = userTextProblem(name, nameField, kNameRoom))
        return InputProblem{InputField::PhonebookName, *problem};
    if (auto problem = userTextProblem(number, numberField, kNumberRoom))
        return InputProblem{InputField::PhonebookNumber, *problem};
    // The entry may be written to a handset later; refuse now what could never be written.
    return writeProblem(*encodeWindows1251(name), *encodeWindows1251(number));
}

std::optional<InputProblem> PhoneBookEntry::writeProblem(QByteArrayView name,
                                                         QByteArrayView number) {
    if (auto problem = quotedFieldProblem(QStringLiteral("name"), name))
        return InputProblem{InputField::PhonebookName, *problem};
    if (auto problem = dialStringProblem(QStringLiteral("number"), number))
        return InputProblem{InputField::PhonebookNumber, *problem};
    return std::nullopt;
}

PhoneBookEntry PhoneBookEntry::fromUser(const QString& name, const QString& number) {
    if (const auto problem = userProblem(name, number))
        throw PhoneBookError(problem->text);
    return PhoneBookEntry(*encodeWindows1251(number), numberTypeFor(number),
                          *encodeWindows1251(name));
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
