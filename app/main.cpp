#include <QApplication>

#include "main_window.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorvex"));
    TQVMainForm form;
    form.show();
    // Without a window manager nothing would activate the window, and the
    // first activation is what draws the first plot.
    form.activateWindow();
    return QApplication::exec();
}
