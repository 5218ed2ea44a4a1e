#pragma once

#include <QString>
#include <chrono>
#include <memory>

#include "link/handset_dialect.h"
#include "link/ui/dialogs.h"
#include "link/ui/page_context.h"
#include "phonebook/phone_books.h"
#include "session/handset_connection.h"
#include "session/operation_runner.h"
#include "sim/handset_sim.h"
#include "sim/sim_state.h"
#include "smart/smart_framing.h"
#include "sms/message_table.h"
#include "sms/recipient_number.h"

namespace pelmar::test {

// What a page of the window shares, for one page alone on a simulated handset in memory, every
// box scripted. The handset is made with the first job, so `sim` stays null while nothing
// touched the line; `state` and `options` may be set before that.
struct SimulatedPages {
    simulator::HandsetState state = simulator::emptySimState();
    simulator::SimOptions options;
    simulator::HandsetSim* sim = nullptr;
    ScriptedDialogs dialogs;
    PhoneBooks phoneBooks;
    MessageTable table;
    RecipientNumber recipient;
    ConcatReference concat;
    OperationRunner runner{QStringLiteral("sim"), std::chrono::seconds(2),
                           [this](const QString&, std::chrono::milliseconds timeout) {
                               auto made = std::make_unique<HandsetConnection>(
                                   std::make_unique<simulator::HandsetSim>(state, options),
                                   options.baud ? simulator::SimTransport::Timing::Real
                                                : simulator::SimTransport::Timing::Fast,
                                   timeout);
                               sim = made->sim();
                               return made;
                           }};
    PageContext context{dialogs,
                        runner,
                        phoneBooks,
                        table,
                        recipient,
                        concat,
                        [] { return HandsetDialect::Standard; }};
};

}  // namespace pelmar::test
