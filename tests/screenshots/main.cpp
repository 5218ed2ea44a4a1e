// pelmar-screenshots [--data-dir DIR] OUT: the window on the demo handset, every box recorded
// instead of shown; writes a picture of each page into OUT and ends (exit 1 when one failed).
#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>

#include "app/app_icon.h"
#include "app/pelmar_main_form.h"
#include "app/start_options.h"
#include "gui/common/workspace.h"
#include "phonebook/data_location.h"
#include "screenshots/screenshots.h"
#include "support/scripted_dialogs.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    pelmar::setApplicationIdentity();
    QCommandLineParser parser;
    const QCommandLineOption dataDir(QStringLiteral("data-dir"),
                                     QStringLiteral("Keep the phonebook files in DIR."),
                                     QStringLiteral("DIR"));
    parser.addOption(dataDir);
    parser.addPositionalArgument(QStringLiteral("OUT"), QStringLiteral("Where the pictures go."));
    parser.process(app);
    if (parser.positionalArguments().size() != 1)
        parser.showHelp(2);

    pelmar::StartOptions options;
    options.demo = true;
    options.dataDir = parser.value(dataDir);
    pelmar::ScriptedDialogs dialogs;
    pelmar::Workspace workspace(dialogs, pelmar::phoneBookDirectory(options.dataDir));
    pelmar::TPelmarMainForm form(workspace, options);
    form.show();
    QTimer::singleShot(0, &form, [&] {
        const int failed =
            pelmar::takeScreenshots(form, dialogs, parser.positionalArguments().constFirst());
        QApplication::exit(failed == 0 ? 0 : 1);
    });
    return QApplication::exec();
}
