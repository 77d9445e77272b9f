// Turning, mirroring, reversing and stretching patterns, and turning placements.

#include "patterns/transform.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "base/message_windows.h"
#include "patterns/layout.h"
#include "patterns/pattern.h"

namespace {

bool HasPoints(const Pattern* pattern)
{
    return pattern != nullptr && pattern->pointCount > 0 &&
           pattern->pointX.size() >= size_t(pattern->pointCount) &&
           pattern->pointY.size() >= size_t(pattern->pointCount);
}

void RedrawThumbnail(Pattern* pattern)
{
    if (patternThumbnailHook == nullptr)
        return;
    if (pattern->thumbnail != nullptr)
        g_object_unref(pattern->thumbnail);
    pattern->thumbnail = patternThumbnailHook(pattern);
}

// cos and sin of a turn; quarter turns are exact so that repeating them never drifts.
std::pair<double, double> TurnFactors(double degrees)
{
    double a = std::fmod(degrees, 360.0);
    if (a < 0)
        a += 360.0;
    if (a == 0.0)
        return {1.0, 0.0};
    if (a == 90.0)
        return {0.0, 1.0};
    if (a == 180.0)
        return {-1.0, 0.0};
    if (a == 270.0)
        return {0.0, -1.0};
    const double r = a * M_PI / 180.0;
    return {std::cos(r), std::sin(r)};
}

}  // namespace

std::optional<Point> RotatePattern(Pattern* pattern, float degrees)
{
    if (!HasPoints(pattern) || !std::isfinite(degrees))
        return std::nullopt;
    UpdatePatternSize(pattern);
    const double oldW = pattern->width, oldH = pattern->height;
    const double cx = pattern->minX + oldW / 2.0, cy = pattern->minY + oldH / 2.0;
    const auto [c, s] = TurnFactors(degrees);

    const int n = pattern->pointCount;
    std::vector<double> xs(static_cast<size_t>(n)), ys(static_cast<size_t>(n));
    double minX = 9999.9, minY = 9999.9, maxX = -9999.9, maxY = -9999.9;
    for (int i = 0; i < n; ++i) {
        const double dx = double(pattern->pointX[i]) - cx, dy = double(pattern->pointY[i]) - cy;
        const double x = cx + dx * c - dy * s, y = cy + dx * s + dy * c;
        xs[size_t(i)] = x;
        ys[size_t(i)] = y;
        if (i == 0) {
            minX = maxX = x;
            minY = maxY = y;
        } else {
            minX = std::min(minX, x);
            maxX = std::max(maxX, x);
            minY = std::min(minY, y);
            maxY = std::max(maxY, y);
        }
    }
    for (int i = 0; i < n; ++i) {
        pattern->pointX[i] = float(xs[size_t(i)] - minX);
        pattern->pointY[i] = float(ys[size_t(i)] - minY);
    }
    pattern->minX = float(minX);
    pattern->minY = float(minY);
    pattern->maxX = float(maxX);
    pattern->maxY = float(maxY);
    pattern->width = float(maxX - minX);
    pattern->height = float(maxY - minY);
    return Point{float(oldW / 2.0 - (maxX - minX) / 2.0), float(oldH / 2.0 - (maxY - minY) / 2.0)};
}

void mirrorPattern(Pattern* pattern, int mirrorX, int mirrorY)
{
    if (!HasPoints(pattern))
        return;
    UpdatePatternSize(pattern);
    const float sumX = pattern->minX + pattern->maxX, sumY = pattern->minY + pattern->maxY;
    for (int i = 0; i < pattern->pointCount; ++i) {
        if (mirrorX)
            pattern->pointX[i] = sumX - pattern->pointX[i];
        if (mirrorY)
            pattern->pointY[i] = sumY - pattern->pointY[i];
    }
    RedrawThumbnail(pattern);
}

int StretchAllowed(const Pattern* pattern, int axis, double factor)
{
    if (!HasPoints(pattern) || (axis != 'x' && axis != 'y') || !std::isfinite(factor) ||
        !(factor > 0.0))
        return 0;
    const std::vector<float>& v = axis == 'x' ? pattern->pointX : pattern->pointY;
    const auto [lo, hi] = std::minmax_element(v.begin(), v.begin() + pattern->pointCount);
    const double limit = kPatternCoordinateMax;
    const double newLo = double(*lo) * factor, newHi = double(*hi) * factor;
    return std::fabs(newLo) <= limit && std::fabs(newHi) <= limit && newHi - newLo <= limit;
}

float stretchPattern(Pattern* pattern, int axis, double factor, StatusWindow* status)
{
    if (!StretchAllowed(pattern, axis, factor))
        return 0.0f;
    UpdatePatternSize(pattern);
    const bool inX = axis == 'x';
    std::vector<float>& v = inX ? pattern->pointX : pattern->pointY;
    const float oldSize = inX ? pattern->width : pattern->height;
    float lo = 9999.9f, hi = -9999.9f;
    for (int i = 0; i < pattern->pointCount; ++i) {
        v[size_t(i)] = float(double(v[size_t(i)]) * factor);
        lo = i == 0 ? v[size_t(i)] : std::min(lo, v[size_t(i)]);
        hi = i == 0 ? v[size_t(i)] : std::max(hi, v[size_t(i)]);
        if (status != nullptr && ++status->count % 500 == 0)
            UpdateStatusWindow(status, status->count);
    }
    const float newSize = hi - lo;
    if (inX) {
        pattern->minX = lo;
        pattern->maxX = hi;
        pattern->width = newSize;
        pattern->baseWidth = float(double(pattern->baseWidth) * factor);
    } else {
        pattern->minY = lo;
        pattern->maxY = hi;
        pattern->height = newSize;
        pattern->baseHeight = float(double(pattern->baseHeight) * factor);
    }
    return (newSize - oldSize) / 2.0f;
}

void ReversePattern(Pattern* pattern)
{
    if (!HasPoints(pattern))
        return;
    const int n = pattern->pointCount;
    std::reverse(pattern->pointX.begin(), pattern->pointX.begin() + n);
    std::reverse(pattern->pointY.begin(), pattern->pointY.begin() + n);
    // A command before point k stands between points k-1 and k; those become n-k+2 and
    // n-k+1, so it now stands before point n-k+2. An entity that began at k now ends there.
    const int count = std::min<int>(pattern->commandCount, int(pattern->commandType.size()));
    for (int c = 0; c < count; ++c) {
        const int k = std::clamp(pattern->commandPoint[size_t(c)], 1, n + 1);
        pattern->commandPoint[size_t(c)] = n - k + 2;
        CommandKind& kind = pattern->commandType[size_t(c)];
        if (kind == CommandKind::EntityStart)
            kind = CommandKind::EntityEnd;
        else if (kind == CommandKind::EntityEnd)
            kind = CommandKind::EntityStart;
    }
    std::reverse(pattern->commandType.begin(), pattern->commandType.begin() + count);
    std::reverse(pattern->commandPoint.begin(), pattern->commandPoint.begin() + count);
}

int TurnPlacement(LayoutNode* node, float degrees)
{
    if (node == nullptr)
        return 0;
    Pattern* pattern = GetPattern(node->patternIndex);
    if (!HasPoints(pattern))
        return 0;
    UpdatePatternSize(pattern);
    float cx = pattern->width / 2.0f, cy = pattern->height / 2.0f;
    if (node->arrayIndex >= 0) {
        float minX = 0, minY = 0, maxX = 0, maxY = 0;
        bool first = true;
        for (const LayoutNode* n = patternLayout; n != nullptr; n = n->next) {
            if (n->arrayIndex != node->arrayIndex)
                continue;
            const float x1 = n->x + pattern->width, y1 = n->y + pattern->height;
            minX = first ? n->x : std::min(minX, n->x);
            minY = first ? n->y : std::min(minY, n->y);
            maxX = first ? x1 : std::max(maxX, x1);
            maxY = first ? y1 : std::max(maxY, y1);
            first = false;
        }
        cx = (minX + maxX) / 2.0f;
        cy = (minY + maxY) / 2.0f;
    }
    const std::optional<Point> shift = RotatePattern(pattern, degrees);
    if (!shift)
        return 0;
    UpdatePatternSize(pattern);
    if (node->arrayIndex < 0)
        MoveLayoutPattern(node, shift->x, shift->y);
    RotateLayout(node, cx, cy, degrees);
    return 1;
}

int WrapRotation(double degrees)
{
    if (!std::isfinite(degrees))
        return 0;
    double whole = std::fmod(std::trunc(degrees), 360.0);
    if (whole < 0)
        whole += 360.0;
    return int(whole);
}
