#pragma once

#include <QString>

#include "link/at_reply.h"

// Short meanings of the error numbers handsets send most: "+CMS ERROR: n" (3GPP TS 27.005
// §3.2.5, with the network's RP causes below 128 and the TP failure causes 128-255 of TS 23.040)
// and "+CME ERROR: n" (3GPP TS 27.007 §9.2).
namespace pelmar {

// The meaning of "+CMS ERROR: code", or empty for a number not in the table.
QString cmsErrorMeaning(int code);
// The meaning of "+CME ERROR: code", or empty for a number not in the table.
QString cmeErrorMeaning(int code);
// The meaning of the reply's error result ("memory full"), or empty when it has none we know.
QString errorMeaningOf(const AtReply& reply);
// The handset's final answer as the user reads it: "\"+CMS ERROR: 322\" (memory full)", or just
// the quoted line when its meaning is not known.
QString answerText(const AtReply& reply);

}  // namespace pelmar
