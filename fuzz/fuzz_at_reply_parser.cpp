// Whatever a handset (or a device that is not one) sends must be cut into replies without a
// crash, an out-of-bounds read or a reply that loses bytes.
//
// Input layout: byte 0 picks the pending command and whether it waits for the prompt, byte 1
// the size of the pieces the rest arrives in.

#include <cstddef>
#include <cstdint>

#include "link/at_reply_parser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) {
        return 0;
    }
    static const char* const kCommands[] = {"+CMGL", "+CMGS", "+CPBR", "+CGMI", "+CMGD", "+CPMS"};
    const uint8_t pick = data[0];
    const size_t piece = data[1] == 0 ? 1 : data[1];
    const char* command = kCommands[(pick & 0x7F) % std::size(kCommands)];

    pelmar::AtReplyParser parser;
    parser.setPendingCommand(command, (pick & 0x80) != 0);
    parser.expectEcho("at");
    const auto* bytes = reinterpret_cast<const char*>(data + 2);
    const size_t length = size - 2;
    for (size_t at = 0; at < length; at += piece) {
        const size_t n = at + piece <= length ? piece : length - at;
        parser.feed(QByteArrayView(bytes + at, static_cast<qsizetype>(n)));
        while (auto reply = parser.takeReply([](const QByteArray&) {})) {
            (void)reply->text();
            (void)reply->errorCode();
        }
    }
    return 0;
}
