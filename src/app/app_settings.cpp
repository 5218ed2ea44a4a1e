#include "app/app_settings.h"

#include <QSettings>

namespace pelmar {

namespace {
const QString kPortKey = QStringLiteral("Port");
const QString kOlderHandsetKey = QStringLiteral("OlderHandset");
const QString kLongMessageKey = QStringLiteral("LongMessage");
}  // namespace

AppSettings AppSettings::load(const QSettings& settings) {
    AppSettings s;
    s.port = settings.value(kPortKey).toString();
    s.olderHandset = settings.value(kOlderHandsetKey, false).toBool();
    s.longMessage = settings.value(kLongMessageKey, false).toBool();
    return s;
}

void AppSettings::save(QSettings& settings) const {
    settings.setValue(kPortKey, port);
    settings.setValue(kOlderHandsetKey, olderHandset);
    settings.setValue(kLongMessageKey, longMessage);
    settings.sync();
}

}  // namespace pelmar
