// Feeds arbitrary bytes to the phonebook reply readers (the "at+cpbs?" selection and the
// "at+cpbr=1,n" entries). Every non-empty line is either one entry or one unreadable line, no
// entry reaches across a line end, and nothing read is larger than its room in the record.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "link/command_text.h"
#include "phonebook/phonebook_reply.h"

using namespace pelmar;

namespace {

qsizetype nonEmptyLines(QByteArrayView bytes) {
    qsizetype lines = 0;
    bool inLine = false;
    for (const char c : bytes) {
        const bool end = c == '\r' || c == '\n';
        if (!end && !inLine)
            ++lines;
        inLine = !end;
    }
    return lines;
}

bool crossesLineEnd(const QByteArray& text) {
    return text.contains('\r') || text.contains('\n');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const std::optional<int> slotCount = ParsePhoneBookSlotCount(bytes);
    if (slotCount && *slotCount < 0)
        std::abort();

    const PhoneBookEntries read = ParsePhoneBookEntries(bytes);
    if (read.store.count() + read.unreadable.size() != nonEmptyLines(bytes) ||
        read.cut.size() > read.store.count())
        std::abort();
    for (const PhoneBookEntry& e : read.store) {
        if (crossesLineEnd(e.Name()) || crossesLineEnd(e.Number()) ||
            e.Name().size() > PhoneBookEntry::kNameRoom ||
            e.Number().size() > PhoneBookEntry::kNumberRoom)
            std::abort();
    }
    for (const QByteArray& line : read.unreadable) {
        if (line.isEmpty() || crossesLineEnd(line) || escapedBytes(line).contains(u'\r'))
            std::abort();
    }
    return 0;
}
