// The profile filters and the resampling of VelaProfile. They run on every
// received profile in the GUI thread, so they work on the contiguous point
// storage directly and keep their scratch buffers per thread.

#include "VelaInterpolant.h"
#include "VelaProfile.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace VelaMath {

namespace {

// Causal smoothing kernel: c[t] weighs the point t places back.
constexpr int kihTaps = 20;
constexpr float kihKernel[kihTaps] = {
    0.0f,    0.0013f, 0.0047f, 0.0117f, 0.0238f, 0.0407f, 0.0612f, 0.0824f, 0.1011f, 0.1139f,
    0.1185f, 0.1139f, 0.1011f, 0.0824f, 0.0612f, 0.0407f, 0.0238f, 0.0117f, 0.0047f, 0.0013f,
};

// Removes the points whose index lies in one of the spans, given ascending and disjoint.
void removeSpans(QList<VelaPointXY>& points, const std::vector<std::pair<int, int>>& spans)
{
    if (spans.empty())
        return;
    VelaPointXY* data = points.data();
    const int n = int(points.size());
    VelaPointXY* write = data + spans.front().first;
    for (std::size_t s = 0; s < spans.size(); ++s) {
        const int keepFrom = spans[s].second + 1;
        const int keepTo = s + 1 < spans.size() ? spans[s + 1].first : n;
        write = std::copy(data + keepFrom, data + keepTo, write);
    }
    points.resize(write - data);
}

} // namespace

void VelaProfile::kihFilter20(float maxDx)
{
    kihFilter20(*this, maxDx);
}

void VelaProfile::kihFilter20(VelaProfile& out, float maxDx)
{
    const int n = size();
    if (n < kihTaps)
        return;
    // A shorter `out` grows to the input's length instead of being written past its end.
    if (out.size() < n)
        out.points.resize(n);

    // The sums run tap by tap over all points at once (the same additions in the same order
    // as point by point, but vectorisable); the input is copied first, so `out` may be this.
    thread_local std::vector<float> y;
    thread_local std::vector<float> sum;
    y.resize(n);
    sum.assign(n, 0.0f);
    const VelaPointXY* src = points.constData();
    for (int i = 0; i < n; ++i)
        y[i] = src[i].y;
    for (int t = 0; t < kihTaps; ++t) {
        const float c = kihKernel[t];
        for (int i = kihTaps; i < n; ++i)
            sum[i] += c * y[i - t];
    }

    VelaPointXY* dst = out.points.data();
    src = points.constData(); // out.points.data() may have detached this profile's points
    for (int i = 0; i < n; ++i) {
        dst[i].x = src[i].x;
        // The first points have no full history; a gap wider than maxDx is not smoothed over.
        const bool keep = i < kihTaps || src[i].x - src[i - 1].x > maxDx;
        dst[i].y = keep ? y[i] : sum[i];
    }
}

void VelaProfile::wndFilter(int window)
{
    const int n = size();
    if (window < 1 || n - window < 1)
        return;
    const int off = int(std::floor(float(window) / 2.5f));
    const float w = float(window);
    VelaPointXY* p = points.data();
    // Each mean is written back before the next window is summed, so the next window reads
    // it at y[i + off - 1]. It is taken from a register instead of being loaded back: the
    // same additions in the same order, without waiting for the store to reach memory.
    float previous = 0.0f;
    for (int i = 0; i < n - window; ++i) {
        float sum = 0.0f;
        int k = 0;
        if (i > 0 && off > 0) {
            for (; k < off - 1; ++k)
                sum += p[i + k].y;
            sum += previous;
            ++k;
        }
        for (; k < window; ++k)
            sum += p[i + k].y;
        previous = sum / w;
        p[i + off].y = previous;
    }
}

bool VelaProfile::splashFilter(VelaProfile& p, float maxD2y, float maxDx)
{
    const int n = p.size();
    if (n - 1 < 5)
        return false;
    const VelaPointXY* pt = p.points.constData();
    const auto d2 = [pt](int k) {
        const float d1 = pt[k + 1].y - pt[k].y;
        const float d1Next = pt[k + 2].y - pt[k + 1].y;
        return d1Next - d1;
    };

    // The removal list is kept as ascending spans of point indices. A spike's span may only
    // share its first index with the previous span's last, since the walk resumes there.
    thread_local std::vector<std::pair<int, int>> spans;
    spans.clear();
    int lastMarked = -1;
    int k = 0;
    while (k <= n - 3) {
        if (!(std::fabs(d2(k)) > maxD2y)) {
            ++k;
            continue;
        }
        const int s = k;
        float sum = 0.0f;
        for (++k; k <= n - 3 && std::fabs(d2(k)) < maxD2y && pt[k].x - pt[k - 1].x < maxDx; ++k)
            sum += pt[k].y - pt[k - 1].y;
        const int e = k; // at most n - 2, so every index s..e is a point before the last
        if (sum <= maxDx) {
            const int first = std::max(s, lastMarked + 1);
            if (first <= e) {
                spans.emplace_back(first, e);
                lastMarked = e;
            }
        }
        // The walk goes on at e itself: it may start the next spike.
    }
    if (spans.empty())
        return false;
    removeSpans(p.points, spans);
    return true;
}

void VelaProfile::removeDuplicates()
{
    const int n = size();
    const VelaPointXY* p = points.constData();
    // A strictly ascending profile, the usual case, has no duplicates.
    if (std::adjacent_find(p, p + n, [](const VelaPointXY& a, const VelaPointXY& b) { return !(a.x < b.x); })
        == p + n)
        return;

    // Sorting the indices by (x, index) puts every first occurrence at the head of its run
    // of equal x. NaN equals nothing, so NaN points always stay and take no part.
    thread_local std::vector<int> order;
    order.clear();
    for (int i = 0; i < n; ++i) {
        if (!std::isnan(p[i].x))
            order.push_back(i);
    }
    std::sort(order.begin(), order.end(), [p](int a, int b) {
        return p[a].x < p[b].x || (!(p[b].x < p[a].x) && a < b);
    });
    thread_local std::vector<char> drop;
    drop.assign(n, 0);
    bool any = false;
    for (std::size_t j = 1; j < order.size(); ++j) {
        if (p[order[j]].x == p[order[j - 1]].x) {
            drop[order[j]] = 1;
            any = true;
        }
    }
    if (!any)
        return;
    VelaPointXY* data = points.data();
    int kept = 0;
    for (int i = 0; i < n; ++i) {
        if (!drop[i])
            data[kept++] = data[i];
    }
    points.resize(kept);
}

int VelaProfile::interpolate(float step, float from, float to, _VelaInterpolantType_ type)
{
    removeDuplicates();
    sort(SortAscending, SortAscending);
    // Reused across calls, so the spline's buffers are allocated once per thread.
    thread_local VelaInterpolant spline;
    if (spline.buildFromPointCloud(*this, type) != 0)
        spline.generatePointCloud(*this, step, from, to);
    return size();
}

void VelaProfile::diffFilt(VelaProfile& out, int window)
{
    // Compared in 64 bits, so that a window near INT_MAX cannot overflow.
    if (window < 1 || size() < qint64(window) + 2)
        return;
    // The sums are read from `out`; neither profile is read or written past its end.
    const int last = std::min(size(), out.size()) - window;
    if (last < 0)
        return;
    const int h = window / 2;
    VelaPointXY* o = out.points.data();
    for (int i = 0; i <= last; ++i) {
        float upperY = 0.0f, upperX = 0.0f, lowerY = 0.0f, lowerX = 0.0f;
        for (int k = h; k < window; ++k) {
            upperY += o[i + k].y;
            upperX += o[i + k].x;
        }
        for (int k = 0; k < h; ++k) {
            lowerY += o[i + k].y;
            lowerX += o[i + k].x;
        }
        o[i].y = (upperY - lowerY) / (upperX - lowerX);
    }
}

void VelaProfile::medFilt(VelaProfile& out, int window, int)
{
    const int n = size();
    if (window < 1 || n < qint64(window) + 1)
        return;
    const int last = std::min(n - window - 1, out.size() - 1);
    if (last < 0)
        return;
    thread_local std::vector<VelaPointXY> span;
    span.resize(window);
    const auto byX = [](const VelaPointXY& q) { return q.x; };
    VelaPointXY* o = out.points.data();
    const VelaPointXY* p = points.constData(); // taken after out's, which may detach these
    for (int i = 0; i <= last; ++i) {
        std::copy(p + i, p + i + window, span.begin());
        VelaPointCloudDetail::sortAroundNaN(span.data(), span.data() + window, byX, true);
        o[i].y = span[window / 2].y;
    }
}

} // namespace VelaMath
