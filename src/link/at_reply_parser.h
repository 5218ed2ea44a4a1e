#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QByteArrayView>
#include <functional>
#include <optional>

#include "link/at_reply.h"

namespace pelmar {

// Called with each information line of a reply as soon as it has arrived (for progress).
using LineObserver = std::function<void(const QByteArray& line)>;

// Cuts the bytes received from the handset into complete replies. Bytes are fed as they come,
// in pieces of any size; a reply is complete with its final result line, or with the "> " prompt
// while a message submission waits for it.
//
// A reply belongs to the command it answers. Once the handset has echoed one of our commands
// (echo is on), a command's reply must begin with its own echo: a final result or a line that
// comes before it answers something else and is dropped. A line that echoes a command we did not
// write ("AT+XYZ") is dropped too, and what follows it is not taken until our own echo comes.
// strayLine() keeps the first line dropped so, for the error that ends such a wait.
class AtReplyParser {
  public:
    // A command line was written (without its CR): its reply is awaited now. Sets the pending
    // command (see setPendingCommand) and the echo the reply must begin with while echo is on.
    void startCommand(QByteArrayView commandLine);
    // A text written to the handset after the prompt (the PDU hex); a received line that
    // repeats it is its echo and is left out of the reply. Case is ignored.
    void expectEcho(QByteArrayView text);
    // The command whose reply is awaited ("+CMGL"; see commandNameOf) and whether it answers
    // with the "> " prompt.
    void setPendingCommand(QByteArrayView name, bool takesPrompt);
    // Before a command is written: what has arrived and was not taken answers nothing we will
    // ask. Its unsolicited codes are kept for the next reply; the rest is dropped.
    void discardUnanswered();

    void feed(QByteArrayView bytes);
    // The next complete reply, or nothing while it is incomplete.
    std::optional<AtReply> takeReply(const LineObserver& onLine = {});

    // Bytes received for the reply that is not complete yet.
    qsizetype pendingBytes() const { return m_buffer.size(); }
    // Number of information lines taken so far: the reply's own progress. Echoes, blank lines,
    // unsolicited codes and dropped lines do not count.
    quint64 progressLines() const { return m_progressLines; }
    // The first line dropped as the answer to another command since the command was written,
    // or empty.
    const QByteArray& strayLine() const { return m_stray; }

    // Forgets every received byte and the pending command (a new session on the line).
    void clear();

  private:
    // Files one complete line into the reply; true when it ended the reply.
    bool takeLine(const QByteArray& line, const LineObserver& onLine);
    bool takeEcho(QByteArrayView line);
    // False for a line that cannot be part of the pending command's reply.
    bool belongsToCommand(QByteArrayView line);
    bool echoAwaited() const { return !m_commandEcho.isEmpty() && !m_echoSeen && m_echoOn; }
    void takeUnsolicited(QByteArrayView text);
    AtReply finishReply();

    QByteArray m_buffer;       // received bytes from the start of the reply in progress
    qsizetype m_pos = 0;       // start of the first line not taken yet
    qsizetype m_scanFrom = 0;  // no line end lies between m_pos and here
    AtReply m_reply;
    QByteArrayList m_echoes;   // PDU text typed after the prompt
    QByteArray m_commandEcho;  // the command line whose echo is awaited
    QByteArray m_command;
    QByteArray m_stray;
    bool m_echoSeen = false;
    bool m_echoOn = false;
    bool m_promptExpected = false;
    bool m_unsolicitedContinues = false;
    quint64 m_progressLines = 0;
};

}  // namespace pelmar
