#pragma once

#include <QByteArray>
#include <QFile>
#include <QIODevice>
#include <QMutex>
#include <QString>

namespace pelmar {

// The wire log of a run of the window: every line kept in memory for "Show log" and, when a file
// was given (--log FILE), appended to it as it comes. Written on the line's thread, read on any.
class SessionLog final : public QIODevice {
  public:
    SessionLog();

    // Appends every line from now on to `path` too; false with the reason when it cannot.
    bool alsoWriteTo(const QString& path, QString* problem = nullptr);

    // Everything logged so far.
    QByteArray text() const;

  protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 size) override;

  private:
    mutable QMutex m_mutex;
    QByteArray m_text;
    QFile m_file;
};

}  // namespace pelmar
