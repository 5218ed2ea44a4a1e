#include "app/start_options.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include "session/handset_connection.h"

namespace pelmar {

QString StartOptions::portOverride() const {
    if (!port.isEmpty())
        return port;
    return demo ? HandsetConnection::kDemoPort : QString();
}

bool parseStartOptions(const QStringList& arguments, StartOptions& options, QString& message,
                       int& exitCode) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Sends and reads text messages, phonebooks and smart messages of a GSM "
                       "handset on a serial port."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption port(QStringLiteral("port"),
                                  QStringLiteral("Use DEV for this run (the saved choice stays)."),
                                  QStringLiteral("DEV"));
    const QCommandLineOption dataDir(QStringLiteral("data-dir"),
                                     QStringLiteral("Keep the phonebook files in DIR."),
                                     QStringLiteral("DIR"));
    const QCommandLineOption demo(QStringLiteral("demo"),
                                  QStringLiteral("Work with the demo handset."));
    const QCommandLineOption log(
        QStringLiteral("log"),
        QStringLiteral("Append every byte exchanged with the phone to FILE (the PIN never)."),
        QStringLiteral("FILE"));
    parser.addOptions({port, dataDir, demo, log});

    if (!parser.parse(arguments)) {
        message = parser.errorText() + QStringLiteral("\n\n") + parser.helpText();
        exitCode = 2;
        return false;
    }
    if (parser.isSet(help)) {
        message = parser.helpText();
        exitCode = 0;
        return false;
    }
    if (parser.isSet(version)) {
        message = QStringLiteral("pelmar ") + QCoreApplication::applicationVersion();
        exitCode = 0;
        return false;
    }
    if (!parser.positionalArguments().isEmpty()) {
        message = QStringLiteral("Unexpected argument \"%1\".\n\n%2")
                      .arg(parser.positionalArguments().constFirst(), parser.helpText());
        exitCode = 2;
        return false;
    }
    options.port = parser.value(port).trimmed();
    options.dataDir = parser.value(dataDir);
    options.logFile = parser.value(log);
    options.demo = parser.isSet(demo);
    return true;
}

}  // namespace pelmar
