#pragma once

#include <initializer_list>
#include <memory>
#include <vector>

#include <QHash>
#include <QImage>
#include <QPoint>
#include <QPointer>
#include <QPolygon>
#include <QRectF>
#include <QStringList>
#include <QWidget>

#include "VelaVisualizerScene.h"
#include "velawidgets_global.h"

class QPainter;

// Draws profiles and annotation objects in world coordinates (y grows upwards) with one
// uniform scale, an optional grid and two on-screen toggle buttons ("Auto", "Grid").
// The view follows the content while auto resize is on; otherwise the operator zooms with
// the wheel and pans with the left button. A middle click makes the widget a full-screen
// window and back. Everything it draws is copied in; the caller keeps its own objects.
//
// Arcs are placed like every other object: (x, y) is the corner of the arc's bounding box
// with the smallest coordinates, width and height extend from it, all in world units and
// through the world-to-screen mapping (for a fixed arc, all in widget pixels with y down).
// Start and span are passed on in sixteenths of a degree, counter-clockwise as seen.
class VELAWIDGETS_EXPORT VelaVisualizer : public QWidget
{
    Q_OBJECT
public:
    explicit VelaVisualizer(QWidget* parent = nullptr);
    ~VelaVisualizer() override;

    void addProfile(const VelaMath::VelaProfile& profile, const QString& name, uint color, uint color2,
                    double width, VelaProfileVisualizerDrawStyle style, bool flag);
    bool updateProfile(const VelaMath::VelaProfile& profile, const QString& name, uint color, uint color2,
                       bool flag);
    bool removeProfile(const QString& name);
    void removeAllProfiles();
    void removeAllObjects();
    void removeAllVisuals();

    void addLine(double x1, double y1, double x2, double y2, double w, const QString& name, uint color,
                 bool fixed);
    void addRect(double x1, double y1, double x2, double y2, double w, const QString& name, uint color,
                 bool fixed);
    void addFillRect(double x1, double y1, double x2, double y2, const QString& name, uint color, bool fixed);
    void addCircle(double cx, double cy, double r, double w, const QString& name, uint color, bool fixed);
    void addFillCircle(double cx, double cy, double r, const QString& name, uint color, bool fixed);
    void addText(double x, double y, int size, const QString& text, const QString& name, uint color,
                 bool fixed);
    void addArc(double x, double y, double width, double height, int start, int span, double w,
                const QString& name, uint color, bool fixed);
    bool removeObject(const QString& name);
    int addObjectToIgnoreList(const QString& name);

    void resetViewPoint();
    void zoom(double factor);
    void setAutoZoom(double factor);
    void setViewSize(double x, double y, double w, double h);
    void setRangeConstraints(QRectF constraints);

    void setEnableScale(bool on);
    void enableScale() { setEnableScale(true); }
    void disableScale() { setEnableScale(false); }
    void setEnableControls(bool on);
    void enableControls() { setEnableControls(true); }
    void disableControls() { setEnableControls(false); }
    void setEnableAutoResize(bool on);
    void enableAutoResize() { setEnableAutoResize(true); }
    void disableAutoResize() { setEnableAutoResize(false); }
    void setEnableFullscreenMode(bool on);
    void enableFullscreenMode() { setEnableFullscreenMode(true); }
    void disableFullscreenMode() { setEnableFullscreenMode(false); }
    void toggleFullScreen();

    void setTrackPos(bool on);
    void setBgColor(uint color);
    void blank(bool on);

    // Text of a text object drawn in another font family than the default "serif".
    static QString customFontText(const QString& font, const QString& text);

signals:
    void switchingFullScreen(bool fullScreen);
    void clicked(Qt::MouseButton button, QPointF point);

protected:
    // Smallest vertical stretch, so that Ctrl + wheel never collapses or mirrors the scene.
    static constexpr double kMinStretch = 0.1;

    // [family, text] of a text object's text.
    static QStringList getFont(const QString& text);
    static void drawRotatedText(QPainter& painter, int x, int y, double angle, const QString& text);
    // Grid step in world units and the interval of drawn step lines for a scale.
    static void gridSpacing(double scale, double& step, int& interval);

    QPoint pointToScreen(QPointF point, bool fixed = false) const;
    QPointF screenToPoint(QPoint screen) const;
    int sizeToScreenSize(double size) const;
    double screenSizeToSize(int pixels) const;

    // Fits the view to a world box (edges in any order), an object or a profile's range.
    void updateSize(const QRectF& box, bool force);
    void updateSize(const VelaProfileVisulaizerObject& object, bool force);
    void updateSize(VelaMath::VelaProfile& profile, bool force);
    void updateOffsets();
    void updateMargins();

    VelaProfileVisulaizerObject* findObject(const QString& name) const;
    VelaProfileData* findProfileData(const QString& name) const;
    void addObject(VelaProfileVisulaizerObjectType kind, std::initializer_list<double> numbers,
                   const QString& text, const QString& name, uint color, bool fixed);
    void updateObject(VelaProfileVisulaizerObject& object, std::initializer_list<double> numbers,
                      const QString& text, uint color, bool fixed);
    void updateProfileData(VelaProfileData& data, const VelaMath::VelaProfile& profile, uint color,
                           uint color2, bool flag);

    void addButton(QRect rect, const QString& text, int state, int id);
    VelaOnscreenButton* getButton(int id);
    void processButtonClick(const VelaOnscreenButton& button);
    QRect buttonRect(const VelaOnscreenButton& button) const;

    void drawScale(QPainter& painter);
    void drawControls(QPainter& painter);
    void drawButton(QPainter& painter, const VelaOnscreenButton& button);
    void drawTrackCursor(QPainter& painter);
    void drawObject(QPainter& painter, const VelaProfileVisulaizerObject& object);
    void drawProfile(QPainter& painter, VelaProfileData& data);

    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // An opaque background covers the whole widget, so Qt need not paint what lies beneath.
    void updateOpaquePaint();
    // A grid label drawn once into an image; offset leads from the text's baseline start to
    // the image's corner. Drawing rotated text directly costs several microseconds a label.
    struct LabelImage {
        QImage image;
        QPoint offset;
    };
    static constexpr int kMaxLabelImages = 512;

    const LabelImage& labelImage(const QString& text, bool upwards);
    // Label in the frame colour with its baseline starting at (x, y), reading upwards or across.
    void drawLabel(QPainter& painter, int x, int y, bool upwards, const QString& text);
    int areaWidth() const { return W - marginL - marginR; }
    int areaHeight() const { return H - marginT - marginB; }
    bool viewIsSet() const { return xMin != xMax; }
    void setScale(double scale);
    // A world length in pixels. An empty view, or content of no extent, has the scale 0: then
    // every length is 0 pixels, so the mapping stays finite and puts everything at the origin.
    double inPixels(double length) const { return s > 0 ? length / s : 0.0; }
    void drawProfilePoints(QPainter& painter, const VelaProfileData& data);
    void drawProfileLines(QPainter& painter, const VelaProfileData& data);
    void drawGradient(QPainter& painter, const VelaProfileData& data);

    std::vector<std::unique_ptr<VelaProfileData>> profiles;
    std::vector<std::unique_ptr<VelaProfileVisulaizerObject>> objects;
    std::vector<VelaOnscreenButton> buttons;
    QStringList ignoreList;
    QPointer<QWidget> savedParent;
    QSize normalSize; // size to return to from full screen

    int W;
    int H;
    uint bgColor = 0xFF000000;
    uint frameColor = 0xFF4E4E4E;
    uint wholeLabelColor = 0xFF464646;
    uint fractionLabelColor = 0xFF28283C;
    double xMin = 0.0;
    double xMax = 0.0;
    double yMin = 0.0;
    double yMax = 0.0;
    double s = 0.0; // world units per pixel
    double verticalStretch = 1.0;
    bool autoResize = true;
    bool scaleShown = false;
    bool controlsShown = true;
    int marginL = 0;
    int marginR = 0;
    int marginT = 0;
    int marginB = 0;
    int offX = 0;
    int offY = 0;
    QPoint pressPos;
    QPointF pressViewOrigin;
    bool panning = false;
    bool moved = false;
    bool clickAllowed = true;
    double autoZoom = 1.0;
    bool fullscreenEnabled = true;
    bool trackPos = false;
    QPointF trackPoint;
    QRectF rangeConstraint;
    bool blanked = false;

    QPolygon screenPoints; // reused for every profile drawn
    QHash<QString, LabelImage> labelImages;
    qreal labelRatio = 1.0; // device pixel ratio the label images were made for
};
