// Placements of patterns in pattern boxes: the layout list and the operations on it.

#include "patterns/layout.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <new>
#include <utility>
#include <vector>

#include "base/console.h"
#include "patterns/pattern.h"
#include "patterns/pattern_box.h"

LayoutNode* patternLayout = nullptr;

namespace {

// Width and height of the pattern a node places; 0 when the slot is empty.
void PlacedSize(const LayoutNode* node, float* w, float* h) {
    const Pattern* p = GetPattern(node->patternIndex);
    *w = p ? p->width : 0.0f;
    *h = p ? p->height : 0.0f;
}

struct Rect {
    float minX = 999999.0f, minY = 999999.0f, maxX = -999999.0f, maxY = -999999.0f;
    bool empty = true;
    void Add(float x0, float y0, float x1, float y1) {
        minX = std::min(minX, x0);
        minY = std::min(minY, y0);
        maxX = std::max(maxX, x1);
        maxY = std::max(maxY, y1);
        empty = false;
    }
};

// Bounding rectangle of the placements of the current box.
Rect CurrentBoxRect(bool withSize) {
    Rect r;
    for (const LayoutNode* n = patternLayout; n; n = n->next) {
        if (n->boxIndex != currentBox) continue;
        float w = 0.0f, h = 0.0f;
        if (withSize) PlacedSize(n, &w, &h);
        r.Add(n->x, n->y, n->x + w, n->y + h);
    }
    return r;
}

}  // namespace

LayoutNode* NewPatternLayoutNode(int patternSlot, int arraySlot, int isParent, float x, float y) {
    LayoutNode* node = new (std::nothrow) LayoutNode();
    if (!node) return nullptr;
    node->patternIndex = patternSlot;
    node->arrayIndex = arraySlot;
    node->isArrayParent = isParent;
    node->x = x;
    node->y = y;
    node->origin = node;
    node->boxIndex = currentBox;
    LayoutNode** tail = &patternLayout;
    while (*tail) tail = &(*tail)->next;
    *tail = node;
    return node;
}

LayoutNode* CopyLayoutNode(const LayoutNode* node) {
    if (!node) return nullptr;
    LayoutNode* copy = new (std::nothrow) LayoutNode(*node);
    if (copy) copy->next = nullptr;
    return copy;
}

void FreeLayoutList(LayoutNode* head) {
    while (head) {
        LayoutNode* next = head->next;
        delete head;
        head = next;
    }
}

void RemoveLayoutNode(LayoutNode* node) {
    if (!node) return;
    LayoutNode** link = &patternLayout;
    while (*link && *link != node) link = &(*link)->next;
    if (!*link) return;  // not ours: a private copy or already gone
    const bool wasHead = (link == &patternLayout);
    ConsoleLine(wasHead ? "Pattern 2" : "Pattern 1");
    *link = node->next;
    const int slot = node->patternIndex;
    delete node;

    for (const LayoutNode* n = patternLayout; n; n = n->next) {
        if (n->patternIndex == slot) {
            ConsoleLine("Pattern will not be removed from list");
            return;
        }
    }
    ConsoleLine(wasHead ? "remove pattern" : "Remove pattern from list");
    ReleasePatternSlot(slot);
}

LayoutNode* GetParentNode(const LayoutNode* node) {
    if (!node) return nullptr;
    for (LayoutNode* n = patternLayout; n; n = n->next) {
        if (n->arrayIndex == node->arrayIndex && n->isArrayParent == 1) return n;
    }
    return nullptr;
}

void MoveLayoutPattern(LayoutNode* node, float dx, float dy) {
    if (!node) return;
    node->x += dx;
    node->y += dy;
}

void MoveLayoutAll(float dx, float dy) {
    for (LayoutNode* n = patternLayout; n; n = n->next) {
        if (n->boxIndex == currentBox) MoveLayoutPattern(n, dx, dy);
    }
}

void RotateLayout(const LayoutNode* node, float cx, float cy, float degrees) {
    if (!node || node->arrayIndex < 0) return;
    const int array = node->arrayIndex;
    const double a = double(degrees) * M_PI / 180.0;
    float w = 0.0f, h = 0.0f;
    PlacedSize(node, &w, &h);  // all repeats share one pattern

    std::vector<std::pair<LayoutNode*, Point>> turned;
    Rect r;
    for (LayoutNode* n = patternLayout; n; n = n->next) {
        if (n->arrayIndex != array) continue;
        double dx = double(n->x) - cx, dy = double(n->y) - cy;
        double radius = std::hypot(dx, dy), phi = std::atan2(dy, dx);
        Point p{float(cx + radius * std::cos(phi + a)), float(cy + radius * std::sin(phi + a))};
        turned.emplace_back(n, p);
        r.Add(p.x, p.y, p.x + w, p.y + h);
    }
    const float shiftX = (r.minX + r.maxX) / 2.0f - cx;
    const float shiftY = (r.minY + r.maxY) / 2.0f - cy;
    for (auto& [n, p] : turned) {
        n->x = p.x - shiftX;
        n->y = p.y - shiftY;
    }
}

void GetLayoutOrigin(Point* out) {
    if (!out) return;
    Rect r = CurrentBoxRect(false);
    *out = r.empty ? Point{0.0f, 0.0f} : Point{r.minX, r.minY};
}

void GetLayoutCenter(Point* out) {
    if (!out) return;
    Rect r = CurrentBoxRect(true);
    *out = r.empty ? Point{0.0f, 0.0f} : Point{(r.minX + r.maxX) / 2.0f, (r.minY + r.maxY) / 2.0f};
}

void GetLayoutDimensions(Point* out) {
    if (!out) return;
    Rect r = CurrentBoxRect(true);
    *out = r.empty ? Point{-1.0f, -1.0f} : Point{r.maxX - r.minX, r.maxY - r.minY};
}

LayoutNode* GetClosestPattern(int px, int py, int n, float viewScale, int panX, int panY) {
    if (n < 0) return nullptr;
    // Float arithmetic, as the view places the pattern images: 1 / 0.1f is 10, not 9.
    float baseX = 0.0f, baseY = 0.0f;
    if (const PatternBox* box = GetPatternBox(currentBox)) {
        baseX = box->originX / viewScale;
        baseY = box->originY / viewScale;
    }
    // Screen distances in whole pixels.
    std::vector<std::pair<long long, LayoutNode*>> byDistance;
    for (LayoutNode* node = patternLayout; node; node = node->next) {
        if (node->boxIndex != currentBox) continue;
        long long sx = TruncateToInt(float(TruncateToInt(node->x / viewScale)) + baseX + float(panX));
        long long sy = TruncateToInt(float(TruncateToInt(node->y / viewScale)) + baseY + float(panY));
        double dx = double(sx - px), dy = double(sy - py);
        long long d = (long long)std::sqrt(dx * dx + dy * dy);
        byDistance.emplace_back(d, node);
    }
    if (byDistance.size() <= size_t(n)) return nullptr;
    std::stable_sort(byDistance.begin(), byDistance.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    return byDistance[size_t(n)].second;
}

void ResetLayout() {
    FreeLayoutList(patternLayout);
    patternLayout = nullptr;
    NewPatternList();
    delete extents;
    extents = nullptr;
    InitPatternBox();
    InitArrays();
    hull.reset();
}
