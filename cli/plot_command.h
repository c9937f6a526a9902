#pragma once

#include <QString>
#include <QStringList>

#include "image_format.h"

// One run of quorvex-plot, as its command line asks for it.
struct PlotCommand {
    bool Help = false;
    bool Version = false;
    QString Input;  // a path, or "-" for standard input
    QString Output; // empty: no image file
    ImageFormat Format = ImageFormat::None;
    int FileType = 0;     // 0..10
    int PlotType = 0;     // 0..2
    int ErrorCircles = 1; // 0..2
    bool Fisher = false;
    bool GreatCircleFit = false;
    bool Quiet = false; // no report of the lines that were not read
    bool Json = false;  // the results as one JSON object instead of text lines
    QString Title;
    QString FileName; // the plot's file line; the input path as given unless set
    int Scale = 1;    // 1..8; above 1 only with PNG output
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

// The --help text, ending in a line break.
QString PlotUsage();
