#pragma once

#include <QByteArrayView>
#include <QString>

#include "base/error.h"

namespace pelmar {

// A file that could not be written. message() names the file and says why; reason() is the
// system's own words ("No space left on device"), for callers that say it their own way.
class FileWriteError : public Error {
  public:
    FileWriteError(const QString& path, const QString& reason);
    const QString& path() const { return m_path; }
    const QString& reason() const { return m_reason; }

  private:
    QString m_path;
    QString m_reason;
};

// Every file this program writes goes through these two. Each write is checked, and flushed
// to the disk, before the file is replaced: a full disk, a size limit or an I/O error throws
// FileWriteError and leaves the old file exactly as it was (or absent, when there was none).

// Replaces the file with `bytes`, creating it when missing.
void writeWholeFile(const QString& path, QByteArrayView bytes);

// Adds `bytes` to the end of the file, creating it when missing. A regular file is written
// anew beside the old one and replaces it when complete; a device or pipe gets the bytes
// directly.
void appendToFile(const QString& path, QByteArrayView bytes);

}  // namespace pelmar
