#pragma once

#include <chrono>

#include "link/transport.h"

namespace pelmar {

// A Transport in front of another one: every call goes on to the inner line unchanged, and a
// subclass sees each byte that crosses it. Counting, pacing and the wire log are such
// subclasses, stacked between the AT channel and the real line.
class ForwardingTransport : public Transport {
  public:
    explicit ForwardingTransport(Transport& inner) : m_inner(inner) {}

    void open() override { m_inner.open(); }
    void close() override { m_inner.close(); }
    bool isOpen() const override { return m_inner.isOpen(); }
    void write(QByteArrayView bytes) override;
    QByteArray read(std::chrono::milliseconds timeout) override;
    QString deviceName() const override { return m_inner.deviceName(); }
    void setDeviceName(const QString& name) override { m_inner.setDeviceName(name); }
    bool isSerialDevice() const override { return m_inner.isSerialDevice(); }

  protected:
    // One write's bytes, before the inner line takes them: a write that then fails was still
    // attempted, and a pacing subclass may hold it here.
    virtual void sending(QByteArrayView bytes);
    // What one read returned, empty when nothing came within `timeout`. A read that threw
    // (the line is gone) returned nothing.
    virtual void received(QByteArrayView bytes, std::chrono::milliseconds timeout);

  private:
    Transport& m_inner;
};

}  // namespace pelmar
