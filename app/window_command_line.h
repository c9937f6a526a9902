#pragma once

#include <QString>

#include <optional>
#include <string>
#include <vector>

// What the window's command line asks for, read from the raw arguments
// before any application object exists, so that help, version and usage
// errors need no display.
struct WindowCommandLine {
    bool Help = false;
    bool Version = false;
    std::optional<QString> DataFile; // opened after start-up as the load dialog would
    QString Error;                   // empty when the command line is good
    // The program name and Qt's own options (-platform X, -style=X, -reverse
    // and the like), for the application object; the data file and anything
    // after "--" never reach Qt.
    std::vector<std::string> QtArguments;
};

// Reads argv (the program name first). --help, -h and --version before "--"
// win over anything else. Qt's options are passed on; "--" ends the options,
// so a file may begin with '-'; any other option or a second file is an
// error. The data file keeps its own bytes (DecodeFileName), UTF-8 or not.
WindowCommandLine ParseWindowCommandLine(const std::vector<std::string>& argv);
