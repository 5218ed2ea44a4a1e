#include "sms/listing_decoder.h"

#include <QTimeZone>
#include <algorithm>
#include <array>
#include <cctype>
#include <optional>

#include "base/hex_text.h"
#include "base/t_reg_expr.h"
#include "sms/gsm_alphabet.h"
#include "sms/user_data_header.h"

namespace pelmar {
namespace {

// "+CMGL: <index>,<stat>,[<alpha>],<length>". The alpha field may be empty, quoted or missing;
// the last number of the line is the TPDU length. Nine digits at most, so that every number
// fits its field.
constexpr QByteArrayView kListingExpression =
    "CMGL:[ \\t]*(\\d{1,9})[ \\t]*,[ \\t]*(\\d{1,9})(?:,.*)?,[ \\t]*(\\d{1,9})[ \\t]*$";

// Compiled once per thread: a listing of thousands of entries runs it once per entry.
TRegExpr& listingExpression() {
    thread_local TRegExpr re(kListingExpression);
    return re;
}

bool isListingLine(QByteArrayView line) {
    return line.contains("CMGL:");
}

bool isHexDigit(char c) {
    return std::isxdigit(c & 0xFF) != 0;
}

// The hex digits a PDU line begins with. Some handsets send a stray byte after them (a quote
// has been seen) before the line end; it belongs to no PDU.
QByteArrayView leadingHex(QByteArrayView line) {
    return line.first(std::find_if_not(line.begin(), line.end(), isHexDigit) - line.begin());
}

// A PDU line holds the TPDU of `length` octets (as the listing line counts it), or an SMSC
// field (its length octet first) followed by that TPDU, as most handsets write it.
bool isPduOfLength(QByteArrayView hex, qsizetype length) {
    if (hex.isEmpty() || hex.size() % 2 != 0)
        return false;
    const qsizetype octets = hex.size() / 2;
    return octets == length || (octets > length && 1 + HexToByte(hex) == octets - length);
}

// One entry of a listing: the numbers of its listing line and the PDU line that belongs to it.
struct ListedEntry {
    quint32 index = 0;
    int status = 0;
    int length = 0;
    QByteArrayView pdu;  // empty when no line of the announced length followed
};

// Walks a listing line by line. Lines may end in CR LF, CR CR LF or a bare LF, and anything
// between a listing line and its PDU (noise, an unsolicited code) is passed over: the PDU is
// the first line whose hex digits fit the announced length, before the next listing line.
class EntryReader {
  public:
    explicit EntryReader(QByteArrayView text) : m_text(text) {}

    std::optional<ListedEntry> next() {
        TRegExpr& re = listingExpression();
        while (m_pos < m_text.size()) {
            const QByteArrayView line = takeLine();
            if (!isListingLine(line) || !re.Exec(line))
                continue;
            ListedEntry entry;
            entry.index = re.Match(1).toUInt();
            entry.status = re.Match(2).toInt();
            entry.length = re.Match(3).toInt();
            entry.pdu = findPdu(entry.length);
            return entry;
        }
        return std::nullopt;
    }

  private:
    QByteArrayView findPdu(qsizetype length) {
        while (m_pos < m_text.size()) {
            const qsizetype start = m_pos;
            const QByteArrayView line = takeLine();
            if (isListingLine(line)) {
                m_pos = start;  // the next entry's, read by next()
                return {};
            }
            if (const QByteArrayView hex = leadingHex(line); isPduOfLength(hex, length))
                return hex;
        }
        return {};
    }

    // The next line without its end and surrounding blanks; empty lines give an empty view.
    QByteArrayView takeLine() {
        qsizetype end = m_pos;
        while (end < m_text.size() && m_text[end] != '\r' && m_text[end] != '\n')
            ++end;
        const QByteArrayView line = m_text.sliced(m_pos, end - m_pos).trimmed();
        m_pos = end < m_text.size() ? end + 1 : end;
        return line;
    }

    QByteArrayView m_text;
    qsizetype m_pos = 0;
};

enum class Layout { Deliver, Submit, StatusReport };

// By TP-MTI, the first octet's bits 0-1. A reserved value is read as SMS-DELIVER (TS 23.040).
constexpr std::array<Layout, 4> kLayoutByMti = {Layout::Deliver, Layout::Submit,
                                                Layout::StatusReport, Layout::Deliver};

// Octets of TP-VP by TP-VPF (first octet bits 3-4): none, enhanced, relative, absolute.
constexpr std::array<int, 4> kValidityPeriodOctets = {0, 7, 1, 7};

constexpr quint8 kUdhiBit = 0x40;

enum class Alphabet { Gsm7, EightBit, Ucs2, Compressed };

// TP-DCS bits 2-3 of the general coding groups; the reserved value is read as GSM 7-bit.
constexpr std::array<Alphabet, 4> kGeneralAlphabets = {Alphabet::Gsm7, Alphabet::EightBit,
                                                       Alphabet::Ucs2, Alphabet::Gsm7};

// Coding groups 1000-1110 (TP-DCS bits 4-7). The reserved groups 1000-1011 are read as GSM
// 7-bit, as TS 23.038 asks of a receiver; 1100-1110 are the message-waiting groups.
constexpr std::array<Alphabet, 7> kOtherGroupAlphabets = {
    Alphabet::Gsm7, Alphabet::Gsm7, Alphabet::Gsm7, Alphabet::Gsm7,
    Alphabet::Gsm7, Alphabet::Gsm7, Alphabet::Ucs2,
};

Alphabet alphabetOf(quint8 dcs) {
    if (dcs < 0x80) {
        if (dcs & 0x20)
            return Alphabet::Compressed;
        return kGeneralAlphabets[(dcs >> 2) & 0x03];
    }
    if (dcs >= 0xF0)
        return (dcs & 0x04) ? Alphabet::EightBit : Alphabet::Gsm7;  // data coding
    return kOtherGroupAlphabets[(dcs >> 4) - 8];
}

// Reads the octets of one TPDU in order; running out is a broken entry.
class PduReader {
  public:
    PduReader(QByteArrayView bytes, quint32 index) : m_bytes(bytes), m_index(index) {}

    quint8 octet(const char* field) { return static_cast<quint8>(take(1, field)[0]); }

    QByteArrayView take(qsizetype count, const char* field) {
        if (count > m_bytes.size() - m_pos)
            fail(field);
        const QByteArrayView part = m_bytes.sliced(m_pos, count);
        m_pos += count;
        return part;
    }

    QByteArrayView rest() const { return m_bytes.sliced(m_pos); }

    [[noreturn]] void fail(const char* field) const {
        throw EPduFormat(QStringLiteral("The PDU of listed message %1 ends before its %2.")
                             .arg(m_index)
                             .arg(QLatin1StringView(field)));
    }

  private:
    QByteArrayView m_bytes;
    qsizetype m_pos = 0;
    quint32 m_index;
};

QString cutTo(const QString& text, int capacity) {
    if (text.size() <= capacity)
        return text;
    // Never keep half of a surrogate pair.
    const int keep = text[capacity - 1].isHighSurrogate() ? capacity - 1 : capacity;
    return text.left(keep);
}

// UCS2 user data is UTF-16 to us: half of a surrogate pair on its own shows as U+FFFD.
QString withoutLoneSurrogates(QString text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        else if (text[i].isSurrogate())
            text[i] = QChar::ReplacementCharacter;
    }
    return text;
}

// Septet values of packed 7-bit data: at most `count`, and only those whose bits are all there.
QByteArray unpackSeptetValues(QByteArrayView octets, qsizetype count) {
    QByteArray septets;
    const qsizetype available = octets.size() * 8 / 7;
    septets.reserve(qMin(count, available));
    for (qsizetype n = 0; n < count && n < available; ++n) {
        const qsizetype bit = n * 7;
        const qsizetype i = bit / 8;
        quint32 window = static_cast<quint8>(octets[i]);
        if (i + 1 < octets.size())
            window |= static_cast<quint32>(static_cast<quint8>(octets[i + 1])) << 8;
        septets += static_cast<char>((window >> (bit % 8)) & 0x7F);
    }
    return septets;
}

QString unpackSeptetText(QByteArrayView octets, int udl, int skipSeptets) {
    const QByteArray septets = unpackSeptetValues(octets, udl);
    return GsmSeptetsToText(
        QByteArrayView(septets).sliced(std::clamp<qsizetype>(skipSeptets, 0, septets.size())));
}

QString ucs2Text(QByteArrayView octets, int udl, int skipOctets) {
    const qsizetype end = qMin<qsizetype>(udl, octets.size());
    QString text;
    for (qsizetype i = qMax(skipOctets, 0); i + 1 < end; i += 2) {
        text += QChar(static_cast<char16_t>(static_cast<quint8>(octets[i]) << 8 |
                                            static_cast<quint8>(octets[i + 1])));
    }
    return text;
}

// The leading octets of hex text, up to its first non-hex pair.
QByteArray hexPrefixToBytes(QByteArrayView hex) {
    QByteArray bytes;
    for (qsizetype i = 0; i + 1 < hex.size(); i += 2) {
        const auto octet = HexToBytes(hex.sliced(i, 2));
        if (!octet)
            break;
        bytes += *octet;
    }
    return bytes;
}

// "dd.mm.yy hh:mm" from the swapped semi-octets year, month, day, hour, minute, second, zone.
QString formatTimestamp(QByteArrayView stamp) {
    auto field = [&](int i) {
        QByteArray digits = ByteToHex(static_cast<quint8>(stamp[i]));
        std::swap(digits[0], digits[1]);
        return QString::fromLatin1(digits);
    };
    return QStringLiteral("%1.%2.%3 %4:%5").arg(field(2), field(1), field(0), field(3), field(4));
}

// The time stamp with its zone: quarters of an hour, the sign in bit 3 of the swapped tens digit
// (23.040 9.2.3.11); invalid when a field is no date or time.
QDateTime timestampOf(QByteArrayView stamp) {
    const auto nibbles = [&](int i, quint8 tensMask) {
        const auto octet = static_cast<quint8>(stamp[i]);
        const int tens = octet & tensMask;
        const int units = octet >> 4;
        return tens > 9 || units > 9 ? -1 : tens * 10 + units;
    };
    const int year = nibbles(0, 0x0F), month = nibbles(1, 0x0F), day = nibbles(2, 0x0F);
    const int hour = nibbles(3, 0x0F), minute = nibbles(4, 0x0F), second = nibbles(5, 0x0F);
    const int quarters = nibbles(6, 0x07);
    const QDate date(2000 + year, month, day);
    const QTime time(hour, minute, second);
    if (year < 0 || quarters < 0 || !date.isValid() || !time.isValid())
        return {};
    const int offset = ((static_cast<quint8>(stamp[6]) & 0x08) ? -1 : 1) * quarters * 15 * 60;
#if QT_VERSION >= QT_VERSION_CHECK(6, 5, 0)
    return QDateTime(date, time, QTimeZone::fromSecondsAheadOfUtc(offset));
#else
    return QDateTime(date, time, Qt::OffsetFromUTC, offset);
#endif
}

QString readAddress(PduReader& r) {
    const quint8 length = r.octet("address length");  // useful semi-octets
    const quint8 type = r.octet("type of address");
    const QByteArrayView value = r.take((length + 1) / 2, "address");
    const int typeOfNumber = (type >> 4) & 0x07;
    QString number;
    if (typeOfNumber == 5) {  // alphanumeric: GSM 7-bit packed ("Vodafone")
        number = GsmSeptetsToText(unpackSeptetValues(value, length * 4 / 7));
    } else {
        number = QString::fromLatin1(SemiOctetDecode(BytesToHex(value))).left(length);
        if (typeOfNumber == 1)
            number.prepend(QLatin1Char('+'));  // international
    }
    return cutTo(number, DecodedMessage::NumberCapacity);
}

// Text, and the part of a long message that its user-data header names.
QString readUserData(PduReader& r, quint8 firstOctet, quint8 dcs, DecodedMessage& m) {
    const quint8 udl = r.octet("TP-UDL");
    const QByteArrayView data = r.rest();
    int headerOctets = 0;
    // A handset stores an empty message with TP-UDHI set and TP-UDL 0: no header to read then.
    if ((firstOctet & kUdhiBit) && udl > 0) {
        if (data.isEmpty())
            r.fail("user-data header");
        headerOctets = 1 + static_cast<quint8>(data[0]);
        if (headerOctets > data.size())
            r.fail("user-data header");
        m.Part = FindConcatPart(data.sliced(1, headerOctets - 1));
    }
    const qsizetype payloadOctets =
        qMax<qsizetype>(qMin<qsizetype>(udl, data.size()) - headerOctets, 0);
    switch (alphabetOf(dcs)) {
        case Alphabet::Gsm7:
            // The header is followed by fill bits up to the next septet boundary.
            return unpackSeptetText(data, udl, (headerOctets * 8 + 6) / 7);
        case Alphabet::Ucs2:
            return ucs2Text(data, udl, headerOctets);
        case Alphabet::EightBit:
            return QStringLiteral("[binary message, %1 bytes]").arg(payloadOctets);
        case Alphabet::Compressed:
            break;
    }
    return QStringLiteral("[compressed message, %1 bytes]").arg(payloadOctets);
}

void readDeliver(PduReader& r, quint8 firstOctet, DecodedMessage& m) {
    m.Number = readAddress(r);
    r.take(1, "TP-PID");
    const quint8 dcs = r.octet("TP-DCS");
    const QByteArrayView stamp = r.take(7, "TP-SCTS");
    m.Date = formatTimestamp(stamp);
    m.Timestamp = timestampOf(stamp);
    m.Text = readUserData(r, firstOctet, dcs, m);
}

void readSubmit(PduReader& r, quint8 firstOctet, DecodedMessage& m) {
    r.take(1, "TP-MR");
    m.Number = readAddress(r);
    r.take(1, "TP-PID");
    const quint8 dcs = r.octet("TP-DCS");
    r.take(kValidityPeriodOctets[(firstOctet >> 3) & 0x03], "TP-VP");
    m.Text = readUserData(r, firstOctet, dcs, m);
}

void readStatusReport(PduReader& r, DecodedMessage& m) {
    r.take(1, "TP-MR");
    m.Number = readAddress(r);
    const QByteArrayView stamp = r.take(7, "TP-SCTS");
    m.Date = formatTimestamp(stamp);
    m.Timestamp = timestampOf(stamp);
    const QString discharged = formatTimestamp(r.take(7, "TP-DT"));
    // 0x00-0x1F: the transaction completed; anything else is pending or failed.
    const bool delivered = r.octet("TP-ST") <= 0x1F;
    m.Text =
        (delivered ? QStringLiteral("Доставлено ") : QStringLiteral("Не доставлено ")) + discharged;
}

DecodedMessage decodeEntry(const ListedEntry& entry) {
    if (entry.pdu.isEmpty()) {
        throw EPduFormat(
            QStringLiteral("No PDU of %1 octets follows the listing line of message %2.")
                .arg(entry.length)
                .arg(entry.index));
    }
    DecodedMessage m;
    m.Index = entry.index;
    m.Status = messageStatusOf(entry.status);
    // The line was checked to be hex, with any SMSC field before the TPDU's octets.
    const QByteArray pdu = *HexToBytes(entry.pdu);
    PduReader r(QByteArrayView(pdu).sliced(pdu.size() - entry.length), m.Index);
    const quint8 firstOctet = r.octet("first octet");
    switch (kLayoutByMti[firstOctet & 0x03]) {
        case Layout::Deliver:
            readDeliver(r, firstOctet, m);
            break;
        case Layout::Submit:
            readSubmit(r, firstOctet, m);
            break;
        case Layout::StatusReport:
            readStatusReport(r, m);
            break;
    }
    m.Date = cutTo(m.Date, DecodedMessage::DateCapacity);
    m.Text = withoutLoneSurrogates(cutTo(m.Text, DecodedMessage::TextCapacity));
    return m;
}

// What the listing shows of an entry that cannot be read, so that it can still be deleted.
DecodedMessage unreadableEntry(const ListedEntry& entry) {
    DecodedMessage m;
    m.Index = entry.index;
    m.Status = messageStatusOf(entry.status);
    m.Text = DecodedMessage::UnreadableText.toString();
    return m;
}

}  // namespace

DecodedMessage DecodeListedMessage(QByteArrayView text) {
    const std::optional<ListedEntry> entry = EntryReader(text).next();
    return entry ? decodeEntry(*entry) : DecodedMessage();
}

DecodedListing DecodeListing(QByteArrayView reply) {
    DecodedListing listing;
    EntryReader reader(reply);
    while (const std::optional<ListedEntry> entry = reader.next()) {
        try {
            listing.messages.append(decodeEntry(*entry));
        } catch (const EPduFormat&) {
            listing.messages.append(unreadableEntry(*entry));
            ++listing.unreadable;
        }
    }
    return listing;
}

QString UnpackSeptets(QByteArrayView udlAndData, int skipSeptets) {
    const QByteArray bytes = hexPrefixToBytes(udlAndData);
    if (bytes.isEmpty())
        return {};
    return unpackSeptetText(QByteArrayView(bytes).sliced(1), static_cast<quint8>(bytes[0]),
                            skipSeptets);
}

QString DecodeUcs2(QByteArrayView udlAndData, int skipOctets) {
    const QByteArray bytes = hexPrefixToBytes(udlAndData);
    if (bytes.isEmpty())
        return {};
    return ucs2Text(QByteArrayView(bytes).sliced(1), static_cast<quint8>(bytes[0]), skipOctets);
}

}  // namespace pelmar
