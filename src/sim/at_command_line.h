#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <optional>

// Taking apart what a client types after "AT": a line may chain basic commands ("ATE0V1") and
// extended ones separated by semicolons ("AT+CMGF=0;+CPMS?").
namespace pelmar::simulator {

struct AtCommand {
    enum class Form { Action, Set, Read, Test };

    QByteArray key;   // upper case, without "AT" and "+": "CMGS", "E", "&F"; "" for a bare AT
    QByteArray text;  // as typed, for the log
    Form form = Form::Action;
    QByteArray parameter;  // after "=" (Set), or the digits after a basic command ("0" of "E0")
};

struct AtArgument {
    QByteArray value;  // without the quotes
    bool quoted = false;

    bool isEmpty() const { return value.isEmpty() && !quoted; }
};

struct AtCommandLine {
    bool hasPrefix = false;  // false: the line holds no "AT" and is ignored, as modems do
    bool valid = true;       // false: a syntax error, answered with ERROR
    QList<AtCommand> commands;
};

AtCommandLine parseAtCommandLine(QByteArrayView line);

// "1,\"+123\",145" -> 1 | "+123" (quoted) | 145. Nothing when a quote is left open.
std::optional<QList<AtArgument>> splitAtArguments(QByteArrayView parameter);

// The key under which a command is matched by the fault options: "AT+CMGS", "+cmgs" and
// "CMGS" all give "CMGS"; "ATZ" gives "Z"; "AT" gives "".
QByteArray atCommandKey(QByteArrayView name);

}  // namespace pelmar::simulator
