#include "smart/ringtone.h"

#include <algorithm>
#include <array>
#include <optional>

#include "base/hex_text.h"
#include "base/input_problem.h"
#include "base/t_reg_expr.h"
#include "base/windows1251.h"
#include "sms/message_input.h"

namespace pelmar {
namespace {

// The three expressions that take RTTTL text apart: title, header, one note.
constexpr char kTitleExpr[] = R"(([^:]*):)";
constexpr char kHeaderExpr[] = R"(D=([\d]*),O=([\d]*),B=([\d]*):)";
constexpr char kNoteExpr[] = R"(([\d]{0,2})([\#]?[ABCDEFGHP\-][\#]?)([\.\;\&]?)([0-8]{0,1}))";

constexpr int kMaxTitle = 11;
constexpr int kMaxInstructions = 255;  // the pattern length is one octet

struct Code {
    const char* text;
    int code;
};

// Note texts the ringing-tone format has a code for; anything else the note expression lets
// through (B#, #H, P#, #C#, ...) has none.
constexpr Code kNoteCodes[] = {
    {"P", 0},  {"-", 0},  {"C", 1},   {"C#", 2},  {"#C", 2}, {"D", 3},  {"D#", 4}, {"#D", 4},
    {"E", 5},  {"E#", 6}, {"#E", 6},  {"F", 6},   {"F#", 7}, {"#F", 7}, {"G", 8},  {"G#", 9},
    {"#G", 9}, {"A", 10}, {"A#", 11}, {"#A", 11}, {"H", 12}, {"B", 12},
};
// Duration code by position: whole, half, quarter ... 1/32 note.
constexpr std::array kDurations{1, 2, 4, 8, 16, 32};
constexpr Code kSpecifierCodes[] = {{"", 0}, {".", 1}, {";", 2}, {"&", 3}};
// Scale code by octave: the format knows four octaves, and 4 to 7 fold onto 0 to 3.
constexpr std::array kScaleCodes{0, 1, 2, 3, 0, 1, 2, 3};
constexpr std::array kTempi{25,  28,  31,  35,  40,  45,  50,  56,  63,  70,  80,
                            90,  100, 112, 125, 140, 160, 180, 200, 225, 250, 285,
                            320, 355, 400, 450, 500, 565, 635, 715, 800, 900};
constexpr int kDefaultTempo = 160;

// Fixed bit fields of the ringing-tone command.
constexpr char kCommandStart[] =
    "00000010"  // two commands follow
    "0100101"   // ringing-tone programming
    "0"         // filler
    "0011101"   // sound
    "001";      // basic song
constexpr char kSongStart[] =
    "00000001"  // one pattern
    "000"       // pattern header
    "00"        // pattern id
    "0000";     // no loop
constexpr char kTempoInstruction[] = "100";
constexpr char kScaleInstruction[] = "010";
constexpr char kNoteInstruction[] = "001";
constexpr char kCommandEnd[] = "00000000";

template <size_t N>
std::optional<int> lookUp(const Code (&table)[N], QByteArrayView text) {
    for (const Code& c : table) {
        if (text == QByteArrayView(c.text))
            return c.code;
    }
    return std::nullopt;
}

QString latin(QByteArrayView bytes) {
    return QString::fromLatin1(bytes);
}

// The text as the expressions read it: one byte per character, Windows-1251 where the code page
// has the character. Only title characters are ever sent, and those are checked separately.
QByteArray toCodePage(const QString& text) {
    QByteArray out;
    out.reserve(text.size());
    for (const QChar c : text)
        out += encodeWindows1251Char(c.unicode()).value_or('?');
    return out;
}

void checkTitle(const QString& title) {
    for (qsizetype i = 0; i < title.size(); ++i) {
        if (!encodeWindows1251Char(title.at(i).unicode())) {
            throw ERingtone(
                QStringLiteral("The ringtone title can not hold %1.").arg(describeChar(title, i)));
        }
    }
}

int headerNumber(const TRegExpr& header, int group, const char* name) {
    bool ok = false;
    const int value = header.Match(group).toInt(&ok);
    if (!ok) {
        throw ERingtone(QStringLiteral("The ringtone header \"%1\" has no usable number after %2=.")
                            .arg(latin(header.Match(0)), QLatin1StringView(name)));
    }
    return value;
}

class RingtoneWriter {
  public:
    void scale(int octave) {
        m_pattern += kScaleInstruction;
        m_pattern += IntToBin(static_cast<quint32>(kScaleCodes[static_cast<size_t>(octave)]), 2);
        ++m_instructions;
        m_scale = octave;
    }
    int currentScale() const { return m_scale; }
    void note(int noteCode, int durationCode, int specifierCode) {
        m_pattern += kNoteInstruction;
        m_pattern += IntToBin(static_cast<quint32>(noteCode), 4);
        m_pattern += IntToBin(static_cast<quint32>(durationCode), 3);
        m_pattern += IntToBin(static_cast<quint32>(specifierCode), 2);
        ++m_instructions;
    }

    QByteArray finish(QByteArrayView title, int tempo) const {
        const int count = 1 + m_instructions;
        if (count > kMaxInstructions) {
            throw ERingtone(QStringLiteral("The Ringtone is too big to send."));
        }
        QByteArray bits = kCommandStart;
        bits += IntToBin(static_cast<quint32>(title.size()), 4);
        for (const char c : title)
            bits += IntToBin(static_cast<quint8>(c), 8);
        bits += kSongStart;
        bits += IntToBin(static_cast<quint32>(count), 8);
        bits += kTempoInstruction;
        bits += IntToBin(static_cast<quint32>(TempoCode(tempo)), 5);
        bits += m_pattern;
        while (bits.size() % 8 != 0)
            bits += '0';
        bits += kCommandEnd;

        QByteArray hex;
        hex.reserve(bits.size() / 4);
        for (qsizetype i = 0; i < bits.size(); i += 8)
            hex += ByteToHex(BinToByte(bits.mid(i, 8)));
        return hex;
    }

  private:
    QByteArray m_pattern;
    int m_instructions = 0;
    int m_scale = -1;
};

// Maps a position in the text left after the title and header were taken out back to the
// user's text, so that an error points at what the user typed.
struct Removed {
    qsizetype titleLength = 0;
    qsizetype headerAt = -1;
    qsizetype headerLength = 0;

    qsizetype original(qsizetype at) const {
        if (headerAt >= 0 && at >= headerAt)
            at += headerLength;
        return at + titleLength;
    }
};

[[noreturn]] void refuseNote(int number, const TRegExpr& note, qsizetype position,
                             const QString& why) {
    throw ERingtone(QStringLiteral("Note %1 \"%2\" (character %3) can not be sent: %4.")
                        .arg(number)
                        .arg(latin(note.Match(0)))
                        .arg(position + 1)
                        .arg(why));
}

}  // namespace

int TempoCode(int beatsPerMinute) {
    for (size_t i = 0; i < kTempi.size(); ++i) {
        if (kTempi[i] == beatsPerMinute)
            return static_cast<int>(i);
    }
    return TempoCode(kDefaultTempo);  // 160 is in the list
}

namespace {

// What the header sets, and what holds without one.
struct Defaults {
    int duration = 4;
    int scale = 5;
    int tempo = kDefaultTempo;
};

// Takes the "name:" part off `text`: the title, cut to its room, or "Unnamed".
QByteArray takeTitle(QByteArray& text, const QString& rtttl, Removed& removed) {
    TRegExpr titleExpr(kTitleExpr);
    if (!titleExpr.Exec(text))
        return "Unnamed";
    const QByteArray title = titleExpr.Match(1).left(kMaxTitle);
    checkTitle(rtttl.left(title.size()));
    removed.titleLength = titleExpr.MatchLen(0);
    text.remove(titleExpr.MatchPos(0) - 1, titleExpr.MatchLen(0));
    return title;
}

// Takes the "d=..,o=..,b=..:" header off the upper-cased `text`.
Defaults takeHeader(QByteArray& text, Removed& removed) {
    Defaults defaults;
    TRegExpr header(kHeaderExpr);
    if (!header.Exec(text))
        return defaults;
    defaults.duration = headerNumber(header, 1, "D");
    defaults.scale = headerNumber(header, 2, "O");
    defaults.tempo = headerNumber(header, 3, "B");
    if (defaults.scale < 0 || defaults.scale >= static_cast<int>(kScaleCodes.size())) {
        throw ERingtone(QStringLiteral("The ringtone header \"%1\" asks for octave %2; a "
                                       "ringtone plays octaves 0 to 7.")
                            .arg(latin(header.Match(0)))
                            .arg(defaults.scale));
    }
    removed.headerAt = header.MatchPos(0) - 1;
    removed.headerLength = header.MatchLen(0);
    text.remove(removed.headerAt, removed.headerLength);
    return defaults;
}

// Writes every note of what is left of the text; refuses the first that cannot be played,
// naming its place in the text the user typed.
void writeNotes(RingtoneWriter& writer, const QByteArray& text, const Defaults& defaults,
                const Removed& removed) {
    writer.scale(defaults.scale);
    TRegExpr note(kNoteExpr);
    int number = 0;
    for (bool found = note.Exec(text); found; found = note.ExecNext()) {
        ++number;
        const qsizetype position = removed.original(note.MatchPos(0) - 1);
        const QByteArray octaveText = note.Match(4);
        const int octave = octaveText.isEmpty() ? defaults.scale : octaveText.toInt();
        if (octave >= static_cast<int>(kScaleCodes.size())) {
            refuseNote(number, note, position,
                       QStringLiteral("octave %1 is out of range (0 to 7)").arg(octave));
        }
        const int durationValue =
            note.Match(1).isEmpty() ? defaults.duration : note.Match(1).toInt();
        const auto duration = std::find(kDurations.begin(), kDurations.end(), durationValue);
        if (duration == kDurations.end()) {
            refuseNote(number, note, position,
                       QStringLiteral("duration %1 is not one of 1, 2, 4, 8, 16 and 32")
                           .arg(durationValue));
        }
        const std::optional<int> code = lookUp(kNoteCodes, note.Match(2));
        if (!code) {
            refuseNote(number, note, position,
                       QStringLiteral("a ringtone has no note %1").arg(latin(note.Match(2))));
        }
        if (octave != writer.currentScale())
            writer.scale(octave);
        writer.note(*code, static_cast<int>(duration - kDurations.begin()),
                    lookUp(kSpecifierCodes, note.Match(3)).value_or(0));
    }
}

}  // namespace

QByteArray EncodeRingtone(const QString& rtttl) {
    QByteArray text = toCodePage(rtttl);
    Removed removed;
    const QByteArray title = takeTitle(text, rtttl, removed);
    for (char& c : text) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    const Defaults defaults = takeHeader(text, removed);
    RingtoneWriter writer;
    writeNotes(writer, text, defaults, removed);
    return writer.finish(title, defaults.tempo);
}

int RingtoneOctetCount(QByteArrayView ringtoneHex) {
    return static_cast<int>(ringtoneHex.size() / 2);
}

void CheckRingtoneSize(QByteArrayView ringtoneHex) {
    if (RingtoneOctetCount(ringtoneHex) > kMaxRingtoneOctets) {
        throw ERingtone(QStringLiteral("The Ringtone is too big to send."));
    }
}

QList<WrittenPdu> BuildRingtonePdus(const QString& number, const QString& rtttl, SmscField smsc) {
    if (rtttl.isEmpty()) {
        throw EInput(InputField::RingtoneText,
                     QStringLiteral("Please enter ringtone (in RTTL format)."));
    }
    throwIf(numberProblem(number));
    const QByteArray tone = inField(InputField::RingtoneText, [&] {
        QByteArray encoded = EncodeRingtone(rtttl);
        CheckRingtoneSize(encoded);
        return encoded;
    });
    return BuildSmartPdus(number, SmartKind::Ringtone, tone, ConcatReference::kFirst, smsc);
}

}  // namespace pelmar
