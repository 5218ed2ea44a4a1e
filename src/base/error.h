#pragma once

#include <QString>
#include <stdexcept>

namespace pelmar {

// Base of every error that ends a handset operation or refuses input: it carries the text
// that the user is shown. The operation frame catches it once and turns it into an outcome.
class Error : public std::runtime_error {
  public:
    explicit Error(const QString& message) : std::runtime_error(message.toStdString()) {}
    QString message() const { return QString::fromUtf8(what()); }
};

}  // namespace pelmar
