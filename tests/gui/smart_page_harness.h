#pragma once

#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QStandardPaths>
#include <memory>

#include "link/ui/dialogs.h"
#include "link/ui/page_context.h"
#include "phonebook/phone_books.h"
#include "session/operation_runner.h"
#include "sim/sim_state.h"
#include "smart/bitmap.h"
#include "smart/smart_framing.h"
#include "sms/message_table.h"
#include "sms/recipient_number.h"
#include "support/run_cli.h"
#include "support/simulated_pages.h"
#include "support/smart_decoder.h"
#include "support/widgets_application.h"

// Failures show texts as text.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace pelmar::test {

// One smart-message page alone on a simulated handset in memory, every box scripted. The
// handset is made with the first job, so `sim` stays null while nothing touched the line.
template <class Page>
class SmartPageHarness : public testing::Test, public SimulatedPages {
  protected:
    void open() { page = std::make_unique<Page>(context); }
    template <class W = QWidget>
    W* child(const char* name) {
        return page->template findChild<W*>(QLatin1StringView(name));
    }
    // Presses the button; when it started an operation, waits for it and gives its outcome.
    std::optional<Outcome> press(const char* button) {
        QSignalSpy finished(&runner, &OperationRunner::finished);
        child<QAbstractButton>(button)->click();
        if (!runner.isBusy() && finished.isEmpty())
            return std::nullopt;
        EXPECT_TRUE(finished.count() > 0 || finished.wait(20000)) << button;
        return finished.isEmpty() ? Outcome{} : finished.first().first().value<Outcome>();
    }
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
    // Every widget the user can reach by keyboard is named for a screen reader.
    void expectEveryControlNamed() {
        for (QWidget* w : page->template findChildren<QWidget*>()) {
            if (w->focusPolicy() == Qt::NoFocus || w->objectName().startsWith(u"m_qt"))
                continue;
            QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
            if (!a)
                continue;
            EXPECT_TRUE(!a->text(QAccessible::Name).isEmpty() ||
                        !a->relations(QAccessible::Label).isEmpty())
                << w->objectName().toStdString();
        }
    }
    static QString sample(const char* file) {
        return QStringLiteral(PELMAR_TEST_DATA "/") + QLatin1StringView(file);
    }
    static QJsonArray rowsOf(const MonoBitmap& b) { return bitmapRows(b); }

    std::unique_ptr<Page> page;
};

}  // namespace pelmar::test
