#pragma once

#include "VelaCircle.h"
#include "VelaInterpolantType.h"
#include "VelaLine.h"
#include "VelaPointCloud.h"
#include "velamath_global.h"

#include <QList>
#include <QRectF>
#include <QString>

namespace VelaMath {

// One scan line: x across the laser line, y the measured height, both in millimetres.
// Points are carried as delivered; NaN coordinates mean "no value". Angles are in degrees.
// In polar form x holds the radius and y the angle.
class VELAMATH_EXPORT VelaProfile : public VelaPointCloud<VelaPointXY>
{
public:
    VelaProfile() = default;
    // `buffer` holds count (x, y) pairs; it need not be float-aligned.
    VelaProfile(const float* buffer, quint16 count);
    VelaProfile(const VelaProfile& other);
    VelaProfile& operator=(const VelaProfile& other);

    // Appends without clearing, filtering or touching the range.
    void copyFromXYPointsBuffer(const float* buffer, quint16 count);

    // Extremes of x and y; indices (if given) receive the points of minX, maxX, minY, maxY.
    // Ties keep the first point; NaN coordinates are passed over, also in the first point, so
    // an invalid first point does not make the range undefined. Range fields untouched.
    bool calcRange(float* minX, float* minY, float* maxX, float* maxY, int* indices) const;
    // y-up rectangle: x = minX, y = maxY, width = maxX - minX, height = minY - maxY.
    bool calcRange(QRectF& rect, int* indices) const;
    // Stores minX, maxX, minY, maxY into the range fields (the Z pair is untouched).
    bool calcRange();

    // Each removes the points outside the defined bounds and returns how many it removed.
    int trim(float minX, float minY, float maxX, float maxY);
    int trim(QRectF rect);
    int trimX(float minX, float maxX);
    int trimY(float minY, float maxY);
    int trimLower(float level);
    int trimUpper(float level);

    void toPolar();
    void toEvklid();
    void rotatePolar(float angle);
    // Counter-clockwise about the origin.
    void rotateEvklid(float angle);
    void rotateFixed(float angle, const VelaPointXY& centre);

    float calcCenterX();
    float calcCenterY();
    // Pearson correlation of x and y; NaN when empty or when x or y is constant.
    float calcCorrelation() const;
    // x of every point where y changes sign; `out` must hold size() - 1 floats.
    int findZeros(float* out) const;

    bool calcLine(VelaLine& l) const { return l.calcFromPointCloud(*this); }
    bool calcCircle(VelaCircle& c) const { return c.calcFromPointCloud(*this); }

    // Keep only the points strictly below / strictly above the line.
    void removeHighLevel(VelaLine line);
    void removeLowLevel(VelaLine line);
    // Splits at gaps wider than maxDist into at most `parts` segments and drops straight ones.
    void removeLineParts(int parts, float maxCorr, float maxDist, int minPointsIn);

    // Appends the edges of a joint gap and the bottoms of its walls to `out`; refreshes the range.
    // The walls are placed from the edges found by this call, whatever `out` held before.
    bool detectJoint(VelaPointCloud<VelaPointXY>& out);

    // "x;y" lines with comma decimals, 6 significant digits, no header; false when the file
    // cannot be opened or any write fails.
    bool writeToCSVFile(const QString& path) const;
    // Reads up to the first empty line (CRLF lines too); lines without the columns are skipped,
    // a field that is not a number reads as 0, a negative column matches no line. Answers the
    // point count; an unreadable file leaves the profile as it was. Only the two fields of a
    // line are held, so a hostile file costs memory for them alone, however long its lines.
    int readFromCSVFile(const QString& path, int xColumn, int yColumn);

    // Filters and interpolation.
    void kihFilter20(float maxDx);
    void kihFilter20(VelaProfile& out, float maxDx);
    void wndFilter(int window);
    bool splashFilter(VelaProfile& p, float maxD2y, float maxDx);
    int interpolate(float step, float from, float to, _VelaInterpolantType_ type);
    void diffFilt(VelaProfile& out, int window);
    void medFilt(VelaProfile& out, int window, int mode);
    void removeDuplicates();

    // Wheel detection.
    void removeNoise(int window, int higher, float maxdY, float reserved);
    int calcCutPoint(int window, float threshold);
    int detectCutPoints(VelaProfile& cuts, QList<int>& indices, int window, float threshold);

    // Defect detection.
    bool polynomFit(int degree);
    bool calcPolynomCoeffs(int degree, double* coeffs);
};

} // namespace VelaMath
