// Draws the pictures of the quick configuration panel's measurement buttons into the
// folder given as the only argument: <name>_activ.png and <name>_noactiv.png, 50 x 47.

#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <cstdio>
#include <functional>

namespace {

struct Palette
{
    QColor background;
    QColor object;
    QColor beam;
    QColor mark;
};

const Palette active{QColor(0xE8, 0xF4, 0xFF), QColor(0x40, 0x48, 0x58),
                     QColor(0xE0, 0x20, 0x20), QColor(0x10, 0x70, 0xD0)};
const Palette inactive{QColor(0xE4, 0xE4, 0xE4), QColor(0x90, 0x90, 0x90),
                       QColor(0xB0, 0xB0, 0xB0), QColor(0x80, 0x80, 0x80)};

using Motif = std::function<void(QPainter&, const Palette&)>;

// A horizontal measuring arrow between x1 and x2.
void arrow(QPainter& p, const QColor& color, qreal x1, qreal x2, qreal y)
{
    p.setPen(QPen(color, 2));
    p.drawLine(QPointF(x1, y), QPointF(x2, y));
    QPainterPath heads;
    heads.moveTo(x1, y);
    heads.lineTo(x1 + 5, y - 4);
    heads.lineTo(x1 + 5, y + 4);
    heads.closeSubpath();
    heads.moveTo(x2, y);
    heads.lineTo(x2 - 5, y - 4);
    heads.lineTo(x2 - 5, y + 4);
    heads.closeSubpath();
    p.setBrush(color);
    p.setPen(Qt::NoPen);
    p.drawPath(heads);
}

// The light curtain of the sensor falls from the top over the whole picture.
void curtain(QPainter& p, const Palette& c)
{
    p.setPen(QPen(c.beam, 1, Qt::DashLine));
    for (int x = 6; x < 50; x += 8)
        p.drawLine(x, 2, x, 8);
}

void edge(QPainter& p, const Palette& c)
{
    curtain(p, c);
    p.fillRect(QRectF(25, 14, 22, 30), c.object);
    p.setPen(QPen(c.mark, 2));
    p.drawLine(QPointF(25, 10), QPointF(25, 45));
}

void diameter(QPainter& p, const Palette& c)
{
    curtain(p, c);
    p.setPen(Qt::NoPen);
    p.setBrush(c.object);
    p.drawEllipse(QRectF(12, 12, 26, 26));
    arrow(p, c.mark, 10, 40, 42);
}

void gap(QPainter& p, const Palette& c)
{
    curtain(p, c);
    p.fillRect(QRectF(3, 14, 15, 30), c.object);
    p.fillRect(QRectF(32, 14, 15, 30), c.object);
    arrow(p, c.mark, 18, 32, 29);
}

void borders(QPainter& p, const Palette& c)
{
    curtain(p, c);
    p.fillRect(QRectF(12, 16, 26, 24), c.object);
    p.setPen(QPen(c.mark, 2));
    p.drawLine(QPointF(12, 10), QPointF(12, 45));
    p.drawLine(QPointF(38, 10), QPointF(38, 45));
}

bool save(const QDir& folder, const char* name, const char* state, const Motif& motif,
          const Palette& palette)
{
    QImage image(50, 47, QImage::Format_ARGB32);
    image.fill(palette.background);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(palette.mark, 1));
    painter.drawRect(QRectF(0.5, 0.5, 49, 46));
    motif(painter, palette);
    painter.end();
    const QString path = folder.filePath(QStringLiteral("%1_%2.png")
                                             .arg(QLatin1String(name), QLatin1String(state)));
    return image.save(path, "PNG");
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!folder.mkpath(QStringLiteral(".")))
        return 1;

    const std::pair<const char*, Motif> motifs[] = {
        {"edge", edge}, {"diameter", diameter}, {"gap", gap}, {"borders", borders}};
    for (const auto& [name, motif] : motifs) {
        if (!save(folder, name, "activ", motif, active) || !save(folder, name, "noactiv", motif, inactive))
            return 1;
    }
    return 0;
}
