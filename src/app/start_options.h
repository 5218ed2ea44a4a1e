#pragma once

#include <QString>
#include <QStringList>

namespace pelmar {

// What the command line asks of this run of the window.
struct StartOptions {
    QString port;       // --port DEV: this run's port; the stored choice stays
    QString dataDir;    // --data-dir DIR: the folder of the phonebook files
    QString logFile;    // --log FILE: the wire log goes to FILE too
    bool demo = false;  // --demo: the demo handset on this run

    // The port this run starts with, before the stored choice: --port, else the demo handset
    // for --demo, else empty.
    QString portOverride() const;
};

// Parses the program's arguments (the first is the program). On an error or --help, fills
// `message` and returns false; `exitCode` is what the program should end with.
bool parseStartOptions(const QStringList& arguments, StartOptions& options, QString& message,
                       int& exitCode);

}  // namespace pelmar
