// The entry point of the window's tests: the toolkit, then every test, with
// a settings folder of their own.

#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

#include "test_support.h"

int main(int argc, char** argv) {
    const TempDir settings;
    ::setenv("XDG_CONFIG_HOME", settings.path().c_str(), 1);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
