#include "sms/message_joining.h"

#include <QMap>
#include <algorithm>
#include <variant>

#include "sms/message_table.h"

namespace pelmar {
namespace {

// A long message while its parts are gathered: part number -> index into the listing.
struct PartGroup {
    QMap<int, qsizetype> parts;
    int total = 0;
};

bool sameMessage(const DecodedMessage& a, const DecodedMessage& b) {
    return folderOf(a.Status) == folderOf(b.Status) && a.Number == b.Number &&
           a.Part->reference == b.Part->reference && a.Part->total == b.Part->total;
}

// The flash marker U+0001 leads every part of a flash message; the joined text keeps one.
QString partText(const DecodedMessage& part, bool first) {
    if (!first && part.Text.startsWith(QChar(1)))
        return part.Text.mid(1);
    return part.Text;
}

JoinedMessage joined(const QList<DecodedMessage>& messages, const PartGroup& group) {
    JoinedMessage out;
    out.parts = group.total;
    const DecodedMessage& first = messages[group.parts.first()];
    out.message = first;
    out.message.Part.reset();
    out.message.Index = messages[*std::min_element(group.parts.begin(), group.parts.end())].Index;
    out.message.Text.clear();
    for (int n = 1; n <= group.total; ++n) {
        const auto it = group.parts.constFind(n);
        if (it == group.parts.cend()) {
            out.message.Text += MissingPartText(n, group.total);
            continue;
        }
        const DecodedMessage& part = messages[*it];
        out.message.Text += partText(part, n == 1);
        out.storageIndexes.append(part.Index);
        if (static_cast<int>(part.Status) < static_cast<int>(out.message.Status))
            out.message.Status = part.Status;
    }
    return out;
}

}  // namespace

QString MissingPartText(int number, int total) {
    return QStringLiteral("[part %1 of %2 missing]").arg(number).arg(total);
}

QList<JoinedMessage> JoinMessageParts(const QList<DecodedMessage>& messages) {
    // Each entry of the result is a plain message (its listing index) or a group of parts.
    QList<std::variant<qsizetype, PartGroup>> rows;
    QList<qsizetype> openGroups;  // rows of groups, to find a part's siblings
    for (qsizetype i = 0; i < messages.size(); ++i) {
        const DecodedMessage& m = messages[i];
        if (!folderOf(m.Status))
            continue;
        if (!m.Part || m.Part->total < 2) {
            rows.append(i);
            continue;
        }
        PartGroup* group = nullptr;
        for (const qsizetype row : openGroups) {
            auto& candidate = std::get<PartGroup>(rows[row]);
            if (sameMessage(messages[candidate.parts.first()], m) &&
                !candidate.parts.contains(m.Part->number)) {
                group = &candidate;
                break;
            }
        }
        if (!group) {
            openGroups.append(rows.size());
            rows.append(PartGroup{{}, m.Part->total});
            group = &std::get<PartGroup>(rows.last());
        }
        group->parts.insert(m.Part->number, i);
    }

    QList<JoinedMessage> out;
    out.reserve(rows.size());
    for (const auto& row : rows) {
        if (const auto* plain = std::get_if<qsizetype>(&row)) {
            JoinedMessage single;
            single.message = messages[*plain];
            single.message.Part.reset();
            single.storageIndexes = {single.message.Index};
            out.append(single);
        } else {
            out.append(joined(messages, std::get<PartGroup>(row)));
        }
    }
    return out;
}

}  // namespace pelmar
