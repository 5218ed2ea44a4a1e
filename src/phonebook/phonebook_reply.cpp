#include "phonebook/phonebook_reply.h"

#include "base/t_reg_expr.h"

namespace pelmar {

namespace {

// "+CPBS: \"SM\",used,total": the third field is the number of slots.
constexpr QByteArrayView kSelectionExpression = "\\+CPBS:[\\s]*\"[^\"]*\"\\,[\\d]*\\,([\\d]*)";
// "+CPBR: index,\"number\",type,\"name\"".
constexpr QByteArrayView kEntryExpression =
    "\\+CPBR:[\\s]*([\\d]*),\"([^\"]*)\"\\,([\\d]*)\\,\"([^\"]*)\"";

// The non-empty lines of a reply, whichever of CR and LF ends them.
QByteArrayList linesOf(QByteArrayView reply) {
    QByteArrayList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= reply.size(); ++i) {
        if (i < reply.size() && reply[i] != '\r' && reply[i] != '\n')
            continue;
        if (i > start)
            lines.append(reply.sliced(start, i - start).toByteArray());
        start = i + 1;
    }
    return lines;
}

}  // namespace

std::optional<int> ParsePhoneBookSlotCount(QByteArrayView reply) {
    TRegExpr re(kSelectionExpression);
    for (const QByteArray& line : linesOf(reply)) {
        if (!re.Exec(line))
            continue;
        bool good = false;
        const int count = re.Match(1).toInt(&good);
        return good ? std::optional<int>(count) : std::nullopt;
    }
    return std::nullopt;
}

PhoneBookEntries ParsePhoneBookEntries(QByteArrayView reply) {
    PhoneBookEntries result;
    TRegExpr re(kEntryExpression);
    for (const QByteArray& line : linesOf(reply)) {
        if (!re.Exec(line)) {
            result.unreadable.append(line);
            continue;
        }
        const QByteArray number = re.Match(2);
        const QByteArray name = re.Match(4);
        bool typed = false;
        int type = re.Match(3).toInt(&typed);
        if (!typed)
            type = PhoneBookEntry::numberTypeFor(QString::fromLatin1(number));
        if (!PhoneBookEntry::fitsRecord(number, name))
            ++result.cut;
        result.store.append(PhoneBookEntry::fromHandset(number, type, name));
    }
    return result;
}

}  // namespace pelmar
