#include "sim/handset_sim.h"

#include <QMutexLocker>
#include <algorithm>

#include "base/error.h"

namespace pelmar {
namespace {

constexpr char kCtrlZ = 0x1A;
constexpr char kEsc = 0x1B;
// Longer input is cut: no command line or PDU comes near these sizes.
constexpr qsizetype kMaxLine = 4096;
constexpr qsizetype kMaxPdu = 1024;
constexpr int kMaxRandomChunk = 16;

const QByteArray kCrLf = QByteArrayLiteral("\r\n");

bool isPromptCommand(const QByteArray& key) {
    return key == "CMGS" || key == "CMGW";
}

}  // namespace

HandsetSim::HandsetSim(SimState state, SimOptions options)
    : options_(std::move(options)),
      model_(std::move(state), options_.dialect),
      nextChatter_(Clock::now() + options_.chatterEvery),
      random_(options_.seed) {}

void HandsetSim::receive(QByteArrayView bytes, Clock::time_point now) {
    QMutexLocker lock(&mutex_);
    if (hungUp_)
        return;
    for (const char c : bytes)
        receiveByte(c, now);
}

void HandsetSim::receiveByte(char c, Clock::time_point now) {
    if (model_.awaitingPdu()) {
        if (c == kCtrlZ || c == kEsc) {
            pduEnd(c == kCtrlZ, now);
        } else if (c != '\r' && c != '\n' && c != ' ' && c != '\t' && pdu_.size() < kMaxPdu) {
            pdu_ += c;
        }
        return;
    }
    switch (c) {
        case '\r': {
            const QByteArray line = line_;
            line_.clear();
            commandLine(line, now);
            break;
        }
        case '\n':
        case kCtrlZ:
        case kEsc:
            break;
        case '\b':
        case 0x7F:
            line_.chop(1);
            break;
        default:
            if (line_.size() < kMaxLine)
                line_ += c;
    }
}

void HandsetSim::commandLine(const QByteArray& line, Clock::time_point now) {
    const AtCommandLine parsed = parseAtCommandLine(line);
    if (!parsed.hasPrefix) {
        // Modems ignore what does not start with "AT"; they only echo it.
        if (model_.echo())
            send(line + '\r', now);
        return;
    }
    addLog(QByteArrayLiteral("CMD ") + line);
    QByteArray echo = model_.echo() ? line : QByteArray();
    for (const AtCommand& cmd : parsed.commands) {
        if (options_.silent.contains(cmd.key))
            return;
        echo = options_.echoAs.value(cmd.key, echo);
    }
    if (!echo.isEmpty())
        send(echo + '\r', now);
    const Clock::time_point ready = now + options_.think;
    if (!parsed.valid) {
        answer({}, QByteArrayLiteral("ERROR"), false, ready);
        return;
    }

    QList<QByteArray> lines;
    QByteArray final = QByteArrayLiteral("OK");
    for (const AtCommand& cmd : parsed.commands) {
        const auto override = options_.replies.constFind(cmd.key);
        const bool overridden = override != options_.replies.cend();
        // Without its prompt, a submission's override answers the command itself, as a handset
        // that refuses at once ("+CMS ERROR: 322", memory full) and takes no PDU.
        if (overridden && (!isPromptCommand(cmd.key) || options_.noPrompt.contains(cmd.key))) {
            final = *override;
            break;
        }
        const SimAnswer r = model_.execute(cmd);
        lines += r.lines;
        if (r.prompt) {
            // A submission's override is its result after the PDU, so the prompt still comes.
            hasPendingOverride_ = overridden;
            pendingOverride_ = overridden ? *override : QByteArray();
            if (!options_.noPrompt.contains(cmd.key))
                answer(lines, {}, true, ready);
            return;
        }
        if (overridden) {
            final = *override;
            break;
        }
        if (!r.ok()) {
            final = r.final;
            break;
        }
    }
    answer(lines, final, false, ready);
    for (const AtCommand& cmd : parsed.commands) {
        if (const auto extra = options_.surplus.constFind(cmd.key);
            extra != options_.surplus.cend())
            send(kCrLf + *extra + kCrLf, ready);
    }
}

void HandsetSim::pduEnd(bool submit, Clock::time_point now) {
    const QByteArray pdu = pdu_;
    pdu_.clear();
    const Clock::time_point ready = now + options_.think;
    const bool overridden = hasPendingOverride_;
    hasPendingOverride_ = false;
    if (!submit) {
        addLog(QByteArrayLiteral("CANCEL"));
        model_.cancelPdu();
        answer({}, QByteArrayLiteral("OK"), false, ready);
        return;
    }
    addLog(QByteArrayLiteral("PDU ") + pdu);
    if (model_.echo())
        send(pdu, now);
    if (overridden) {
        model_.cancelPdu();
        answer({}, pendingOverride_, false, ready);
        return;
    }
    const SimAnswer r = model_.submitPdu(pdu);
    answer(r.lines, r.final, false, ready);
}

void HandsetSim::answer(const QList<QByteArray>& lines, const QByteArray& final, bool prompt,
                        Clock::time_point ready) {
    QByteArray out = options_.garbage;
    const QByteArray urc = options_.urc.isEmpty() ? QByteArray() : kCrLf + options_.urc + kCrLf;
    // The unsolicited line goes between two items of the information text, never inside one.
    const qsizetype split = urc.isEmpty() ? lines.size() : (lines.size() + 1) / 2;
    if (split > 0)
        out += kCrLf + lines.mid(0, split).join(kCrLf) + kCrLf;
    out += urc;
    if (split < lines.size())
        out += kCrLf + lines.mid(split).join(kCrLf) + kCrLf;
    out += prompt ? QByteArrayLiteral("\r\n> ") : kCrLf + final + kCrLf;
    send(out, ready);
}

void HandsetSim::send(QByteArray bytes, Clock::time_point ready) {
    qsizetype pos = 0;
    while (pos < bytes.size() && !hungUp_) {
        qsizetype size = bytes.size() - pos;
        if (options_.randomChunks) {
            size = std::min<qsizetype>(size, random_.bounded(1, kMaxRandomChunk + 1));
        } else if (options_.chunkSize > 0) {
            size = std::min<qsizetype>(size, options_.chunkSize);
        }
        if (options_.hangupAfter >= 0) {
            size = std::min<qsizetype>(size, options_.hangupAfter - bytesSent_);
        }
        if (size > 0) {
            const auto transfer =
                options_.baud > 0
                    ? std::chrono::microseconds(size * 10 * 1'000'000LL / options_.baud)
                    : std::chrono::microseconds(0);
            const Clock::time_point due = std::max(ready, lineFreeAt_) + transfer;
            lineFreeAt_ = due;
            output_.push_back({bytes.mid(pos, size), due});
            bytesSent_ += size;
            pos += size;
        }
        if (options_.hangupAfter >= 0 && bytesSent_ >= options_.hangupAfter)
            hungUp_ = true;
    }
}

bool HandsetSim::hasOutput() const {
    QMutexLocker lock(&mutex_);
    return !output_.empty();
}

// The chatter line when it goes before the queued answers: it is due first, and it would not
// cut into a line.
std::optional<HandsetSim::Piece> HandsetSim::chatterDue() const {
    if (options_.chatter.isEmpty() || options_.chatterEvery <= Clock::duration::zero() || hungUp_)
        return std::nullopt;
    if (!output_.empty() && (!betweenLines_ || output_.front().due <= nextChatter_))
        return std::nullopt;
    return Piece{kCrLf + options_.chatter + kCrLf, nextChatter_, true};
}

std::optional<HandsetSim::Piece> HandsetSim::peekOutput() const {
    QMutexLocker lock(&mutex_);
    if (auto chatter = chatterDue())
        return chatter;
    if (output_.empty())
        return std::nullopt;
    return output_.front();
}

std::optional<HandsetSim::Piece> HandsetSim::takeOutput() {
    QMutexLocker lock(&mutex_);
    if (auto chatter = chatterDue()) {
        nextChatter_ = std::max(nextChatter_, Clock::now()) + options_.chatterEvery;
        return chatter;
    }
    if (output_.empty())
        return std::nullopt;
    Piece piece = std::move(output_.front());
    output_.pop_front();
    betweenLines_ = piece.bytes.endsWith('\n');
    return piece;
}

bool HandsetSim::hungUp() const {
    QMutexLocker lock(&mutex_);
    return hungUp_;
}

void HandsetSim::dropLine() {
    QMutexLocker lock(&mutex_);
    ++lineDrops_;
    output_.clear();
    line_.clear();
    pdu_.clear();
    lineFreeAt_ = {};
    betweenLines_ = true;
    nextChatter_ = Clock::now() + options_.chatterEvery;
    if (model_.awaitingPdu()) {
        addLog(QByteArrayLiteral("CANCEL"));
        model_.cancelPdu();
    }
    hasPendingOverride_ = false;
}

int HandsetSim::lineDrops() const {
    QMutexLocker lock(&mutex_);
    return lineDrops_;
}

SimState HandsetSim::state() const {
    QMutexLocker lock(&mutex_);
    return model_.state();
}

QList<QByteArray> HandsetSim::log() const {
    QMutexLocker lock(&mutex_);
    return log_;
}

void HandsetSim::setLogFile(const QString& path) {
    QMutexLocker lock(&mutex_);
    logFile_.close();
    logFile_.setFileName(path);
    if (!logFile_.open(QIODevice::WriteOnly | QIODevice::Append)) {
        throw Error(
            QStringLiteral("Cannot write the log %1: %2").arg(path, logFile_.errorString()));
    }
}

void HandsetSim::addLog(const QByteArray& line) {
    log_.append(line);
    if (logFile_.isOpen()) {
        logFile_.write(line + '\n');
        logFile_.flush();
    }
}

}  // namespace pelmar
