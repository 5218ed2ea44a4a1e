#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <optional>

#include "base/error.h"
#include "base/input_problem.h"

namespace pelmar {

// A phonebook entry or file that cannot be made, read or written; the text says what to fix.
class PhoneBookError : public Error {
  public:
    using Error::Error;
};

// One phonebook entry, held as the bytes the handset sent (or Windows-1251 for what the user
// typed) so that it goes back to the handset and into the files unchanged. On disk it is a
// 303-byte record: number length (0..100) and 100 bytes, the number type, name length (0..200)
// and 200 bytes.
class PhoneBookEntry {
  public:
    static constexpr int kRecordSize = 303;
    static constexpr int kNumberRoom = 100;
    static constexpr int kNameRoom = 200;
    // The number types the handset's phonebook commands use.
    static constexpr quint8 kInternationalType = 145;
    static constexpr quint8 kNationalType = 129;

    // An empty entry, as an all-zero record reads.
    PhoneBookEntry() = default;
    // Throws PhoneBookError when a text is longer than its room in the record.
    PhoneBookEntry(QByteArray number, quint8 numberType, QByteArray name);

    // The values of one handset phonebook line: texts cut to their room in the record, the type
    // taken to its low 8 bits, as the entry can hold no more.
    static PhoneBookEntry fromHandset(QByteArrayView number, int numberType, QByteArrayView name);
    // Whether a handset's number and name fit their room in the record, so that nothing is cut.
    static bool fitsRecord(QByteArrayView number, QByteArrayView name) {
        return number.size() <= kNumberRoom && name.size() <= kNameRoom;
    }

    // What the entry editor stores: the texts in Windows-1251 and the type by `numberTypeFor`.
    // Throws PhoneBookError, naming the field, for a character that Windows-1251 cannot hold, a
    // text longer than its room (200 name characters, 100 number characters), a name that
    // quotedFieldProblem refuses or a number that is no dial string (command_text.h): the
    // handset's write command could not carry them.
    static PhoneBookEntry fromUser(const QString& name, const QString& number);
    // What fromUser would refuse, with the field the editor puts the focus on.
    static std::optional<InputProblem> userProblem(const QString& name, const QString& number);
    // Why this name and number could not go into the handset's write command
    // ("at+cpbw=k,\"number\",type,\"name\"", where they are written as they are): a name that
    // quotedFieldProblem refuses, a number that is no dial string (command_text.h).
    static std::optional<InputProblem> writeProblem(QByteArrayView name, QByteArrayView number);

    // 145 when the number holds a "+" anywhere, else 129.
    static quint8 numberTypeFor(QStringView number);

    // Reads one record. Missing bytes of a short record read as zero; a length byte larger than
    // its field is taken as the field's size, never read past.
    static PhoneBookEntry fromRecord(QByteArrayView record);
    // Appends the 303 bytes of the record; the bytes after each text's length are zero.
    void appendRecord(QByteArray& out) const;

    const QByteArray& Number() const { return m_number; }
    quint8 NumberType() const { return m_numberType; }
    const QByteArray& Name() const { return m_name; }

    // The texts as the user sees them (Windows-1251).
    QString numberText() const;
    QString nameText() const;

    bool operator==(const PhoneBookEntry&) const = default;

  private:
    QByteArray m_number;
    quint8 m_numberType = 0;
    QByteArray m_name;
};

}  // namespace pelmar
