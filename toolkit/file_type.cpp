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
    switch (type) {
    case 0:
        ReadTwoNumberLine(line, d, decimalSeparator);
        break;
    case 1:
        ReadSiteMeanLine(line, d, decimalSeparator);
        break;
    case 2:
    case 3:
    case 4:
    case 5:
    case 6:
    case 7:
    case 8:
        ReadFixedColumnLine(line, ColumnLayoutOf(type), d, decimalSeparator);
        break;
    case 9:
        // Strike and dip, the plane dipping toward strike + 90: its pole.
        ReadTwoNumberLine(line, d, decimalSeparator);
        PlaneToPole(d, 90.0);
        break;
    case 10:
        // Dip direction first, then dip: the pole points away from the dip.
        ReadTwoNumberLine(line, d, decimalSeparator);
        PlaneToPole(d, 180.0);
        break;
    default:
        d.Success = false;
        break;
    }
    return d;
}
