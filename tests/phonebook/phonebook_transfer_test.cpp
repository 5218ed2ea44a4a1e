#include "phonebook/phonebook_transfer.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "link/scripted_transport.h"
#include "support/sim_line.h"
#include "support/table.h"

namespace pelmar {
namespace {

using Kind = Outcome::Kind;
using namespace std::chrono_literals;

simulator::HandsetState stateFrom(const char* file) {
    return simulator::loadSimState(QStringLiteral(PELMAR_TEST_DATA "/") + QLatin1StringView(file));
}

PhoneBookEntry entry(const char* number, const QByteArray& name) {
    return PhoneBookEntry(number, PhoneBookEntry::numberTypeFor(QString::fromLatin1(number)), name);
}

PhoneBookStore storeOf(int count, int nameLength = 5) {
    PhoneBookStore store;
    for (int i = 0; i < count; ++i) {
        const QByteArray digits = QByteArray::number(5550100 + i);
        store.append(PhoneBookEntry(digits, 129, QByteArray(nameLength, char('a' + i % 26))));
    }
    return store;
}

struct ReadCase {
    const char* label;
    const char* stateFile;
    PhoneBookKind kind;
    void (*configure)(simulator::SimOptions&);
    Kind outcome;
    int entries;  // -1: no store comes back
    int slotCount;
};

class ReadTest : public testing::TestWithParam<ReadCase> {};

TEST_P(ReadTest, NewStoreOnlyOnSuccess) {
    const ReadCase& c = GetParam();
    simulator::SimOptions options;
    c.configure(options);
    test::SimLine line(stateFrom(c.stateFile), options);
    const PhoneBookReadResult r = ReadPhoneBook(line.channel, c.kind, line.progress());
    EXPECT_EQ(r.outcome.kind, c.outcome) << r.outcome.text.toStdString();
    EXPECT_EQ(r.store ? r.store->count() : -1, c.entries);
    EXPECT_EQ(r.slotCount, c.slotCount);
    EXPECT_EQ(line.texts, QStringList{QStringLiteral("Reading phonebook...")});
    EXPECT_FALSE(line.channel.isOpen());
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Handsets, ReadTest,
    testing::Values(
        ReadCase{"SimCardPhonebook", "sim-basic.json", PhoneBookKind::SM, [](simulator::SimOptions&) {}, Kind::Done, 2, 10},
        ReadCase{"EmptyPhonebook", "sim-basic.json", PhoneBookKind::ME, [](simulator::SimOptions&) {}, Kind::Done, 0, 5},
        ReadCase{"TwoHundredInRandomPieces", "sim-phonebook-200.json", PhoneBookKind::SM, [](simulator::SimOptions& o) {o.randomChunks = true; o.urc = "RING";}, Kind::Done, 200, 250},
        ReadCase{"NotFoundMeansEmpty", "sim-basic.json", PhoneBookKind::SM, [](simulator::SimOptions& o) { simulator::addReplyOverride(o, "CPBR=+CME ERROR: 22"); }, Kind::Done, 0, 10},
        ReadCase{"CutOffMidRead", "sim-phonebook-200.json", PhoneBookKind::SM, [](simulator::SimOptions& o) { o.hangupAfter = 3000; }, Kind::Failed, -1, 250},
        ReadCase{"SilentRead", "sim-basic.json", PhoneBookKind::SM, [](simulator::SimOptions& o) { o.silent.insert("CPBR"); }, Kind::Failed, -1, 10},
        ReadCase{"ReadRefused", "sim-basic.json", PhoneBookKind::SM, [](simulator::SimOptions& o) { simulator::addReplyOverride(o, "CPBR=ERROR"); }, Kind::HandsetError, -1, 10},
        ReadCase{"SizeNotTold", "sim-basic.json", PhoneBookKind::SM, [](simulator::SimOptions& o) { simulator::addReplyOverride(o, "CPBS=OK"); }, Kind::HandsetError, -1, 0}),
    test::ByLabel());
// clang-format on

TEST(ReadTest, EntriesAsTheHandsetSentThem) {
    test::SimLine line(stateFrom("sim-basic.json"));
    const PhoneBookReadResult r = ReadPhoneBook(line.channel, PhoneBookKind::SM);
    ASSERT_TRUE(r.store);
    EXPECT_EQ(r.store->entries(), (QList<PhoneBookEntry>{entry("+12025550123", "Alice"),
                                                         entry("5550199", "\xC8\xE2\xE0\xED")}));
    EXPECT_EQ(line.commands(), (QList<QByteArray>{"at+cpbs=\"SM\"", "at+cpbs?", "at+cpbr=1,10"}));
}

// A handset on a script answering the read's three commands; `entries` are the lines of the
// answer to "at+cpbr=1,250".
struct ScriptedRead {
    explicit ScriptedRead(const QByteArray& entries) : channel(line, 300ms) {
        line.answer("\r\nOK\r\n");
        line.answer("\r\n+CPBS: \"SM\",3,250\r\n\r\nOK\r\n");
        line.answer("\r\n" + entries + "\r\n\r\nOK\r\n");
    }
    test::ScriptedTransport line;
    AtChannel channel;
};

QByteArrayList namesOf(const std::optional<PhoneBookStore>& store) {
    QByteArrayList names;
    for (const PhoneBookEntry& e : store.value_or(PhoneBookStore()))
        names.append(e.Name());
    return names;
}

struct ReplyCase {
    const char* label;
    QByteArray entries;
    QByteArrayList names;  // of the store, or of the partial read when lines were skipped
    QStringList unreadable;
    QList<qsizetype> cut;  // the entries cut, by their place in the reply
    Kind outcome;
};

class ReplyFormTest : public testing::TestWithParam<ReplyCase> {};

TEST_P(ReplyFormTest, EachLineOnItsOwn) {
    const ReplyCase& c = GetParam();
    ScriptedRead handset(c.entries);
    const PhoneBookReadResult r = ReadPhoneBook(handset.channel, PhoneBookKind::SM);
    EXPECT_EQ(r.outcome.kind, c.outcome) << r.outcome.text.toStdString();
    EXPECT_EQ(r.unreadableLines, c.unreadable);
    EXPECT_EQ(r.cutEntries, c.cut);
    EXPECT_EQ(r.cut, c.cut.size());
    // Skipped lines: no store to replace the local one with, only the partial read, and the
    // outcome shows the first skipped line.
    EXPECT_EQ(r.store.has_value(), c.unreadable.isEmpty());
    EXPECT_EQ(r.partial.has_value(), !c.unreadable.isEmpty());
    EXPECT_EQ(namesOf(r.store ? r.store : r.partial), c.names);
    if (!c.unreadable.isEmpty()) {
        EXPECT_TRUE(r.outcome.text.contains(c.unreadable.first())) << r.outcome.text.toStdString();
    }
    if (!c.cut.isEmpty()) {
        EXPECT_TRUE(r.outcome.text.contains(QStringLiteral("cut"))) << r.outcome.text.toStdString();
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Replies, ReplyFormTest,
    testing::Values(
        ReplyCase{"UnterminatedQuoteKeepsNextEntry", "+CPBR: 1,\"111\",129,\"Ann\r\n+CPBR: 2,\"222\",129,\"Bob\"", {"Bob"}, {QStringLiteral("+CPBR: 1,\"111\",129,\"Ann")}, {}, Kind::HandsetError},
        ReplyCase{"NameOverTheRecordIsCutAndCounted", "+CPBR: 1,\"111\",129,\"" + QByteArray(250, 'n') + "\"\r\n+CPBR: 2,\"" + QByteArray(101, '5') + "\",129,\"Bob\"", {QByteArray(200, 'n'), "Bob"}, {}, {0, 1}, Kind::Done},
        ReplyCase{"NameOfExactlyItsRoomIsWhole", "+CPBR: 1,\"111\",129,\"" + QByteArray(201, 'n') + "\"\r\n+CPBR: 2,\"222\",129,\"" + QByteArray(200, 'm') + "\"", {QByteArray(200, 'n'), QByteArray(200, 'm')}, {}, {0}, Kind::Done},
        ReplyCase{"FieldsAfterTheNameIgnored", "+CPBR: 1,\"111\",129,\"Ann\",0,\"x\"", {"Ann"}, {}, {}, Kind::Done},
        /* 27.007 has no escape for a quote inside the name: it runs to the line's last quote */ ReplyCase{"QuotesInsideTheName", "+CPBR: 2,\"+2\",145,\"Bob \"the boss\" Lee\"", {"Bob \"the boss\" Lee"}, {}, {}, Kind::Done},
        ReplyCase{"QuoteInsideTheNameOrFields", "+CPBR: 1,\"111\",129,\"Ann\"\r\n+CPBR: 2,\"2\",129,\"A \"B\",0,\"C\"", {"Ann"}, {QStringLiteral("+CPBR: 2,\"2\",129,\"A \"B\",0,\"C\"")}, {}, Kind::HandsetError},
        ReplyCase{"ControlBytesShownEscaped", "+CPBR: 1,\"111\",129,\"Ann\"\r\n+CPBR: 2\x1B\\", {"Ann"}, {QStringLiteral("+CPBR: 2\\x1B\\\\")}, {}, Kind::HandsetError}),
    test::ByLabel());
// clang-format on

struct WriteCase {
    const char* label;
    PhoneBookStore store;
    Kind outcome;
    int written;
    QList<qsizetype> refused;
    QList<qsizetype> notFitting;
    int differing;  // slots that differ from the store: the ones written
};

class WriteTest : public testing::TestWithParam<WriteCase> {};

TEST_P(WriteTest, EveryAnswerChecked) {
    const WriteCase& c = GetParam();
    test::SimLine line(stateFrom("sim-basic.json"));
    const PhoneBookWriteResult r = WritePhoneBook(line.channel, PhoneBookKind::SM, c.store,
                                                  HandsetDialect::Standard, line.progress());
    EXPECT_EQ(r.outcome.kind, c.outcome) << r.outcome.text.toStdString();
    EXPECT_EQ(r.slotCount, 10);
    EXPECT_EQ(r.written, c.written);
    EXPECT_EQ(r.refused, c.refused);
    EXPECT_EQ(r.notFitting, c.notFitting);
    EXPECT_TRUE(r.notEmptied.isEmpty());
    ASSERT_EQ(line.steps.size(), 1 + c.differing);
    for (int i = 1; i <= c.differing; ++i)
        EXPECT_EQ(
            line.steps[i],
            (ProgressStep{QStringLiteral("Writing phonebook (%1 from %2)").arg(i).arg(c.differing),
                          i, c.differing}));
    EXPECT_FALSE(line.channel.isOpen());

    // Slot k holds entry k - 1 unless the handset refused it; no other slot holds anything.
    const simulator::ContactList book = line.sim.state().phonebooks.value("SM");
    for (int slot = 1; slot <= 10; ++slot) {
        const qsizetype index = slot - 1;
        const bool held = index < c.store.count() && !c.refused.contains(index);
        EXPECT_EQ(book.entries.contains(slot), held) << slot;
        if (held) {
            EXPECT_EQ(book.entries.value(slot).name, c.store.at(index).Name()) << slot;
            EXPECT_EQ(book.entries.value(slot).number, c.store.at(index).Number()) << slot;
        }
    }
}

PhoneBookStore withLongName() {
    PhoneBookStore store = storeOf(3);
    store.replace(1, PhoneBookEntry("5550199", 129, QByteArray(15, 'x')));  // the SIM takes 14
    return store;
}

INSTANTIATE_TEST_SUITE_P(
    Stores, WriteTest,
    testing::Values(
        WriteCase{"ThreeIntoTenSlots", storeOf(3), Kind::Done, 3, {}, {}, 4},
        WriteCase{"EmptyStoreEmptiesEverySlot", PhoneBookStore(), Kind::Done, 0, {}, {}, 2},
        WriteCase{"NameTooLongIsReported", withLongName(), Kind::HandsetError, 2, {1}, {}, 4},
        WriteCase{"TwelveIntoTenSlots", storeOf(12), Kind::HandsetError, 10, {}, {10, 11}, 10}),
    test::ByLabel());

// A store of `entries` written over every slot of a handset of `slots` slots: what goes on the
// line and what the handset then holds, for each dialect of the handset and of the write.
struct DialectCase {
    const char* label;
    const char* stateFile;
    int slotCount;
    int entries;
    HandsetDialect handset;
    HandsetDialect write;
    Kind outcome;
    int refused;
    QByteArray emptySlotHolds;  // the number a slot beyond the store holds afterwards, or empty
};

class DialectTest : public testing::TestWithParam<DialectCase> {};

TEST_P(DialectTest, CommandFormAndWhatTheHandsetKeeps) {
    const DialectCase& c = GetParam();
    simulator::SimOptions options;
    options.dialect = c.handset;
    test::SimLine line(stateFrom(c.stateFile), options);
    const PhoneBookStore store = storeOf(c.entries);
    const PhoneBookWriteResult r =
        OverwritePhoneBook(line.channel, PhoneBookKind::SM, store, c.write);
    EXPECT_EQ(r.outcome.kind, c.outcome) << r.outcome.text.toStdString();
    EXPECT_EQ(r.refused.size(), c.refused);
    EXPECT_EQ(r.written, c.entries - c.refused);

    const QList<QByteArray> commands = line.commands();
    ASSERT_EQ(commands.size(), 2 + c.slotCount);
    const QByteArray marker = c.write == HandsetDialect::Older ? ",1" : "";
    const simulator::ContactList book = line.sim.state().phonebooks.value("SM");
    for (int k = 1; k <= c.slotCount; ++k) {
        QByteArray expected = "at+cpbw=" + QByteArray::number(k) + marker;
        if (k <= c.entries) {
            const PhoneBookEntry& e = store.at(k - 1);
            expected += ",\"" + e.Number() + "\",129,\"" + e.Name() + '"';
            EXPECT_EQ(book.entries.value(k).name == e.Name(), c.refused == 0) << k;
        } else {
            EXPECT_EQ(book.entries.value(k).number, c.emptySlotHolds) << k;
        }
        EXPECT_EQ(commands[k + 1], expected);
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Dialects, DialectTest,
    testing::Values(
        DialectCase{"StandardThreeInto250Slots", "sim-phonebook-200.json", 250, 3, HandsetDialect::Standard, HandsetDialect::Standard, Kind::Done, 0, ""},
        /* The old form on a standard handset: each entry has a text where the type belongs and */ /* is refused; "k,1" is taken as the number 1, as a real handset would store it. */ DialectCase{"OlderFormOnStandardHandset", "sim-basic.json", 10, 3, HandsetDialect::Standard, HandsetDialect::Older, Kind::HandsetError, 3, "1"},
        DialectCase{"OlderHandsetRoundTrip", "sim-basic.json", 10, 3, HandsetDialect::Older, HandsetDialect::Older, Kind::Done, 0, ""}),
    test::ByLabel());
// clang-format on

struct UnwritableCase {
    const char* label;
    QByteArray number;
    QByteArray name;
};

class UnwritableTest : public testing::TestWithParam<UnwritableCase> {};

TEST_P(UnwritableTest, RefusedBeforeThePortOpens) {
    test::SimLine line(stateFrom("sim-basic.json"));
    PhoneBookStore store = storeOf(2);
    store.append(PhoneBookEntry(GetParam().number, 129, GetParam().name));
    const PhoneBookWriteResult r = WritePhoneBook(line.channel, PhoneBookKind::SM, store);
    EXPECT_EQ(r.outcome.kind, Kind::InputRefused);
    EXPECT_TRUE(r.outcome.text.contains(QStringLiteral("entry 3"))) << r.outcome.text.toStdString();
    EXPECT_TRUE(line.sim.log().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Entries, UnwritableTest,
    testing::Values(UnwritableCase{"QuoteInName", "1", "a\"b"},
                    UnwritableCase{"CarriageReturnInName", "1", "a\rat+cpbw=1,1"},
                    UnwritableCase{"LineFeedInNumber", "1\n2", "a"},
                    UnwritableCase{"CtrlZInName", "1", "a\x1A"},
                    UnwritableCase{"QuoteInNumber", "1\"", "a"},
                    UnwritableCase{"BackspacesInNumber", "\b\b;+CMGD=2;+CPBW=9,1,", "a"},
                    UnwritableCase{"DelInName", "1", "ab\x7F\x7F;+CMGD=2"},
                    UnwritableCase{"ChainInNumber", "1;+CMGD=1", "a"},
                    UnwritableCase{"HighQuoteThenChainInName", "1", "\xA2;+CFUN=0"}),
    test::ByLabel());

// An entry read from a hostile handset and written to another: the write is refused before the
// port opens, naming the entry, and message 2 survives even when the line is sent directly.
TEST(WriteTest, InjectedEntryNeverReachesTheHandset) {
    const PhoneBookStore store = PhoneBookStore::loadFile(
        QStringLiteral(PELMAR_TEST_DATA "/broken-phonebook-injection.dat"));
    test::SimLine line(stateFrom("sim-30-messages.json"));
    const PhoneBookWriteResult r = WritePhoneBook(line.channel, PhoneBookKind::SM, store);
    EXPECT_EQ(r.outcome.kind, Kind::InputRefused);
    EXPECT_TRUE(r.outcome.text.contains(QStringLiteral("entry 2 \"Mallory\"")) &&
                r.outcome.text.contains(QStringLiteral("number holds backspace")))
        << r.outcome.text.toStdString();
    EXPECT_TRUE(line.sim.log().isEmpty());

    line.channel.OpenPort();
    EXPECT_THROW(line.channel.SendAndWait("at+cpbw=1,1,\"" + store.at(1).Number() + "\",129,\"M\""),
                 Error);
    line.channel.ClosePort();
    EXPECT_TRUE(line.sim.state().messages.contains(2));
    EXPECT_TRUE(line.commands().isEmpty());
}

// A write cut short by a cancel or an error says which slots hold what, for a store of three
// entries (the second refused when `refusedSecond`) and the ten slots of the SIM.
struct CutShortCase {
    const char* label;
    bool refusedSecond;
    int stopAtStep;  // the stop is requested as this step (from 1) is reported; 0: never
    bool silent;     // the handset never answers "at+cpbw"
    const char16_t* text;
    QList<SlotRange> localSlots;
    QList<SlotRange> oldSlots;
};

class CutShortWriteTest : public testing::TestWithParam<CutShortCase> {};

TEST_P(CutShortWriteTest, OutcomeSaysWhatTheHandsetHolds) {
    const CutShortCase& c = GetParam();
    simulator::SimOptions options;
    if (c.silent)
        options.silent.insert("CPBW");
    test::SimLine line(stateFrom("sim-basic.json"), options);
    test::StopAtStep cancel(c.stopAtStep);
    const Progress progress = cancel.progress();
    const PhoneBookWriteResult r = WritePhoneBook(
        line.channel, PhoneBookKind::SM, c.refusedSecond ? withLongName() : storeOf(3),
        HandsetDialect::Standard, progress, cancel.token());
    EXPECT_EQ(r.outcome.text, QString::fromUtf16(c.text));
    EXPECT_EQ(r.localSlots, c.localSlots);
    EXPECT_EQ(r.oldSlots, c.oldSlots);
    // The local copy's slots hold its entries, the old ones what the SIM held before.
    const simulator::ContactList before = stateFrom("sim-basic.json").phonebooks.value("SM");
    const simulator::ContactList after = line.sim.state().phonebooks.value("SM");
    for (const SlotRange& range : c.oldSlots) {
        for (int slot = range.first; slot <= range.last; ++slot)
            EXPECT_EQ(after.entries.value(slot).name, before.entries.value(slot).name) << slot;
    }
    for (const SlotRange& range : c.localSlots) {
        for (int slot = range.first; slot <= range.last; ++slot)
            EXPECT_EQ(after.entries.contains(slot), slot <= 3) << slot;
    }
}

// Slots 1-4 differ from the store (the SIM holds entries in 1 and 4), 5-10 already hold it. Step 1
// is "Writing phonebook...", step k + 1 announces slot k.
// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Writes, CutShortWriteTest,
    testing::Values(
        CutShortCase{"CancelledAtTheFirstSlot", false, 2, false, u"Cancelled. The handset's phonebook was not changed.", {{5, 10}}, {{1, 4}}},
        CutShortCase{"CancelledMidWrite", false, 4, false, u"Cancelled. Wrote 2 of the 4 slots that differed from the local copy: slots 1–2 and 5–10 hold the local copy; slots 3–4 still hold the handset's old entries. Write again to finish the job.", {{1, 2}, {5, 10}}, {{3, 4}}},
        CutShortCase{"CancelledAfterARefusal", true, 5, false, u"Cancelled. Wrote 2 of the 4 slots that differed from the local copy: slots 1, 3 and 5–10 hold the local copy; slots 2 and 4 still hold the handset's old entries. Write again to finish the job.", {{1, 1}, {3, 3}, {5, 10}}, {{2, 2}, {4, 4}}},
        CutShortCase{"FirstAnswerNeverCame", false, 0, true, u"Read timeout. Possibly simulated handset is not a valid port for Dovrel. Wrote 0 of the 4 slots that differed from the local copy: slots 5–10 hold the local copy; slots 2–4 still hold the handset's old entries; slot 1 may hold either, as its write was not answered. Write again to finish the job.", {{5, 10}}, {{2, 4}}}),
    test::ByLabel());
// clang-format on

// A handset of `slotCount` slots holding contact i in slot i for i = 1 .. `onHandset`, and a local
// copy made from those entries; `setUp` then changes either, or the handset's line.
struct DifferingCase {
    const char* label;
    int slotCount;
    int onHandset;
    void (*setUp)(PhoneBookStore& local, simulator::ContactList& handset, simulator::SimOptions&);
    HandsetDialect dialect;
    int stopAtStep;  // the stop is requested as this step (from 1) is reported; 0: never
    Kind outcome;
    QList<int> written;  // the slots written, in order
};

simulator::Contact contact(int i) {
    return {"+1202556" + QByteArray::number(i).rightJustified(4, '0'), 145,
            "Contact " + QByteArray::number(i).rightJustified(3, '0')};
}

void rename(PhoneBookStore& local, qsizetype from, qsizetype to) {
    for (qsizetype i = from; i < to; ++i) {
        const PhoneBookEntry& e = local.at(i);
        local.replace(i, PhoneBookEntry(e.Number(), e.NumberType(), "New " + e.Name()));
    }
}

QList<int> slotsFrom(int first, int last) {
    QList<int> range;
    for (int k = first; k <= last; ++k)
        range.append(k);
    return range;
}

bool inRanges(const QList<SlotRange>& ranges, int slot) {
    return std::any_of(ranges.begin(), ranges.end(),
                       [slot](const SlotRange& r) { return r.first <= slot && slot <= r.last; });
}

class DifferingSlotsTest : public testing::TestWithParam<DifferingCase> {};

TEST_P(DifferingSlotsTest, OnlyThoseWrittenAndEverySlotAsTold) {
    const DifferingCase& c = GetParam();
    simulator::HandsetState state;
    simulator::ContactList& handset = state.phonebooks["SM"];
    handset.capacity = c.slotCount;
    PhoneBookStore local;
    for (int i = 1; i <= c.onHandset; ++i) {
        handset.entries.insert(i, contact(i));
        local.append(PhoneBookEntry(contact(i).number, 145, contact(i).name));
    }
    simulator::SimOptions options;
    options.dialect = c.dialect;
    if (c.setUp)
        c.setUp(local, handset, options);
    test::SimLine line(state, options);
    test::StopAtStep cancel(c.stopAtStep);
    const Progress progress = cancel.progress();
    const PhoneBookWriteResult r =
        WritePhoneBook(line.channel, PhoneBookKind::SM, local, c.dialect, progress, cancel.token());
    EXPECT_EQ(r.outcome.kind, c.outcome) << r.outcome.text.toStdString();

    QList<QByteArray> expected{"at+cpbs=\"SM\"", "at+cpbs?",
                               "at+cpbr=1," + QByteArray::number(c.slotCount)};
    for (const int k : c.written) {
        QByteArray command = "at+cpbw=" + QByteArray::number(k);
        command += c.dialect == HandsetDialect::Older ? ",1" : "";
        if (k <= local.count()) {
            const PhoneBookEntry& e = local.at(k - 1);
            command += ",\"" + e.Number() + "\"," + QByteArray::number(e.NumberType()) + ",\"" +
                       e.Name() + '"';
        }
        expected.append(command);
    }
    EXPECT_EQ(line.commands(), expected);

    // Each slot holds the local copy, but those the outcome names as old hold what they held.
    const simulator::ContactList after = line.sim.state().phonebooks.value("SM");
    for (int k = 1; k <= c.slotCount; ++k) {
        EXPECT_NE(inRanges(r.localSlots, k), inRanges(r.oldSlots, k)) << k;
        if (inRanges(r.oldSlots, k)) {
            EXPECT_EQ(after.entries.value(k), handset.entries.value(k)) << k;
        } else if (k <= local.count()) {
            const PhoneBookEntry& e = local.at(k - 1);
            EXPECT_EQ(after.entries.value(k),
                      (simulator::Contact{e.Number(), e.NumberType(), e.Name()}))
                << k;
        } else {
            EXPECT_FALSE(after.entries.contains(k)) << k;
        }
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Cases, DifferingSlotsTest,
    testing::Values(
        DifferingCase{"OneChanged", 250, 10, [](PhoneBookStore& l, simulator::ContactList&, simulator::SimOptions&) { rename(l, 4, 5); }, HandsetDialect::Standard, 0, Kind::Done, {5}},
        DifferingCase{"AllChanged", 250, 10, [](PhoneBookStore& l, simulator::ContactList&, simulator::SimOptions&) { rename(l, 0, 10); }, HandsetDialect::Standard, 0, Kind::Done, slotsFrom(1, 10)},
        DifferingCase{"FullUnchanged", 250, 250, nullptr, HandsetDialect::Standard, 0, Kind::Done, {}},
        DifferingCase{"FullAllChanged", 250, 250, [](PhoneBookStore& l, simulator::ContactList&, simulator::SimOptions&) { rename(l, 0, 250); }, HandsetDialect::Standard, 0, Kind::Done, slotsFrom(1, 250)},
        DifferingCase{"TypeOnlyChanged", 20, 5, [](PhoneBookStore& l, simulator::ContactList&, simulator::SimOptions&) { l.replace(2, PhoneBookEntry(l.at(2).Number(), 161, l.at(2).Name())); }, HandsetDialect::Standard, 0, Kind::Done, {3}},
        DifferingCase{"LastTwoDroppedAreEmptied", 20, 5, [](PhoneBookStore& l, simulator::ContactList&, simulator::SimOptions&) { l.removeAt(4); l.removeAt(3); }, HandsetDialect::Standard, 0, Kind::Done, {4, 5}},
        /* slot 3's line cannot be read: it may hold anything, so it is emptied */ DifferingCase{"UnreadableLineIsEmptied", 20, 2, [](PhoneBookStore&, simulator::ContactList& h, simulator::SimOptions&) { h.entries.insert(3, {"5550103", 129, "A \"B\",0,\"C"}); }, HandsetDialect::Standard, 0, Kind::Done, {3}},
        /* a name over a line end: its second line names no slot, so no empty-looking slot can be trusted */ DifferingCase{"LineWithoutSlotEmptiesEveryEmptySlot", 20, 2, [](PhoneBookStore&, simulator::ContactList& h, simulator::SimOptions&) { h.entries.insert(3, {"5550103", 129, "A\r\nB"}); }, HandsetDialect::Standard, 0, Kind::Done, slotsFrom(3, 20)},
        DifferingCase{"ReadRefusedWritesEverySlot", 20, 5, [](PhoneBookStore& l, simulator::ContactList&, simulator::SimOptions& o) { rename(l, 1, 2); simulator::addReplyOverride(o, "CPBR=ERROR"); }, HandsetDialect::Standard, 0, Kind::Done, slotsFrom(1, 20)},
        DifferingCase{"RefusedEntryKeepsItsSlot", 20, 5, [](PhoneBookStore& l, simulator::ContactList&, simulator::SimOptions&) { rename(l, 1, 3); l.replace(1, PhoneBookEntry("5550102", 129, QByteArray(19, 'x'))); }, HandsetDialect::Standard, 0, Kind::HandsetError, {2, 3}},
        /* step 4 announces the third slot: slots 1 and 2 were written */ DifferingCase{"CancelledMidWay", 250, 10, [](PhoneBookStore& l, simulator::ContactList&, simulator::SimOptions&) { rename(l, 0, 10); }, HandsetDialect::Standard, 4, Kind::Cancelled, {1, 2}},
        DifferingCase{"OlderHandsetOneChanged", 250, 10, [](PhoneBookStore& l, simulator::ContactList&, simulator::SimOptions&) { rename(l, 6, 7); }, HandsetDialect::Older, 0, Kind::Done, {7}}),
    test::ByLabel());
// clang-format on

TEST(WriteTest, PhoneFailureStopsTheWrite) {
    simulator::SimOptions options;
    simulator::addReplyOverride(options, "CPBW=+CMS ERROR: 300");
    test::SimLine line(stateFrom("sim-basic.json"), options);
    const PhoneBookWriteResult r = WritePhoneBook(line.channel, PhoneBookKind::SM, storeOf(3));
    EXPECT_EQ(r.outcome.kind, Kind::PhoneRefused);
    EXPECT_EQ(r.refused, QList<qsizetype>{0});
    EXPECT_EQ(line.commands().size(), 4);
}

TEST(WriteTest, LastDialledIsNotWritable) {
    test::SimLine line(stateFrom("sim-basic.json"));
    EXPECT_EQ(WritePhoneBook(line.channel, PhoneBookKind::LD, storeOf(1)).outcome.kind,
              Kind::InputRefused);
    EXPECT_TRUE(line.sim.log().isEmpty());
}

TEST(WriteTest, ReadBackGivesWhatWasWritten) {
    test::SimLine line(stateFrom("sim-phonebook-200.json"));
    const PhoneBookStore store = storeOf(40, 18);
    ASSERT_TRUE(WritePhoneBook(line.channel, PhoneBookKind::SM, store).outcome.isDone());
    const PhoneBookReadResult read = ReadPhoneBook(line.channel, PhoneBookKind::SM);
    ASSERT_TRUE(read.store);
    EXPECT_EQ(*read.store, store);
}

}  // namespace
}  // namespace pelmar
