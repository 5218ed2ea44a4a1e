#include "base/file_lock.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <thread>

#include "base/error.h"

namespace pelmar {
namespace {

// Short, even steps: QLockFile's own wait doubles its pause up to seconds, so a writer that
// queues behind several others could sleep past the holder and still give up.
constexpr std::chrono::milliseconds kPollStep{20};

QString shown(const QString& path) {
    return QDir::toNativeSeparators(path);
}

Error lockError(const QString& path, const QLockFile& lock) {
    if (lock.error() == QLockFile::LockFailedError) {
        qint64 pid = 0;
        QString host, program;
        const QString holder =
            lock.getLockInfo(&pid, &host, &program)
                ? QStringLiteral(" (%1, process %2)")
                      .arg(program.isEmpty() ? QStringLiteral("unknown program") : program)
                      .arg(pid)
                : QString();
        return Error(QStringLiteral("\"%1\" is being changed by another program%2; try again "
                                    "when it is done.")
                         .arg(shown(path), holder));
    }
    const QFileInfo info(path);
    const QString lockName = shown(path + QStringLiteral(".lock"));
    const QString why =
        !info.absoluteDir().exists()
            ? QStringLiteral("the folder \"%1\" does not exist").arg(shown(info.absolutePath()))
        : lock.error() == QLockFile::PermissionError
            ? QStringLiteral("no permission to create the lock file \"%1\"").arg(lockName)
            : QStringLiteral("cannot create the lock file \"%1\"").arg(lockName);
    return Error(QStringLiteral("Could not lock \"%1\": %2").arg(shown(path), why));
}

}  // namespace

FileLock::FileLock(const QString& path, std::chrono::milliseconds wait)
    : m_lock(path + QStringLiteral(".lock")) {
    const QDeadlineTimer deadline(wait);
    while (!m_lock.tryLock(0)) {
        if (m_lock.error() != QLockFile::LockFailedError || deadline.hasExpired())
            throw lockError(path, m_lock);
        std::this_thread::sleep_for(kPollStep);
    }
}

}  // namespace pelmar
