#pragma once

#include <QChar>
#include <QString>

struct PlottedDatum;

// A plane given by its pole, in degrees: for file type 9 Azimuth is the
// strike (the plane dips toward strike + 90), for type 10 the dip direction;
// Azimuth in [0, 360), Dip in [0, 90].
struct PlaneAttitude {
    double Azimuth = 0.0;
    double Dip = 0.0;
};

// The plane whose pole is (poleAzimuth, polePlunge), read back as file type 9
// or 10 reads it (any other type reads as 9): the inverse of the readers'
// plane-to-pole turn. A pole above the horizon is taken by its lower end.
PlaneAttitude PlaneOfPole(double poleAzimuth, double polePlunge, int fileType);

// The read-out of a direction of the net, one decimal with separator:
// "Dec 123.4  Inc 45.6" for directions (plot type 0), "Lon 123.4  Lat 45.6"
// in the polar views (1, 2); directions of plane data (file types 9 and 10)
// add the plane whose pole they are, "  plane: strike 213.4, dip 44.4" (9) or
// "  plane: dip direction 303.4, dip 44.4" (10). An angle in [0, 360) that
// rounds up to 360.0 reads 0.0.
QString DirectionReadout(double dec, double inc, int plotType, int fileType, QChar separator);

// The read-out of a plotted datum: "line 12: " and DirectionReadout of its
// values as the pass plotted them.
QString MarkReadout(const PlottedDatum& datum, int plotType, int fileType, QChar separator);
