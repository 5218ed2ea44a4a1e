#pragma once

#include <QString>

#include "link/handset_dialect.h"
#include "phonebook/phone_book_files.h"
#include "phonebook/phone_books.h"
#include "session/operation_runner.h"
#include "smart/smart_framing.h"
#include "sms/message_table.h"
#include "sms/recipient_number.h"

namespace pelmar {

class Dialogs;

// What the window's pages share: made before the window and gone after it, so nothing a page
// shows can go away under it. A page keeps no copy of shared data; it reads and changes it here.
struct Workspace {
    // `phoneBookDirectory` holds sm.dat, me.dat and ld.dat; `connections` makes the handset
    // connection for a port name (tests give a simulated one), the real one when empty.
    Workspace(Dialogs& dialogs, const QString& phoneBookDirectory,
              OperationRunner::ConnectionFactory connections = {});

    Dialogs& dialogs;
    PhoneBooks phoneBooks;
    PhoneBookFiles phoneBookFiles;
    MessageTable messages;
    RecipientNumber recipient;
    ConcatReference concatReference;
    // The older-handset switch of the Settings tab, read when an operation starts.
    HandsetDialect dialect = HandsetDialect::Standard;
    // Declared last, so it goes first: a running job is cancelled and its result dropped
    // before the data it would reach.
    OperationRunner runner;
};

}  // namespace pelmar
