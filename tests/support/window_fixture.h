#pragma once

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "app/pelmar_main_form.h"
#include "phonebook/data_location.h"
#include "support/simulated_pages.h"
#include "support/widgets_application.h"

namespace pelmar::test {

// The whole window over its workspace, on a simulated handset in memory made from `state` and
// `options` with the first job; every box scripted, the phonebooks in a throw-away folder.
class WindowFixture : public testing::Test {
  protected:
    // Shows the window on the tab at `tab`; `start` as the command line would give it.
    void openWindow(
        int tab, StartOptions start = {},
        simulator::SimTransport::Timing timing = simulator::SimTransport::Timing::Fast) {
        if (start.dataDir.isEmpty())
            start.dataDir = data.path();
        if (start.port.isEmpty())
            start.port = QStringLiteral("test handset");
        form.reset();
        workspace = std::make_unique<Workspace>(dialogs, phoneBookDirectory(start.dataDir),
                                                simulatedConnection(state, options, sim, timing));
        form = std::make_unique<TPelmarMainForm>(*workspace, start);
        form->pageControl()->setCurrentIndex(tab);
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }
    template <class W = QWidget>
    W* child(const char* name) const {
        return form->findChild<W*>(QLatin1StringView(name));
    }
    // Waits for the running operation (a hang guard, far above what any of them needs).
    bool finishes() const {
        return QTest::qWaitFor([this] { return !workspace->runner.isBusy(); }, 20000);
    }

    QTemporaryDir data;
    ScriptedDialogs dialogs;
    simulator::HandsetState state = simulator::demoSimState();
    simulator::SimOptions options;
    simulator::HandsetSim* sim = nullptr;
    std::unique_ptr<Workspace> workspace;
    std::unique_ptr<TPelmarMainForm> form;  // goes before the workspace it shows
};

}  // namespace pelmar::test
