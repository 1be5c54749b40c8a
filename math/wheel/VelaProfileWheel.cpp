// Profile operations of the wheel detection: the window noise filter and the cut points
// where the height trend turns.

#include "VelaProfile.h"

#include <cmath>
#include <vector>

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
    if (w < 1 || n < 2 * w)
        return -1;

    // prefix[i] = sum of y over points 0 .. i - 1, so every window sum is one difference.
    std::vector<double> prefix(size_t(n) + 1, 0.0);
    for (int i = 0; i < n; ++i)
        prefix[size_t(i) + 1] = prefix[size_t(i)] + points[i].y;
    const auto trend = [&](int c) {
        const double after = prefix[size_t(c + w + 1)] - prefix[size_t(c + 1)];
        const double before = prefix[size_t(c)] - prefix[size_t(c - w)];
        return after - before;
    };

    for (int c = w + 1; c < n - w - 2; ++c) {
        const double left = trend(c - 1);
        const double right = trend(c + 1);
        if ((left > threshold && right < -threshold) || (left < -threshold && right > threshold))
            return c;
    }
    return -1;
}

int VelaProfile::detectCutPoints(VelaProfile& cuts, QList<int>& indices, int window, float threshold)
{
    cuts.clear();
    VelaProfile work(*this);
    work.sort(SortAscending, SortAscending);
    int base = 0;
    while (work.size() >= 2 * window) {
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
