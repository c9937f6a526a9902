#include <QApplication>

#include "main_window.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorvex"));
    TQVMainForm form;
    form.show();
    return QApplication::exec();
}
