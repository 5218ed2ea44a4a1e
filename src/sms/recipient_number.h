#pragma once

#include <QObject>
#include <QString>

namespace pelmar {

// The one recipient number that the number fields of the Send SMS, ringtone, picture and logo
// pages all show. A field passes its text to setNumber on every edit and shows number() when
// numberChanged arrives; since only a real change is announced, the fields follow one edit once
// and then stop. A field should also show number() after its own edit, because a typed character
// that the filter drops ("(" or a blank) changes nothing here and is not announced.
class RecipientNumber : public QObject {
    Q_OBJECT

  public:
    explicit RecipientNumber(QObject* parent = nullptr);

    const QString& number() const { return m_number; }

    // Keeps the digits and "+" of `text` (FilterPhoneNumber).
    void setNumber(const QString& text);

  signals:
    void numberChanged(const QString& number);

  private:
    QString m_number;
};

}  // namespace pelmar
