#include <QApplication>
#include <QTimer>
#include <cstdio>

#include "app/app_icon.h"
#include "app/pelmar_main_form.h"
#include "app/screenshots.h"
#include "app/single_instance.h"
#include "app/start_options.h"
#include "link/ui/dialogs.h"
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

    // A screenshot run is a throw-away window beside the user's own.
    const bool screenshots = !options.screenshotDir.isEmpty();
    pelmar::SingleInstance instance;
    if (!screenshots && !instance.claim()) {
        if (instance.activateRunning())
            return 0;
        std::fputs("pelmar: already running, but it does not answer\n", stderr);
        return 1;
    }

    // A screenshot run records its boxes instead of waiting for someone to close them.
    pelmar::WidgetDialogs boxes;
    pelmar::ScriptedDialogs recorded;
    pelmar::Dialogs& dialogs = screenshots ? static_cast<pelmar::Dialogs&>(recorded) : boxes;
    pelmar::TPelmarMainForm form(dialogs, options);
    QObject::connect(&instance, &pelmar::SingleInstance::activationRequested, &form,
                     &pelmar::TPelmarMainForm::bringToFront);
    form.show();
    if (screenshots) {
        QTimer::singleShot(0, &form, [&form, &recorded, &options] {
            const int failed = pelmar::takeScreenshots(form, recorded, options.screenshotDir);
            QApplication::exit(failed == 0 ? 0 : 1);
        });
    }
    return QApplication::exec();
}
