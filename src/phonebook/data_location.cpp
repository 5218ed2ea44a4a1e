#include "phonebook/data_location.h"

#include "phonebook/phone_books.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace pelmar {
namespace {

// Creating a file is the only test that holds everywhere: permission bits and access lists
// can both say "writable" for a folder in which nothing may be created.
bool canCreateFilesIn(const QString& dir) {
    if (dir.isEmpty() || !QDir(dir).exists())
        return false;
    QTemporaryFile probe(QDir(dir).filePath(QStringLiteral(".pelmar-write-test-XXXXXX")));
    return probe.open();
}

bool holdsPhoneBookFile(const QString& dir) {
    for (const PhoneBookKindInfo& info : kPhoneBookKinds) {
        if (QFileInfo::exists(QDir(dir).filePath(info.fileName)))
            return true;
    }
    return false;
}

}  // namespace

void setApplicationIdentity() {
    QCoreApplication::setOrganizationName(QStringLiteral("Pelmar"));
    QCoreApplication::setApplicationName(QStringLiteral("Pelmar"));
}

QString choosePhoneBookDirectory(const QString& overrideDir, const QString& programDir,
                                 const QString& userDataDir) {
    if (!overrideDir.isEmpty())
        return overrideDir;
    if (holdsPhoneBookFile(programDir) && canCreateFilesIn(programDir))
        return programDir;
    return userDataDir;
}

QString phoneBookDirectory(const QString& overrideDir) {
    if (!overrideDir.isEmpty())
        return overrideDir;
    return choosePhoneBookDirectory(
        {}, QCoreApplication::applicationDirPath(),
        QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
}

}  // namespace pelmar
