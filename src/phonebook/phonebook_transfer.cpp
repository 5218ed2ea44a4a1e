#include "phonebook/phonebook_transfer.h"

#include <algorithm>
#include <variant>

#include "link/command_text.h"
#include "phonebook/phonebook_reply.h"

namespace pelmar {

namespace {

// "+CME ERROR: 22" (not found): some handsets answer a read of an empty range so.
constexpr int kNotFound = 22;

QByteArray selectCommand(PhoneBookKind kind) {
    return QByteArrayLiteral("at+cpbs=\"") + phoneBookKindInfo(kind).storage.latin1() + '"';
}

QString kindName(PhoneBookKind kind) {
    return QString(phoneBookKindInfo(kind).storage);
}

// The prologue of a read and a write: chooses the phonebook and gives its slot count, or the
// outcome that ends the operation (the handset refused the choice or did not tell the count).
std::variant<int, Outcome> selectPhoneBook(AtChannel& channel, PhoneBookKind kind) {
    const AtReply choice = channel.SendAndWait(selectCommand(kind));
    if (!choice.isOk())
        return judgeReply(choice);
    const AtReply selection = channel.SendAndWait("at+cpbs?");
    if (!selection.isOk())
        return judgeReply(selection);
    if (const std::optional<int> slotCount = ParsePhoneBookSlotCount(selection.text()))
        return *slotCount;
    return Outcome::handsetError(
        QStringLiteral("The handset did not tell the size of its %1 phonebook.")
            .arg(kindName(kind)));
}

// The verdict of a read that got the whole reply: lines skipped make it no success; entries
// cut to the record's room are said, but alone they leave the read done.
Outcome readVerdict(const PhoneBookReadResult& r, qsizetype entries) {
    const QString cut =
        QStringLiteral(
            "%1 entries had a name or number longer than a phonebook entry holds (%2 "
            "and %3 bytes) and were cut.")
            .arg(r.cut)
            .arg(PhoneBookEntry::kNameRoom)
            .arg(PhoneBookEntry::kNumberRoom);
    if (!r.unreadableLines.isEmpty()) {
        const QString skipped =
            QStringLiteral(
                "Read %1 entries; %2 lines of the handset's reply could not be read "
                "and were skipped, the first: %3")
                .arg(entries)
                .arg(r.unreadableLines.size())
                .arg(r.unreadableLines.first());
        // The skipped line goes last: it may end in anything.
        return Outcome::handsetError(r.cut > 0 ? cut + QLatin1Char(' ') + skipped : skipped);
    }
    if (r.cut > 0)
        return {Outcome::Kind::Done, QStringLiteral("Done. ") + cut, {}};
    return Outcome::done();
}

// Hands the entries of a whole reply to the result and gives the read's verdict. With lines
// skipped the entries go to `partial`, so that no caller takes them for the phonebook unawares.
Outcome takeEntries(PhoneBookReadResult& r, PhoneBookEntries read) {
    for (const QByteArray& line : read.unreadable)
        r.unreadableLines.append(escapedBytes(line));
    r.cutEntries = read.cut;
    r.cut = int(read.cut.size());
    const Outcome verdict = readVerdict(r, read.store.count());
    if (r.unreadableLines.isEmpty()) {
        r.store = std::move(read.store);
    } else {
        r.partial = std::move(read.store);
    }
    return verdict;
}

// The standard form "at+cpbw=k,\"number\",type,\"name\"" and "at+cpbw=k" to empty; older
// handsets want ",1" after k in both.
QByteArray writeCommand(int slot, const PhoneBookEntry* entry, HandsetDialect dialect) {
    QByteArray command = QByteArrayLiteral("at+cpbw=") + QByteArray::number(slot);
    if (dialect == HandsetDialect::Older)
        command += ",1";
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
        .arg(escapedText(entry.nameText().isEmpty() ? entry.numberText() : entry.nameText()));
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

// Adds slots first to last to `ranges`, extending the last range when they follow it.
void addSlots(QList<SlotRange>& ranges, int first, int last) {
    if (first > last)
        return;
    if (!ranges.isEmpty() && ranges.last().last + 1 == first) {
        ranges.last().last = last;
    } else {
        ranges.append({first, last});
    }
}

int slotsIn(const QList<SlotRange>& ranges) {
    int count = 0;
    for (const SlotRange& range : ranges)
        count += range.last - range.first + 1;
    return count;
}

// "slot 5", "slots 1–43", "slots 2 and 4–10", "slots 1, 3 and 5–7".
QString slotsText(const QList<SlotRange>& ranges) {
    QStringList parts;
    for (const SlotRange& range : ranges) {
        parts << (range.first == range.last
                      ? QString::number(range.first)
                      : QStringLiteral("%1–%2").arg(range.first).arg(range.last));
    }
    const QString last = parts.takeLast();
    const QString list =
        parts.isEmpty() ? last : parts.join(QStringLiteral(", ")) + QStringLiteral(" and ") + last;
    return (slotsIn(ranges) == 1 ? QStringLiteral("slot ") : QStringLiteral("slots ")) + list;
}

}  // namespace

QString holdingsText(const PhoneBookWriteResult& r) {
    if (r.localSlots.isEmpty() && r.unansweredSlot == 0)
        return QStringLiteral("The handset's phonebook was not changed.");
    QStringList held;
    if (!r.localSlots.isEmpty())
        held << slotsText(r.localSlots) + QStringLiteral(" hold the local copy");
    if (!r.oldSlots.isEmpty())
        held << slotsText(r.oldSlots) + QStringLiteral(" still hold the handset's old entries");
    if (r.unansweredSlot > 0) {
        held << QStringLiteral("slot %1 may hold either, as its write was not answered")
                    .arg(r.unansweredSlot);
    }
    return QStringLiteral("Wrote %1 of %2 slots: %3. Write again to finish the job.")
        .arg(slotsIn(r.localSlots))
        .arg(r.slotCount)
        .arg(held.join(QStringLiteral("; ")));
}

PhoneBookReadResult ReadPhoneBook(AtChannel& channel, PhoneBookKind kind, const Progress& progress,
                                  std::stop_token stop) {
    reportProgress(progress, QStringLiteral("Reading phonebook..."));
    PhoneBookReadResult result;
    const auto exchange = [&]() -> std::optional<Outcome> {
        const auto selected = selectPhoneBook(channel, kind);
        if (const Outcome* ended = std::get_if<Outcome>(&selected))
            return *ended;
        result.slotCount = std::get<int>(selected);
        PhoneBookEntries read;
        if (result.slotCount > 0) {
            const AtReply reply = channel.SendAndWait(
                QByteArrayLiteral("at+cpbr=1,") + QByteArray::number(result.slotCount), {},
                result.slotCount);
            // Some handsets answer the read of an empty phonebook with "not found".
            const bool empty = reply.result == AtResult::CmeError && reply.errorCode() == kNotFound;
            if (!reply.isOk() && !empty)
                return judgeReply(reply);
            if (!empty)
                read = ParsePhoneBookEntries(reply.text());
        }
        return takeEntries(result, std::move(read));
    };
    result.outcome = RunOperation(channel, exchange, std::move(stop));
    return result;
}

PhoneBookWriteResult WritePhoneBook(AtChannel& channel, PhoneBookKind kind,
                                    const PhoneBookStore& store, HandsetDialect dialect,
                                    const Progress& progress, std::stop_token stop) {
    PhoneBookWriteResult result;
    if (kind == PhoneBookKind::LD) {
        result.outcome = Outcome::inputRefused(
            QStringLiteral("The LD phonebook (the last dialled numbers) cannot be written."));
        return result;
    }
    for (qsizetype i = 0; i < store.count(); ++i) {
        // An entry read from another handset may hold anything.
        const PhoneBookEntry& entry = store.at(i);
        if (const auto problem = PhoneBookEntry::writeProblem(entry.Name(), entry.Number())) {
            result.outcome = Outcome::inputRefused(
                QStringLiteral("The phonebook's %1 cannot be written: %2 Edit it first.")
                    .arg(entryLabel(store, i), problem->text));
            return result;
        }
    }

    reportProgress(progress, QStringLiteral("Writing phonebook..."));
    bool reachedTheEnd = false;
    const auto exchange = [&]() -> std::optional<Outcome> {
        const auto selected = selectPhoneBook(channel, kind);
        if (const Outcome* ended = std::get_if<Outcome>(&selected))
            return *ended;
        const int slotCount = result.slotCount = std::get<int>(selected);
        for (int k = 1; k <= slotCount; ++k) {
            reportProgress(progress,
                           QStringLiteral("Writing phonebook (%1 from %2)").arg(k).arg(slotCount),
                           k, slotCount);
            const bool withEntry = k <= store.count();
            channel.SendCommand(writeCommand(k, withEntry ? &store.at(k - 1) : nullptr, dialect));
            // From here until its answer the slot may or may not have been written.
            result.unansweredSlot = k;
            const AtReply reply = channel.WaitReply();
            result.unansweredSlot = 0;
            result.answered = k;
            if (reply.isOk()) {
                result.written += withEntry ? 1 : 0;
                addSlots(result.localSlots, k, k);
                continue;
            }
            addSlots(result.oldSlots, k, k);
            if (withEntry) {
                result.refused.append(k - 1);
                result.refusedAnswers.append(reply.resultLine);
            } else {
                result.notEmptied.append(k);
            }
            // The phone part failed: no later slot would be written either.
            if (const Outcome judged = judgeReply(reply);
                judged.kind == Outcome::Kind::PhoneRefused)
                return judged;
        }
        reachedTheEnd = true;
        for (qsizetype i = slotCount; i < store.count(); ++i)
            result.notFitting.append(i);
        return writeVerdict(result, store);
    };
    result.outcome = RunOperation(channel, exchange, std::move(stop));
    if (!reachedTheEnd) {
        const int unreached = result.answered + (result.unansweredSlot > 0 ? 2 : 1);
        addSlots(result.oldSlots, unreached, result.slotCount);
        result.outcome.text += QLatin1Char(' ') + holdingsText(result);
    }
    return result;
}

}  // namespace pelmar
