#include "phonebook/phonebook_transfer.h"

#include <algorithm>

#include "sms/t_reg_expr.h"

namespace pelmar {

namespace {

// "+CPBS: \"SM\",used,total": the third field is the number of slots.
constexpr QByteArrayView kSelectionExpression = "\\+CPBS:[\\s]*\"[^\"]*\"\\,[\\d]*\\,([\\d]*)";
// "+CPBR: index,\"number\",type,\"name\"".
constexpr QByteArrayView kEntryExpression =
    "\\+CPBR:[\\s]*([\\d]*),\"([^\"]*)\"\\,([\\d]*)\\,\"([^\"]*)\"";

// "+CME ERROR: 22" (not found): some handsets answer a read of an empty range so.
constexpr int kNotFound = 22;

// Bytes that would end "at+cpbw=..." early or start another command inside it.
constexpr QByteArrayView kUnwritableBytes = "\"\r\n\x1A\x1B";

QByteArray selectCommand(PhoneBookKind kind) {
    return QByteArrayLiteral("at+cpbs=\"") + phoneBookKindInfo(kind).storage.latin1() + '"';
}

QString kindName(PhoneBookKind kind) {
    return QString(phoneBookKindInfo(kind).storage);
}

// Chooses the phonebook and returns its slot count; nothing when the handset refused the choice
// or did not tell the count (then `verdict` may say why).
std::optional<int> selectPhoneBook(AtChannel& channel, PhoneBookKind kind,
                                   std::optional<Outcome>& verdict) {
    if (!channel.command(selectCommand(kind)).isOk())
        return std::nullopt;
    const AtReply selection = channel.command("at+cpbs?");
    if (!selection.isOk())
        return std::nullopt;
    TRegExpr re(kSelectionExpression);
    bool good = false;
    const int slotCount = re.Exec(selection.text()) ? re.Match(1).toInt(&good) : 0;
    if (!good || slotCount < 0) {
        verdict = Outcome::handsetError(
            QStringLiteral("The handset did not tell the size of its %1 phonebook.")
                .arg(kindName(kind)));
        return std::nullopt;
    }
    return slotCount;
}

void takeEntries(const QByteArray& text, PhoneBookStore& store) {
    TRegExpr re(kEntryExpression);
    if (!re.Exec(text))
        return;
    do {
        bool typed = false;
        int type = re.Match(3).toInt(&typed);
        if (!typed)
            type = PhoneBookEntry::numberTypeFor(QString::fromLatin1(re.Match(2)));
        store.append(PhoneBookEntry::fromHandset(re.Match(2), type, re.Match(4)));
    } while (re.ExecNext());
}

bool writable(const QByteArray& text) {
    return std::none_of(text.begin(), text.end(),
                        [](char c) { return kUnwritableBytes.contains(c); });
}

QByteArray writeCommand(int slot, const PhoneBookEntry* entry) {
    QByteArray command = QByteArrayLiteral("at+cpbw=") + QByteArray::number(slot) + ",1";
    if (entry != nullptr) {
        command += ",\"" + entry->Number() + "\"," + QByteArray::number(entry->NumberType()) +
                   ",\"" + entry->Name() + '"';
    }
    return command;
}

QString entryLabel(const PhoneBookStore& store, qsizetype index) {
    const PhoneBookEntry& entry = store.at(index);
    return QStringLiteral("entry %1 \"%2\"")
        .arg(index + 1)
        .arg(entry.nameText().isEmpty() ? entry.numberText() : entry.nameText());
}

Outcome writeVerdict(const PhoneBookWriteResult& r, const PhoneBookStore& store) {
    QStringList problems;
    if (!r.refused.isEmpty()) {
        problems << QStringLiteral(
                        "The handset refused %1 of %2 entries (the first, %3, with \"%4\").")
                        .arg(r.refused.size())
                        .arg(std::min<qsizetype>(store.count(), r.slotCount))
                        .arg(entryLabel(store, r.refused.first()),
                             QString::fromLatin1(r.refusedAnswers.first()));
    }
    if (!r.notFitting.isEmpty()) {
        problems << QStringLiteral(
                        "%1 entries did not fit into the handset's %2 slots and were not written "
                        "(from %3 on).")
                        .arg(r.notFitting.size())
                        .arg(r.slotCount)
                        .arg(entryLabel(store, r.notFitting.first()));
    }
    if (!r.notEmptied.isEmpty()) {
        problems << QStringLiteral("The handset did not empty %1 slots (the first is slot %2).")
                        .arg(r.notEmptied.size())
                        .arg(r.notEmptied.first());
    }
    return problems.isEmpty() ? Outcome::done()
                              : Outcome::handsetError(problems.join(QLatin1Char(' ')));
}

}  // namespace

PhoneBookReadResult ReadPhoneBook(AtChannel& channel, PhoneBookKind kind,
                                  const Progress& progress) {
    reportProgress(progress, QStringLiteral("Reading phonebook..."));
    PhoneBookReadResult result;
    PhoneBookStore store;
    std::optional<Outcome> verdict;
    bool complete = false;
    result.outcome = RunOperation(channel, [&] {
        const std::optional<int> slotCount = selectPhoneBook(channel, kind, verdict);
        if (!slotCount)
            return;
        result.slotCount = *slotCount;
        if (*slotCount == 0) {
            complete = true;
            return;
        }
        const AtReply reply = channel.command(
            QByteArrayLiteral("at+cpbr=1,") + QByteArray::number(*slotCount), {}, *slotCount);
        if (reply.result == AtResult::CmeError && reply.errorCode() == kNotFound) {
            channel.clearLastReply();  // an empty phonebook, not a failure
            complete = true;
            return;
        }
        if (!reply.isOk())
            return;
        takeEntries(reply.text(), store);
        complete = true;
    });
    if (result.outcome.isDone() && verdict)
        result.outcome = *verdict;
    if (result.outcome.isDone() && complete)
        result.store = std::move(store);
    return result;
}

PhoneBookWriteResult WritePhoneBook(AtChannel& channel, PhoneBookKind kind,
                                    const PhoneBookStore& store, const Progress& progress) {
    PhoneBookWriteResult result;
    if (kind == PhoneBookKind::LD) {
        result.outcome = Outcome::inputRefused(
            QStringLiteral("The LD phonebook (the last dialled numbers) cannot be written."));
        return result;
    }
    for (qsizetype i = 0; i < store.count(); ++i) {
        const PhoneBookEntry& entry = store.at(i);
        if (!writable(entry.Number()) || !writable(entry.Name())) {
            result.outcome = Outcome::inputRefused(
                QStringLiteral("The phonebook's %1 holds a double quote, a line break, Ctrl-Z or "
                               "ESC, which the handset's write command cannot carry; edit it "
                               "first.")
                    .arg(entryLabel(store, i)));
            return result;
        }
    }

    reportProgress(progress, QStringLiteral("Writing phonebook..."));
    std::optional<Outcome> verdict;
    bool complete = false;
    result.outcome = RunOperation(channel, [&] {
        const std::optional<int> slotCount = selectPhoneBook(channel, kind, verdict);
        if (!slotCount)
            return;
        result.slotCount = *slotCount;
        for (int k = 1; k <= *slotCount; ++k) {
            reportProgress(progress,
                           QStringLiteral("Writing phonebook (%1 from %2)").arg(k).arg(*slotCount));
            const bool withEntry = k <= store.count();
            const AtReply reply =
                channel.command(writeCommand(k, withEntry ? &store.at(k - 1) : nullptr));
            if (reply.isOk()) {
                result.written += withEntry ? 1 : 0;
            } else if (judgeReply(reply).kind == Outcome::Kind::PhoneRefused) {
                // The phone part failed: no later slot would be written either.
                if (withEntry) {
                    result.refused.append(k - 1);
                    result.refusedAnswers.append(reply.resultLine);
                }
                return;
            } else if (withEntry) {
                result.refused.append(k - 1);
                result.refusedAnswers.append(reply.resultLine);
            } else {
                result.notEmptied.append(k);
            }
        }
        complete = true;
    });
    for (qsizetype i = result.slotCount; complete && i < store.count(); ++i)
        result.notFitting.append(i);
    if (complete) {
        result.outcome = writeVerdict(result, store);
    } else if (result.outcome.isDone() && verdict) {
        result.outcome = *verdict;
    }
    return result;
}

}  // namespace pelmar
