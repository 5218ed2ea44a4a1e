#include "sms/recipient_number.h"

#include "sms/message_input.h"

namespace pelmar {

RecipientNumber::RecipientNumber(QObject* parent) : QObject(parent) {}

void RecipientNumber::setNumber(const QString& text) {
    const QString filtered = FilterPhoneNumber(text);
    if (filtered == m_number)
        return;
    m_number = filtered;
    emit numberChanged(m_number);
}

}  // namespace pelmar
