// Centring placements in a pattern box.

#include "patterns/auto_center.h"

#include <algorithm>
#include <cmath>

#include "base/settings.h"
#include "patterns/box_margin.h"
#include "patterns/layout.h"
#include "patterns/pattern.h"
#include "patterns/pattern_box.h"

namespace {

// Twice the signed area; 0 for corners that are all in line.
double DoubleArea(const PointArray& polygon)
{
    double sum = 0.0;
    for (size_t i = 0; i < polygon.size(); ++i) {
        const PolyPoint& a = polygon[i];
        const PolyPoint& b = polygon[(i + 1) % polygon.size()];
        sum += double(a.x) * b.y - double(b.x) * a.y;
    }
    return sum;
}

// Where the centre of the moved placements should go, relative to the box origin.
bool CentringTarget(const PatternBox* box, Point* target)
{
    const int type = GetPolygonType(box);
    if (type < 0)
        return false;
    PointArray polygon = BoxPolygon(box);
    if (std::fabs(DoubleArea(polygon)) < 1e-6)
        return false;  // a box without an inside has no middle
    if (type == 0 && xMargin != 0.0f)
        AdjustForMargin(&polygon);
    return BoxTargetCentre(polygon, 0, target);
}

void MoveBy(const Point& target, const Point& current, int centreX, int centreY,
            const LayoutNode* node)
{
    const float dx = centreX ? target.x - current.x : 0.0f;
    const float dy = centreY ? target.y - current.y : 0.0f;
    if (!std::isfinite(dx) || !std::isfinite(dy))
        return;
    if (node == nullptr) {
        MoveLayoutAll(dx, dy);
        return;
    }
    for (LayoutNode* n = patternLayout; n != nullptr; n = n->next) {
        const bool member = node->arrayIndex >= 0 ? n->arrayIndex == node->arrayIndex : n == node;
        if (member)
            MoveLayoutPattern(n, dx, dy);
    }
}

}  // namespace

void AutoCenter(int centreX, int centreY)
{
    bool any = false;
    for (const LayoutNode* n = patternLayout; n != nullptr && !any; n = n->next)
        any = n->boxIndex == currentBox;
    Point target;
    if (!any || !CentringTarget(GetPatternBox(currentBox), &target))
        return;
    Point current;
    GetLayoutCenter(&current);
    MoveBy(target, current, centreX, centreY, nullptr);
}

void AutoCenterPattern(const LayoutNode* node, int centreX, int centreY)
{
    if (node == nullptr)
        return;
    const Pattern* pattern = GetPattern(node->patternIndex);
    Point target;
    if (pattern == nullptr || !CentringTarget(GetPatternBox(node->boxIndex), &target))
        return;
    float minX = 0, minY = 0, maxX = 0, maxY = 0;
    bool first = true;
    for (const LayoutNode* n = patternLayout; n != nullptr; n = n->next) {
        const bool member = node->arrayIndex >= 0 ? n->arrayIndex == node->arrayIndex : n == node;
        if (!member)
            continue;
        minX = first ? n->x : std::min(minX, n->x);
        minY = first ? n->y : std::min(minY, n->y);
        maxX = first ? n->x + pattern->width : std::max(maxX, n->x + pattern->width);
        maxY = first ? n->y + pattern->height : std::max(maxY, n->y + pattern->height);
        first = false;
    }
    if (first)
        return;  // the node is not in the layout
    MoveBy(target, Point{(minX + maxX) / 2.0f, (minY + maxY) / 2.0f}, centreX, centreY, node);
}
