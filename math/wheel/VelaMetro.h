#pragma once

#include "VelaCircle.h"
#include "VelaLine.h"
#include "VelaPointCloud.h"
#include "VelaProfile.h"
#include "velamath_global.h"

#include <QList>
#include <QString>

class QSettings;

namespace VelaMath {

// Recordings, settings and wheel files are untrusted; at the edges these functions answer:
// - A recording is named "<name>_<serial>.bin" (the whole name is the serial number when it
//   has no "_"). A serial number that is not a decimal number makes every function that
//   needs it answer false, without touching a file.
// - The sensor search over SENSOR1/SN .. SENSOR49/SN stops at the first match or at the first
//   unset (0) entry. A search that runs through all 49 without either ends at sensor 50:
//   wheel detection then works with sensor 50's settings (all defaults), while the defect
//   scan answers false.
// - Detection removes the wheel files ("NN_NN.bin") that an earlier run left in the wheel
//   folder before it writes, and answers false, after finishing the recording, when a wheel
//   file could not be written. Readers of wheel files pass over a damaged file.
// - A noise window below 1 leaves VelaProfile::removeNoise without effect and makes
//   VelaProfile::calcCutPoint answer -1; a polynomial degree outside 0 .. 50 makes the fit
//   fail.

// Mounting of one sensor of the wheel inspection line: origin and three angles.
struct _VelaMETRO_SensorCoord_
{
    float x0;
    float y0;
    float z0;
    float a;
    float b;
    float g;
};

// --- Wheel detection in a train pass -------------------------------------------------------
//
// A recording is named "<name>_<serial>.bin"; the serial number selects the sensor group
// SENSOR<i> of the settings. The wheel profiles go to the folder named like the recording
// without ".bin" (beside the recording; "./<name>_<serial>" for a bare file name), one 2-D
// cloud file per profile, "<folder>/<wheel>_<profile>.bin", both numbered from 01.

// True when more than minPoints points lie strictly below the level line.
VELAMATH_EXPORT bool METRO_isWheel(const VelaProfile& profile, VelaLine level, int minPoints);
// True when more than minPoints points lie strictly between the two lines.
VELAMATH_EXPORT bool METRO_isWheel(const VelaProfile& profile, VelaLine level, VelaLine lowLevel,
                                   int minPoints);

// Splits the recording into wheel files; sensorKind 3 is the sensor that sees the wheel
// between two level lines. False when the sensor is not configured, the recording cannot be
// read or a wheel file cannot be written.
VELAMATH_EXPORT bool METRO_detectWheels(QString path, QSettings* settings, int sensorKind,
                                        int* wheelCount);
// The same, and writes Wheel_<n>/firstProfInWheel into results and "test.csv" into the
// working directory.
VELAMATH_EXPORT bool METRO_detectWheels_Test(QString path, QSettings* settings, int sensorKind,
                                             int* wheelCount, QSettings* results);

// Axle distance from one profile of each of the two facing sensors; both are shortened to
// their first half in place. NaN when a profile holds too few points for a line.
VELAMATH_EXPORT float METRO_calcWheelsDist(VelaProfile& a, VelaProfile& b, VelaLine calibA,
                                           VelaLine calibB, float calibrLines2);
// distances[0 .. wheelCount - 1] from the wheel folders of the two recordings.
VELAMATH_EXPORT bool METRO_calcWheelsDistInTrain(QString pathA, QString pathB, int wheelCount,
                                                 QSettings* settings, float* distances);

// Corners of a profile made of straight pieces: the piece lines go to `lines`, their
// intersections are appended to `out`; answers out's size.
VELAMATH_EXPORT int METRO_detectApexes(const VelaProfile& profile, VelaProfile& out,
                                       QList<VelaLine>& lines, float maxStep);

// --- Sensor-to-world conversion and wheel circle --------------------------------------------

// Appends every profile point, carried into the line's frame (angles in degrees), to `out`.
VELAMATH_EXPORT void METRO_XYtoXYZ(const VelaProfile& profile, VelaPointCloud<VelaPointXYZ>& out,
                                   const _VelaMETRO_SensorCoord_& c);
// The same with the angles in radians and the rolling of a wheel of radius r that advances
// by s per profile, for profile number k.
VELAMATH_EXPORT void METRO_XYtoXYZ(const VelaProfile& profile, VelaPointCloud<VelaPointXYZ>& out,
                                   const _VelaMETRO_SensorCoord_& c, float r, float s, int k);
// Circle through the leftmost point of `left`, the lowest (in z) of `bottom` and the
// rightmost of `right`. When a cloud has no usable point, or the three points determine no
// circle, `out` becomes the undefined circle (all NaN).
VELAMATH_EXPORT void METRO_calcWheel(VelaPointCloud<VelaPointXYZ>& left,
                                     VelaPointCloud<VelaPointXYZ>& bottom,
                                     VelaPointCloud<VelaPointXYZ>& right, VelaCircle& out);

// --- Defect detection ---------------------------------------------------------------------
//
// The wheel profiles of sensor k are read from "./SENSOR<k>/<wheel>_<profile>.bin", both
// numbered from 00.

// True when at most pointsHigher points lie farther than maxDeviation from the profile's
// least-squares polynomial of the given degree. The profile is not changed.
VELAMATH_EXPORT bool METRO_detectWheelDefect(const VelaProfile& profile, int degree,
                                             float maxDeviation, int pointsHigher);
// Counts, per wheel, the profiles that pass METRO_detectWheelDefect and clears the wheel's
// flag (flagsLow for sensors 1 to 10, flagsHigh above) when the count exceeds
// minimalDefectsProf. False when the sensor, its folder or the `use` switch is missing.
VELAMATH_EXPORT bool METRO_detectDefectsInTrain(QString path, QSettings* settings,
                                                unsigned char* const flagsLow,
                                                unsigned char* const flagsHigh, int wheelCount);

} // namespace VelaMath
