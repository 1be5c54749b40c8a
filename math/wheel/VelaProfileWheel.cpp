// Profile operations of the wheel detection: the window noise filter and the cut points
// where the height trend turns.

#include "VelaProfile.h"

#include <cmath>

namespace VelaMath {

void VelaProfile::removeNoise(int window, int higher, float maxdY, float /*reserved*/)
{
    if (window < 1)
        return;
    const int n = size();
    int kept = 0;
    // Windows are examined only while start + window < n; the tail after them is dropped.
    for (int start = 0; start + window < n; start += window) {
        int jumps = 0;
        for (int t = start; t < start + window - 1; ++t) {
            if (std::fabs(points[t].y - points[t + 1].y) > maxdY)
                ++jumps;
        }
        if (jumps > higher)
            continue;
        for (int t = start; t < start + window; ++t)
            points[kept++] = points[t];
    }
    points.resize(kept);
}

int VelaProfile::calcCutPoint(int window, float threshold)
{
    const int n = size();
    const int w = window;
    if (w < 1 || n / 2 < w) // n < 2 w without the overflow of 2 w
        return -1;

    // Each window is summed on its own: a running sum would carry one NaN height, or the
    // rounding of distant points, into every later trend.
    const auto sumY = [&](int first) {
        double sum = 0.0;
        for (int i = first; i < first + w; ++i)
            sum += points[i].y;
        return sum;
    };
    const auto trend = [&](int c) { return sumY(c + 1) - sumY(c - w); };

    const int end = n - w - 2;
    if (w + 1 >= end)
        return -1;
    double left = trend(w);
    double middle = trend(w + 1);
    for (int c = w + 1; c < end; ++c) {
        const double right = trend(c + 1);
        if ((left > threshold && right < -threshold) || (left < -threshold && right > threshold))
            return c;
        left = middle;
        middle = right;
    }
    return -1;
}

int VelaProfile::detectCutPoints(VelaProfile& cuts, QList<int>& indices, int window, float threshold)
{
    cuts.clear();
    VelaProfile work(*this);
    work.sort(SortAscending, SortAscending);
    int base = 0;
    while (work.size() / 2 >= window) { // size >= 2 window without the overflow of 2 window
        const int c = work.calcCutPoint(window, threshold);
        if (c < 0)
            break;
        cuts.points.append(work.points[c]);
        indices.append(base + c);
        base += c + 1;
        work.points = points.mid(base);
        work.sort(SortAscending, SortAscending);
    }
    return cuts.size();
}

} // namespace VelaMath
