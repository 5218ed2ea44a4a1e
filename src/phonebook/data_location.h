#pragma once

#include <QString>

// Where the phonebook files live.
namespace pelmar {

// Sets the organisation and application names ("Pelmar", "Pelmar") that QSettings follows, and
// the version that --version prints. Every program calls it once, before it asks for either, so
// the window and the command-line tool find the same settings.
void setApplicationIdentity();

// The per-user data folder: "pelmar" in the user's data folder (~/.local/share/pelmar).
QString userDataDirectory();
// Where earlier versions kept it: the organisation's and the application's name in the user's
// data folder (~/.local/share/Pelmar/Pelmar).
QString oldUserDataDirectory();

// The folder chosen from these candidates: `overrideDir` when given (the --data-dir option);
// else `programDir` when a file can be created there and it already holds a phonebook file (a
// portable install keeps its data beside the program); else `userDataDir`.
QString choosePhoneBookDirectory(const QString& overrideDir, const QString& programDir,
                                 const QString& userDataDir);

// The folder for this process: the running program's folder, or userDataDirectory(), unless
// `overrideDir` is given.
QString phoneBookDirectory(const QString& overrideDir = {});

// Moves what `oldDir` holds into `newDir` (made when missing), each file by one rename: nothing is
// ever half-moved, and of two programs that start at once only one moves a file. A file that
// `newDir` already holds stays where it was. `oldDir` goes once it is empty, and so does its
// parent (the organisation's folder) when that is left empty. Returns what the user is told:
// empty when there was nothing to move.
QString moveDataFolder(const QString& oldDir, const QString& newDir);

// moveDataFolder(oldUserDataDirectory(), userDataDirectory()): the window and the command-line
// tool call it as they start, and whichever comes first moves the files; the text is shown to
// the user when it is not empty.
QString moveOldUserDataFolder();

}  // namespace pelmar
