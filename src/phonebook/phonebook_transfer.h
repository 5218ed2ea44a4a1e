#pragma once

#include <QByteArray>
#include <QList>
#include <QStringList>
#include <optional>
#include <stop_token>

#include "link/at_channel.h"
#include "link/handset_dialect.h"
#include "link/operation_frame.h"
#include "phonebook/phone_book_store.h"
#include "phonebook/phone_books.h"

// Moving a whole phonebook between the handset and its local copy (3GPP TS 27.007 +CPBS, +CPBR,
// +CPBW). Names and numbers travel byte for byte: no character set is chosen or converted. Both
// end with Outcome::Cancelled once `stop` is requested, and then leave the caller's copy alone.
namespace pelmar {

struct PhoneBookReadResult {
    Outcome outcome;
    // The entries read, in the handset's order, packed from index 0; nothing unless the read
    // succeeded and every line of the handset's reply was read. The caller replaces its store
    // with it only then, so a failed read loses nothing.
    std::optional<PhoneBookStore> store;
    // When lines of the reply could not be read: the entries that could. The outcome then says
    // how many lines were skipped; a caller keeps these only after showing the user
    // `unreadableLines`.
    std::optional<PhoneBookStore> partial;
    QStringList unreadableLines;  // escaped for the user (escapedBytes)
    // Indexes in `store` (or `partial`), in the handset's order, of the entries whose name or
    // number was longer than the record holds and was cut; `cut` counts them. Take them before
    // the store is sorted.
    QList<qsizetype> cutEntries;
    int cut = 0;
    int slotCount = 0;  // the handset's slot count, as "at+cpbs?" told it
};

// "at+cpbs=\"SM\"" (ME, LD), "at+cpbs?" for the slot count, "at+cpbr=1,n" and every entry of the
// reply, line by line. Entries cut to the record's room are counted and named in the outcome,
// which stays Done. Progress: "Reading phonebook...".
PhoneBookReadResult ReadPhoneBook(AtChannel& channel, PhoneBookKind kind,
                                  const Progress& progress = {}, std::stop_token stop = {});

// Slots first to last of a handset phonebook (counted from 1), both included.
struct SlotRange {
    int first = 0;
    int last = 0;
    friend bool operator==(const SlotRange&, const SlotRange&) = default;
};

struct PhoneBookWriteResult {
    // Done only when every slot holds the local copy: its entry, or nothing beyond its entries.
    // When the write ended before its last slot (a cancel, an error, the phone part failing), the
    // text goes on, after its first sentence, to say what the handset now holds (holdingsText)
    // and that writing again finishes the job.
    Outcome outcome;
    int slotCount = 0;  // the handset's slot count
    // Entries of the local copy the handset holds afterwards: written now, or already in their
    // slot.
    int written = 0;
    // Slots that differed from the local copy and so were to be written or emptied (every slot
    // for OverwritePhoneBook), and of them the slots the handset took.
    int differing = 0;
    int changed = 0;
    // Slots 1 .. answered are settled: they hold the local copy, or the handset refused them.
    int answered = 0;
    // Store indexes of the entries the handset refused, with its answer to each.
    QList<qsizetype> refused;
    QList<QByteArray> refusedAnswers;
    // Store indexes of the entries beyond the handset's slot count, which were not written.
    QList<qsizetype> notFitting;
    // Slots (from 1) the handset would not empty.
    QList<int> notEmptied;
    // What the handset's phonebook holds afterwards, in slot order: the slots that hold the local
    // copy (its entry, or nothing beyond its entries; written now, or already holding it) and
    // those that still hold the handset's old entries (refused, or not reached).
    QList<SlotRange> localSlots;
    QList<SlotRange> oldSlots;
    // The slot whose command went out but whose answer never came: it may hold either. 0: none.
    int unansweredSlot = 0;

    // Every slot got its answer (the write may still have had entries refused).
    bool reachedTheEnd() const { return slotCount > 0 && answered == slotCount; }
};

// "Wrote 2 of the 3 slots that differed from the local copy: slots 1–2 and 4–250 hold the local
// copy; slot 3 still holds the handset's old entry. Write again to finish the job." for a write
// that ended early ("Wrote 43 of 250 slots: ..." when every slot was to be written), or "The
// handset's phonebook was not changed." when it ended before changing anything.
QString holdingsText(const PhoneBookWriteResult& result);

// Makes the handset's SM or ME phonebook equal to the local copy, slot by slot: entry k in slot
// k, every slot beyond the store empty. "at+cpbs=...", "at+cpbs?", "at+cpbr=1,n" to see what the
// slots hold, then only for the slots that differ (number, type or name, byte for byte; a slot
// whose line could not be read, or every slot when the handset refused the read)
// "at+cpbw=k,\"number\",type,\"name\"" with entry k, or "at+cpbw=k" to empty it; an older
// handset gets ",1" after k in both. Each answer is checked. Refused before the port is opened:
// LD (not writable), and a name or number holding a double quote, CR, LF, Ctrl-Z or ESC, which
// would end the command early. Progress: "Writing phonebook...", then "Writing phonebook (i
// from m)" for the i-th of the m slots written.
PhoneBookWriteResult WritePhoneBook(AtChannel& channel, PhoneBookKind kind,
                                    const PhoneBookStore& store,
                                    HandsetDialect dialect = HandsetDialect::Standard,
                                    const Progress& progress = {}, std::stop_token stop = {});

// The same without reading the handset's phonebook first: every slot is written or emptied.
// Slower unless nearly every slot differs; for a handset whose read cannot be trusted, and the
// measure of what the read saves.
PhoneBookWriteResult OverwritePhoneBook(AtChannel& channel, PhoneBookKind kind,
                                        const PhoneBookStore& store,
                                        HandsetDialect dialect = HandsetDialect::Standard,
                                        const Progress& progress = {}, std::stop_token stop = {});

}  // namespace pelmar
