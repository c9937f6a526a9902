#pragma once

#include <QString>
#include <QStringList>

#include "image_format.h"
#include "plot_options.h"

// One run of quorvex-plot, as its command line asks for it.
struct PlotCommand {
    bool Help = false;
    bool Version = false;
    // File names carry bytes that are not UTF-8 as file_name.h describes.
    QString Input;  // a path, or "-" for standard input
    QString Output; // empty: no image file
    ImageFormat Format = ImageFormat::None;
    // The plot as the window's controls would choose it; its file line is
    // the input path as given unless --file-name sets it. Its texts are
    // read as the data file's text is: UTF-8, or Latin-1 when an argument
    // is not valid UTF-8.
    PlotOptions Options;
    bool Quiet = false; // no report of the lines that were not read
    bool Json = false;  // the results as one JSON object instead of text lines
    int Scale = 1;      // 1..8; above 1 only with PNG output
};

struct PlotCommandParse {
    PlotCommand Command;
    QString Error; // empty when the command line is good
};

// Reads the arguments after the program name. Options taking a value accept
// "--opt VALUE" and "--opt=VALUE"; "--" ends the options; the one positional
// argument is the data file. Later repeats of an option win; --help and
// --version end the reading at once.
PlotCommandParse ParsePlotCommand(const QStringList& arguments);

// The data file as messages name it: "<stdin>" for standard input ("-").
QString InputName(const QString& input);

// The --help text, ending in a line break.
QString PlotUsage();
