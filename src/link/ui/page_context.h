#pragma once

#include <functional>

#include "link/handset_dialect.h"

namespace pelmar {

class Dialogs;
class MessageTable;
class OperationRunner;
class PhoneBooks;
class RecipientNumber;
class ConcatReference;

// What the pages of the main window share. The main window owns every piece and hands this to
// each page by reference; a page keeps no copy of shared data.
struct PageContext {
    Dialogs& dialogs;
    OperationRunner& runner;
    PhoneBooks& phoneBooks;
    MessageTable& messages;
    RecipientNumber& recipient;
    ConcatReference& concatReference;
    // The older-handset switch of the Settings tab, read when an operation starts.
    std::function<HandsetDialect()> dialect;
};

}  // namespace pelmar
