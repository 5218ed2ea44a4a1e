#include "link/at_error_texts.h"

#include <algorithm>
#include <iterator>

namespace pelmar {

namespace {

struct ErrorText {
    int code;
    const char* meaning;
};

// Sorted by code, so a lookup is a binary search.
constexpr ErrorText kCmsErrors[] = {
    {1, "unassigned number"},
    {8, "operator determined barring"},
    {10, "call barred"},
    {21, "short message transfer rejected"},
    {27, "destination out of service"},
    {28, "unidentified subscriber"},
    {29, "facility rejected"},
    {30, "unknown subscriber"},
    {38, "network out of order"},
    {41, "temporary failure"},
    {42, "congestion"},
    {47, "resources unavailable"},
    {50, "requested facility not subscribed"},
    {69, "requested facility not implemented"},
    {81, "invalid short message reference"},
    {95, "invalid message"},
    {96, "invalid mandatory information"},
    {97, "message type not implemented"},
    {98, "message not compatible with the protocol state"},
    {99, "information element not implemented"},
    {111, "protocol error"},
    {127, "interworking error"},
    {128, "telematic interworking not supported"},
    {129, "short message type 0 not supported"},
    {130, "cannot replace short message"},
    {143, "unspecified protocol identifier error"},
    {144, "data coding scheme not supported"},
    {145, "message class not supported"},
    {159, "unspecified data coding scheme error"},
    {160, "command cannot be actioned"},
    {161, "command unsupported"},
    {175, "unspecified command error"},
    {176, "message not supported"},
    {192, "service centre busy"},
    {193, "no service centre subscription"},
    {194, "service centre system failure"},
    {195, "invalid recipient address"},
    {196, "recipient barred"},
    {197, "duplicate message rejected"},
    {198, "validity period format not supported"},
    {199, "validity period not supported"},
    {208, "SIM message storage full"},
    {209, "no message storage on the SIM"},
    {210, "error in the handset"},
    {211, "memory capacity exceeded"},
    {212, "SIM toolkit busy"},
    {213, "SIM data download error"},
    {255, "unspecified error"},
    {300, "handset failure"},
    {301, "message service of the handset reserved"},
    {302, "operation not allowed"},
    {303, "operation not supported"},
    {304, "invalid PDU mode parameter"},
    {305, "invalid text mode parameter"},
    {310, "SIM not inserted"},
    {311, "SIM PIN required"},
    {312, "PH-SIM PIN required"},
    {313, "SIM failure"},
    {314, "SIM busy"},
    {315, "SIM wrong"},
    {316, "SIM PUK required"},
    {317, "SIM PIN2 required"},
    {318, "SIM PUK2 required"},
    {320, "memory failure"},
    {321, "invalid memory index"},
    {322, "memory full"},
    {330, "service centre address unknown"},
    {331, "no network service"},
    {332, "network timeout"},
    {340, "no acknowledgement expected"},
    {500, "unknown error"},
};

constexpr ErrorText kCmeErrors[] = {
    {0, "phone failure"},
    {1, "no connection to phone"},
    {2, "phone adaptor link reserved"},
    {3, "operation not allowed"},
    {4, "operation not supported"},
    {5, "PH-SIM PIN required"},
    {6, "PH-FSIM PIN required"},
    {7, "PH-FSIM PUK required"},
    {10, "SIM not inserted"},
    {11, "SIM PIN required"},
    {12, "SIM PUK required"},
    {13, "SIM failure"},
    {14, "SIM busy"},
    {15, "SIM wrong"},
    {16, "incorrect password"},
    {17, "SIM PIN2 required"},
    {18, "SIM PUK2 required"},
    {20, "memory full"},
    {21, "invalid index"},
    {22, "not found"},
    {23, "memory failure"},
    {24, "text too long"},
    {25, "invalid characters in text"},
    {26, "number too long"},
    {27, "invalid characters in number"},
    {30, "no network service"},
    {31, "network timeout"},
    {32, "emergency calls only"},
    {40, "network personalisation PIN required"},
    {41, "network personalisation PUK required"},
    {100, "unknown error"},
    {103, "illegal handset"},
    {106, "illegal equipment"},
    {107, "data services not allowed"},
};

template <std::size_t N>
constexpr bool sortedByCode(const ErrorText (&table)[N]) {
    return std::is_sorted(std::begin(table), std::end(table),
                          [](const ErrorText& a, const ErrorText& b) { return a.code < b.code; });
}
static_assert(sortedByCode(kCmsErrors) && sortedByCode(kCmeErrors));

template <std::size_t N>
QString meaningIn(const ErrorText (&table)[N], int code) {
    const auto* found = std::lower_bound(std::begin(table), std::end(table), code,
                                         [](const ErrorText& e, int c) { return e.code < c; });
    if (found == std::end(table) || found->code != code)
        return {};
    return QString::fromLatin1(found->meaning);
}

}  // namespace

QString cmsErrorMeaning(int code) {
    return meaningIn(kCmsErrors, code);
}

QString cmeErrorMeaning(int code) {
    return meaningIn(kCmeErrors, code);
}

QString errorMeaningOf(const AtReply& reply) {
    const int code = reply.errorCode();
    if (code < 0)
        return {};
    if (reply.result == AtResult::CmsError)
        return cmsErrorMeaning(code);
    if (reply.result == AtResult::CmeError)
        return cmeErrorMeaning(code);
    return {};
}

QString answerText(const AtReply& reply) {
    const QString quoted =
        QLatin1Char('"') + QString::fromLatin1(reply.resultLine) + QLatin1Char('"');
    const QString meaning = errorMeaningOf(reply);
    return meaning.isEmpty() ? quoted : QStringLiteral("%1 (%2)").arg(quoted, meaning);
}

}  // namespace pelmar
