#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// What the window's command line asks for, once Qt has taken out its own
// options (-platform, -style and the like).
struct WindowCommandLine {
    std::optional<QString> DataFile; // opened after start-up as the load dialog would
    QString Error;                   // empty when the command line is good
};

// Reads the arguments after the program name: at most one data file; "--"
// ends the options, so a file may begin with '-'; any other option, or a
// second file, is an error.
WindowCommandLine ParseWindowCommandLine(const QStringList& arguments);
