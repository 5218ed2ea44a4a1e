#include "app/screenshots.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QMessageBox>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QTabWidget>

#include "app/pelmar_main_form.h"
#include "link/ui/dialogs.h"

namespace pelmar {

namespace {

// The error box as WidgetDialogs shows it, without its modal loop.
bool saveErrorBox(TPelmarMainForm& form, const QString& text, const QString& path) {
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Error"), text, QMessageBox::Ok, &form);
    box.show();
    QApplication::processEvents();
    return box.grab().save(path);
}

}  // namespace

int takeScreenshots(TPelmarMainForm& form, ScriptedDialogs& dialogs, const QString& directory) {
    QDir().mkpath(directory);
    auto* smsText = form.findChild<QPlainTextEdit*>(QStringLiteral("SMSText"));
    if (auto* coding = form.findChild<QComboBox*>(QStringLiteral("EncodingCombo")))
        coding->setCurrentIndex(1);  // UCS2, so that the Cyrillic stays
    if (smsText)
        smsText->setPlainText(QStringLiteral("Привет! Meet at 8, platform 2 (€5 each)."));
    form.recipient().setNumber(QStringLiteral("+12025550166"));
    if (auto* picture = form.findChild<QPlainTextEdit*>(QStringLiteral("pmText")))
        picture->setPlainText(QStringLiteral("See you at the station!"));
    if (auto* providers = form.findChild<QComboBox*>(QStringLiteral("ProviderCombo")))
        providers->setCurrentIndex(
            providers->findText(QStringLiteral("Cosmote"), Qt::MatchStartsWith));

    QTabWidget* tabs = form.pageControl();
    int failed = 0;
    for (int i = 0; i < tabs->count(); ++i) {
        tabs->setCurrentIndex(i);
        QApplication::processEvents();
        const QString name = QStringLiteral("%1-%2.png")
                                 .arg(i + 1)
                                 .arg(tabs->tabText(i).toLower().replace(u' ', u'-'));
        if (!form.grab().save(QDir(directory).filePath(name)))
            ++failed;
    }

    // "Enter message text." as the user meets it after pressing Send with no text.
    auto* send = form.findChild<QAbstractButton*>(QStringLiteral("SendSMSButton"));
    if (smsText && send) {
        smsText->clear();
        send->click();
    }
    const QStringList errors = dialogs.texts(ScriptedDialogs::Kind::Error);
    const QString boxName = QStringLiteral("%1-error-box.png").arg(tabs->count() + 1);
    if (errors.isEmpty() ||
        !saveErrorBox(form, errors.constLast(), QDir(directory).filePath(boxName))) {
        ++failed;
    }
    tabs->setCurrentIndex(0);
    return failed;
}

}  // namespace pelmar
