#include "cli/cli_common.h"

#include <QFile>
#include <cstdio>

namespace pelmar::cli {

void printOut(const QString& line) {
    const QByteArray bytes = line.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
    std::fflush(stdout);
}

void printErr(const QString& line) {
    const QByteArray bytes = line.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stderr);
    std::fflush(stderr);
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
        .arg(m.Status)
        .arg(jsonEscape(m.Date), jsonEscape(m.Number), jsonEscape(m.Text));
}

}  // namespace pelmar::cli
