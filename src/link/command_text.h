#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <optional>

namespace pelmar {

// What may go into a command line that is built from data (a phonebook name, a number). The
// handset edits its command line as it arrives: backspace and DEL erase what came before, CR ends
// the line, ESC and Ctrl-Z cancel it, and a double quote ends a quoted text, after which ";"
// chains a command of the sender's choosing. A field is checked before the port opens; the whole
// line is checked once more just before it is written.
//
// Handsets that ignore the 8th bit read 0x80..0x9F, 0xA2 and 0xFF (Windows-1251 letters such as
// Ќ, љ, ў and я) as control bytes or a double quote. Those letters stay allowed, so that names
// in Macedonian, Belarusian or Russian still store, unless ";" or "AT" (read the same way) follows
// them in the field: only then could the rest run as a command.

// Why `bytes` cannot stand between double quotes in a command line, naming `fieldName` and the
// byte; nothing when it can.
std::optional<QString> quotedFieldProblem(const QString& fieldName, QByteArrayView bytes);

// Why `number` is no dial string (digits, "+", "*", "#" and the pauses "p", "w" and ","; "P"
// and "W" too), naming `fieldName` and the character; nothing when it is one. An empty number
// is a dial string.
std::optional<QString> dialStringProblem(const QString& fieldName, QByteArrayView number);

// Why `line` cannot be sent as one command line (CR is added after it); nothing when it can. The
// line is quoted with its secret hidden.
std::optional<QString> commandLineProblem(QByteArrayView line);

// Hides the secret of a command line that gives the SIM its PIN: whatever follows "+CPIN=" up to
// the end of the line (the PIN, or a PUK and a new PIN) reads "\"****\"", whatever its length,
// so that no log and no message ever shows it. Fed one direction of the line piece by piece (the
// handset echoes what it was sent), it hides the secret across the pieces as well.
class SecretMask {
  public:
    QByteArray masked(QByteArrayView bytes);

  private:
    QByteArray m_lineEnd;  // the last bytes of the current line, upper case
    bool m_hiding = false;
};

// One whole command line with its secret hidden (SecretMask): "AT+CPIN=\"****\"".
QByteArray maskedCommandLine(QByteArrayView line);

// The bytes as printable text: ASCII as it is, a backslash doubled, every other byte as \xHH.
QString escapedBytes(QByteArrayView bytes);

// The text with its control characters (\xHH) and bidirectional overrides (\uHHHH) escaped, so
// that what a handset, a file or an argument held cannot move the cursor or reorder a line of
// a terminal or a message box.
QString escapedText(const QString& text);

}  // namespace pelmar
