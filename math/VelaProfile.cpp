#include "VelaProfile.h"

#include <QFile>

#include <cmath>
#include <cstring>

namespace VelaMath {

namespace {

// Running extremes of one axis; the first defined value seeds both ends.
struct Extremes
{
    float lo = velaNaN;
    float hi = velaNaN;
    int iLo = 0;
    int iHi = 0;

    void take(float v, int i)
    {
        if (std::isnan(v))
            return;
        if (std::isnan(lo)) {
            lo = hi = v;
            iLo = iHi = i;
        } else if (v < lo) {
            lo = v;
            iLo = i;
        } else if (v > hi) {
            hi = v;
            iHi = i;
        }
    }
};

// Pearson correlation over a stretch of points; NaN when empty or when x or y is constant
// (the formula would divide by a rounding residue there).
float correlation(const VelaPointXY* first, int n)
{
    if (n < 1)
        return velaNaN;
    double sx = 0, sy = 0, sxx = 0, syy = 0, sxy = 0;
    bool xVaries = false;
    bool yVaries = false;
    for (int i = 0; i < n; ++i) {
        const double x = first[i].x;
        const double y = first[i].y;
        sx += x;
        sy += y;
        sxx += x * x;
        syy += y * y;
        sxy += x * y;
        xVaries = xVaries || first[i].x != first[0].x;
        yVaries = yVaries || first[i].y != first[0].y;
    }
    if (!xVaries || !yVaries)
        return velaNaN;
    const double mx = sx / n;
    const double my = sy / n;
    return float((sxy / n - mx * my) / std::sqrt(syy / n - my * my) / std::sqrt(sxx / n - mx * mx));
}

float csvNumber(QByteArray field)
{
    field.replace(',', '.');
    return field.toFloat(); // 0 for a text that is not a number
}

} // namespace

VelaProfile::VelaProfile(const float* buffer, quint16 count)
{
    copyFromXYPointsBuffer(buffer, count);
}

VelaProfile::VelaProfile(const VelaProfile& other) : VelaPointCloud<VelaPointXY>(other) {}

VelaProfile& VelaProfile::operator=(const VelaProfile& other)
{
    copyFromPointCloud(other);
    return *this;
}

void VelaProfile::copyFromXYPointsBuffer(const float* buffer, quint16 count)
{
    if (count == 0)
        return;
    if (points.isEmpty()) // the usual fill of a cleared profile; appends grow geometrically
        points.reserve(count);
    // Received records carry the pairs at odd offsets: copy bytes, never dereference.
    const char* bytes = reinterpret_cast<const char*>(buffer);
    for (int i = 0; i < count; ++i) {
        float xy[2];
        std::memcpy(xy, bytes + i * sizeof xy, sizeof xy);
        points.append(VelaPointXY(xy[0], xy[1]));
    }
}

bool VelaProfile::calcRange(float* minX, float* minY, float* maxX, float* maxY, int* indices) const
{
    if (isEmpty())
        return false;
    Extremes ex;
    Extremes ey;
    for (int i = 0; i < size(); ++i) {
        ex.take(points[i].x, i);
        ey.take(points[i].y, i);
    }
    *minX = ex.lo;
    *maxX = ex.hi;
    *minY = ey.lo;
    *maxY = ey.hi;
    if (indices) {
        indices[0] = ex.iLo;
        indices[1] = ex.iHi;
        indices[2] = ey.iLo;
        indices[3] = ey.iHi;
    }
    return true;
}

bool VelaProfile::calcRange(QRectF& rect, int* indices) const
{
    float x0, y0, x1, y1;
    if (!calcRange(&x0, &y0, &x1, &y1, indices))
        return false;
    rect = QRectF(QPointF(x0, y1), QPointF(x1, y0));
    return true;
}

bool VelaProfile::calcRange()
{
    float x0, y0, x1, y1;
    if (!calcRange(&x0, &y0, &x1, &y1, nullptr))
        return false;
    minX = x0;
    maxX = x1;
    minY = y0;
    maxY = y1;
    return true;
}

int VelaProfile::trim(float minX, float minY, float maxX, float maxY)
{
    // Comparisons with NaN are false: a NaN bound removes nothing, a NaN coordinate stays.
    return keepOnly([&](const VelaPointXY& p) {
        return !(p.x < minX || p.x > maxX || p.y < minY || p.y > maxY);
    });
}

int VelaProfile::trim(QRectF rect)
{
    return trim(float(rect.x()), float(rect.y()), float(rect.x() + rect.width()),
                float(rect.y() + rect.height()));
}

int VelaProfile::trimX(float minX, float maxX)
{
    return trim(minX, velaNaN, maxX, velaNaN);
}

int VelaProfile::trimY(float minY, float maxY)
{
    return trim(velaNaN, minY, velaNaN, maxY);
}

int VelaProfile::trimLower(float level)
{
    return trim(velaNaN, level, velaNaN, velaNaN);
}

int VelaProfile::trimUpper(float level)
{
    return trim(velaNaN, velaNaN, velaNaN, level);
}

void VelaProfile::toPolar()
{
    for (VelaPointXY& p : points)
        velaToPolar(p.x, p.y);
}

void VelaProfile::toEvklid()
{
    for (VelaPointXY& p : points)
        velaToEvklid(p.x, p.y);
}

void VelaProfile::rotatePolar(float angle)
{
    if (angle == 0.0f)
        return;
    for (VelaPointXY& p : points)
        p.y += angle;
}

void VelaProfile::rotateEvklid(float angle)
{
    for (VelaPointXY& p : points)
        velaRotatePolarMethod(p.x, p.y, angle);
}

void VelaProfile::rotateFixed(float angle, const VelaPointXY& centre)
{
    const VelaPointXY c = centre; // may be one of our own points, which the shift moves
    shift(-c.x, -c.y, 0.0f);
    rotateEvklid(angle);
    shift(c.x, c.y, 0.0f);
}

float VelaProfile::calcCenterX()
{
    VelaPointXY c;
    return calcCenterPoint(c) ? c.x : velaNaN;
}

float VelaProfile::calcCenterY()
{
    VelaPointXY c;
    return calcCenterPoint(c) ? c.y : velaNaN;
}

float VelaProfile::calcCorrelation() const
{
    return correlation(points.constData(), size());
}

int VelaProfile::findZeros(float* out) const
{
    int count = 0;
    for (int i = 1; i < size(); ++i) {
        const float previous = points[i - 1].y;
        const float y = points[i].y;
        if ((previous < 0.0f && y > 0.0f) || (previous > 0.0f && y < 0.0f))
            out[count++] = points[i].x;
    }
    return count;
}

void VelaProfile::removeHighLevel(VelaLine line)
{
    keepOnly([&](const VelaPointXY& p) { return line.k * p.x + line.b > p.y; });
}

void VelaProfile::removeLowLevel(VelaLine line)
{
    keepOnly([&](const VelaPointXY& p) { return p.y > line.k * p.x + line.b; });
}

void VelaProfile::removeLineParts(int parts, float maxCorr, float maxDist, int minPointsIn)
{
    if (parts < 2)
        return;
    sort(SortAscending, SortAscending);

    // Segments are consecutive stretches of the sorted points; the last point joins none.
    struct Segment
    {
        int first;
        int count;
    };
    QList<Segment> segments{{0, 0}};
    for (int i = 0; i + 1 < size(); ++i) {
        ++segments.last().count;
        if (points[i].calcDistance(points[i + 1]) > maxDist) {
            if (segments.size() == parts)
                break;
            segments.append({i + 1, 0});
        }
    }

    QList<VelaPointXY> kept;
    for (const Segment& s : segments) {
        const VelaPointXY* first = points.constData() + s.first;
        if (s.count > minPointsIn && std::fabs(correlation(first, s.count)) < maxCorr)
            kept.append(points.mid(s.first, s.count));
    }
    points = kept;
}

bool VelaProfile::detectJoint(VelaPointCloud<VelaPointXY>& out)
{
    calcRange();

    VelaProfile upper(*this);
    upper.trimLower(calcAverageY());
    VelaLine surfaceLine;
    if (!surfaceLine.calcFromPointCloud(upper))
        return false;
    VelaProfile surface;
    for (const VelaPointXY& p : points) {
        if (surfaceLine.calcDistanceToPoint(p) < 0.1f)
            surface.points.append(p);
    }
    if (surface.size() < 20)
        return false;
    surface.sort(SortAscending, SortAscending);

    // The gap edges are taken from what this call finds, not from what `out` held before.
    const int firstFound = out.size();
    for (int i = 0; i + 2 < surface.size(); ++i) {
        if (surface.points[i].calcDistance(surface.points[i + 1]) > 5.0f) {
            out.points.append(surface.points[i]);
            out.points.append(surface.points[i + 1]);
        }
    }
    if (out.size() == firstFound)
        return false;
    const VelaPointXY p0 = out.points[firstFound];
    const VelaPointXY p1 = out.points[firstFound + 1];
    const float middle = p0.x + (p1.x - p0.x) * 0.5f;

    // Each wall: its half of the gap, cut just above its lowest point, fitted by a line that
    // meets the wall's bottom height at the wanted point.
    const auto wallBottom = [&](float from, float to, VelaPointXY& bottom) {
        VelaProfile wall(*this);
        wall.trim(from, minY, to, velaNaN);
        wall.calcRange();
        const float lowest = wall.minY;
        wall.trimLower(lowest + 0.05f);
        VelaLine line;
        if (!wall.calcLine(line))
            return false;
        bottom = VelaPointXY((lowest - line.b) / line.k, lowest);
        return true;
    };
    VelaPointXY left;
    VelaPointXY right;
    if (!wallBottom(p0.x, middle, left) || !wallBottom(middle, p1.x, right))
        return false;
    out.points.append(left);
    out.points.append(right);
    return true;
}

bool VelaProfile::writeToCSVFile(const QString& path) const
{
    QFile f(path);
    if (!f.open(QIODevice::ReadWrite | QIODevice::Truncate))
        return false;
    for (const VelaPointXY& p : points) {
        QString line = QStringLiteral("%1;%2\n").arg(QString::number(p.x, 'g', 6),
                                                      QString::number(p.y, 'g', 6));
        line.replace(QLatin1Char('.'), QLatin1Char(','));
        const QByteArray bytes = line.toUtf8();
        if (f.write(bytes) != bytes.size())
            return false;
    }
    return f.flush();
}

int VelaProfile::readFromCSVFile(const QString& path, int xColumn, int yColumn)
{
    QFile f(path);
    // Text mode so that CRLF lines read like LF lines.
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return size();
    clear();
    // The file is read in chunks and only the two fields are kept: a line is never held whole,
    // so however long a line is, its read costs the chunk and those two fields.
    const int lastColumn = std::max(xColumn, yColumn);
    const bool columnsExist = xColumn >= 0 && yColumn >= 0; // else no line has a field there
    QByteArray x;
    QByteArray y;
    int field = 0; // fields before the current one, counted up to one past lastColumn
    bool lineIsEmpty = true;
    const auto endLine = [&] {
        if (columnsExist && field >= lastColumn)
            points.append(VelaPointXY(csvNumber(x), csvNumber(y)));
        x.resize(0);
        y.resize(0);
        field = 0;
        lineIsEmpty = true;
    };
    char chunk[16384];
    qint64 got;
    while ((got = f.read(chunk, sizeof chunk)) > 0) {
        for (qint64 i = 0; i < got; ++i) {
            const char c = chunk[i];
            if (c == '\n') {
                if (lineIsEmpty)
                    return size(); // the first empty line ends the data
                endLine();
                continue;
            }
            lineIsEmpty = false;
            if (c == ';') {
                if (field <= lastColumn)
                    ++field;
                continue;
            }
            if (field == xColumn)
                x.append(c);
            if (field == yColumn)
                y.append(c);
        }
    }
    if (!lineIsEmpty) // a last line without its line feed
        endLine();
    return size();
}

} // namespace VelaMath
