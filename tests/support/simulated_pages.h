#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QSignalSpy>
#include <QString>
#include <chrono>
#include <memory>
#include <optional>
#include <ostream>

#include "gui/common/workspace.h"
#include "session/handset_connection.h"
#include "sim/handset_sim.h"
#include "sim/sim_state.h"
#include "support/scripted_dialogs.h"

// Failures show texts as text.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace pelmar::test {

// A connection factory that makes the simulated handset in memory from `state` and `options`
// when the first job runs, and leaves a pointer to it in `sim`.
inline OperationRunner::ConnectionFactory simulatedConnection(
    simulator::HandsetState& state, simulator::SimOptions& options, simulator::HandsetSim*& sim,
    simulator::SimTransport::Timing timing = simulator::SimTransport::Timing::Fast) {
    return [&state, &options, &sim, timing](const QString&, std::chrono::milliseconds timeout) {
        auto made = std::make_unique<HandsetConnection>(
            std::make_unique<simulator::HandsetSim>(state, options),
            options.baud ? simulator::SimTransport::Timing::Real : timing, timeout);
        sim = made->sim();
        return made;
    };
}

// The command lines the simulated handset took that begin with `prefix` ("at+cmgd"); none
// while no handset was made.
inline QList<QByteArray> commandsSent(const simulator::HandsetSim* sim, const char* prefix) {
    QList<QByteArray> found;
    for (const QByteArray& line : sim ? sim->log() : QList<QByteArray>())
        if (line.startsWith(QByteArray("CMD ") + prefix))
            found.append(line.mid(4));
    return found;
}

// The workspace of the window's pages, for one page alone on a simulated handset in memory,
// every box scripted. The handset is made with the first job, so `sim` stays null while nothing
// touched the line; `state` and `options` may be set before that.
struct SimulatedPages {
    SimulatedPages() { workspace.runner.SetPortName(QStringLiteral("sim")); }

    simulator::HandsetState state = simulator::emptySimState();
    simulator::SimOptions options;
    simulator::HandsetSim* sim = nullptr;
    ScriptedDialogs dialogs;
    Workspace workspace{dialogs, QString(), simulatedConnection(state, options, sim)};
};

// One page of the window alone on SimulatedPages.
template <class Page>
class PageFixture : public testing::Test, public SimulatedPages {
  protected:
    void open() { page = std::make_unique<Page>(workspace); }
    template <class W = QWidget>
    W* child(const char* name) {
        return page->template findChild<W*>(QLatin1StringView(name));
    }
    // Presses the button; when it started an operation, waits for it and gives its outcome.
    std::optional<Outcome> press(const char* button) {
        QSignalSpy finished(&workspace.runner, &OperationRunner::finished);
        child<QAbstractButton>(button)->click();
        if (!workspace.runner.isBusy() && finished.isEmpty())
            return std::nullopt;
        EXPECT_TRUE(finished.count() > 0 || finished.wait(20000)) << button;
        return finished.isEmpty() ? Outcome{} : finished.first().first().value<Outcome>();
    }

    std::unique_ptr<Page> page;
};

}  // namespace pelmar::test
