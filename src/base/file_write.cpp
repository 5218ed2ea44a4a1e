#include "base/file_write.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <cerrno>
#include <optional>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace pelmar {
namespace {

// Writes all of `bytes` to an unbuffered device. The file engine returns a short count without
// an error when the limit is met part-way, so the rest is written again until the system
// refuses it and names its reason. Nothing on success, else the reason.
std::optional<QString> writeAll(QFileDevice& file, QByteArrayView bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const qint64 written = file.write(bytes.data() + done, bytes.size() - done);
        if (written <= 0)
            return file.errorString();
        done += written;
    }
    return std::nullopt;
}

// What the disk says about the data written so far: a file system that reserves its blocks
// late (NFS, a full quota) reports the failure only here.
std::optional<QString> syncToDisk(QFileDevice& file) {
#ifdef Q_OS_UNIX
    if (::fsync(file.handle()) != 0)
        return qt_error_string(errno);
#else
    Q_UNUSED(file);
#endif
    return std::nullopt;
}

}  // namespace

FileWriteError::FileWriteError(const QString& path, const QString& reason)
    : Error(
          QStringLiteral("Could not write \"%1\": %2").arg(QDir::toNativeSeparators(path), reason)),
      m_path(path),
      m_reason(reason) {}

void writeWholeFile(const QString& path, QByteArrayView bytes) {
    if (QFileInfo(path).isDir())
        throw FileWriteError(path, QStringLiteral("it is a folder"));
    QSaveFile file(path);
    // Unbuffered, so that a failed write is seen here: this Qt's commit() renames the temporary
    // file over the old one even when flushing its buffer failed.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        throw FileWriteError(path, file.errorString());
    std::optional<QString> failure = writeAll(file, bytes);
    if (!failure)
        failure = syncToDisk(file);
    if (failure) {
        file.cancelWriting();
        throw FileWriteError(path, *failure);
    }
    if (!file.commit())
        throw FileWriteError(path, file.errorString());
}

void appendToFile(const QString& path, QByteArrayView bytes) {
    const QFileInfo info(path);
    if (!info.exists() || info.isFile() || info.isDir()) {
        QByteArray content;
        if (info.isFile()) {
            QFile old(path);
            if (!old.open(QIODevice::ReadOnly))
                throw FileWriteError(path, old.errorString());
            content = old.readAll();
            if (old.error() != QFileDevice::NoError)
                throw FileWriteError(path, old.errorString());
        }
        content += bytes;
        writeWholeFile(path, content);
        return;
    }
    // A device or a pipe cannot be replaced; what it took cannot be taken back either.
    QFile device(path);
    if (!device.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        throw FileWriteError(path, device.errorString());
    if (const std::optional<QString> failure = writeAll(device, bytes))
        throw FileWriteError(path, *failure);
}

}  // namespace pelmar
