#pragma once

#include <QByteArray>

namespace pelmar::test {

// One 303-byte phonebook record built by hand, so that tests do not check the writer against
// itself. The length bytes can be given apart from the texts to make corrupt records.
inline QByteArray recordBytes(const QByteArray& number, int type, const QByteArray& name,
                              int numberLength = -1, int nameLength = -1) {
    QByteArray r;
    r.append(static_cast<char>(numberLength < 0 ? number.size() : numberLength));
    r.append(number.left(100)).append(100 - number.left(100).size(), '\0');
    r.append(static_cast<char>(type));
    r.append(static_cast<char>(nameLength < 0 ? name.size() : nameLength));
    r.append(name.left(200)).append(200 - name.left(200).size(), '\0');
    return r;
}

}  // namespace pelmar::test
