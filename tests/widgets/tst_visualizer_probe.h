#pragma once

#include <initializer_list>

#include "VelaVisualizer.h"

// Opens the visualizer's protected mapping and scene operations to its tests.
class VisualizerProbe : public VelaVisualizer
{
public:
    using VelaVisualizer::VelaVisualizer;
    using VelaVisualizer::findObject;
    using VelaVisualizer::gridSpacing;
    using VelaVisualizer::getFont;
    using VelaVisualizer::pointToScreen;
    using VelaVisualizer::screenToPoint;
    using VelaVisualizer::updateSize;
};

inline VelaMath::VelaProfile makeProfile(std::initializer_list<QPointF> points)
{
    VelaMath::VelaProfile profile;
    for (const QPointF& p : points)
        profile.points.append(VelaMath::VelaPointXY(float(p.x()), float(p.y())));
    return profile;
}

// A visualizer of the application's size with its view fitted to 0..640 x 0..480 (1 unit per pixel).
inline void fitUnitView(VisualizerProbe& v)
{
    v.resize(640, 480);
    v.addProfile(makeProfile({{0, 0}, {640, 480}}), "frame", 0xFF00FF00, 0, 0, DrawPoints, false);
}
