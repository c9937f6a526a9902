#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    // No test here may reach a real printer: the printer service is looked
    // for on a socket that nobody serves.
    qputenv("CUPS_SERVER", "/nonexistent/quorvex-print-tests/cups.sock");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
