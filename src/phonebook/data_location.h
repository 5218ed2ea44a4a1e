#pragma once

#include <QString>

// Where the phonebook files live.
namespace pelmar {

// The folder chosen from these candidates: `overrideDir` when given (the --data-dir option);
// else `programDir` when a file can be created there (a portable install keeps its data beside
// the program); else `userDataDir`.
QString choosePhoneBookDirectory(const QString& overrideDir, const QString& programDir,
                                 const QString& userDataDir);

// The folder for this process: the running program's folder, or the per-user data folder
// (QStandardPaths::AppDataLocation, which follows the application and organisation names the
// program has set), unless `overrideDir` is given.
QString phoneBookDirectory(const QString& overrideDir = {});

}  // namespace pelmar
