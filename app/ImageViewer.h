#ifndef IMAGEVIEWER_H
#define IMAGEVIEWER_H

#include <QPixmap>
#include <QPointer>
#include <QWidget>

class QImage;

// Shows a camera frame and lets the user drag the measurement window on it. A middle
// click toggles a full-screen view.
class ImageViewer : public QWidget
{
    Q_OBJECT

public:
    explicit ImageViewer(QWidget* parent = nullptr);

    // The image is not owned; it must live until reset() or the next setImage().
    void setImage(const QImage* image);
    void setRect(int x1, int y1, int x2, int y2);
    void setSelectionEnabled(bool enabled);
    void setFullScreenSwitchingEnabled(bool enabled);
    void reset();
    // Saves the frame in the format of the path's extension; the file is replaced only
    // once complete. False, with the reason in error, when it was left as it was.
    bool save(const QString& path, QString* error = nullptr) const;

    QSize sizeHint() const override;

signals:
    void signalMouseMove(QPoint start, QPoint end);
    void signalFinishedRect(QPoint start, QPoint end);
    void signalMousePress(Qt::MouseButton button, QPoint position, Qt::KeyboardModifiers modifiers);
    void signalSwitchingFullScreen(bool fullScreen);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void toggleFullScreen();

    const QImage* m_image = nullptr;
    QPixmap m_background;
    int m_x1 = -1;
    int m_y1 = -1;
    int m_x2 = -1;
    int m_y2 = -1;
    bool m_dragging = false;
    bool m_selectionEnabled = true;
    bool m_fullScreenSwitchingEnabled = true;
    QSize m_restoreSize;
    QPointer<QWidget> m_restoreParent;
};

#endif // IMAGEVIEWER_H
