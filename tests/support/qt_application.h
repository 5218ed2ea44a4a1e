#pragma once

#include <gtest/gtest.h>
#include <QCoreApplication>

#include <memory>

namespace pelmar::test {

// The serial port watches its device with socket notifiers, which want a thread that Qt knows:
// a test program that opens TComPort installs this environment once.
class QtApplication : public testing::Environment {
  public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "pelmar-test";
        static char* argv[] = {name, nullptr};
        m_app = std::make_unique<QCoreApplication>(argc, argv);
    }
    void TearDown() override { m_app.reset(); }

  private:
    std::unique_ptr<QCoreApplication> m_app;
};

}  // namespace pelmar::test
