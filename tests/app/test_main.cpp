#include <QApplication>

#include <gtest/gtest.h>

#include <cstdlib>

// The GUI suites need a QApplication; the offscreen platform keeps them free
// of any display.
int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
