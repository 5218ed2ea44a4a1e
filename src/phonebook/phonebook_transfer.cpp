#include "phonebook/phonebook_transfer.h"

#include <algorithm>
#include <numeric>
#include <variant>

#include "link/command_text.h"
#include "phonebook/phonebook_reply.h"

namespace pelmar {

namespace {

// "+CME ERROR: 22" (not found): some handsets answer a read of an empty range so.
constexpr int kNotFound = 22;
// More slots than any handset's phonebook has: a write does not trust such a count, nor keep
// lists that long.
constexpr int kMostSlots = 65535;

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

// "at+cpbr=1,n": the text of the handset's answer (empty for a phonebook it calls empty), or
// the outcome of its refusal.
std::variant<QByteArray, Outcome> readEverySlot(AtChannel& channel, int slotCount) {
    if (slotCount <= 0)
        return QByteArray();
    const AtReply reply = channel.SendAndWait(
        QByteArrayLiteral("at+cpbr=1,") + QByteArray::number(slotCount), {}, slotCount);
    // Some handsets answer the read of an empty phonebook with "not found".
    if (reply.result == AtResult::CmeError && reply.errorCode() == kNotFound)
        return QByteArray();
    if (!reply.isOk())
        return judgeReply(reply);
    return reply.text();
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
    if (r.changed == 0 && r.unansweredSlot == 0)
        return QStringLiteral("The handset's phonebook was not changed.");
    QStringList held;
    if (!r.localSlots.isEmpty()) {
        held << slotsText(r.localSlots) + (slotsIn(r.localSlots) == 1
                                               ? QStringLiteral(" holds the local copy")
                                               : QStringLiteral(" hold the local copy"));
    }
    if (!r.oldSlots.isEmpty()) {
        held << slotsText(r.oldSlots) +
                    (slotsIn(r.oldSlots) == 1
                         ? QStringLiteral(" still holds the handset's old entry")
                         : QStringLiteral(" still hold the handset's old entries"));
    }
    if (r.unansweredSlot > 0) {
        held << QStringLiteral("slot %1 may hold either, as its write was not answered")
                    .arg(r.unansweredSlot);
    }
    // Slots skipped as already equal are no part of the count.
    const QString wrote =
        r.differing == r.slotCount
            ? QStringLiteral("Wrote %1 of %2 slots")
            : QStringLiteral("Wrote %1 of the %2 slots that differed from the local copy");
    return wrote.arg(r.changed).arg(r.differing) +
           QStringLiteral(": %1. Write again to finish the job.")
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
        const auto read = readEverySlot(channel, result.slotCount);
        if (const Outcome* refused = std::get_if<Outcome>(&read))
            return *refused;
        return takeEntries(result, ParsePhoneBookEntries(std::get<QByteArray>(read)));
    };
    result.outcome = RunOperation(channel, exchange, std::move(stop));
    return result;
}

namespace {

// Which slots a write goes through: those that differ from the local copy, or every one.
enum class WriteScope { DifferingSlots, EverySlot };

// What the local copy puts into slot k (from 1): its entry k - 1, or nothing beyond its entries.
const PhoneBookEntry* wantedIn(const PhoneBookStore& store, int slot) {
    return slot <= store.count() ? &store.at(slot - 1) : nullptr;
}

bool holdsEntry(const PhoneBookLine& line, const PhoneBookEntry& entry) {
    return line.number == entry.Number() && line.type == QByteArray::number(entry.NumberType()) &&
           line.name == entry.Name();
}

// The slots 1 .. slotCount, in order, whose content on the handset (the lines of its answer to
// "at+cpbr=1,n") differs from what the local copy puts there. A slot differs when its line could
// not be read or came twice; a line that does not say its slot may be about any slot that looks
// empty, so each of those differs too.
QList<int> differingSlots(const QList<PhoneBookLine>& lines, const PhoneBookStore& store,
                          int slotCount) {
    QList<const PhoneBookLine*> held(slotCount + 1, nullptr);
    QList<bool> unsure(slotCount + 1, false);
    bool slotUntold = false;
    for (const PhoneBookLine& line : lines) {
        if (line.slot < 1) {
            slotUntold = true;
        } else if (line.slot <= slotCount) {
            unsure[line.slot] = unsure[line.slot] || !line.readable || held[line.slot] != nullptr;
            held[line.slot] = &line;
        }
    }
    QList<int> differing;
    for (int k = 1; k <= slotCount; ++k) {
        const PhoneBookEntry* wanted = wantedIn(store, k);
        const bool same =
            !unsure[k] && (held[k] != nullptr ? wanted != nullptr && holdsEntry(*held[k], *wanted)
                                              : wanted == nullptr && !slotUntold);
        if (!same)
            differing.append(k);
    }
    return differing;
}

// The slots to write: those that differ from the local copy, as the handset's read shows them;
// every slot when the handset would not read them.
QList<int> slotsToWrite(AtChannel& channel, WriteScope scope, const PhoneBookStore& store,
                        int slotCount) {
    if (scope == WriteScope::DifferingSlots) {
        const auto read = readEverySlot(channel, slotCount);
        if (const QByteArray* text = std::get_if<QByteArray>(&read))
            return differingSlots(ParsePhoneBookLines(*text), store, slotCount);
    }
    QList<int> every(slotCount);
    std::iota(every.begin(), every.end(), 1);
    return every;
}

// Fills in what each slot holds after the write went through `toWrite` (known only when
// `compared`) as far as it got: a slot that was not to be written, or that the handset took,
// holds the local copy; one refused or not reached still holds the old entry.
void settleSlots(PhoneBookWriteResult& r, const PhoneBookStore& store, const QList<int>& toWrite,
                 bool compared) {
    QList<bool> keptOld(r.slotCount + 1, !compared);
    for (qsizetype i = 0; compared && i < toWrite.size(); ++i)
        keptOld[toWrite[i]] = toWrite[i] > r.answered;
    for (const qsizetype index : r.refused)
        keptOld[index + 1] = true;
    for (const int slot : r.notEmptied)
        keptOld[slot] = true;
    r.written = 0;
    for (int k = 1; k <= r.slotCount; ++k) {
        if (k == r.unansweredSlot)
            continue;
        addSlots(keptOld[k] ? r.oldSlots : r.localSlots, k, k);
        r.written += !keptOld[k] && k <= store.count() ? 1 : 0;
    }
}

PhoneBookWriteResult writePhoneBook(AtChannel& channel, PhoneBookKind kind,
                                    const PhoneBookStore& store, HandsetDialect dialect,
                                    const Progress& progress, std::stop_token stop,
                                    WriteScope scope) {
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
    QList<int> toWrite;
    bool compared = false;
    bool reachedTheEnd = false;
    const auto exchange = [&]() -> std::optional<Outcome> {
        const auto selected = selectPhoneBook(channel, kind);
        if (const Outcome* ended = std::get_if<Outcome>(&selected))
            return *ended;
        const int slotCount = std::get<int>(selected);
        if (slotCount > kMostSlots) {
            return Outcome::handsetError(
                QStringLiteral("The handset told %1 slots for its %2 phonebook, more than a "
                               "phonebook has.")
                    .arg(slotCount)
                    .arg(kindName(kind)));
        }
        result.slotCount = slotCount;
        toWrite = slotsToWrite(channel, scope, store, slotCount);
        compared = true;
        const int count = result.differing = int(toWrite.size());
        // Up to the next slot to write, every slot already holds the local copy.
        const auto settledBefore = [&](qsizetype i) {
            return i < count ? toWrite[i] - 1 : slotCount;
        };
        result.answered = settledBefore(0);
        for (qsizetype i = 0; i < count; ++i) {
            const int k = toWrite[i];
            reportProgress(progress,
                           QStringLiteral("Writing phonebook (%1 from %2)").arg(i + 1).arg(count),
                           int(i + 1), count);
            const PhoneBookEntry* wanted = wantedIn(store, k);
            channel.SendCommand(writeCommand(k, wanted, dialect));
            // From here until its answer the slot may or may not have been written.
            result.unansweredSlot = k;
            const AtReply reply = channel.WaitReply();
            result.unansweredSlot = 0;
            result.answered = settledBefore(i + 1);
            if (reply.isOk()) {
                ++result.changed;
                continue;
            }
            if (wanted != nullptr) {
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
    settleSlots(result, store, toWrite, compared);
    if (!reachedTheEnd)
        result.outcome.text += QLatin1Char(' ') + holdingsText(result);
    return result;
}

}  // namespace

PhoneBookWriteResult WritePhoneBook(AtChannel& channel, PhoneBookKind kind,
                                    const PhoneBookStore& store, HandsetDialect dialect,
                                    const Progress& progress, std::stop_token stop) {
    return writePhoneBook(channel, kind, store, dialect, progress, std::move(stop),
                          WriteScope::DifferingSlots);
}

PhoneBookWriteResult OverwritePhoneBook(AtChannel& channel, PhoneBookKind kind,
                                        const PhoneBookStore& store, HandsetDialect dialect,
                                        const Progress& progress, std::stop_token stop) {
    return writePhoneBook(channel, kind, store, dialect, progress, std::move(stop),
                          WriteScope::EverySlot);
}

}  // namespace pelmar
