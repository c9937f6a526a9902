#include "file_type.h"

#include <cstddef>

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

// A type's reader and, for the free formats, what its numbers are.
struct TypeReading {
    LineReader Reader = LineReader::None;
    FreeFormatRules Free{};
};

constexpr ValueLimits kInclination = Within(-90.0, 90.0, "inclination");
constexpr ValueLimits kDip = Within(0.0, 90.0, "dip");

constexpr TypeReading FreeFormat(LineReader reader, std::string_view first, ValueLimits second,
                                 std::string_view third = {}) {
    return {reader, {{AnyValue(first), second, AnyValue(third)}}};
}

constexpr TypeReading kFixedColumns{LineReader::FixedColumn, {}};

// Type 10's caption names the dip first; its lines hold the dip direction first.
constexpr std::array<TypeReading, kFileTypeCount> kTypeReadings = {
    FreeFormat(LineReader::TwoNumber, "declination or longitude",
               Within(-90.0, 90.0, "inclination or latitude")),
    FreeFormat(LineReader::SiteMean, "declination", kInclination, "a95"),
    kFixedColumns,
    kFixedColumns,
    kFixedColumns,
    kFixedColumns,
    kFixedColumns,
    kFixedColumns,
    kFixedColumns,
    FreeFormat(LineReader::TwoNumber, "strike", kDip),
    FreeFormat(LineReader::TwoNumber, "dip direction",
               Within(0.0, 90.0, "dip", "this type reads the dip direction first, then the dip")),
};

// The same with the bedding asked for: only types 0 and 1 carry one.
constexpr std::array<TypeReading, kFileTypeCount> kBeddingReadings = [] {
    std::array<TypeReading, kFileTypeCount> readings = kTypeReadings;
    readings[0].Free.Bedding = true;
    readings[1].Free.Bedding = true;
    return readings;
}();

const TypeReading& TypeReadingOf(FileType type, const ReadingOptions& options) {
    static constexpr TypeReading kNone{};
    if (type < 0 || type >= kFileTypeCount) {
        return kNone;
    }
    return (options.Bedding ? kBeddingReadings : kTypeReadings)[static_cast<std::size_t>(type)];
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

namespace {

// Both overloads of ReadDataLine in one body, inlined into each: the reading
// runs for every line of every redraw.
[[gnu::always_inline]] inline Direction ReadLine(FileType type, std::string_view line,
                                                 const ReadingOptions& options) {
    Direction d;
    const TypeReading& reading = TypeReadingOf(type, options);
    const char separator = options.DecimalSeparator;
    switch (reading.Reader) {
    case LineReader::TwoNumber:
        ReadTwoNumberLine(line, d, separator, reading.Free);
        break;
    case LineReader::SiteMean:
        ReadSiteMeanLine(line, d, separator, reading.Free);
        break;
    case LineReader::FixedColumn:
        ReadFixedColumnLine(line, ColumnLayoutOf(type), d, separator);
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

} // namespace

Direction ReadDataLine(FileType type, std::string_view line, const ReadingOptions& options) {
    return ReadLine(type, line, options);
}

Direction ReadDataLine(FileType type, std::string_view line, char decimalSeparator) {
    return ReadLine(type, line, ReadingOptions{decimalSeparator, false});
}

std::string RejectionReason(FileType type, std::string_view line, const ReadingOptions& options) {
    if (IsBlankLine(line)) {
        return {};
    }
    // Turning an attitude into its pole never rejects a line.
    const TypeReading& reading = TypeReadingOf(type, options);
    const char separator = options.DecimalSeparator;
    switch (reading.Reader) {
    case LineReader::TwoNumber:
        return TwoNumberLineRejection(line, separator, reading.Free);
    case LineReader::SiteMean:
        return SiteMeanLineRejection(line, separator, reading.Free);
    case LineReader::FixedColumn:
        return FixedColumnLineRejection(line, ColumnLayoutOf(type), separator);
    case LineReader::None:
        break;
    }
    return "there is no file type " + std::to_string(type);
}

std::string RejectionReason(FileType type, std::string_view line, char decimalSeparator) {
    return RejectionReason(type, line, ReadingOptions{decimalSeparator, false});
}

std::string FileTypeColumns(FileType type, const ReadingOptions& options) {
    const TypeReading& reading = TypeReadingOf(type, options);
    switch (reading.Reader) {
    case LineReader::TwoNumber:
        return TwoNumberLineColumns(reading.Free);
    case LineReader::SiteMean:
        return SiteMeanLineColumns(reading.Free);
    case LineReader::FixedColumn:
        break;
    case LineReader::None:
        return {};
    }
    std::string text;
    if (const int first = FirstDataLine(type); first == 2) {
        text = "line 1 is a header; ";
    } else if (first > 2) {
        text = "lines 1-" + std::to_string(first - 1) + " are headers; ";
    }
    return text + FixedColumnLineColumns(ColumnLayoutOf(type));
}
