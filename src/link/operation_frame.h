#pragma once

#include <QString>
#include <functional>
#include <optional>
#include <stop_token>
#include <type_traits>

#include "base/input_problem.h"
#include "link/at_channel.h"
#include "link/at_reply.h"
#include "link/progress_step.h"

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
        Cancelled,     // the user cancelled the operation: "Cancelled.", no error to show
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
    static Outcome cancelled() { return {Kind::Cancelled, Cancelled().message(), {}}; }
};

// The outcome of an operation's result: the Outcome itself, or the `outcome` member of a result
// that carries more (MessageListing, SubmitResult, ...).
template <class R>
Outcome& outcomeOf(R& result) {
    if constexpr (std::is_same_v<R, Outcome>)
        return result;
    else
        return result.outcome;
}

// Receives the steps of a running operation ("Reading message 3 from 12", 3 of 12).
using Progress = std::function<void(const ProgressStep&)>;

// Shows the step through `progress` unless no receiver was given; total 0: no count known.
inline void reportProgress(const Progress& progress, const QString& text, int done = 0,
                           int total = 0) {
    if (progress)
        progress(ProgressStep{text, done, total});
}

// The commands of one operation, run between opening and closing the port. Its value is the
// operation's verdict; nothing means "judge the last reply taken" (judgeReply). It may also end
// by throwing pelmar::Error.
using Exchange = std::function<std::optional<Outcome>()>;

// What the handset's answer means for the operation: PhoneRefused when "+CMS ERROR: 300" is in
// the reply, HandsetError for any other error result or a missing prompt, Done otherwise.
Outcome judgeReply(const AtReply& reply);

// The common frame of every handset operation: opens the port, runs the exchange, closes the
// port whatever happened, and returns the exchange's verdict (or judgeReply of the last reply
// taken when it gave none). An error that ended the exchange gives Failed with its message; a
// stop requested through `stop` gives Cancelled, and when it came before the port opened, the
// port is not touched. The channel watches `stop` while the exchange runs.
Outcome RunOperation(AtChannel& channel, const Exchange& exchange, std::stop_token stop = {});

// The identification operation: asks the handset for maker and model unless
// channel.PhoneIdentity() is already known (then the port is not touched). Done when
// PhoneIdentity is set afterwards.
Outcome IdentifyHandset(AtChannel& channel, std::stop_token stop = {});

}  // namespace pelmar
