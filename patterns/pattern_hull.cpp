// Convex hulls of placed patterns, for fitting and scaling.

#include "patterns/geometry.h"

#include "patterns/layout.h"
#include "patterns/pattern.h"

namespace {

void AppendPattern(PointArray& out, const Pattern* pattern, float dx, float dy) {
    for (int i = 0; i < pattern->pointCount; ++i) {
        PolyPoint v;
        v.x = pattern->pointX[i] + dx;
        v.y = pattern->pointY[i] + dy;
        v.index = int(out.size());
        out.push_back(v);
    }
}

}  // namespace

PointArray ConvexHull(const Pattern* pattern, float dx, float dy) {
    if (!pattern) return PointArray();
    PointArray pts;
    AppendPattern(pts, pattern, dx, dy);
    // The second pass removes points the first left on nearly straight runs.
    return Hull(Hull(std::move(pts)));
}

PointArray ConvexHullOfArray(const LayoutNode* node) {
    if (!node) return PointArray();
    const Pattern* pattern = GetPattern(node->patternIndex);
    if (!pattern) return PointArray();
    PointArray pts;
    if (node->arrayIndex < 0) {
        AppendPattern(pts, pattern, node->x, node->y);
    } else {
        for (const LayoutNode* n = patternLayout; n; n = n->next) {
            if (n->arrayIndex == node->arrayIndex) AppendPattern(pts, pattern, n->x, n->y);
        }
    }
    return Hull(Hull(std::move(pts)));
}
