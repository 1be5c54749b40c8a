// Operator input of the profile visualizer: on-screen buttons, mouse, wheel and full screen.
#include "VelaVisualizer.h"

#include <algorithm>

#include <QMouseEvent>
#include <QWheelEvent>

void VelaVisualizer::addButton(QRect rect, const QString& text, int state, int id)
{
    buttons.push_back({rect, text, state, id});
}

VelaOnscreenButton* VelaVisualizer::getButton(int id)
{
    const auto it = std::find_if(buttons.begin(), buttons.end(), [id](const auto& b) { return b.id == id; });
    return it == buttons.end() ? nullptr : &*it;
}

void VelaVisualizer::processButtonClick(const VelaOnscreenButton& button)
{
    const bool on = button.state & ButtonOn;
    if (button.id == 1) {
        autoResize = on;
        if (on)
            resetViewPoint();
    } else if (button.id == 2) {
        scaleShown = on;
        updateMargins();
    }
    update();
}

void VelaVisualizer::mousePressEvent(QMouseEvent* event)
{
    if (event->buttons() == Qt::MiddleButton) {
        toggleFullScreen();
        return;
    }
    if (event->buttons() != Qt::LeftButton)
        return;
    // Recorded in every mode: the release reports the world point of this press.
    pressPos = event->position().toPoint();
    if (!autoResize) {
        panning = true;
        pressViewOrigin = QPointF(xMin, yMin);
    }
    for (VelaOnscreenButton& button : buttons) {
        if (!buttonRect(button).contains(pressPos))
            continue;
        button.state ^= ButtonOn;
        processButtonClick(button);
        panning = false;
        // A press that a button took is no click on the scene, also without a hover before it.
        clickAllowed = false;
    }
}

void VelaVisualizer::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    if (panning) {
        moved = true;
        const double w = xMax - xMin, h = yMax - yMin;
        xMin = pressViewOrigin.x() + (pressPos.x() - pos.x()) * s;
        xMax = xMin + w;
        yMin = pressViewOrigin.y() + (pos.y() - pressPos.y()) * s;
        yMax = yMin + h;
    } else {
        clickAllowed = true;
        for (VelaOnscreenButton& button : buttons) {
            button.state &= ~ButtonHover;
            if (clickAllowed && buttonRect(button).contains(pos)) {
                button.state |= ButtonHover;
                clickAllowed = false;
            }
        }
    }
    if (trackPos) {
        trackPoint = event->position();
        const bool inside = 0 < pos.x() && pos.x() < W - 1 && 0 < pos.y() && pos.y() < H - 1;
        setCursor(inside ? Qt::BlankCursor : Qt::ArrowCursor);
    }
    update();
}

void VelaVisualizer::mouseReleaseEvent(QMouseEvent* event)
{
    const QPointF point = screenToPoint(pressPos);
    if (event->button() != Qt::LeftButton)
        emit clicked(event->button(), point);
    else if (!moved && clickAllowed)
        emit clicked(Qt::LeftButton, point);
    moved = false;
    panning = false;
}

void VelaVisualizer::wheelEvent(QWheelEvent* event)
{
    if (autoResize)
        return;
    const int delta = event->angleDelta().y();
    if (event->modifiers() & Qt::ControlModifier)
        verticalStretch = delta >= 0 ? verticalStretch + 0.1 : std::max(verticalStretch - 0.1, kMinStretch);
    else
        zoom(delta < 0 ? 1.1 : 0.9);
    update();
}

void VelaVisualizer::closeEvent(QCloseEvent*)
{
}

void VelaVisualizer::toggleFullScreen()
{
    if (!parentWidget()) {
        setParent(savedParent);
        // The size from before going full screen, even if content arrived meanwhile.
        resize(normalSize);
        W = normalSize.width();
        H = normalSize.height();
        setWindowState(Qt::WindowNoState);
        emit switchingFullScreen(false);
        show();
    } else if (fullscreenEnabled) {
        emit switchingFullScreen(true);
        W = width();
        H = height();
        normalSize = size();
        setParent(nullptr);
        setWindowState(Qt::WindowFullScreen);
        show();
    }
}
