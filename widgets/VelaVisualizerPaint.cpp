// Painting of the profile visualizer: background, grid, buttons, objects, profiles, cursor.
#include "VelaVisualizer.h"

#include <cmath>

#include <QFontMetrics>
#include <QPainter>

namespace {

struct ButtonColors {
    uint fill;
    uint border;
    uint text;
};

ButtonColors buttonColors(int state, bool whiteBackground)
{
    ButtonColors c;
    if (state & ButtonOn)
        c = {whiteBackground ? 0xFFA399E3u : 0xFF339933u, 0xFF000000u, 0xFF000000u};
    else if (state & ButtonInactive)
        c = {0xFF503333u, 0xFF333333u, 0xFF000000u};
    else if (whiteBackground)
        c = {0xFFDDDDDDu, 0xFF333333u, 0xFF000000u};
    else
        c = {0xFF000000u, 0xFF339933u, 0xFF339933u};
    if ((state & ButtonHover) && !(state & ButtonInactive)) {
        constexpr uint kHoverShift = 0x00E7E7E8u;
        c.fill -= kHoverShift;
        c.border -= kHoverShift;
        c.text -= kHoverShift;
    }
    return c;
}

// Colour of a gradient from c1 (t = 0) to c2 (t = 1), channel by channel, opaque.
QRgb gradientColor(uint c1, uint c2, double t)
{
    const auto channel = [t](int a, int b) { return int(a + (b - a) * t); };
    return qRgb(channel(qRed(c1), qRed(c2)), channel(qGreen(c1), qGreen(c2)), channel(qBlue(c1), qBlue(c2)));
}

bool isFinite(const VelaMath::VelaPointXY& p)
{
    return std::isfinite(p.x) && std::isfinite(p.y);
}

// Walks pixel columns (or rows) from first to last in steps of dir (+1 or -1) and calls
// draw(i, world) at every interval-th one in which a multiple of step is crossed. Columns for
// which skip(world(i), world(i - 1)) holds are not considered at all.
template <typename World, typename Skip, typename Draw>
void walkGrid(int first, int last, int dir, double step, int interval, World world, Skip skip, Draw draw)
{
    int counter = 0;
    for (int i = first; dir > 0 ? i <= last : i >= last; i += dir) {
        const double v = world(i), previous = world(i - 1);
        if (skip(v, previous) || !(std::ceil(previous / step) < std::ceil(v / step)))
            continue;
        if (counter % interval == 0)
            draw(i, v);
        ++counter;
    }
}

} // namespace

void VelaVisualizer::gridSpacing(double scale, double& step, int& interval)
{
    step = scale > 0.01 ? 1.0 : 0.2;
    const double pixelsPerStep = scale > 0 ? std::floor(step / scale) : 0.0;
    // Labels stay about 20 pixels or more apart.
    interval = pixelsPerStep > 0 ? 1 + int(20.0 / pixelsPerStep) : 40;
}

void VelaVisualizer::drawRotatedText(QPainter& painter, int x, int y, double angle, const QString& text)
{
    painter.save();
    painter.translate(x, y);
    painter.rotate(angle);
    painter.drawText(0, 0, text);
    painter.restore();
}

void VelaVisualizer::paintEvent(QPaintEvent*)
{
    if (blanked)
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.fillRect(rect(), QColor::fromRgba(bgColor));
    if (scaleShown)
        drawScale(painter);
    if (controlsShown) {
        painter.setRenderHint(QPainter::Antialiasing, true);
        drawControls(painter);
        painter.setRenderHint(QPainter::Antialiasing, false);
    }
    for (const auto& object : objects)
        drawObject(painter, *object);
    painter.setRenderHint(QPainter::Antialiasing, false);
    for (const auto& data : profiles)
        drawProfile(painter, *data);
    if (trackPos)
        drawTrackCursor(painter);
}

void VelaVisualizer::drawScale(QPainter& painter)
{
    const int areaW = areaWidth(), areaH = areaHeight();
    painter.setPen(QColor::fromRgba(frameColor));
    painter.drawRect(QRect(QPoint(marginL - 1, marginT - 1), QPoint(marginL - 1 + areaW, marginT - 1 + areaH)));
    if (areaW < 1 || areaH < 1)
        return; // the margins take the whole widget

    double step;
    int interval;
    gridSpacing(s, step, interval);
    if (labelRatio != painter.device()->devicePixelRatio()) {
        labelRatio = painter.device()->devicePixelRatio();
        labelImages.clear();
    }

    // Whole values get the brighter line; the label text is the value at the column.
    // Lines are one-pixel rectangles: the raster engine fills those in one go, while a
    // vertical line is blended row by row.
    const auto lineColorAndLabel = [&](double v, QString& label) {
        if (v - std::floor(v) >= step / 2) {
            label = QString::asprintf("%.1f", v);
            return QColor::fromRgba(fractionLabelColor);
        }
        label = QString::asprintf("%.0f", std::floor(v));
        return QColor::fromRgba(wholeLabelColor);
    };
    const auto drawColumn = [&](int i, double v) {
        QString label;
        painter.fillRect(QRect(marginL + i, marginT, 1, areaH), lineColorAndLabel(v, label));
        drawLabel(painter, marginL + i + 3, H, true, label);
    };
    const auto drawRow = [&](int i, double v) {
        QString label;
        const int y = marginT + areaH - i;
        painter.fillRect(QRect(marginL, y, areaW + 1, 1), lineColorAndLabel(v, label));
        drawLabel(painter, 0, y + 3, false, label);
    };

    // Columns walk outwards from world x = 0 in both directions, so labels are anchored there.
    // A NaN constraint compares false and so bounds nothing.
    const double cxLow = rangeConstraint.x(), cxHigh = rangeConstraint.x() + rangeConstraint.width();
    const auto columnX = [&](int i) { return xMin - offX * s + i * s; };
    walkGrid(
        1, areaW - 1, 1, step, interval, columnX, [&](double v, double) { return v < 0 || v > cxHigh; },
        drawColumn);
    walkGrid(
        areaW, 1, -1, step, interval, columnX,
        [&](double, double previous) { return previous > 0 || previous < cxLow; }, drawColumn);

    const double cyHigh = rangeConstraint.y(), cyLow = rangeConstraint.y() + rangeConstraint.height();
    walkGrid(
        1, areaH - 1, 1, step, interval, [&](int i) { return yMin - (offY - marginT) * s + i * s; },
        [&](double v, double) { return v < cyLow || v > cyHigh; }, drawRow);
}

const VelaVisualizer::LabelImage& VelaVisualizer::labelImage(const QString& text, bool upwards)
{
    const QString key = upwards ? text + QLatin1Char('^') : text;
    auto it = labelImages.constFind(key);
    if (it != labelImages.cend())
        return *it;
    if (labelImages.size() >= kMaxLabelImages)
        labelImages.clear();

    const QFont font(QStringLiteral("serif"), 8);
    const QFontMetrics metrics(font);
    const int advance = metrics.horizontalAdvance(text), ascent = metrics.ascent(), height = metrics.height();
    const QSize size = upwards ? QSize(height, advance) : QSize(advance, height);
    LabelImage label;
    label.image = QImage(size * labelRatio, QImage::Format_ARGB32_Premultiplied);
    label.image.setDevicePixelRatio(labelRatio);
    label.image.fill(Qt::transparent);
    QPainter painter(&label.image);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setFont(font);
    painter.setPen(QColor::fromRgba(frameColor));
    // The offset places the baseline start of the text at the point the label is drawn at.
    if (upwards) {
        drawRotatedText(painter, ascent, advance, 270, text);
        label.offset = QPoint(-ascent, -advance);
    } else {
        painter.drawText(0, ascent, text);
        label.offset = QPoint(0, -ascent);
    }
    return *labelImages.insert(key, label);
}

void VelaVisualizer::drawLabel(QPainter& painter, int x, int y, bool upwards, const QString& text)
{
    const LabelImage& label = labelImage(text, upwards);
    painter.drawImage(QPoint(x, y) + label.offset, label.image);
}

QRect VelaVisualizer::buttonRect(const VelaOnscreenButton& button) const
{
    QRect r = button.rect;
    if (r.left() < 0)
        r.moveLeft(r.left() + W);
    if (r.top() < 0)
        r.moveTop(r.top() + H);
    return r;
}

void VelaVisualizer::drawControls(QPainter& painter)
{
    for (const VelaOnscreenButton& button : buttons)
        drawButton(painter, button);
}

void VelaVisualizer::drawButton(QPainter& painter, const VelaOnscreenButton& button)
{
    const ButtonColors colors = buttonColors(button.state, bgColor == 0xFFFFFFFFu);
    const QRect r = buttonRect(button);
    painter.fillRect(r, QColor::fromRgba(colors.fill));
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QColor::fromRgba(colors.border));
    painter.drawRect(r);
    painter.setPen(QColor::fromRgba(colors.text));
    painter.setFont(QFont(QStringLiteral("serif"), 9));
    painter.drawText(r, Qt::AlignCenter, button.text);
}

void VelaVisualizer::drawTrackCursor(QPainter& painter)
{
    const QPoint c = trackPoint.toPoint();
    painter.setPen(QColor(Qt::black));
    painter.drawLine(c.x() - 8, c.y(), c.x() + 8, c.y());
    painter.drawLine(c.x(), c.y() - 8, c.x(), c.y() + 8);
}

void VelaVisualizer::drawObject(QPainter& painter, const VelaProfileVisulaizerObject& object)
{
    const QColor color = QColor::fromRgba(object.color);
    const bool fixed = object.fixed;
    const auto n = [&object](int i) { return object.at(i); };
    painter.setPen(color);
    painter.setBrush(Qt::NoBrush); // a filled circle before must not fill the outlines after it
    const auto setLineWidth = [&](double w) {
        const int pixels = sizeToScreenSize(w);
        if (pixels > 1) {
            QPen pen(color, pixels);
            pen.setCosmetic(true);
            painter.setPen(pen);
        }
    };
    switch (object.kind) {
    case ObjLine:
        setLineWidth(n(4));
        painter.drawLine(pointToScreen({n(0), n(1)}, fixed), pointToScreen({n(2), n(3)}, fixed));
        break;
    case ObjRect:
    case ObjFillRect: {
        const QPoint p1 = pointToScreen({n(0), n(1)}, fixed), p2 = pointToScreen({n(2), n(3)}, fixed);
        const QRect r(QPoint(std::min(p1.x(), p2.x()), std::min(p1.y(), p2.y())),
                      QPoint(std::max(p1.x(), p2.x()) - 1, std::max(p1.y(), p2.y()) - 1));
        if (object.kind == ObjFillRect) {
            painter.fillRect(r, color);
        } else {
            setLineWidth(n(4));
            painter.drawRect(r);
        }
        break;
    }
    case ObjCircle: {
        setLineWidth(n(3));
        const int r = sizeToScreenSize(n(2));
        painter.drawEllipse(pointToScreen({n(0), n(1)}, fixed), r, r);
        break;
    }
    case ObjFillCircle: {
        // A thick pen around a small ellipse gives a round, smooth disc of radius R.
        const int r = sizeToScreenSize(n(2));
        painter.setRenderHint(QPainter::Antialiasing, true);
        QPen pen(color, int(r / 1.4142));
        pen.setCosmetic(true);
        painter.setPen(pen);
        painter.setBrush(color);
        const int inner = int(r / 2.8284);
        painter.drawEllipse(pointToScreen({n(0), n(1)}, fixed), inner, inner);
        break;
    }
    case ObjText: {
        const QStringList font = getFont(object.text);
        QFont f(font.at(0));
        f.setPointSize(std::max(1, int(n(2))));
        painter.setFont(f);
        painter.drawText(pointToScreen({n(0), n(1)}, fixed), font.at(1));
        break;
    }
    case ObjArc: {
        setLineWidth(n(6));
        QRect r;
        if (fixed) {
            const QPoint corner = pointToScreen({n(0), n(1)}, true);
            const QPoint opposite = pointToScreen({n(0) + n(2), n(1) + n(3)}, true);
            r = QRect(corner, QSize(opposite.x() - corner.x(), opposite.y() - corner.y()));
        } else {
            // Centred like a circle, so both keep their place under the vertical stretch.
            r = QRect(0, 0, sizeToScreenSize(n(2)), sizeToScreenSize(n(3)));
            r.moveCenter(pointToScreen({n(0) + n(2) / 2, n(1) + n(3) / 2}));
        }
        painter.drawArc(r, int(n(4)), int(n(5)));
        break;
    }
    }
}

void VelaVisualizer::drawProfile(QPainter& painter, VelaProfileData& data)
{
    if (data.profile.points.isEmpty())
        return;
    if (data.color2 != 0) {
        drawGradient(painter, data);
        return;
    }
    const QColor color = QColor::fromRgba(data.color);
    if (data.width == 0)
        painter.setPen(color);
    else
        painter.setPen(QPen(QBrush(color), data.width, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin));
    if (data.style == DrawPoints)
        drawProfilePoints(painter, data);
    else if (data.style == DrawLines)
        drawProfileLines(painter, data);
}

void VelaVisualizer::drawProfilePoints(QPainter& painter, const VelaProfileData& data)
{
    const QRect area(QPoint(marginL, marginT), QPoint(W - marginR, H - marginB));
    screenPoints.clear();
    for (const VelaMath::VelaPointXY& p : data.profile.points) {
        if (!isFinite(p))
            continue;
        const QPoint sp = pointToScreen(QPointF(p.x, p.y));
        if (area.contains(sp))
            screenPoints.append(sp);
    }
    painter.drawPoints(screenPoints);
}

void VelaVisualizer::drawProfileLines(QPainter& painter, const VelaProfileData& data)
{
    // Separate segments, not a polyline: the raster engine draws thick segments directly but
    // strokes a thick polyline into a path first, several times slower. A point without a
    // value leaves out its two segments instead of joining a far-off pixel.
    screenPoints.clear();
    bool havePrevious = false;
    QPoint previous;
    for (const VelaMath::VelaPointXY& p : data.profile.points) {
        if (!isFinite(p)) {
            havePrevious = false;
            continue;
        }
        const QPoint sp = pointToScreen(QPointF(p.x, p.y));
        if (havePrevious)
            screenPoints << previous << sp;
        previous = sp;
        havePrevious = true;
    }
    painter.drawLines(screenPoints.constData(), int(screenPoints.size() / 2));
}

void VelaVisualizer::drawGradient(QPainter& painter, const VelaProfileData& data)
{
    const bool lines = data.style == DrawLines;
    if (!lines && data.style != DrawPoints)
        return;
    const VelaMath::VelaProfile& profile = data.profile;
    const double range = double(profile.maxY) - profile.minY;
    const QRect area(QPoint(marginL, marginT), QPoint(W - marginR, H - marginB));

    // Runs of equal colour are drawn in one call: points as they are, lines as point pairs.
    screenPoints.clear();
    QRgb penColor = 0; // never a gradient colour, which is opaque
    const auto flush = [&] {
        if (lines)
            painter.drawLines(screenPoints.constData(), int(screenPoints.size() / 2));
        else
            painter.drawPoints(screenPoints);
        screenPoints.clear();
    };
    bool havePrevious = false;
    QPoint previous;
    for (const VelaMath::VelaPointXY& p : profile.points) {
        if (!isFinite(p)) {
            havePrevious = false;
            continue;
        }
        const QPoint sp = pointToScreen(QPointF(p.x, p.y));
        if (lines && !havePrevious) {
            previous = sp;
            havePrevious = true;
            continue;
        }
        if (!lines && !area.contains(sp))
            continue;
        const QRgb color = gradientColor(data.color, data.color2, range > 0 ? (p.y - profile.minY) / range : 0.0);
        if (color != penColor) {
            flush();
            painter.setPen(QColor::fromRgb(color));
            penColor = color;
        }
        if (lines) {
            screenPoints << previous << sp;
            previous = sp;
        } else {
            screenPoints << sp;
        }
    }
    flush();
}
