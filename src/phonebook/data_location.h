#pragma once

#include <QString>

// Where the phonebook files live.
namespace pelmar {

// Sets the organisation and application names ("Pelmar", "Pelmar") that QSettings and the
// per-user data folder follow. Every program calls it once, before it asks for either, so the
// window and the command-line tool find the same files.
void setApplicationIdentity();

// The folder chosen from these candidates: `overrideDir` when given (the --data-dir option);
// else `programDir` when a file can be created there and it already holds a phonebook file (a
// portable install keeps its data beside the program); else `userDataDir`.
QString choosePhoneBookDirectory(const QString& overrideDir, const QString& programDir,
                                 const QString& userDataDir);

// The folder for this process: the running program's folder, or the per-user data folder
// (QStandardPaths::AppDataLocation, which follows setApplicationIdentity), unless
// `overrideDir` is given.
QString phoneBookDirectory(const QString& overrideDir = {});

}  // namespace pelmar
