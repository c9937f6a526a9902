#include <QApplication>

#include <cstdio>
#include <string>
#include <vector>

#include "broken_pipes.h"
#include "main_window.h"
#include "program_identity.h"
#include "terminal_text.h"
#include "window_command_line.h"

namespace {

constexpr char kUsage[] =
    "Usage: quorvex [FILE]\n"
    "Draws equal-area (Schmidt) nets of paleomagnetic and structural-geology data.\n"
    "FILE, a data file, is opened after start-up as the load dialog opens it.\n"
    "\n"
    "Options:\n"
    "  -h, --help     show this text\n"
    "      --version  print the program's name and version\n"
    "  --             end of the options: FILE may begin with '-'\n"
    "Qt's own options before '--' (-platform NAME, -style NAME, -reverse and the like)\n"
    "are passed to Qt.\n";

} // namespace

int main(int argc, char** argv) {
    // A failed write to a pipe is an error box, never the end of the program.
    IgnoreBrokenPipes();
    // Read before the application exists: help, version and usage errors
    // need no display, and Qt never sees the data file's name.
    const WindowCommandLine line =
        ParseWindowCommandLine(std::vector<std::string>(argv, argv + argc));
    if (line.Version) {
        std::printf("quorvex %s\n", kQuorvexVersion);
        return 0;
    }
    if (line.Help) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (!line.Error.isEmpty()) {
        std::fprintf(stderr, "quorvex: %s\n%s", EscapeControls(line.Error).constData(), kUsage);
        return 2;
    }

    // Qt keeps argc and argv for the whole run.
    std::vector<std::string> qtArguments = line.QtArguments;
    std::vector<char*> qtArgv;
    for (std::string& argument : qtArguments)
        qtArgv.push_back(argument.data());
    qtArgv.push_back(nullptr);
    int qtArgc = static_cast<int>(qtArguments.size());
    QApplication application(qtArgc, qtArgv.data());
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
