#include <QApplication>

#include <cstdio>
#include <cstring>

#include "main_window.h"
#include "program_identity.h"
#include "window_command_line.h"

namespace {

constexpr char kUsage[] =
    "Usage: quorvex [FILE]\n"
    "Draws equal-area (Schmidt) nets of paleomagnetic and structural-geology data.\n"
    "FILE, a data file, is opened after start-up as the load dialog opens it.\n"
    "\n"
    "Options:\n"
    "  -h, --help     show this text\n"
    "      --version  print the program's name and version\n";

} // namespace

int main(int argc, char** argv) {
    // Answered before the application exists, so they need no display.
    for (int i = 1; i < argc && std::strcmp(argv[i], "--") != 0; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("quorvex %s\n", kQuorvexVersion);
            return 0;
        }
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        }
    }

    QApplication application(argc, argv);
    // Qt has taken out its own options by now; what is left is ours.
    const WindowCommandLine line = ParseWindowCommandLine(QApplication::arguments().mid(1));
    if (!line.Error.isEmpty()) {
        std::fprintf(stderr, "quorvex: %s\n%s", line.Error.toLocal8Bit().constData(), kUsage);
        return 2;
    }
    QApplication::setApplicationName(QStringLiteral("Quorvex"));
    // Wayland compositors match the window to its menu entry and icon by this name.
    QGuiApplication::setDesktopFileName(QString::fromLatin1(kQuorvexAppId));
    TQVMainForm form;
    if (line.DataFile)
        form.OpenAfterStart(*line.DataFile);
    form.show();
    // Without a window manager nothing would activate the window, and the
    // first activation is what draws the first plot.
    form.activateWindow();
    return QApplication::exec();
}
