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
        app_ = std::make_unique<QCoreApplication>(argc, argv);
    }
    void TearDown() override { app_.reset(); }

  private:
    std::unique_ptr<QCoreApplication> app_;
};

}  // namespace pelmar::test
