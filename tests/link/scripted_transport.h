#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <chrono>
#include <deque>
#include <thread>

#include "base/error.h"
#include "link/transport.h"

namespace pelmar::test {

// A handset on a script: each answer is released when the host finishes a write with CR,
// Ctrl-Z or ESC, and delivered in pieces of `chunk` bytes (0: whole), each after `pause`.
class ScriptedTransport : public Transport {
  public:
    using ms = std::chrono::milliseconds;

    void answer(const QByteArray& bytes) { m_turns.push_back(bytes); }
    // Bytes that wait on the line as soon as it opens.
    void waiting(const QByteArray& bytes) { deliver(bytes); }
    // Bytes sent at once, without waiting for the host.
    void deliver(const QByteArray& bytes, ms pause = ms(0)) {
        for (qsizetype at = 0; at<bytes.size(); at += m_chunk> 0 ? m_chunk : bytes.size()) {
            m_deliveries.push_back({bytes.mid(at, m_chunk > 0 ? m_chunk : bytes.size()), pause});
        }
    }
    void setChunk(qsizetype chunk) { m_chunk = chunk; }
    void setPause(ms pause) { m_pause = pause; }
    // The line is gone once every delivery was read.
    void hangUpAtEnd() { m_hangUp = true; }
    void refuseOpen() { m_refuseOpen = true; }

    void open() override {
        if (m_refuseOpen) {
            throw Error(QStringLiteral("no such port"));
        }
        m_open = true;
        ++opens;
    }
    void close() override {
        if (m_open) {
            ++closes;
        }
        m_open = false;
    }
    bool isOpen() const override { return m_open; }

    void write(QByteArrayView bytes) override {
        if (!m_open) {
            throw Error(QStringLiteral("write on a closed line"));
        }
        written += bytes;
        const char last = bytes.isEmpty() ? 0 : bytes.back();
        if ((last == '\r' || last == 0x1A || last == 0x1B) && !m_turns.empty()) {
            deliver(m_turns.front(), m_pause);
            m_turns.pop_front();
        }
    }

    QByteArray read(ms timeout) override {
        if (!m_open) {
            throw Error(QStringLiteral("read on a closed line"));
        }
        ++reads;
        if (m_deliveries.empty()) {
            if (m_hangUp) {
                throw Error(QStringLiteral("line gone"));
            }
            std::this_thread::sleep_for(timeout);
            return {};
        }
        Delivery& next = m_deliveries.front();
        if (next.pause > timeout) {
            std::this_thread::sleep_for(timeout);
            next.pause -= timeout;
            return {};
        }
        std::this_thread::sleep_for(next.pause);
        const QByteArray bytes = next.bytes;
        m_deliveries.pop_front();
        return bytes;
    }

    QString deviceName() const override { return m_name; }
    void setDeviceName(const QString& name) override { m_name = name; }

    QByteArray written;
    int opens = 0;
    int closes = 0;
    int reads = 0;

  private:
    struct Delivery {
        QByteArray bytes;
        ms pause;
    };
    std::deque<QByteArray> m_turns;
    std::deque<Delivery> m_deliveries;
    qsizetype m_chunk = 0;
    ms m_pause{0};
    bool m_open = false;
    bool m_hangUp = false;
    bool m_refuseOpen = false;
    QString m_name = QStringLiteral("COM3");
};

}  // namespace pelmar::test
