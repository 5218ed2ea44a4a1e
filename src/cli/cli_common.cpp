#include "cli/cli_common.h"

#include <QFile>
#include <QStringDecoder>
#include <cerrno>
#include <cstdio>

#include "link/command_text.h"

namespace pelmar::cli {
namespace {

// Why standard output first refused a write (errno); 0 while every write went through.
int g_outputError = 0;

void noteOutputError() {
    if (g_outputError == 0)
        g_outputError = errno != 0 ? errno : EIO;
}

}  // namespace

void printOut(const QString& line) {
    const QByteArray bytes = line.toUtf8() + '\n';
    errno = 0;
    if (std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout) !=
            static_cast<size_t>(bytes.size()) ||
        std::fflush(stdout) != 0) {
        noteOutputError();
    }
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
    const QByteArray bytes = escapedText(line).toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stderr);
    std::fflush(stderr);
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
        printOut(QString::number(pdu.length) + QLatin1Char(' ') + QString::fromLatin1(pdu.hex));
    }
    return kExitDone;
}

QString jsonEscape(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
            case '"':
                out += QStringLiteral("\\\"");
                break;
            case '\\':
                out += QStringLiteral("\\\\");
                break;
            case '\n':
                out += QStringLiteral("\\n");
                break;
            case '\r':
                out += QStringLiteral("\\r");
                break;
            case '\t':
                out += QStringLiteral("\\t");
                break;
            default:
                if (c.unicode() < 0x20) {
                    out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
                } else {
                    out += c;
                }
        }
    }
    return out;
}

QString messageJson(const DecodedMessage& m) {
    return QStringLiteral(R"({"index":%1,"status":%2,"date":"%3","number":"%4","text":"%5"})")
        .arg(m.Index)
        .arg(static_cast<int>(m.Status))
        .arg(jsonEscape(m.Date), jsonEscape(m.Number), jsonEscape(m.Text));
}

QString unreadableNote(int count) {
    return QStringLiteral("pelmar-cli: %1 listed %2 could not be read (text \"%3\")")
        .arg(count)
        .arg(count == 1 ? QStringLiteral("message") : QStringLiteral("messages"))
        .arg(DecodedMessage::UnreadableText);
}

}  // namespace pelmar::cli
