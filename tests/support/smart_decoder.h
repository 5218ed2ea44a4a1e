#pragma once

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QStandardPaths>

#include "smart/bitmap.h"
#include "support/run_cli.h"

namespace pelmar::test {

// The messages of "LENGTH HEX" lines as tests/tools/smart_decode.py, a decoder written apart
// from ours, reads them back; empty when python3 is missing.
inline QJsonArray decodeSmartMessages(const QByteArray& lines) {
    const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
    if (python.isEmpty())
        return {};
    const CliResult decoded =
        runProgram(python, {QStringLiteral(PELMAR_TEST_DATA "/../tools/smart_decode.py")}, lines);
    EXPECT_EQ(decoded.exitCode, 0) << decoded.err.constData();
    return QJsonDocument::fromJson(decoded.out)[u"messages"].toArray();
}

// The pixels as the decoder prints them: one text of "0" and "1" per row.
inline QJsonArray bitmapRows(const MonoBitmap& bitmap) {
    QJsonArray rows;
    for (int y = 0; y < bitmap.height(); ++y) {
        QString row;
        for (int x = 0; x < bitmap.width(); ++x)
            row += bitmap.pixel(x, y) ? u'1' : u'0';
        rows.append(row);
    }
    return rows;
}

}  // namespace pelmar::test
