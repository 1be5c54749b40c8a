// Corners of a profile made of straight pieces.

#include "VelaMetro.h"

#include <cmath>

namespace VelaMath {

int METRO_detectApexes(const VelaProfile& profile, VelaProfile& out, QList<VelaLine>& lines,
                       float maxStep)
{
    VelaProfile sorted(profile);
    sorted.sort(SortAscending, SortAscending);
    VelaProfile cuts;
    QList<int> indices;
    sorted.detectCutPoints(cuts, indices, 5, 0);
    QList<VelaPointXY>& c = cuts.points;

    // A cut between two cuts of about its own height is no corner.
    for (int i = int(c.size()) - 2; i >= 1; --i) {
        if (std::fabs(c[i].y - c[i - 1].y) < maxStep && std::fabs(c[i].y - c[i + 1].y) < maxStep) {
            c.removeAt(i);
            indices.removeAt(i);
        }
    }
    // Nor is a cut that lies on the line through its two neighbours.
    for (int i = int(c.size()) - 3; i >= 0; --i) {
        VelaLine through;
        through.calcFromTwoPoints(c[i], c[i + 2]);
        if (std::fabs(c[i + 1].y - through.y(c[i + 1].x)) < 3 * maxStep) {
            c.removeAt(i + 1);
            indices.removeAt(i + 1);
        }
    }

    lines.clear();
    VelaProfile piece;
    for (int i = 0; i + 1 < indices.size(); ++i) {
        piece.points = sorted.points.mid(indices[i], indices[i + 1] - indices[i]);
        VelaLine line;
        piece.calcLine(line);
        lines.append(line);
    }
    for (int i = 0; i + 1 < lines.size(); ++i) {
        VelaPointXY corner;
        if (lines[i].calcIntersection(lines[i + 1], corner))
            out.points.append(corner);
    }
    return out.size();
}

} // namespace VelaMath
