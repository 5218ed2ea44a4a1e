#pragma once

// Which form of the AT commands the handset takes. Standard handsets follow 3GPP TS 27.005 and
// 27.007 as written. Older handsets take message PDUs without the service-centre field and
// want ",1" after the slot in the phonebook write ("at+cpbw=k,1,\"number\",type,\"name\"",
// "at+cpbw=k,1" to empty a slot); a standard handset reads that 1 as the number.
namespace pelmar {

enum class HandsetDialect { Standard, Older };

}  // namespace pelmar
