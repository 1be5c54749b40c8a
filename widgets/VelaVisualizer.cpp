#include "VelaVisualizer.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include <QFontMetrics>

namespace {

// Pixel coordinates handed to QPainter stay within what the raster engine handles, however
// far a point lies outside the view.
constexpr double kPixelLimit = 1 << 22;

int toPixel(double value)
{
    if (!(value > -kPixelLimit))
        return -int(kPixelLimit);
    if (value > kPixelLimit)
        return int(kPixelLimit);
    return int(value);
}

void copyNumbers(QList<double>& to, std::initializer_list<double> from)
{
    to.resize(qsizetype(from.size()));
    std::copy(from.begin(), from.end(), to.begin());
}

} // namespace

VelaVisualizer::VelaVisualizer(QWidget* parent)
    : QWidget(parent)
    , savedParent(parent)
    , normalSize(size())
    , W(width())
    , H(height())
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    rangeConstraint = QRectF(nan, nan, nan, nan);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_MouseTracking);
    updateOpaquePaint();
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    addButton(QRect(QPoint(-50, 4), QPoint(-6, 19)), tr("Auto"), autoResize ? ButtonOn : 0, 1);
    addButton(QRect(QPoint(-100, 4), QPoint(-56, 19)), tr("Grid"), scaleShown ? ButtonOn : 0, 2);
}

VelaVisualizer::~VelaVisualizer() = default;

QString VelaVisualizer::customFontText(const QString& font, const QString& text)
{
    return font + QChar(0xFF) + text;
}

QStringList VelaVisualizer::getFont(const QString& text)
{
    const qsizetype split = text.indexOf(QChar(0xFF));
    if (split < 0)
        return {QStringLiteral("serif"), text};
    return {text.left(split), text.mid(split + 1)};
}

void VelaVisualizer::setScale(double scale)
{
    s = scale > 0 ? scale : 0.0; // also catches NaN
}

// ---- mapping ----

QPoint VelaVisualizer::pointToScreen(QPointF point, bool fixed) const
{
    if (fixed)
        return QPoint(toPixel(point.x()), toPixel(point.y()));
    const int x = toPixel(inPixels(point.x() - xMin)) + offX + marginL;
    const int fromBottom = toPixel(inPixels(point.y() - yMin));
    const int y = toPixel(double(marginT - offY - marginB + H - fromBottom) * verticalStretch);
    return QPoint(x, y);
}

QPointF VelaVisualizer::screenToPoint(QPoint screen) const
{
    return QPointF((screen.x() - offX - marginL) * s + xMin, (H - offY - screen.y() - 2) * s + yMin);
}

int VelaVisualizer::sizeToScreenSize(double size) const
{
    return toPixel(inPixels(size));
}

double VelaVisualizer::screenSizeToSize(int pixels) const
{
    return pixels * s;
}

// ---- fitting ----

void VelaVisualizer::updateSize(const QRectF& box, bool force)
{
    const double left = box.left(), right = box.right(), top = box.top(), bottom = box.bottom();
    // A box with an undefined edge (points carrying NaN) cannot place the view.
    if (!std::isfinite(left) || !std::isfinite(right) || !std::isfinite(top) || !std::isfinite(bottom))
        return;
    if (viewIsSet() && !force && !autoResize)
        return;
    const bool set = viewIsSet();
    W = width();
    H = height();
    const double xLow = std::min(left, right), xHigh = std::max(left, right);
    const double yLow = std::min(top, bottom), yHigh = std::max(top, bottom);
    if (set) {
        xMin = std::min(xMin, xLow);
        xMax = std::max(xMax, xHigh);
        yMin = std::min(yMin, yLow);
        yMax = std::max(yMax, yHigh);
    } else {
        xMin = xLow;
        xMax = xHigh;
        yMin = yLow;
        yMax = yHigh;
    }
    setScale(std::max((xMax - xMin) / std::max(areaWidth(), 1), (yMax - yMin) / std::max(areaHeight(), 1)));
    zoom(autoZoom); // also centres the content
}

void VelaVisualizer::updateSize(const VelaProfileVisulaizerObject& object, bool force)
{
    if (object.fixed || ignoreList.contains(object.name))
        return;
    const auto n = [&object](int i) { return object.at(i); };
    QRectF box;
    switch (object.kind) {
    case ObjLine:
    case ObjRect:
    case ObjFillRect:
        box = QRectF(QPointF(n(0), n(1)), QPointF(n(2), n(3)));
        break;
    case ObjCircle:
    case ObjFillCircle:
        box = QRectF(QPointF(n(0) - n(2), n(1) - n(2)), QPointF(n(0) + n(2), n(1) + n(2)));
        break;
    case ObjText: {
        const QStringList font = getFont(object.text);
        QFont f(font.at(0));
        f.setPointSize(std::max(1, int(n(2))));
        const QFontMetrics metrics(f);
        box = QRectF(n(0), n(1), metrics.horizontalAdvance(font.at(1)) * s, metrics.height() * s);
        break;
    }
    case ObjArc:
        return; // arcs never move the view
    }
    updateSize(box, force);
}

void VelaVisualizer::updateSize(VelaMath::VelaProfile& profile, bool force)
{
    if (!profile.calcRange())
        return;
    updateSize(QRectF(QPointF(profile.minX, profile.maxY), QPointF(profile.maxX, profile.minY)), force);
}

void VelaVisualizer::zoom(double factor)
{
    if (!(factor > 0.0) || !std::isfinite(factor))
        return; // a factor of zero or below would collapse or mirror the view
    const double cx = (xMin + xMax) / 2.0, cy = (yMin + yMax) / 2.0;
    setScale(s * factor);
    const double hx = std::abs(xMax - xMin) * factor / 2.0, hy = std::abs(yMax - yMin) * factor / 2.0;
    xMin = cx - hx;
    xMax = cx + hx;
    yMin = cy - hy;
    yMax = cy + hy;
    updateOffsets();
}

void VelaVisualizer::updateOffsets()
{
    offX = offY = 0;
    if (!(xMin < xMax) || !(yMin < yMax) || !(s > 0))
        return;
    const double w = autoResize ? areaWidth() - 2 : W;
    const int vx = toPixel(w - (xMax - xMin) / s);
    if (vx > 0)
        offX = vx / 2;
    // The vertical centring uses the whole height in both modes.
    const int vy = toPixel(H - (yMax - yMin) / s);
    if (vy > 0)
        offY = vy / 2;
}

void VelaVisualizer::updateMargins()
{
    marginL = marginR = marginT = marginB = 0;
    if (controlsShown)
        marginT = 16;
    if (scaleShown) {
        marginT += 10;
        marginL = 30;
        marginB = 30;
        marginR = 5;
    }
}

void VelaVisualizer::resetViewPoint()
{
    xMin = xMax = yMin = yMax = 0.0;
    setScale(0.0);
    offX = offY = 0;
    for (const auto& data : profiles)
        updateSize(data->profile, true);
    for (const auto& object : objects)
        updateSize(*object, true);
    update();
}

void VelaVisualizer::setAutoZoom(double factor)
{
    autoZoom = factor;
}

void VelaVisualizer::setViewSize(double x, double y, double w, double h)
{
    if (autoResize)
        return;
    updateSize(QRectF(x, y, w, h), true);
    update();
}

void VelaVisualizer::setRangeConstraints(QRectF constraints)
{
    rangeConstraint = constraints;
    update();
}

// ---- scene ----

VelaProfileData* VelaVisualizer::findProfileData(const QString& name) const
{
    for (const auto& data : profiles)
        if (data->name == name)
            return data.get();
    return nullptr;
}

VelaProfileVisulaizerObject* VelaVisualizer::findObject(const QString& name) const
{
    for (const auto& object : objects)
        if (object->name == name)
            return object.get();
    return nullptr;
}

void VelaVisualizer::updateProfileData(VelaProfileData& data, const VelaMath::VelaProfile& profile, uint color,
                                       uint color2, bool flag)
{
    // Copied point by point into the stored list, so a profile of the same length replaces the
    // previous one without allocating and the caller's list is never shared.
    auto& points = data.profile.points;
    points.resize(profile.points.size());
    std::copy(profile.points.cbegin(), profile.points.cend(), points.begin());
    if (color != 0)
        data.color = color;
    if (color2 != 0) {
        data.color2 = color2;
        data.flag = flag;
    }
    updateSize(data.profile, false);
    update();
}

void VelaVisualizer::addProfile(const VelaMath::VelaProfile& profile, const QString& name, uint color,
                                uint color2, double width, VelaProfileVisualizerDrawStyle style, bool flag)
{
    if (VelaProfileData* data = findProfileData(name)) {
        updateProfileData(*data, profile, color, color2, flag);
        return;
    }
    auto data = std::make_unique<VelaProfileData>();
    data->color = color != 0 ? color : 0xFFFF0000;
    data->style = style;
    data->name = name;
    data->width = width;
    VelaProfileData& added = *data;
    profiles.push_back(std::move(data));
    updateProfileData(added, profile, 0, color2, flag);
}

bool VelaVisualizer::updateProfile(const VelaMath::VelaProfile& profile, const QString& name, uint color,
                                   uint color2, bool flag)
{
    VelaProfileData* data = findProfileData(name);
    if (!data)
        return false;
    updateProfileData(*data, profile, color, color2, flag);
    return true;
}

bool VelaVisualizer::removeProfile(const QString& name)
{
    const auto it = std::find_if(profiles.begin(), profiles.end(), [&](const auto& d) { return d->name == name; });
    if (it == profiles.end())
        return false;
    profiles.erase(it);
    update();
    return true;
}

void VelaVisualizer::removeAllProfiles()
{
    profiles.clear();
    update();
}

void VelaVisualizer::removeAllObjects()
{
    objects.clear();
    update();
}

void VelaVisualizer::removeAllVisuals()
{
    profiles.clear();
    objects.clear();
    update();
    xMin = xMax = yMin = yMax = 0.0;
    if (autoResize)
        resetViewPoint();
}

void VelaVisualizer::updateObject(VelaProfileVisulaizerObject& object, std::initializer_list<double> numbers,
                                  const QString& text, uint color, bool fixed)
{
    copyNumbers(object.numbers, numbers);
    object.text = text;
    object.fixed = fixed;
    if (color != 0)
        object.color = color;
}

void VelaVisualizer::addObject(VelaProfileVisulaizerObjectType kind, std::initializer_list<double> numbers,
                               const QString& text, const QString& name, uint color, bool fixed)
{
    VelaProfileVisulaizerObject* object = findObject(name);
    if (!object) {
        auto added = std::make_unique<VelaProfileVisulaizerObject>();
        added->kind = kind;
        added->name = name;
        added->color = 0xFFC0C0C0;
        object = added.get();
        objects.push_back(std::move(added));
    }
    updateObject(*object, numbers, text, color, fixed);
    updateSize(*object, false);
    update();
}

void VelaVisualizer::addLine(double x1, double y1, double x2, double y2, double w, const QString& name,
                             uint color, bool fixed)
{
    addObject(ObjLine, {x1, y1, x2, y2, w}, QString(), name, color, fixed);
}

void VelaVisualizer::addRect(double x1, double y1, double x2, double y2, double w, const QString& name,
                             uint color, bool fixed)
{
    addObject(ObjRect, {x1, y1, x2, y2, w}, QString(), name, color, fixed);
}

void VelaVisualizer::addFillRect(double x1, double y1, double x2, double y2, const QString& name, uint color,
                                 bool fixed)
{
    addObject(ObjFillRect, {x1, y1, x2, y2}, QString(), name, color, fixed);
}

void VelaVisualizer::addCircle(double cx, double cy, double r, double w, const QString& name, uint color,
                               bool fixed)
{
    addObject(ObjCircle, {cx, cy, r, w}, QString(), name, color, fixed);
}

void VelaVisualizer::addFillCircle(double cx, double cy, double r, const QString& name, uint color, bool fixed)
{
    addObject(ObjFillCircle, {cx, cy, r}, QString(), name, color, fixed);
}

void VelaVisualizer::addText(double x, double y, int size, const QString& text, const QString& name, uint color,
                             bool fixed)
{
    addObject(ObjText, {x, y, double(size)}, text, name, color, fixed);
}

void VelaVisualizer::addArc(double x, double y, double width, double height, int start, int span, double w,
                            const QString& name, uint color, bool fixed)
{
    addObject(ObjArc, {x, y, width, height, double(start), double(span), w}, QString(), name, color, fixed);
}

bool VelaVisualizer::removeObject(const QString& name)
{
    const auto it = std::find_if(objects.begin(), objects.end(), [&](const auto& o) { return o->name == name; });
    if (it == objects.end())
        return false;
    objects.erase(it);
    update();
    return true;
}

int VelaVisualizer::addObjectToIgnoreList(const QString& name)
{
    ignoreList.append(name);
    return int(ignoreList.size());
}

// ---- switches ----

void VelaVisualizer::setEnableScale(bool on)
{
    scaleShown = on;
    updateMargins();
    update();
}

void VelaVisualizer::setEnableControls(bool on)
{
    controlsShown = on;
    updateMargins();
    update();
}

void VelaVisualizer::setEnableAutoResize(bool on)
{
    VelaOnscreenButton* button = getButton(1);
    if (on == autoResize || !button)
        return;
    button->state ^= ButtonOn;
    processButtonClick(*button);
}

void VelaVisualizer::setEnableFullscreenMode(bool on)
{
    fullscreenEnabled = on;
}

void VelaVisualizer::setTrackPos(bool on)
{
    trackPos = on;
    setCursor(on ? Qt::BlankCursor : Qt::ArrowCursor);
    update();
}

void VelaVisualizer::setBgColor(uint color)
{
    bgColor = color;
    updateOpaquePaint();
    update();
}

void VelaVisualizer::blank(bool on)
{
    blanked = on;
    updateOpaquePaint();
    update();
}

void VelaVisualizer::updateOpaquePaint()
{
    setAttribute(Qt::WA_OpaquePaintEvent, !blanked && qAlpha(bgColor) == 255);
}
