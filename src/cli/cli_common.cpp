#include "cli/cli_common.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QStringDecoder>
#include <cerrno>
#include <cstdio>

#include "link/command_text.h"

namespace pelmar::cli {
namespace {

// Why standard output first refused a write (errno); 0 while every write went through.
int g_outputError = 0;
bool g_json = false;
bool g_outputIsData = false;
std::optional<QString> g_outcome;

void noteOutputError() {
    if (g_outputError == 0)
        g_outputError = errno != 0 ? errno : EIO;
}

void writeOut(const QByteArray& bytes) {
    errno = 0;
    if (std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout) !=
            static_cast<size_t>(bytes.size()) ||
        std::fflush(stdout) != 0) {
        noteOutputError();
    }
}

void writeErr(const QByteArray& bytes) {
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stderr);
    std::fflush(stderr);
}

}  // namespace

void printOut(const QString& line) {
    if (g_json || g_outputIsData)
        writeErr(line.toUtf8() + '\n');
    else
        writeOut(line.toUtf8() + '\n');
}

void setJsonOutput(bool json) {
    g_json = json;
}

bool jsonOutput() {
    return g_json;
}

void setOutputIsData() {
    g_outputIsData = true;
}

void writeData(const QByteArray& bytes) {
    writeOut(bytes);
}

void printJson(const QJsonObject& object) {
    writeOut(QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n');
}

void printResult(const QString& text, const QJsonObject& json) {
    if (g_json)
        printJson(json);
    else
        printOut(text);
}

void noteOutcome(const QString& text) {
    g_outcome = text;
}

int printOutcome(int exitCode) {
    if (g_json) {
        const QString fallback =
            exitCode == kExitDone ? QStringLiteral("Done.") : QStringLiteral("Failed.");
        printJson({{QStringLiteral("outcome"), g_outcome.value_or(fallback)},
                   {QStringLiteral("exit"), exitCode}});
    }
    return exitCode;
}

int checkOutput(int exitCode) {
    errno = 0;
    if (std::fflush(stdout) != 0 || std::ferror(stdout))
        noteOutputError();
    if (g_outputError == 0)
        return exitCode;
    printErr(QStringLiteral("pelmar-cli: could not write the output: ") +
             qt_error_string(g_outputError));
    return exitCode == kExitDone ? kExitRefused : exitCode;
}

void printErr(const QString& line) {
    writeErr(escapedText(line).toUtf8() + '\n');
}

std::optional<QString> argumentEncodingProblem(int argc, const char* const argv[]) {
#ifdef Q_OS_WIN
    // Windows hands the arguments over as UTF-16; Qt takes them from there.
    Q_UNUSED(argc);
    Q_UNUSED(argv);
#else
    for (int i = 1; i < argc; ++i) {
        QStringDecoder utf8(QStringDecoder::Utf8);
        const QString decoded = utf8(QByteArrayView(argv[i]));
        if (utf8.hasError()) {
            return QStringLiteral("argument %1 (\"%2\") is not valid UTF-8; give the text in UTF-8")
                .arg(i)
                .arg(escapedBytes(argv[i]));
        }
    }
#endif
    return std::nullopt;
}

int badInput(const QString& message) {
    printErr(QStringLiteral("pelmar-cli: ") + message);
    noteOutcome(message);
    return kExitBadInput;
}

QCommandLineOption olderHandsetOption() {
    return QCommandLineOption(
        {QStringLiteral("older-handset"), QStringLiteral("no-smsc")},
        QStringLiteral("An older handset: message PDUs without the \"00\" SMSC field, \",1\" "
                       "after the slot in phonebook writes."));
}

HandsetDialect dialectOf(const QCommandLineParser& parser, const QCommandLineOption& olderHandset) {
    return parser.isSet(olderHandset) ? HandsetDialect::Older : HandsetDialect::Standard;
}

int parseArgs(QCommandLineParser& parser, const QStringList& args) {
    const QCommandLineOption help = parser.addHelpOption();
    if (!parser.parse(args)) {
        return badInput(parser.errorText() + QStringLiteral(" (see --help)"));
    }
    if (parser.isSet(help)) {
        // Qt names the binary's path in the usage line; the command's own name reads better.
        QString text = parser.helpText();
        const qsizetype usageEnd =
            text.indexOf(QLatin1Char(' '), text.indexOf(QLatin1Char(' ')) + 1);
        if (text.startsWith(QStringLiteral("Usage: ")) && usageEnd > 0) {
            text = QStringLiteral("Usage: ") + args.value(0) + text.mid(usageEnd);
        }
        printOut(text);
        return kExitDone;
    }
    return -1;
}

std::optional<QByteArray> readInput(const QString& fileName) {
    QFile file;
    bool opened = false;
    if (fileName.isEmpty() || fileName == QStringLiteral("-")) {
        opened = file.open(stdin, QIODevice::ReadOnly);
    } else {
        file.setFileName(fileName);
        opened = file.open(QIODevice::ReadOnly);
    }
    if (!opened)
        return std::nullopt;
    return file.readAll();
}

int printWrittenPdus(const QList<WrittenPdu>& pdus) {
    for (const WrittenPdu& pdu : pdus) {
        const QString hex = QString::fromLatin1(pdu.hex);
        printResult(QString::number(pdu.length) + QLatin1Char(' ') + hex,
                    {{QStringLiteral("length"), pdu.length}, {QStringLiteral("pdu"), hex}});
    }
    return kExitDone;
}

QJsonObject messageJson(const DecodedMessage& m) {
    return {
        {QStringLiteral("index"), static_cast<qint64>(m.Index)},
        {QStringLiteral("status"), static_cast<int>(m.Status)},
        {QStringLiteral("date"),
         m.Timestamp.isValid() ? m.Timestamp.toString(Qt::ISODate) : QString()},
        {QStringLiteral("number"), m.Number},
        {QStringLiteral("text"), m.Text},
    };
}

QString unreadableNote(int count) {
    return QStringLiteral("pelmar-cli: %1 listed %2 could not be read (text \"%3\")")
        .arg(count)
        .arg(count == 1 ? QStringLiteral("message") : QStringLiteral("messages"))
        .arg(DecodedMessage::UnreadableText);
}

}  // namespace pelmar::cli
