#pragma once

#include <QString>

class QSettings;

namespace pelmar {

// What the window keeps between runs, in QSettings under the organisation and application
// names setApplicationIdentity sets.
struct AppSettings {
    QString port;               // as PortSelector::portName gives it; empty on the first run
    bool olderHandset = false;  // no SMSC field in written messages, older phonebook commands
    bool longMessage = false;   // the Send SMS page's "Long message (sent in parts)"

    static AppSettings load(const QSettings& settings);
    void save(QSettings& settings) const;
};

}  // namespace pelmar
