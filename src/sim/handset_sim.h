#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QFile>
#include <QList>
#include <QMutex>
#include <QRandomGenerator>
#include <QString>
#include <chrono>
#include <deque>
#include <optional>

#include "sim/handset_model.h"
#include "sim/sim_options.h"
#include "sim/sim_state.h"

namespace pelmar::simulator {

// The simulated handset on its serial line: takes the bytes a client writes, echoes, answers in
// the 27.007 V1 format (a command's answer framed "\r\n<line>\r\n" ... "\r\nOK\r\n"), and
// misbehaves as its options say. Output waits in a queue of pieces, each stamped with the time
// at which it has fully arrived at the client (think time, then pacing); a transport hands the
// pieces on. Thread-safe: a pseudo-terminal thread may serve it while a test looks at it.
class HandsetSim {
  public:
    using Clock = std::chrono::steady_clock;

    struct Piece {
        QByteArray bytes;
        Clock::time_point due;
        // Sent on the handset's own clock (chatter), not in answer to the client: even a line
        // that hands answers over at once waits for it.
        bool onOwnClock = false;
    };

    explicit HandsetSim(HandsetState state = demoSimState(), SimOptions options = {});

    // Bytes from the client, received at `now`.
    void receive(QByteArrayView bytes, Clock::time_point now = Clock::now());

    // Answers still queued (chatter does not count).
    bool hasOutput() const;
    // The next piece, answers and chatter in the order they are due.
    std::optional<Piece> peekOutput() const;
    std::optional<Piece> takeOutput();

    // The line has died (--hangup-after): what is queued is the last the client gets.
    bool hungUp() const;

    // The client closed the line: queued output is dropped and a message being typed after the
    // prompt is abandoned, as handsets do when the line drops.
    void dropLine();
    // How often the line was dropped; lets a test wait until the far end noticed a close.
    int lineDrops() const;

    HandsetState state() const;
    const SimOptions& options() const { return m_options; }

    // Every command line and PDU received, in order: "CMD at+cmgs=16", "PDU 0011...",
    // "CMD at+cpin=\"****\"" (the PIN hidden),
    // "CANCEL" (ESC during a PDU), "DROP" (the line dropped during a PDU).
    QList<QByteArray> log() const;
    // Also append each log line to this file as it happens. Throws pelmar::Error.
    void setLogFile(const QString& path);

  private:
    void receiveByte(char c, Clock::time_point now);
    void commandLine(const QByteArray& line, Clock::time_point now);
    void pduEnd(bool submit, Clock::time_point now);
    void answer(const QList<QByteArray>& lines, const QByteArray& finalOrPrompt, bool prompt,
                Clock::time_point now);
    void send(QByteArray bytes, Clock::time_point ready);
    void addLog(const QByteArray& line);
    std::optional<Piece> chatterDue() const;

    mutable QMutex m_mutex;
    SimOptions m_options;
    HandsetModel m_model;
    QByteArray m_line;
    QByteArray m_pdu;
    QByteArray m_pendingOverride;  // the final result given for the message being typed
    bool m_hasPendingOverride = false;
    std::deque<Piece> m_output;
    Clock::time_point m_lineFreeAt{};
    qint64 m_bytesSent = 0;
    bool m_hungUp = false;
    int m_lineDrops = 0;
    bool m_betweenLines = true;  // the last piece taken ended a line
    Clock::time_point m_nextChatter;
    QRandomGenerator m_random;
    QList<QByteArray> m_log;
    QFile m_logFile;
};

}  // namespace pelmar::simulator
