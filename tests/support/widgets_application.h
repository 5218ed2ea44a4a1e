#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>
#include <memory>

#include "phonebook/data_location.h"

namespace pelmar::test {

// Widgets want a QApplication; the settings and the per-user data folder go to a throw-away
// home. A GUI test program installs this environment once.
class WidgetsApplication : public testing::Environment {
  public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "pelmar-gui-test";
        static char* argv[] = {name, nullptr};
        qputenv("XDG_DATA_HOME", dataHome().toUtf8());
        m_app = std::make_unique<QApplication>(argc, argv);
        setApplicationIdentity();
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_home.path());
    }
    void TearDown() override { m_app.reset(); }
    static QString dataHome() { return m_home.filePath(QStringLiteral("data")); }

  private:
    static inline QTemporaryDir m_home;
    std::unique_ptr<QApplication> m_app;
};

}  // namespace pelmar::test
