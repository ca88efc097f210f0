#pragma once
// Include in one source file of a GoogleTest executable that needs widgets: a QApplication on the
// offscreen platform lives for the whole run.

#include <gtest/gtest.h>

#include <QApplication>
#include <memory>

namespace testsupport {

class QtApplicationEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QApplication>(argc, argv);
    }
    void TearDown() override { app.reset(); }

  private:
    int argc = 1;
    char name[8] = "lirveto";
    char* argv[2] = {name, nullptr};
    std::unique_ptr<QApplication> app;
};

inline ::testing::Environment* const qtEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtApplicationEnvironment);

}  // namespace testsupport
