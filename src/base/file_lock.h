#pragma once

#include <QLockFile>
#include <QString>
#include <chrono>

namespace pelmar {

// How long a program waits for another one to finish changing a file before it gives up.
inline constexpr std::chrono::milliseconds kFileLockWait{10000};

// Holds the lock file "<file>.lock" beside a file while this program reads and replaces the
// file, so that two programs changing it at once do not lose each other's change. A lock left
// behind by a program that died is taken over; the lock is released when this goes away.
class FileLock {
  public:
    // Waits up to `wait` while another program holds the lock, then throws Error naming the
    // file and the program that holds it.
    explicit FileLock(const QString& path, std::chrono::milliseconds wait = kFileLockWait);
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

  private:
    QLockFile m_lock;
};

}  // namespace pelmar
