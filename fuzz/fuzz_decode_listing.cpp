#include <cstddef>
#include <cstdint>

#include "base/hex_text.h"
#include "sms/listing_decoder.h"

// Whatever a handset or a file sends: raw bytes as a whole reply, and the same bytes as the PDU
// of one well-formed listing line, so that the TPDU reader is reached on every run.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayView input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    try {
        pelmar::DecodeListing(input);
    } catch (const pelmar::Error&) {
    }
    if (input.isEmpty())
        return 0;
    const QByteArray listing = "+CMGL: 1,0,," + QByteArray::number(static_cast<quint8>(input[0])) +
                               "\r\n" + pelmar::BytesToHex(input.sliced(1)) + "\r\n";
    try {
        pelmar::DecodeListedMessage(listing);
    } catch (const pelmar::Error&) {
    }
    pelmar::UnpackSeptets(input);
    pelmar::DecodeUcs2(input);
    return 0;
}
