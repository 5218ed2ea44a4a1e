#include "screenshots/screenshots.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QDialog>
#include <QDir>
#include <QLineEdit>
#include <QMessageBox>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTreeView>

#include "app/pelmar_main_form.h"
#include "gui/phonebook/pick_phone_number.h"
#include "support/scripted_dialogs.h"

namespace pelmar {

namespace {

// The error box as WidgetDialogs shows it, without its modal loop.
bool saveErrorBox(TPelmarMainForm& form, const QString& text, const QString& path) {
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Error"), text, QMessageBox::Ok, &form);
    box.show();
    QApplication::processEvents();
    return box.grab().save(path);
}

// Runs the event loop until `done` holds, at most ten seconds.
template <class Condition>
bool waitFor(const Condition& done) {
    const QDeadlineTimer deadline(10000);
    while (!done() && !deadline.hasExpired())
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

// The demo handset's SIM phonebook read into the window, as the user gets it with Read and Yes.
void readSimPhoneBook(TPelmarMainForm& form, ScriptedDialogs& dialogs) {
    auto* read = form.findChild<QAbstractButton*>(QStringLiteral("ReadBookBtn"));
    if (!read)
        return;
    dialogs.warningAnswers = {true};
    read->click();
    waitFor([&] { return dialogs.warningAnswers.isEmpty() && !form.workspace().runner.isBusy(); });
}

bool saveDialog(QDialog* dialog, const QString& path) {
    QApplication::processEvents();
    const bool saved = dialog->grab().save(path);
    dialog->reject();
    return saved;
}

// The entry editor on the first entry, and the picker with a search typed.
int saveEditorAndPicker(TPelmarMainForm& form, const QDir& directory, int number) {
    int failed = 0;
    auto* list = form.findChild<QTreeView*>(QStringLiteral("PhoneBookLV"));
    auto* edit = form.findChild<QAbstractButton*>(QStringLiteral("EditBtn"));
    auto* editor = form.findChild<QDialog*>(QStringLiteral("EditPhoneDlg"));
    if (list && edit && editor && list->model()->rowCount() > 0) {
        list->setCurrentIndex(list->model()->index(0, 0));
        edit->click();
        if (!saveDialog(editor,
                        directory.filePath(QStringLiteral("%1-entry-editor.png").arg(number))))
            ++failed;
    } else {
        ++failed;
    }
    TfrmPickPhoneNumber* picker = form.picker();
    picker->open();
    picker->findChild<QLineEdit*>(QStringLiteral("PickUpPhoneEdit"))->setText(QStringLiteral("an"));
    if (!saveDialog(picker,
                    directory.filePath(QStringLiteral("%1-number-picker.png").arg(number + 1))))
        ++failed;
    return failed;
}

}  // namespace

int takeScreenshots(TPelmarMainForm& form, ScriptedDialogs& dialogs, const QString& directory) {
    QDir().mkpath(directory);
    auto* smsText = form.findChild<QPlainTextEdit*>(QStringLiteral("SMSText"));
    if (auto* coding = form.findChild<QComboBox*>(QStringLiteral("EncodingCombo")))
        coding->setCurrentIndex(1);  // UCS2, so that the Cyrillic stays
    if (smsText)
        smsText->setPlainText(QStringLiteral("Привет! Meet at 8, platform 2 (€5 each)."));
    form.workspace().recipient.setNumber(QStringLiteral("+12025550166"));
    if (auto* picture = form.findChild<QPlainTextEdit*>(QStringLiteral("pmText")))
        picture->setPlainText(QStringLiteral("See you at the station!"));
    if (auto* providers = form.findChild<QComboBox*>(QStringLiteral("ProviderCombo")))
        providers->setCurrentIndex(
            providers->findText(QStringLiteral("Cosmote"), Qt::MatchStartsWith));

    readSimPhoneBook(form, dialogs);
    // The demo handset's messages listed, as after Refresh on the Read SMS page.
    if (auto* refresh = form.findChild<QAbstractButton*>(QStringLiteral("ReadSMBtn"))) {
        refresh->click();
        waitFor([&] { return !form.workspace().runner.isBusy(); });
    }

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
    tabs->setCurrentIndex(tabs->count() - 1);
    failed += saveEditorAndPicker(form, QDir(directory), tabs->count() + 2);
    tabs->setCurrentIndex(0);
    return failed;
}

}  // namespace pelmar
