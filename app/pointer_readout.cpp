#include "pointer_readout.h"

#include <cmath>

#include "number_format.h"
#include "plot_pass.h"

namespace {

// Reduced into [0, 360).
double Azimuth(double degrees) {
    const double reduced = std::fmod(degrees, 360.0);
    return reduced < 0.0 ? reduced + 360.0 : reduced;
}

QString AngleText(double degrees, QChar separator) {
    // Ten significant digits keep one decimal for any angle a line can hold.
    const QString text = FormatNumber(degrees, 10, 1, separator);
    // An azimuth just short of north reads as north, not past it.
    if (degrees >= 0.0 && degrees < 360.0 && text == QStringLiteral("360") + separator + u'0')
        return FormatNumber(0.0, 10, 1, separator);
    return text;
}

bool IsPlaneType(int fileType) {
    return fileType == 9 || fileType == 10;
}

} // namespace

PlaneAttitude PlaneOfPole(double poleAzimuth, double polePlunge, int fileType) {
    if (polePlunge < 0.0) {
        poleAzimuth += 180.0;
        polePlunge = -polePlunge;
    }
    // The readers turn strike back by 90 and dip direction by 180 to the pole.
    const double turn = fileType == 10 ? 180.0 : 90.0;
    return {Azimuth(poleAzimuth + turn), 90.0 - polePlunge};
}

QString DirectionReadout(double dec, double inc, int plotType, int fileType, QChar separator) {
    const bool directions = plotType == 0;
    QString text = (directions ? QStringLiteral("Dec ") : QStringLiteral("Lon ")) +
                   AngleText(dec, separator) +
                   (directions ? QStringLiteral("  Inc ") : QStringLiteral("  Lat ")) +
                   AngleText(inc, separator);
    // In the polar views the values are a pole's place, not a plane's pole.
    if (directions && IsPlaneType(fileType)) {
        const PlaneAttitude plane = PlaneOfPole(dec, inc, fileType);
        text += (fileType == 9 ? QStringLiteral("  plane: strike ")
                               : QStringLiteral("  plane: dip direction ")) +
                AngleText(plane.Azimuth, separator) + QStringLiteral(", dip ") +
                AngleText(plane.Dip, separator);
    }
    return text;
}

QString MarkReadout(const PlottedDatum& datum, int plotType, int fileType, QChar separator) {
    return QStringLiteral("line ") + QString::number(datum.Line) + QStringLiteral(": ") +
           DirectionReadout(datum.Dec, datum.Inc, plotType, fileType, separator);
}
