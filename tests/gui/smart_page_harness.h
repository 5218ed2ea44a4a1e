#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <memory>

#include "sim/sim_state.h"
#include "smart/bitmap.h"
#include "support/run_cli.h"
#include "support/simulated_pages.h"
#include "support/smart_decoder.h"
#include "support/widgets_application.h"

namespace pelmar::test {

// One smart-message page alone on a simulated handset in memory, every box scripted. The
// handset is made with the first job, so `sim` stays null while nothing touched the line.
template <class Page>
class SmartPageHarness : public PageFixture<Page> {
  protected:
    using PageFixture<Page>::sim;
    // The smart messages the handset received, as the independent decoder reads them back;
    // empty when python3 is missing.
    QJsonArray decodedSent() {
        if (!sim)
            return {};
        QByteArray lines;
        for (const simulator::SentMessage& sent : sim->state().sent)
            lines += QByteArray::number(sent.tpdu.size() / 2) + ' ' + sent.tpdu + '\n';
        return decodeSmartMessages(lines);
    }
    static QString sample(const char* file) {
        return QStringLiteral(PELMAR_TEST_DATA "/") + QLatin1StringView(file);
    }
    static QJsonArray rowsOf(const MonoBitmap& b) { return bitmapRows(b); }
};

}  // namespace pelmar::test
