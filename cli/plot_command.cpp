#include "plot_command.h"

#include <algorithm>
#include <iterator>

#include "file_name.h"

namespace {

// Puts an option's value into the command; returns what is wrong with the
// value, to follow the option's name, or an empty text when it is good.
using Apply = QString (*)(PlotCommand& command, const QString& value);

enum class Takes { Nothing, Number, Value };

struct Option {
    const char* name;
    Takes takes;
    Apply apply;
};

// Only plain decimal digits: toInt would also take "+1" and " 1".
bool parseSmallInteger(const QString& text, int minimum, int maximum, int& value) {
    if (text.isEmpty() || text.size() > 3)
        return false;
    for (const QChar c : text) {
        if (c < u'0' || c > u'9')
            return false;
    }
    value = text.toInt();
    return value >= minimum && value <= maximum;
}

template <int Minimum, int Maximum> QString integerIn(const QString& value, int& target) {
    if (!parseSmallInteger(value, Minimum, Maximum, target))
        return QStringLiteral("must be a whole number from %1 to %2, not '%3'")
            .arg(Minimum)
            .arg(Maximum)
            .arg(value);
    return {};
}

// A plain decimal number, as a script writes one: digits with at most one
// full stop and an optional sign; no exponent, no spaces, no "inf".
bool parseDecimal(const QString& text, double minimum, double maximum, double& value) {
    qsizetype i = text.startsWith(u'-') || text.startsWith(u'+') ? 1 : 0;
    int digits = 0;
    int stops = 0;
    for (; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c >= u'0' && c <= u'9')
            ++digits;
        else if (c == u'.' && stops == 0)
            ++stops;
        else
            return false;
    }
    if (digits == 0)
        return false;
    bool ok = false;
    value = text.toDouble(&ok);
    return ok && value >= minimum && value <= maximum;
}

// Two decimal numbers "A,B" within their ranges.
bool parsePair(const QString& text, double minA, double maxA, double& a, double minB, double maxB,
               double& b) {
    const QStringList parts = text.split(u',');
    return parts.size() == 2 && parseDecimal(parts[0], minA, maxA, a) &&
           parseDecimal(parts[1], minB, maxB, b);
}

// "date,file,mode,title" in any order and any subset; a part twice is the
// same part.
QString headerParts(const QString& value, HeaderOmission& omit) {
    HeaderOmission parts;
    for (const QString& part : value.split(u',')) {
        if (part == u"date")
            parts.Date = true;
        else if (part == u"file")
            parts.File = true;
        else if (part == u"mode")
            parts.Mode = true;
        else if (part == u"title")
            parts.Title = true;
        else
            return QStringLiteral("takes date, file, mode or title, separated by commas, not '%1'")
                .arg(part);
    }
    omit = parts;
    return {};
}

constexpr Option kOptions[] = {
    {"--file-type", Takes::Number,
     [](PlotCommand& c, const QString& v) { return integerIn<0, 10>(v, c.Options.FileType); }},
    {"--plot-type", Takes::Number,
     [](PlotCommand& c, const QString& v) { return integerIn<0, 2>(v, c.Options.PlotType); }},
    {"--error-circles", Takes::Number,
     [](PlotCommand& c, const QString& v) {
         int mode = 0;
         QString error = integerIn<0, 2>(v, mode);
         c.Options.ErrorCircles = static_cast<ErrorCircleMode>(mode);
         return error;
     }},
    {"--scale", Takes::Number,
     [](PlotCommand& c, const QString& v) { return integerIn<1, 8>(v, c.Scale); }},
    {"--omit", Takes::Value,
     [](PlotCommand& c, const QString& v) { return headerParts(v, c.Options.Omit); }},
    {"--fisher", Takes::Nothing,
     [](PlotCommand& c, const QString&) {
         c.Options.FisherMean = true;
         return QString();
     }},
    {"--gc-fit", Takes::Nothing,
     [](PlotCommand& c, const QString&) {
         c.Options.GreatCircleFit = true;
         return QString();
     }},
    {"--bedding", Takes::Value,
     [](PlotCommand& c, const QString& v) {
         double dipDirection = 0.0;
         double dip = 0.0;
         if (!parsePair(v, 0.0, 360.0, dipDirection, 0.0, 90.0, dip))
             return QStringLiteral("must be DIPDIR,DIP: a dip direction from 0 to 360 and a "
                                   "dip from 0 to 90 degrees, not '%1'")
                 .arg(v);
         c.Options.Bedding = BeddingSource::OneForAll;
         c.Options.BeddingDipDirection = dipDirection;
         c.Options.BeddingDip = dip;
         return QString();
     }},
    {"--bedding-columns", Takes::Nothing,
     [](PlotCommand& c, const QString&) {
         c.Options.Bedding = BeddingSource::PerLine;
         return QString();
     }},
    {"--polarity", Takes::Nothing,
     [](PlotCommand& c, const QString&) {
         c.Options.SeparatePolarities = true;
         return QString();
     }},
    {"--reversal-test", Takes::Nothing,
     [](PlotCommand& c, const QString&) {
         c.Options.ReversalTest = true;
         return QString();
     }},
    {"--common-mean-test", Takes::Nothing,
     [](PlotCommand& c, const QString&) {
         c.Options.CommonMeanTest = true;
         return QString();
     }},
    {"--site", Takes::Value,
     [](PlotCommand& c, const QString& v) {
         SiteLocation site;
         if (!parsePair(v, -90.0, 90.0, site.Latitude, -360.0, 360.0, site.Longitude))
             return QStringLiteral("must be LAT,LON: a latitude from -90 to 90 and a longitude "
                                   "from -360 to 360 degrees (north and east positive), not '%1'")
                 .arg(v);
         c.Options.Site = site;
         return QString();
     }},
    {"--contours", Takes::Value,
     [](PlotCommand& c, const QString& v) {
         if (v == u"kamb")
             c.Options.Contours = ContourMethod::Kamb;
         else if (v == u"exponential-kamb")
             c.Options.Contours = ContourMethod::ExponentialKamb;
         else if (v == u"schmidt")
             c.Options.Contours = ContourMethod::OnePercentArea;
         else
             return QStringLiteral("must be kamb, exponential-kamb or schmidt, not '%1'").arg(v);
         return QString();
     }},
    {"--projection", Takes::Value,
     [](PlotCommand& c, const QString& v) {
         if (v == u"equal-area")
             c.Options.NetProjection = Projection::EqualArea;
         else if (v == u"equal-angle")
             c.Options.NetProjection = Projection::EqualAngle;
         else
             return QStringLiteral("must be equal-area or equal-angle, not '%1'").arg(v);
         return QString();
     }},
    {"--contour-sigma", Takes::Number,
     [](PlotCommand& c, const QString& v) {
         if (!parseDecimal(v, 0.0, 1000.0, c.Options.ContourSigma) || c.Options.ContourSigma <= 0.0)
             return QStringLiteral("must be a number above 0 and at most 1000, not '%1'").arg(v);
         return QString();
     }},
    {"--contour-levels", Takes::Value,
     [](PlotCommand& c, const QString& v) {
         c.Options.ContourLevels.clear();
         for (const QString& part : v.split(u',')) {
             double level = 0.0;
             if (!parseDecimal(part, 0.0, 1e6, level) || level <= 0.0)
                 return QStringLiteral("must be levels above 0 separated by commas, not '%1'")
                     .arg(v);
             c.Options.ContourLevels.push_back(level);
         }
         return QString();
     }},
    {"--quiet", Takes::Nothing,
     [](PlotCommand& c, const QString&) {
         c.Quiet = true;
         return QString();
     }},
    {"--json", Takes::Nothing,
     [](PlotCommand& c, const QString&) {
         c.Json = true;
         return QString();
     }},
    {"--title", Takes::Value,
     [](PlotCommand& c, const QString& v) {
         c.Options.Title = FileNameText(v);
         return QString();
     }},
    {"--file-name", Takes::Value,
     [](PlotCommand& c, const QString& v) {
         c.Options.FileName = FileNameText(v);
         return QString();
     }},
    {"-o", Takes::Value,
     [](PlotCommand& c, const QString& v) {
         c.Output = v;
         return QString();
     }},
    {"--output", Takes::Value,
     [](PlotCommand& c, const QString& v) {
         c.Output = v;
         return QString();
     }},
};

// What is wrong with asking for an analysis the plot cannot make; the pass
// would silently ignore it.
QString analysisMismatch(const PlotOptions& options, const QStringList& given) {
    const bool one = given.contains(u"--bedding");
    const bool columns = given.contains(u"--bedding-columns");
    const int type = options.FileType;
    if (one && columns)
        return QStringLiteral("--bedding and --bedding-columns exclude each other: one bedding "
                              "for all data, or one on each line");
    if (columns && type != 0 && type != 1)
        return QStringLiteral("--bedding-columns applies to file types 0 and 1 only");
    if (one && type != 0 && type != 1 && type != 9 && type != 10)
        return QStringLiteral("--bedding applies to file types 0, 1, 9 and 10 only");
    if ((one || columns) && options.PlotType != 0)
        return QStringLiteral("%1 applies to directions (plot type 0) only")
            .arg(one ? QStringLiteral("--bedding") : QStringLiteral("--bedding-columns"));
    if (given.contains(u"--site") && options.PlotType != 0)
        return QStringLiteral("--site applies to directions (plot type 0) only");
    for (const char16_t* setting : {u"--contour-sigma", u"--contour-levels"}) {
        if (given.contains(setting) && options.Contours == ContourMethod::None)
            return QStringLiteral("%1 needs --contours").arg(QStringView(setting));
    }
    if (given.contains(u"--contour-sigma") && options.Contours == ContourMethod::OnePercentArea)
        return QStringLiteral("--contour-sigma applies to the Kamb methods only");
    return {};
}

} // namespace

PlotCommandParse ParsePlotCommand(const QStringList& arguments) {
    PlotCommandParse parse;
    PlotCommand& command = parse.Command;
    QStringList positional;
    QStringList given; // the names of the options used, each once
    bool optionsEnded = false;

    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (optionsEnded || argument == u"-" || !argument.startsWith(u'-')) {
            positional.append(argument);
            continue;
        }
        if (argument == u"--") {
            optionsEnded = true;
            continue;
        }
        if (argument == u"--help" || argument == u"-h") {
            command.Help = true;
            return parse;
        }
        if (argument == u"--version") {
            command.Version = true;
            return parse;
        }

        // A value is attached after '=' or comes in the next argument.
        QString name = argument;
        QString value;
        bool hasValue = false;
        const qsizetype equals = argument.indexOf(u'=');
        if (argument.startsWith(u"--") && equals > 2) {
            name = argument.left(equals);
            value = argument.mid(equals + 1);
            hasValue = true;
        }
        const auto option =
            std::find_if(std::begin(kOptions), std::end(kOptions),
                         [&](const Option& o) { return name == QLatin1String(o.name); });
        if (option == std::end(kOptions) || (hasValue && option->takes == Takes::Nothing)) {
            parse.Error = QStringLiteral("unknown option '%1'").arg(argument);
            return parse;
        }
        if (option->takes != Takes::Nothing && !hasValue) {
            if (i + 1 >= arguments.size()) {
                parse.Error =
                    QStringLiteral("%1 needs %2")
                        .arg(name, option->takes == Takes::Number ? QStringLiteral("a number")
                                                                  : QStringLiteral("a value"));
                return parse;
            }
            value = arguments[++i];
        }
        const QString error = option->apply(command, value);
        if (!error.isEmpty()) {
            parse.Error = name + u' ' + error;
            return parse;
        }
        if (!given.contains(name))
            given.append(name);
    }

    if (positional.isEmpty()) {
        parse.Error = QStringLiteral("no data file given (use '-' for standard input)");
        return parse;
    }
    if (positional.size() > 1) {
        parse.Error = QStringLiteral("one data file only, got '%1' and '%2'")
                          .arg(positional[0], positional[1]);
        return parse;
    }
    command.Input = positional[0];
    if (!given.contains(u"--file-name"))
        command.Options.FileName = FileNameText(command.Input);
    if ((given.contains(u"-o") || given.contains(u"--output")) && command.Output.isEmpty()) {
        // An empty name would silently write no image at all.
        parse.Error = QStringLiteral("the image file name is empty");
        return parse;
    }
    if (!command.Output.isEmpty()) {
        command.Format = ImageFormatOf(command.Output);
        if (command.Format == ImageFormat::None) {
            parse.Error = QStringLiteral("cannot tell the image format of '%1': "
                                         "name it *.bmp, *.png, *.svg or *.pdf")
                              .arg(command.Output);
            return parse;
        }
    }
    // A BMP is the raster's own 1-bit layout and the vector formats have no
    // pixels: only a PNG can be drawn larger.
    if (given.contains(u"--scale") && command.Format != ImageFormat::Png) {
        parse.Error = QStringLiteral("--scale applies to PNG output only");
        return parse;
    }
    parse.Error = analysisMismatch(command.Options, given);
    return parse;
}

QString InputName(const QString& input) {
    return input == u"-" ? QStringLiteral("<stdin>") : input;
}

QString PlotUsage() {
    return QStringLiteral(
        "Usage: quorvex-plot [options] DATAFILE\n"
        "Draws the net of a data file into a 553 x 529 image, without a display,\n"
        "and prints the result lines of the Fisher mean and of the great-circle fit.\n"
        "DATAFILE '-' reads standard input. Its text, like that of --title and --file-name,\n"
        "is read as UTF-8, or as Latin-1 when it is not valid UTF-8. File names are used as\n"
        "their bytes, UTF-8 or not. Messages on standard error call standard input <stdin>\n"
        "and show control characters escaped (\\e, \\t, \\x9b, ...).\n"
        "\n"
        "Options:\n"
        "  --file-type N       data file type, 0 to 10 (default 0, generic)\n"
        "  --plot-type N       0 directions, 1 VGPs north polar view, 2 VGPs south polar\n"
        "                      view (default 0)\n"
        "  --error-circles N   0 confidence circles, 1 none, 2 lower-hemisphere planes\n"
        "                      (default 1)\n"
        "  --fisher            draw the Fisher mean and print its three lines\n"
        "  --gc-fit            draw the best-fit great circle and print its three lines\n"
        "  --bedding DIPDIR,DIP\n"
        "                      tilt-correct the directions with one bedding for all data\n"
        "                      (file types 0, 1, 9, 10; plot type 0)\n"
        "  --bedding-columns   tilt-correct each direction with the bedding on its line:\n"
        "                      the two numbers after the datum's own, dip direction then\n"
        "                      dip (file types 0 and 1; plot type 0); a line without them\n"
        "                      is not read\n"
        "  --polarity          separate normal and reversed directions; with --fisher the\n"
        "                      result lines give their combined mean\n"
        "  --reversal-test     Watson's V_w test of the two polarities (in --json)\n"
        "  --common-mean-test  Watson's V_w test of the first two data sets (in --json);\n"
        "                      a line '#NAME' starts a data set\n"
        "  --site LAT,LON      the site, north and east positive: the virtual geomagnetic\n"
        "                      pole of the mean direction (in --json; plot type 0)\n"
        "  --contours METHOD   density contours of the plotted data beneath the marks, with\n"
        "                      a legend: kamb (Kamb 1959), exponential-kamb (Vollmer 1995),\n"
        "                      both in sigma, or schmidt (1% area counts, in %)\n"
        "  --contour-sigma S   sigma of the Kamb methods (default 3)\n"
        "  --contour-levels L1,L2,...\n"
        "                      the levels to draw, in the method's unit (default: 2, 4, 6\n"
        "                      ... sigma up to the maximum; 1, 2, 4, 8, 16, 32 %)\n"
        "  --projection NET    the net: equal-area (Schmidt, the default) or equal-angle\n"
        "                      (stereographic, Wulff)\n"
        "  --json              print the results as one JSON object instead of the lines;\n"
        "                      it lists at most 10000 unread lines and counts the rest\n"
        "  --quiet             do not report the lines that were not read (standard error\n"
        "                      gets FILE:LINE: not read: REASON for each, at most 100)\n"
        "  --title TEXT        plot title (default empty)\n"
        "  --file-name TEXT    name on the plot's file line (default DATAFILE as given)\n"
        "  --omit PARTS        leave parts of the header out of the image: any of date,\n"
        "                      file, mode and title, separated by commas (default none);\n"
        "                      title also leaves the title out of the file's metadata\n"
        "  -o, --output FILE   write the image: FILE ending in .bmp (any case) gets a 1-bit\n"
        "                      black-and-white BMP, .png the colour raster as PNG, .svg an\n"
        "                      SVG drawing, .pdf a one-page PDF document (vector drawings with\n"
        "                      the texts as text); any other name is refused. An existing\n"
        "                      file is replaced only once the whole image is written, with\n"
        "                      its owner, group and permissions; a file with other hard\n"
        "                      links, one whose owner or group a new file cannot have, or\n"
        "                      one in a folder that takes no new files is rewritten in\n"
        "                      place, its old bytes put back if the write fails; devices\n"
        "                      and pipes are written in place\n"
        "  --scale N           PNG only: 1 (default) writes the exact 553 x 529 raster, 2 to 8\n"
        "                      an antialiased drawing N times the size\n"
        "  -h, --help          show this text\n"
        "      --version       print the program's name and version\n"
        "\n"
        "Options taking a value also accept --opt=VALUE.\n"
        "\n"
        "Exit status: 0 done; 1 a floating-point fault ended the plot (message on standard\n"
        "error; no result lines; the image as far as it was drawn is still written);\n"
        "2 bad command line, unreadable data file (or one over 64 MiB), an image that\n"
        "would replace the data file, an unwritable image, result lines that could not\n"
        "be written (a pipe whose reader has gone too), or memory that ran out.\n");
}
