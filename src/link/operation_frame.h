#pragma once

#include <QString>
#include <functional>
#include <optional>

#include "link/at_channel.h"
#include "link/at_reply.h"
#include "link/input_problem.h"

namespace pelmar {

// How a handset operation ended, and the text the user is shown for it.
struct Outcome {
    enum class Kind {
        Done,          // "Done."
        PhoneRefused,  // "+CMS ERROR: 300" (the handset's phone part failed): "Can not connect
                       // to phone."
        HandsetError,  // the handset refused (ERROR, +CMS/+CME ERROR, a missing prompt): the
                       // text names the handset's answer
        Failed,        // an error ended the exchange (time-out, port error); the text is its
                       // message, for the error dialog
        InputRefused,  // the user's input was refused before the port was touched; the text
                       // says what to fix
    };

    Kind kind = Kind::Done;
    QString text = QStringLiteral("Done.");
    // InputRefused: the field the page puts the focus on, when the refusal names one.
    std::optional<InputField> field;

    bool isDone() const { return kind == Kind::Done; }

    static Outcome done() { return {}; }
    static Outcome phoneRefused() {
        return {Kind::PhoneRefused, QStringLiteral("Can not connect to phone."), {}};
    }
    static Outcome handsetError(const QString& text) { return {Kind::HandsetError, text, {}}; }
    static Outcome failed(const QString& message) { return {Kind::Failed, message, {}}; }
    static Outcome inputRefused(const QString& message) {
        return {Kind::InputRefused, message, {}};
    }
    static Outcome inputRefused(const InputProblem& problem) {
        return {Kind::InputRefused, problem.text, problem.field};
    }
};

// Receives the activity texts of a running operation ("Reading message 3 from 12").
using Progress = std::function<void(const QString&)>;

// Shows `text` through `progress` unless no receiver was given.
inline void reportProgress(const Progress& progress, const QString& text) {
    if (progress)
        progress(text);
}

// The commands of one operation, run between opening and closing the port. It ends early by
// returning (the frame then judges the last reply taken) or by throwing pelmar::Error.
using Exchange = std::function<void()>;

// What the handset's answer means for the operation: PhoneRefused when "+CMS ERROR: 300" is in
// the reply, HandsetError for any other error result or a missing prompt, Done otherwise.
Outcome judgeReply(const AtReply& reply);

// The common frame of every handset operation: opens the port, runs the exchange, closes the
// port whatever happened, and returns judgeReply(channel.lastReply()) or, when an error ended
// the exchange, Failed with its message. An operation with its own verdict (how many deletions
// the handset refused) refines a Done outcome afterwards.
Outcome RunOperation(AtChannel& channel, const Exchange& exchange);

// The identification operation: asks the handset for maker and model unless
// channel.PhoneIdentity() is already known (then the port is not touched). Done when
// PhoneIdentity is set afterwards.
Outcome IdentifyHandset(AtChannel& channel);

}  // namespace pelmar
