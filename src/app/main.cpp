#include <QApplication>
#include <QTemporaryDir>
#include <cstdio>

#include "app/app_icon.h"
#include "app/demo_data.h"
#include "app/pelmar_main_form.h"
#include "app/single_instance.h"
#include "app/start_options.h"
#include "gui/common/dialogs.h"
#include "gui/common/operation_status.h"
#include "gui/common/workspace.h"
#include "phonebook/data_location.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    pelmar::setApplicationIdentity();
    QApplication::setWindowIcon(pelmar::appIcon());

    pelmar::StartOptions options;
    QString message;
    int exitCode = 0;
    if (!pelmar::parseStartOptions(QApplication::arguments(), options, message, exitCode)) {
        std::fputs(qPrintable(message + u'\n'), exitCode == 0 ? stdout : stderr);
        return exitCode;
    }

    pelmar::SingleInstance instance;
    if (!instance.claim()) {
        // The running window takes the port of this start, or says why not.
        if (instance.activateRunning(options.port))
            return 0;
        std::fputs("pelmar: already running, but it does not answer\n", stderr);
        return 1;
    }

    // Files of the folder earlier versions used move once to this one; the window says so.
    const QString moved =
        options.dataDir.isEmpty() && !options.demo ? pelmar::moveOldUserDataFolder() : QString();

    // The demo works on phonebooks of its own in a throw-away folder, never on the user's.
    QTemporaryDir demoData;
    if (options.demo && options.dataDir.isEmpty()) {
        options.dataDir = demoData.path();
        try {
            pelmar::writeDemoPhoneBooks(options.dataDir);
        } catch (const pelmar::Error& e) {
            std::fputs(qPrintable(e.message() + u'\n'), stderr);
        }
    }

    // The workspace outlives the window: nothing a page shows goes away before the page.
    pelmar::WidgetDialogs dialogs;
    pelmar::Workspace workspace(dialogs, pelmar::phoneBookDirectory(options.dataDir));
    QString logProblem;
    if (!options.logFile.isEmpty() &&
        !workspace.runner.log().alsoWriteTo(options.logFile, &logProblem))
        std::fputs(qPrintable(logProblem + u'\n'), stderr);
    pelmar::TPelmarMainForm form(workspace, options);
    QObject::connect(&instance, &pelmar::SingleInstance::activationRequested, &form,
                     &pelmar::TPelmarMainForm::bringToFront);
    QObject::connect(&instance, &pelmar::SingleInstance::portRequested, &form,
                     &pelmar::TPelmarMainForm::takePortOfALaterStart);
    form.show();
    if (!moved.isEmpty())
        form.operationStatus()->showResult(moved);
    return QApplication::exec();
}
