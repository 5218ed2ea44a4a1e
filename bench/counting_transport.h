#pragma once

#include <QList>
#include <chrono>
#include <thread>
#include <utility>

#include "link/forwarding_transport.h"

namespace pelmar::bench {

// What crossed the line, seen from the program's side.
struct LineCount {
    qint64 bytesOut = 0;
    qint64 bytesIn = 0;
    // Per command line or PDU (each ended by CR or Ctrl-Z, after which the handset thinks):
    // the bytes typed for it, which an echoing handset sends back while it thinks.
    QList<qint64> typed;

    qint64 commands() const { return typed.size(); }
};

inline std::chrono::microseconds lineTime(qint64 bytes, int baud) {
    return std::chrono::microseconds(bytes * 10 * 1'000'000LL / baud);
}

// Counts the bytes and commands that cross the line. With `paceBaud` it also holds each write
// for as long as its bytes take at that rate, which a pseudo-terminal does not do by itself.
class CountingTransport final : public ForwardingTransport {
  public:
    CountingTransport(Transport& inner, int paceBaud)
        : ForwardingTransport(inner), m_paceBaud(paceBaud) {}

    LineCount take() {
        m_typing = 0;
        return std::exchange(m_count, LineCount{});
    }

  protected:
    void sending(QByteArrayView bytes) override {
        m_count.bytesOut += bytes.size();
        for (const char c : bytes) {
            ++m_typing;
            if (c == '\r' || c == kCtrlZ) {
                m_count.typed.append(m_typing);
                m_typing = 0;
            }
        }
        if (m_paceBaud > 0)
            std::this_thread::sleep_for(lineTime(bytes.size(), m_paceBaud));
    }
    void received(QByteArrayView bytes, std::chrono::milliseconds) override {
        m_count.bytesIn += bytes.size();
    }

  private:
    static constexpr char kCtrlZ = 0x1A;

    int m_paceBaud;
    LineCount m_count;
    qint64 m_typing = 0;
};

}  // namespace pelmar::bench
