#include "file_type.h"

#include "fixed_column.h"
#include "free_format.h"

const std::array<std::string_view, kFileTypeCount> kFileTypeCaptions = {
    "Generic: D [sp] I (lat/lon, dip/dip dir)",
    "Site mean file: D [sp] I [sp] a95 ",
    "Old Wexa paleomag file - Geogr.",
    "Old Wexa paleomag file - Strat.",
    "Caltech paleomag file - Geogr.",
    "Caltech paleomag file - Strat",
    "Caltech paleomag file - Spec",
    "Caltech least squares file - Geogr",
    "Caltech least squares file - Strat",
    "Strike [sp] dip  (plot pole)",
    "Dip [sp] dip-direction (plot pole)",
};

int FirstDataLine(FileType type) {
    return (type >= 4 && type <= 6) ? 3 : 1;
}

bool IsBlankLine(std::string_view line) {
    return line.find_first_not_of(' ') == std::string_view::npos;
}

namespace {

// Which reader a file type uses; the reading and its reason both go by it.
enum class LineReader { TwoNumber, SiteMean, FixedColumn, None };

LineReader LineReaderOf(FileType type) {
    if (type == 0 || type == 9 || type == 10) {
        return LineReader::TwoNumber;
    }
    if (type == 1) {
        return LineReader::SiteMean;
    }
    if (type >= 2 && type <= 8) {
        return LineReader::FixedColumn;
    }
    return LineReader::None;
}

// Turns the attitude just read into the plane's pole: the azimuth moves back
// by offset (wrapped once into [0, 360) for azimuths read from 0 up) and the
// plunge is the complement of the dip. The success flag is left alone.
void PlaneToPole(Direction& d, double offset) {
    double azimuth = d.Dec - offset;
    if (azimuth < 0.0) {
        azimuth += 360.0;
    }
    d.Dec = azimuth;
    d.Inc = 90.0 - d.Inc;
}

} // namespace

Direction ReadDataLine(FileType type, std::string_view line, char decimalSeparator) {
    Direction d;
    switch (LineReaderOf(type)) {
    case LineReader::TwoNumber:
        ReadTwoNumberLine(line, d, decimalSeparator);
        break;
    case LineReader::SiteMean:
        ReadSiteMeanLine(line, d, decimalSeparator);
        break;
    case LineReader::FixedColumn:
        ReadFixedColumnLine(line, ColumnLayoutOf(type), d, decimalSeparator);
        break;
    case LineReader::None:
        d.Success = false;
        break;
    }
    if (type == 9) {
        // Strike and dip, the plane dipping toward strike + 90: its pole.
        PlaneToPole(d, 90.0);
    } else if (type == 10) {
        // Dip direction first, then dip: the pole points away from the dip.
        PlaneToPole(d, 180.0);
    }
    return d;
}

std::string RejectionReason(FileType type, std::string_view line, char decimalSeparator) {
    if (IsBlankLine(line)) {
        return {};
    }
    // Turning an attitude into its pole never rejects a line.
    switch (LineReaderOf(type)) {
    case LineReader::TwoNumber:
        return TwoNumberLineRejection(line, decimalSeparator);
    case LineReader::SiteMean:
        return SiteMeanLineRejection(line, decimalSeparator);
    case LineReader::FixedColumn:
        return FixedColumnLineRejection(line, ColumnLayoutOf(type), decimalSeparator);
    case LineReader::None:
        break;
    }
    return "there is no file type " + std::to_string(type);
}
