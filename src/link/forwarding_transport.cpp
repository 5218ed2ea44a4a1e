#include "link/forwarding_transport.h"

namespace pelmar {

void ForwardingTransport::write(QByteArrayView bytes) {
    sending(bytes);
    m_inner.write(bytes);
}

QByteArray ForwardingTransport::read(std::chrono::milliseconds timeout) {
    QByteArray bytes = m_inner.read(timeout);
    received(bytes, timeout);
    return bytes;
}

void ForwardingTransport::sending(QByteArrayView) {}

void ForwardingTransport::received(QByteArrayView, std::chrono::milliseconds) {}

}  // namespace pelmar
