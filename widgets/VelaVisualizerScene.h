#pragma once

#include <QList>
#include <QRect>
#include <QString>

#include "VelaProfile.h"

// Records of the profile visualizer's scene. Colours are ARGB (0xAARRGGBB).

enum VelaProfileVisualizerDrawStyle {
    DrawPoints = 0, // one dot per point
    DrawLines = 1   // a polyline through the points
};

enum VelaProfileVisulaizerObjectType {
    ObjLine = 0,       // x1, y1, x2, y2, w
    ObjRect = 1,       // x1, y1, x2, y2 (opposite corners), w
    ObjFillRect = 2,   // x1, y1, x2, y2
    ObjCircle = 3,     // cx, cy, r, w
    ObjFillCircle = 4, // cx, cy, r
    ObjText = 5,       // x, y, point size
    ObjArc = 6         // x, y, width, height, start angle, span angle, w
};

enum VelaOnscreenButtonState {
    ButtonOn = 1,
    ButtonHover = 2,
    ButtonInactive = 4
};

// One drawn profile: a private copy of the caller's points plus how to draw them.
struct VelaProfileData {
    VelaMath::VelaProfile profile;
    uint color = 0;
    uint color2 = 0; // end colour of a height gradient; 0 = plain colour
    VelaProfileVisualizerDrawStyle style = DrawPoints;
    QString name;
    double width = 0.0; // pen width in pixels
    bool flag = false;  // kept for the caller, no effect on drawing
};

// One annotation object; the meaning of `numbers` depends on `kind`.
struct VelaProfileVisulaizerObject {
    VelaProfileVisulaizerObjectType kind = ObjLine;
    QList<double> numbers;
    QString text; // only text objects carry one
    uint color = 0;
    QString name;
    bool fixed = false; // position in widget pixels instead of world units

    // Number i, 0 when missing: an object keeps its kind when another kind's numbers replace
    // its own, so it may hold fewer than its kind reads.
    double at(int i) const { return i < numbers.size() ? numbers[i] : 0.0; }
};

// A toggle button drawn over the scene. A negative left or top edge counts from the
// right or bottom edge of the widget.
struct VelaOnscreenButton {
    QRect rect;
    QString text;
    int state = 0; // VelaOnscreenButtonState bits
    int id = 0;
};
