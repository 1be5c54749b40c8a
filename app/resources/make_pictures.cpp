// Draws the application's pictures (splash, window and desktop icons, button icons) into the
// folder given as the first argument. The generated files are kept in the repository; run this
// again only to change the artwork:
//   cmake -S app/resources -B /tmp/pictures && cmake --build /tmp/pictures
//   QT_QPA_PLATFORM=offscreen /tmp/pictures/make_pictures app/resources
#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>

#include <cstdio>

namespace {

QImage canvas(int w, int h)
{
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

void antialias(QPainter& p)
{
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
}

// A scanner head: a dark housing with a window, and its laser fan hitting a bumpy surface.
void drawScanner(QPainter& p, const QRectF& r, qreal line)
{
    const QRectF body(r.left() + r.width() * 0.25, r.top(), r.width() * 0.5, r.height() * 0.3);
    p.setPen(QPen(QColor(30, 30, 40), line));
    p.setBrush(QColor(70, 80, 95));
    p.drawRoundedRect(body, line * 2, line * 2);
    p.setBrush(QColor(20, 20, 20));
    p.drawRect(QRectF(body.center().x() - body.width() * 0.15, body.bottom() - line * 2,
                      body.width() * 0.3, line * 2));

    const QPointF source(body.center().x(), body.bottom());
    const qreal groundY = r.top() + r.height() * 0.85;
    QPainterPath fan;
    fan.moveTo(source);
    fan.lineTo(r.left() + r.width() * 0.08, groundY);
    fan.lineTo(r.right() - r.width() * 0.08, groundY);
    fan.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 40, 40, 70));
    p.drawPath(fan);

    QPainterPath profile;
    const int steps = 40;
    for (int i = 0; i <= steps; ++i) {
        const qreal t = qreal(i) / steps;
        const qreal x = r.left() + r.width() * (0.08 + 0.84 * t);
        const qreal bump = (t > 0.35 && t < 0.65) ? -r.height() * 0.12 * qSin((t - 0.35) / 0.3 * M_PI) : 0;
        const QPointF pt(x, groundY + bump);
        if (i == 0)
            profile.moveTo(pt);
        else
            profile.lineTo(pt);
    }
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 30, 30), line * 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(profile);
}

QImage splash()
{
    QImage image(480, 300, QImage::Format_RGB32);
    QPainter p(&image);
    antialias(p);
    QLinearGradient sky(0, 0, 0, 300);
    sky.setColorAt(0, QColor(16, 32, 64));
    sky.setColorAt(1, QColor(40, 70, 120));
    p.fillRect(image.rect(), sky);
    drawScanner(p, QRectF(40, 30, 400, 180), 2.0);

    p.setPen(Qt::white);
    QFont title(QStringLiteral("Sans Serif"), 20, QFont::Bold);
    p.setFont(title);
    p.drawText(QRectF(0, 210, 480, 40), Qt::AlignCenter, QStringLiteral("LS7x Series"));
    QFont subtitle(QStringLiteral("Sans Serif"), 12);
    p.setFont(subtitle);
    p.drawText(QRectF(0, 248, 480, 30), Qt::AlignCenter, QStringLiteral("Setup Utility"));
    return image;
}

QImage appIcon(int size)
{
    QImage image = canvas(size, size);
    QPainter p(&image);
    antialias(p);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(30, 60, 110));
    p.drawRoundedRect(QRectF(0.5, 0.5, size - 1, size - 1), size * 0.15, size * 0.15);
    drawScanner(p, QRectF(size * 0.05, size * 0.12, size * 0.9, size * 0.85), size / 32.0);
    return image;
}

QImage rebootIcon()
{
    QImage image = canvas(24, 24);
    QPainter p(&image);
    antialias(p);
    p.setPen(QPen(QColor(20, 120, 40), 2.5, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(QRectF(4, 4, 16, 16), 100 * 16, 300 * 16);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(20, 120, 40));
    p.drawPolygon(QPolygonF({QPointF(10, 0.5), QPointF(16, 4.5), QPointF(10, 8.5)}));
    return image;
}

QImage powerOffIcon()
{
    QImage image = canvas(24, 24);
    QPainter p(&image);
    antialias(p);
    p.setPen(QPen(QColor(190, 30, 30), 2.5, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(QRectF(4, 5, 16, 16), 120 * 16, 300 * 16);
    p.drawLine(QPointF(12, 2.5), QPointF(12, 11));
    return image;
}

QImage upgradeIcon()
{
    QImage image = canvas(24, 24);
    QPainter p(&image);
    antialias(p);
    p.setPen(QPen(QColor(60, 60, 60), 1));
    p.setBrush(QColor(40, 40, 50));
    p.drawRect(QRectF(5.5, 11.5, 13, 10));
    for (int i = 0; i < 4; ++i) {
        p.drawLine(QPointF(7 + 3 * i, 21.5), QPointF(7 + 3 * i, 23.5));
        p.drawLine(QPointF(7 + 3 * i, 9.5), QPointF(7 + 3 * i, 11.5));
    }
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(30, 110, 220));
    p.drawPolygon(QPolygonF({QPointF(12, 0.5), QPointF(19, 7.5), QPointF(15, 7.5), QPointF(15, 17),
                             QPointF(9, 17), QPointF(9, 7.5), QPointF(5, 7.5)}));
    return image;
}

QImage folderIcon()
{
    QImage image = canvas(16, 16);
    QPainter p(&image);
    antialias(p);
    p.setPen(QPen(QColor(150, 110, 20), 1));
    p.setBrush(QColor(240, 200, 80));
    p.drawPolygon(QPolygonF({QPointF(0.5, 3.5), QPointF(5.5, 3.5), QPointF(7, 5), QPointF(15.5, 5),
                             QPointF(15.5, 13.5), QPointF(0.5, 13.5)}));
    p.setBrush(QColor(250, 220, 120));
    p.drawPolygon(QPolygonF({QPointF(0.5, 13.5), QPointF(2.5, 7.5), QPointF(15.5, 7.5), QPointF(15.5, 13.5)}));
    return image;
}

QImage saveAsIcon()
{
    QImage image = canvas(16, 16);
    QPainter p(&image);
    antialias(p);
    p.setPen(QPen(QColor(20, 40, 90), 1));
    p.setBrush(QColor(50, 90, 170));
    p.drawRect(QRectF(0.5, 0.5, 13, 13));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(3, 1, 8, 5));
    p.setBrush(QColor(200, 200, 210));
    p.drawRect(QRectF(3.5, 9, 7, 4.5));
    p.setPen(QPen(QColor(200, 120, 20), 2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(9, 14.5), QPointF(15, 8.5));
    return image;
}

bool write(const QDir& dir, const QString& name, const QImage& image, const char* format = nullptr)
{
    const QString path = dir.filePath(name);
    if (!image.save(path, format)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: make_pictures <output folder>\n");
        return 2;
    }
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    const bool ok = write(dir, QStringLiteral("splash.png"), splash())
        && write(dir, QStringLiteral("LS71-SU.ico"), appIcon(32), "ico")
        && write(dir, QStringLiteral("ls7x-su.png"), appIcon(128))
        && write(dir, QStringLiteral("reboot.png"), rebootIcon())
        && write(dir, QStringLiteral("power_off.png"), powerOffIcon())
        && write(dir, QStringLiteral("UpgradeFW.png"), upgradeIcon())
        && write(dir, QStringLiteral("folder.png"), folderIcon())
        && write(dir, QStringLiteral("save_as.png"), saveAsIcon());
    return ok ? 0 : 1;
}
