#pragma once

#include <stop_token>
#include <thread>

namespace pelmar::cli {

// While it lives, Ctrl-C and SIGTERM (Ctrl-C and Ctrl-Break in a Windows console) cancel the
// running handset command instead of killing the program: the first requests stop on token(),
// as the window's Cancel does, so that the command sends ESC at a pending prompt, closes the port
// and says what it did. The second ends the program at once, as the signal would have without
// this. A signal the program was started ignoring stays ignored. One instance at a time.
class CancelOnSignal {
  public:
    CancelOnSignal();
    ~CancelOnSignal();
    CancelOnSignal(const CancelOnSignal&) = delete;
    CancelOnSignal& operator=(const CancelOnSignal&) = delete;

    std::stop_token token() const { return m_source.get_token(); }

  private:
    std::stop_source m_source;
    std::thread m_watcher;  // turns the signal handler's byte into request_stop
};

}  // namespace pelmar::cli
