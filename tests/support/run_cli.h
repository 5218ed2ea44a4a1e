#pragma once

#include <QByteArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStringList>
#include <optional>

namespace pelmar::test {

struct CliResult {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// Runs a program with arguments and optional standard input; waits at most `timeoutMs`.
inline CliResult runProgram(const QString& program, const QStringList& args,
                            const QByteArray& input = {}, int timeoutMs = 30000) {
    QProcess p;
    p.start(program, args);
    CliResult r;
    if (!p.waitForStarted(timeoutMs))
        return r;
    if (!input.isEmpty())
        p.write(input);
    p.closeWriteChannel();
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished();
        return r;
    }
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

// Each line of `out` as a JSON object; a line that is no JSON object gives nothing.
inline QList<std::optional<QJsonObject>> jsonLines(const QByteArray& out) {
    QList<std::optional<QJsonObject>> objects;
    for (const QByteArray& line : out.split('\n')) {
        if (line.isEmpty())
            continue;
        const QJsonDocument document = QJsonDocument::fromJson(line);
        objects << (document.isObject() ? std::optional(document.object()) : std::nullopt);
    }
    return objects;
}

#ifdef PELMAR_CLI_PATH
inline CliResult runCli(const QStringList& args, const QByteArray& input = {},
                        int timeoutMs = 30000) {
    return runProgram(QStringLiteral(PELMAR_CLI_PATH), args, input, timeoutMs);
}
#endif

}  // namespace pelmar::test
