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
// while a message submission waits for it. Bytes after a complete reply stay for the next one.
class AtReplyParser {
  public:
    // A text written to the handset (a command line without CR, or the PDU hex); a received line
    // that repeats it is its echo and is left out of the reply. Case is ignored.
    void expectEcho(QByteArrayView text);
    // The command whose reply is awaited ("+CMGL"; see commandNameOf) and whether it answers
    // with the "> " prompt.
    void setPendingCommand(QByteArrayView name, bool takesPrompt);

    void feed(QByteArrayView bytes);
    // The next complete reply, or nothing while it is incomplete.
    std::optional<AtReply> takeReply(const LineObserver& onLine = {});

    // Bytes received for the reply that is not complete yet.
    qsizetype pendingBytes() const { return buffer_.size(); }
    // Number of non-blank lines taken so far; it grows while the handset is still talking.
    quint64 linesTaken() const { return linesTaken_; }

    // Forgets every received byte and the pending command (a new session on the line).
    void clear();

  private:
    // Files one complete line into the reply; true when it ended the reply.
    bool takeLine(const QByteArray& line, const LineObserver& onLine);
    bool takeEcho(QByteArrayView line);
    AtReply finishReply();

    QByteArray buffer_;       // received bytes from the start of the reply in progress
    qsizetype pos_ = 0;       // start of the first line not taken yet
    qsizetype scanFrom_ = 0;  // no line end lies between pos_ and here
    AtReply reply_;
    QByteArrayList echoes_;
    QByteArray command_;
    bool promptExpected_ = false;
    bool unsolicitedContinues_ = false;
    quint64 linesTaken_ = 0;
};

}  // namespace pelmar
