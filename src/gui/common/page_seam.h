#pragma once

#include <QHash>
#include <QList>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <cstddef>
#include <functional>
#include <optional>
#include <stop_token>
#include <type_traits>
#include <utility>

#include "base/input_problem.h"
#include "gui/common/workspace.h"
#include "session/identified_job.h"

class QAbstractItemView;

namespace pelmar {

// Whether an operation begins with the handset identification that sending, storing, listing
// and reading a phonebook begin with (the window then shows the handset's maker and model).
enum class Identify { First, No };

// The one way a page refuses the user's input and runs a handset operation.
//
// A refusal shows the standard error box and puts the focus on the widget of the field it
// names (from the page's map), else on the page's fallback widget. An operation runs on the
// workspace's runner with the channel, the progress and the stop bound; its result reaches
// `done` on the UI thread, and only while the page exists. An operation that refused its input
// (Outcome::InputRefused) is refused as above instead.
class PageSeam {
  public:
    PageSeam(QWidget* page, Workspace& workspace);
    // Where a refusal puts the focus: the widget of its field, else `fallback`. Set once the
    // page's widgets exist.
    void setFields(QWidget* fallback, QHash<InputField, QWidget*> fields = {});

    void refuse(const InputProblem& problem) const;
    // A refusal about no one field: the focus goes to the fallback widget.
    void refuse(const QString& text) const;

    // What `make` builds to be sent, or nothing once the input was refused: an EInput it throws
    // is refused with its field, any other Error with its text.
    template <class Make>
    auto build(const Make& make) const -> std::optional<decltype(make())> {
        try {
            return make();
        } catch (const EInput& e) {
            refuse(e.problem());
        } catch (const Error& e) {
            refuse(e.message());
        }
        return std::nullopt;
    }

    // Runs `operation(channel, inputs..., progress, stop)`; `done` (nullptr: nothing) gets its
    // result. False when another operation is running.
    template <class Done, class Operation, class... Inputs>
    bool runOperation(Identify identify, Done done, Operation operation, Inputs... inputs);

  private:
    void focusOn(const std::optional<InputField>& field) const;

    QPointer<QWidget> m_page;
    Workspace& m_workspace;
    QWidget* m_fallback = nullptr;
    QHash<InputField, QWidget*> m_fields;
};

// The selected rows of a list, in ascending order.
QList<int> selectedRows(const QAbstractItemView* view);

template <class Done, class Operation, class... Inputs>
bool PageSeam::runOperation(Identify identify, Done done, Operation operation, Inputs... inputs) {
    auto job = [operation = std::move(operation), ... inputs = std::move(inputs)](
                   AtChannel& channel, const Progress& progress, std::stop_token stop) {
        return operation(channel, inputs..., progress, std::move(stop));
    };
    using Result = OperationRunner::ResultOf<decltype(job)>;
    std::function<void(Result)> deliver = [this, page = m_page,
                                           done = std::move(done)](Result result) mutable {
        if (!page)
            return;  // the page went away while its operation ran
        const Outcome& outcome = outcomeOf(result);
        if (outcome.kind == Outcome::Kind::InputRefused) {
            if (outcome.field)
                refuse(InputProblem{*outcome.field, outcome.text});
            else
                refuse(outcome.text);
            return;
        }
        if constexpr (!std::is_same_v<Done, std::nullptr_t>)
            done(std::move(result));
    };
    if (identify == Identify::First)
        return m_workspace.runner.run(identifiedJob(std::move(job)), std::move(deliver));
    return m_workspace.runner.run(std::move(job), std::move(deliver));
}

}  // namespace pelmar
