#include "phonebook/data_location.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

#include "base/version.h"
#include "phonebook/phone_books.h"

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

QString namesOf(const QStringList& files) {
    return files.join(QStringLiteral(", "));
}

}  // namespace

void setApplicationIdentity() {
    QCoreApplication::setOrganizationName(QStringLiteral("Pelmar"));
    QCoreApplication::setApplicationName(QStringLiteral("Pelmar"));
    QCoreApplication::setApplicationVersion(programVersion());
}

QString userDataDirectory() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/pelmar");
}

QString oldUserDataDirectory() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/Pelmar/Pelmar");
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
    return choosePhoneBookDirectory({}, QCoreApplication::applicationDirPath(),
                                    userDataDirectory());
}

QString moveDataFolder(const QString& oldDir, const QString& newDir) {
    const QDir from(oldDir);
    if (!from.exists() ||
        QFileInfo(oldDir).canonicalFilePath() == QFileInfo(newDir).canonicalFilePath())
        return {};
    const QStringList names =
        from.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    const bool made = names.isEmpty() || QDir().mkpath(newDir);
    QStringList moved, taken, failed;
    for (const QString& name : names) {
        const QString target = QDir(newDir).filePath(name);
        // A rename would replace an empty folder of that name, and a file where rename(2) is
        // used: what the new folder holds is never touched.
        if (!made)
            failed << name;
        else if (QFileInfo::exists(target))
            taken << name;
        else if (QDir().rename(from.filePath(name), target))
            moved << name;
        else
            failed << name;
    }
    if (QDir().rmdir(oldDir))
        QDir().rmdir(QFileInfo(oldDir).path());  // the organisation's folder, when left empty
    if (moved.isEmpty() && taken.isEmpty() && failed.isEmpty())
        return {};
    QStringList report;
    if (!moved.isEmpty()) {
        report << QStringLiteral("Moved %1 from %2 to %3, the data folder from now on.")
                      .arg(namesOf(moved), QDir::toNativeSeparators(oldDir),
                           QDir::toNativeSeparators(newDir));
    }
    if (!taken.isEmpty()) {
        report << QStringLiteral("Left %1 in %2: %3 already holds files of those names.")
                      .arg(namesOf(taken), QDir::toNativeSeparators(oldDir),
                           QDir::toNativeSeparators(newDir));
    }
    if (!failed.isEmpty()) {
        report << QStringLiteral("Could not move %1 from %2 to %3.")
                      .arg(namesOf(failed), QDir::toNativeSeparators(oldDir),
                           QDir::toNativeSeparators(newDir));
    }
    return report.join(QLatin1Char(' '));
}

QString moveOldUserDataFolder() {
    return moveDataFolder(oldUserDataDirectory(), userDataDirectory());
}

}  // namespace pelmar
