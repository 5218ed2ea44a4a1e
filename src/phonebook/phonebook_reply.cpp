#include "phonebook/phonebook_reply.h"

#include "base/t_reg_expr.h"

namespace pelmar {

namespace {

// "+CPBS: \"SM\",used,total": the third field is the number of slots.
constexpr QByteArrayView kSelectionExpression = "\\+CPBS:[\\s]*\"[^\"]*\"\\,[\\d]*\\,([\\d]*)";
// "+CPBR: index,\"number\",type,\"": the entry up to the opening quote of its name.
constexpr QByteArrayView kEntryExpression = "\\+CPBR:[\\s]*([\\d]*),\"([^\"]*)\"\\,([\\d]*)\\,\"";

// "+CPBR: index,": the slot an entry line is about, when the rest of it cannot be read.
constexpr QByteArrayView kSlotExpression = "\\+CPBR:[\\s]*([\\d]+)\\,";

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

// Where blanks after `from` end.
qsizetype skipBlanks(QByteArrayView text, qsizetype from) {
    while (from < text.size() && (text[from] == ' ' || text[from] == '\t'))
        ++from;
    return from;
}

// The fields some handsets send after the name (hidden, group, a second number, e-mail): each
// after a comma, a quoted text or a value without quotes. Also true for nothing at all.
bool isFieldList(QByteArrayView text) {
    for (qsizetype i = skipBlanks(text, 0); i < text.size(); i = skipBlanks(text, i)) {
        if (text[i] != ',')
            return false;
        i = skipBlanks(text, i + 1);
        if (i < text.size() && text[i] == '"') {
            const qsizetype close = text.indexOf('"', i + 1);
            if (close < 0)
                return false;
            i = close + 1;
        } else {
            while (i < text.size() && text[i] != ',' && text[i] != '"')
                ++i;
        }
    }
    return true;
}

// A quote followed by a comma: where a name could end and a further field begin.
bool holdsFieldEnd(QByteArrayView text) {
    for (qsizetype q = text.indexOf('"'); q >= 0; q = text.indexOf('"', q + 1)) {
        const qsizetype next = skipBlanks(text, q + 1);
        if (next < text.size() && text[next] == ',')
            return true;
    }
    return false;
}

// The name of an entry from `rest`, the line after the name's opening quote. The name ends at
// the next quote when nothing or further fields follow it. Otherwise the name holds a quote
// (27.007 has no escape for one) and runs to the last quote of the line, unless a quote and a
// comma inside it could as well end the name and start further fields: no name then.
std::optional<QByteArrayView> nameField(QByteArrayView rest) {
    const qsizetype close = rest.indexOf('"');
    if (close < 0)
        return std::nullopt;
    if (isFieldList(rest.sliced(close + 1)))
        return rest.first(close);
    const qsizetype last = rest.lastIndexOf('"');
    const QByteArrayView name = rest.first(last);
    if (!isFieldList(rest.sliced(last + 1)) || holdsFieldEnd(name))
        return std::nullopt;
    return name;
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

QList<PhoneBookLine> ParsePhoneBookLines(QByteArrayView reply) {
    QList<PhoneBookLine> result;
    TRegExpr entry(kEntryExpression);
    TRegExpr slot(kSlotExpression);
    for (const QByteArray& text : linesOf(reply)) {
        PhoneBookLine& line = result.emplace_back();
        line.text = text;
        const std::optional<QByteArrayView> name =
            entry.Exec(text)
                ? nameField(QByteArrayView(text).sliced(entry.MatchPos(0) - 1 + entry.MatchLen(0)))
                : std::nullopt;
        if (!name) {
            if (slot.Exec(text))
                line.slot = slot.Match(1).toInt();
            continue;
        }
        line.slot = entry.Match(1).toInt();
        line.readable = true;
        line.number = entry.Match(2);
        line.type = entry.Match(3);
        line.name = name->toByteArray();
    }
    return result;
}

PhoneBookEntries ParsePhoneBookEntries(QByteArrayView reply) {
    PhoneBookEntries result;
    for (const PhoneBookLine& line : ParsePhoneBookLines(reply)) {
        if (!line.readable) {
            result.unreadable.append(line.text);
            continue;
        }
        bool typed = false;
        int type = line.type.toInt(&typed);
        if (!typed)
            type = PhoneBookEntry::numberTypeFor(QString::fromLatin1(line.number));
        if (!PhoneBookEntry::fitsRecord(line.number, line.name))
            result.cut.append(result.store.count());
        result.store.append(PhoneBookEntry::fromHandset(line.number, type, line.name));
    }
    return result;
}

}  // namespace pelmar
