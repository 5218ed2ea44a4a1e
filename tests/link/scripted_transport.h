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

    void answer(const QByteArray& bytes) { turns_.push_back(bytes); }
    // Bytes that wait on the line as soon as it opens.
    void waiting(const QByteArray& bytes) { deliver(bytes); }
    // Bytes sent at once, without waiting for the host.
    void deliver(const QByteArray& bytes, ms pause = ms(0)) {
        for (qsizetype at = 0; at<bytes.size(); at += chunk_> 0 ? chunk_ : bytes.size()) {
            deliveries_.push_back({bytes.mid(at, chunk_ > 0 ? chunk_ : bytes.size()), pause});
        }
    }
    void setChunk(qsizetype chunk) { chunk_ = chunk; }
    void setPause(ms pause) { pause_ = pause; }
    // The line is gone once every delivery was read.
    void hangUpAtEnd() { hangUp_ = true; }
    void refuseOpen() { refuseOpen_ = true; }

    void open() override {
        if (refuseOpen_) {
            throw Error(QStringLiteral("no such port"));
        }
        open_ = true;
        ++opens;
    }
    void close() override {
        if (open_) {
            ++closes;
        }
        open_ = false;
    }
    bool isOpen() const override { return open_; }

    void write(QByteArrayView bytes) override {
        if (!open_) {
            throw Error(QStringLiteral("write on a closed line"));
        }
        written += bytes;
        const char last = bytes.isEmpty() ? 0 : bytes.back();
        if ((last == '\r' || last == 0x1A || last == 0x1B) && !turns_.empty()) {
            deliver(turns_.front(), pause_);
            turns_.pop_front();
        }
    }

    QByteArray read(ms timeout) override {
        if (!open_) {
            throw Error(QStringLiteral("read on a closed line"));
        }
        ++reads;
        if (deliveries_.empty()) {
            if (hangUp_) {
                throw Error(QStringLiteral("line gone"));
            }
            std::this_thread::sleep_for(timeout);
            return {};
        }
        Delivery& next = deliveries_.front();
        if (next.pause > timeout) {
            std::this_thread::sleep_for(timeout);
            next.pause -= timeout;
            return {};
        }
        std::this_thread::sleep_for(next.pause);
        const QByteArray bytes = next.bytes;
        deliveries_.pop_front();
        return bytes;
    }

    QString portName() const override { return name_; }
    void setPortName(const QString& name) override { name_ = name; }

    QByteArray written;
    int opens = 0;
    int closes = 0;
    int reads = 0;

  private:
    struct Delivery {
        QByteArray bytes;
        ms pause;
    };
    std::deque<QByteArray> turns_;
    std::deque<Delivery> deliveries_;
    qsizetype chunk_ = 0;
    ms pause_{0};
    bool open_ = false;
    bool hangUp_ = false;
    bool refuseOpen_ = false;
    QString name_ = QStringLiteral("COM3");
};

}  // namespace pelmar::test
