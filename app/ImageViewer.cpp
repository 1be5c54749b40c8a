#include "ImageViewer.h"

#include "UserFile.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QTransform>

#include <cstdlib>

namespace {

constexpr int FrameWidth = 640;
constexpr int FrameHeight = 512;
// A drag narrower or lower than this is taken as a click that clears the window.
constexpr int MinSelection = 5;

} // namespace

ImageViewer::ImageViewer(QWidget* parent)
    : QWidget(parent)
    , m_background(QPixmap(QStringLiteral(":/MainWindow/Resources/splash.png"))
                       .transformed(QTransform().rotate(-90)))
{
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
}

void ImageViewer::setImage(const QImage* image)
{
    m_image = image;
    update();
}

void ImageViewer::setRect(int x1, int y1, int x2, int y2)
{
    m_x1 = x1;
    m_y1 = y1;
    m_x2 = x2;
    m_y2 = y2;
}

void ImageViewer::setSelectionEnabled(bool enabled)
{
    m_selectionEnabled = enabled;
}

void ImageViewer::setFullScreenSwitchingEnabled(bool enabled)
{
    m_fullScreenSwitchingEnabled = enabled;
}

void ImageViewer::reset()
{
    m_dragging = false;
    setRect(-1, -1, -1, -1);
    m_image = nullptr;
    update();
}

bool ImageViewer::save(const QString& path, QString* error) const
{
    QByteArray encoded;
    QBuffer buffer(&encoded);
    buffer.open(QIODevice::WriteOnly);
    if (!m_image || !m_image->save(&buffer, QFileInfo(path).suffix().toLower().toLatin1().constData())) {
        if (error)
            *error = tr("no frame to save in this format");
        return false;
    }
    return UserFile::save(path, encoded, error);
}

QSize ImageViewer::sizeHint() const
{
    return QSize(FrameWidth, FrameHeight);
}

void ImageViewer::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const int w = width();
    const int h = height();
    const bool wide = w > (m_image ? m_image->width() : FrameWidth);

    int scaledWidth = 0;
    if (m_image) {
        if (wide) {
            const QImage scaled = m_image->scaled(w, h, Qt::KeepAspectRatio, Qt::SmoothTransformation);
            painter.drawImage(0, 0, scaled);
            scaledWidth = scaled.width();
        } else {
            painter.drawImage(0, 0, *m_image);
        }
    } else {
        painter.fillRect(rect(), Qt::black);
    }

    // Widget coordinates equal frame pixels only for an unscaled frame, so that is the
    // only case where the selection means something on screen.
    if (m_x1 >= 0 && m_image && !wide) {
        painter.setPen(Qt::white);
        // A stroked rectangle covers width + 1 pixels: this outlines x1..x2-1, y1..y2-1.
        painter.drawRect(m_x1, m_y1, m_x2 - m_x1 - 1, m_y2 - m_y1 - 1);
    }

    if (wide && scaledWidth > 0 && scaledWidth < w) {
        painter.drawPixmap(scaledWidth, 0,
                           m_background.scaled(w - scaledWidth, h, Qt::IgnoreAspectRatio,
                                               Qt::FastTransformation));
    }
}

void ImageViewer::mousePressEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    if (event->buttons() == Qt::LeftButton && m_selectionEnabled) {
        m_dragging = true;
        setRect(pos.x(), pos.y(), pos.x(), pos.y());
    } else if (event->buttons() == Qt::MiddleButton && m_fullScreenSwitchingEnabled) {
        toggleFullScreen();
    }
    emit signalMousePress(event->button(), pos, event->modifiers());
}

void ImageViewer::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_dragging)
        return;
    const QPoint pos = event->position().toPoint();
    m_x2 = pos.x();
    m_y2 = pos.y();
    update();
    emit signalMouseMove(QPoint(m_x1, m_y1), QPoint(m_x2, m_y2));
}

void ImageViewer::mouseReleaseEvent(QMouseEvent* event)
{
    // Only a drag this widget started ends in a rectangle; a stray release (after a
    // press with other buttons held) must not report stale corners.
    if (event->button() != Qt::LeftButton || !m_selectionEnabled || !m_dragging)
        return;
    const QPoint pos = event->position().toPoint();
    m_x2 = pos.x();
    m_y2 = pos.y();
    m_dragging = false;
    if (std::abs(m_x2 - m_x1) < MinSelection || std::abs(m_y2 - m_y1) < MinSelection)
        setRect(-1, -1, -1, -1);
    update();
    emit signalFinishedRect(QPoint(m_x1, m_y1), QPoint(m_x2, m_y2));
}

void ImageViewer::toggleFullScreen()
{
    if (parentWidget()) {
        emit signalSwitchingFullScreen(true);
        m_restoreSize = size();
        m_restoreParent = parentWidget();
        setParent(nullptr);
        showFullScreen();
    } else {
        setParent(m_restoreParent);
        resize(m_restoreSize);
        setWindowState(windowState() & ~Qt::WindowFullScreen);
        emit signalSwitchingFullScreen(false);
        show();
    }
}
