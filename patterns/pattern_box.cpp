// Pattern boxes and the quilting extents: corner entry, origin and orientation, removal
// with compaction, and the shape tests the fitting code relies on.

#include "patterns/pattern_box.h"

#include <cmath>
#include <cstdio>
#include <vector>

#include "base/console.h"
#include "patterns/geometry.h"
#include "patterns/layout.h"

PatternBoxList* patternBoxList = nullptr;
PatternBox* extents = nullptr;
PatternBox* pbTemp = nullptr;
int currentBox = 0;

namespace {

void FreeCorners(BoxPoint* c) {
    while (c) {
        BoxPoint* next = c->next;
        delete c;
        c = next;
    }
}

std::vector<Point> CornerPoints(const PatternBox* box) {
    std::vector<Point> pts;
    if (!box) return pts;
    for (const BoxPoint* c = box->corners; c; c = c->next) pts.push_back(Point{c->x, c->y});
    return pts;
}

PatternBoxList* EnsureBoxList() {
    if (!patternBoxList) patternBoxList = new PatternBoxList();
    return patternBoxList;
}

bool ValidSlot(int slot) { return slot >= 0 && slot < MAX_PATTERN_BOXES; }

// Removes the placements of a box (which may release patterns no longer used).
void RemovePlacementsOfBox(int slot) {
    LayoutNode* n = patternLayout;
    while (n) {
        LayoutNode* next = n->next;
        if (n->boxIndex == slot) RemoveLayoutNode(n);
        n = next;
    }
}

// Whether the new side from the last corner to (x, y) is acceptable: it may touch only the
// side that ends at the last corner, and only there, without running back along it.
bool SideIsClear(const PatternBox* box, Point p) {
    const BoxPoint* last = box->corners;
    while (last->next) last = last->next;
    Point l{last->x, last->y};
    for (const BoxPoint* c = box->corners; c && c->next; c = c->next) {
        Point a{c->x, c->y}, b{c->next->x, c->next->y};
        if (!Intersect(a, b, l, p)) continue;
        if (!Collinear(a, b, l)) return false;
        if (Collinear(a, b, p)) return false;
    }
    return true;
}

}  // namespace

PatternBox::~PatternBox() { FreeCorners(corners); }

PatternBoxList::~PatternBoxList() {
    for (PatternBox*& b : boxes) {
        delete b;
        b = nullptr;
    }
}

void FreePatternBox(PatternBox* box) { delete box; }

PatternBox* GetPatternBox(int slot) {
    if (!patternBoxList || !ValidSlot(slot)) return nullptr;
    return patternBoxList->boxes[slot];
}

PatternBoxList* InitPatternBox() {
    if (pbTemp)
        ClearPatternBox(pbTemp);
    else
        pbTemp = new PatternBox();
    delete patternBoxList;
    patternBoxList = new PatternBoxList();
    currentBox = -1;
    return patternBoxList;
}

int CreatePatternBox() {
    PatternBoxList* list = EnsureBoxList();
    for (int slot = 0; slot < MAX_PATTERN_BOXES; ++slot) {
        if (!list->boxes[slot]) {
            list->boxes[slot] = new PatternBox();
            list->count++;
            return slot;
        }
    }
    return -1;
}

void NewPatternBoxAtIndex(int slot) {
    if (!ValidSlot(slot)) {
        ConsolePrintf("Pattern box slot %d out of range\n", slot);
        return;
    }
    PatternBoxList* list = EnsureBoxList();
    if (list->boxes[slot]) {
        RemovePlacementsOfBox(slot);
        delete list->boxes[slot];
        list->boxes[slot] = new PatternBox();
        return;
    }
    for (int below = 0; below < slot; ++below) {
        if (!list->boxes[below]) {
            ConsolePrintf("Pattern box slot %d would leave a gap\n", slot);
            return;
        }
    }
    list->boxes[slot] = new PatternBox();
    list->count++;
}

int AddPatternBoxPoint(PatternBox* box, float x, float y, int setOrigin, int checkCrossing) {
    if (!box) return 1;
    if (checkCrossing && box->cornerCount >= 3 && box->corners && !SideIsClear(box, Point{x, y}))
        return 0;

    if (setOrigin) {
        box->originX = x;
        box->originY = y;
    }
    BoxPoint* corner = new BoxPoint();
    corner->x = x;
    corner->y = y;
    if (!box->corners) {
        box->corners = corner;
        box->originX = x;
        box->originY = y;
        box->width = 0.0f;
        box->height = 0.0f;
        box->cornerCount = 1;
        return 1;
    }
    BoxPoint* last = box->corners;
    while (last->next) last = last->next;
    corner->index = last->index + 1;
    last->next = corner;

    float minX = 99999.0f, minY = 99999.0f, maxX = -99999.0f, maxY = -99999.0f;
    for (const BoxPoint* c = box->corners; c; c = c->next) {
        minX = std::fmin(minX, c->x);
        maxX = std::fmax(maxX, c->x);
        minY = std::fmin(minY, c->y);
        maxY = std::fmax(maxY, c->y);
    }
    box->width = maxX - minX;
    box->height = maxY - minY;
    box->cornerCount++;
    return 1;
}

void SetPatternBoxOrigin(PatternBox* box) {
    if (!box || !box->corners) return;
    std::vector<Point> c = CornerPoints(box);

    float minX = 99999.0f, minY = 99999.0f, maxX = -99999.0f, maxY = -99999.0f;
    for (const Point& p : c) {
        minX = std::fmin(minX, p.x);
        maxX = std::fmax(maxX, p.x);
        minY = std::fmin(minY, p.y);
        maxY = std::fmax(maxY, p.y);
    }
    box->originX = minX;
    box->originY = minY;
    box->width = maxX - minX;
    box->height = maxY - minY;

    // Direction of the first side. Kept in float: the orthogonality test and the stored
    // angle depend on float pi landing just above 180 degrees rather than just below.
    float theta = 0.0f;
    if (c.size() >= 2) theta = std::atan2(c[1].y - c[0].y, c[1].x - c[0].x);

    if (c.size() >= 4) {
        box->centerX = ((minX - box->originX) + (maxX - box->originX)) / 2.0f;
        box->centerY = ((minY - box->originY) + (maxY - box->originY)) / 2.0f;
    } else if (c.size() == 3) {
        // Intersection of the median from corner 0 with the median from corner 2.
        double m12x = (double(c[1].x) + c[2].x) / 2, m12y = (double(c[1].y) + c[2].y) / 2;
        double m01x = (double(c[0].x) + c[1].x) / 2, m01y = (double(c[0].y) + c[1].y) / 2;
        double d1x = m12x - c[0].x, d1y = m12y - c[0].y;
        double d2x = m01x - c[2].x, d2y = m01y - c[2].y;
        double det = d1x * d2y - d1y * d2x;
        if (det != 0.0) {  // parallel medians: a degenerate triangle keeps its centre
            double t = ((double(c[2].x) - c[0].x) * d2y - (double(c[2].y) - c[0].y) * d2x) / det;
            box->centerX = float(c[0].x + t * d1x);
            box->centerY = float(c[0].y + t * d1y);
        }
    }

    // A point just counter-clockwise of the first side, half way along it: when it is
    // inside, the interior lies on that side and the box is turned round.
    if (c.size() >= 2) {
        float half = std::hypot(c[1].x - c[0].x, c[1].y - c[0].y) / 2.0f;
        float probeDir = theta + 0.017453292f;
        Point probe{c[0].x + half * std::cos(probeDir), c[0].y + half * std::sin(probeDir)};
        if (PointInPolygon(box->corners, probe)) {
            theta += 3.141592654f;
            if (theta > 6.283185307f) theta -= 6.283185307f;
        }
    }
    box->angle = theta * 57.29577951f;
}

void ClearPatternBox(PatternBox* box) {
    if (!box) return;
    FreeCorners(box->corners);
    box->corners = nullptr;
    box->originX = box->originY = 0.0f;
    box->width = box->height = 0.0f;
    box->angle = 0.0f;
    box->cornerCount = 0;
}

PatternBox* CopyPatternBox(const PatternBox* box) {
    if (!box) return nullptr;
    PatternBox* copy = new PatternBox();
    copy->originX = box->originX;
    copy->originY = box->originY;
    copy->width = box->width;
    copy->height = box->height;
    copy->angle = box->angle;
    copy->centerX = box->centerX;
    copy->centerY = box->centerY;
    BoxPoint** tail = &copy->corners;
    for (const BoxPoint* c = box->corners; c; c = c->next) {
        BoxPoint* n = new BoxPoint();
        n->index = copy->cornerCount;
        n->x = c->x;
        n->y = c->y;
        *tail = n;
        tail = &n->next;
        copy->cornerCount++;
    }
    return copy;
}

void RemovePatternBox(int slot) {
    if (!ValidSlot(slot) || !patternBoxList || !patternBoxList->boxes[slot]) return;
    PatternBoxList* list = patternBoxList;
    delete list->boxes[slot];
    list->boxes[slot] = nullptr;
    list->count--;
    RemovePlacementsOfBox(slot);

    for (int empty = 0; empty < MAX_PATTERN_BOXES; ++empty) {
        if (list->boxes[empty]) continue;
        int from = empty + 1;
        while (from < MAX_PATTERN_BOXES && !list->boxes[from]) ++from;
        if (from >= MAX_PATTERN_BOXES) break;
        list->boxes[empty] = list->boxes[from];
        list->boxes[from] = nullptr;
        for (LayoutNode* n = patternLayout; n; n = n->next) {
            if (n->boxIndex == from) n->boxIndex = empty;
        }
    }
    if (currentBox > 0) currentBox--;
    else currentBox = 0;
}

namespace {

// Every cyclic triple (corner i, i+1, i+2) turns strictly clockwise.
bool AllTurnsClockwise(const std::vector<Point>& c) {
    const size_t n = c.size();
    for (size_t i = 0; i < n; ++i) {
        if (!Left(c[i], c[(i + 1) % n], c[(i + 2) % n])) return false;
    }
    return true;
}

}  // namespace

int CheckPatternBox(const PatternBox* box) {
    std::vector<Point> c = CornerPoints(box);
    if (c.size() < 3) return 0;
    // The triple (previous, corner, next) for every corner is the same set of turns as
    // (corner i, i+1, i+2) taken cyclically.
    return AllTurnsClockwise(c) ? 1 : 0;
}

int IsOrthogonal(const PatternBox* box) {
    std::vector<Point> c = CornerPoints(box);
    if (c.size() != 4) return 0;
    for (size_t i = 0; i < 4; ++i) {
        const Point& a = c[i];
        const Point& b = c[(i + 1) % 4];
        float rad = std::atan2(b.y - a.y, b.x - a.x);
        int deg = TruncateToInt(double(rad) * 57.29577951);
        if (deg % 90 != 0) return 0;
    }
    return 1;
}

int IsConvex(const PatternBox* box) {
    std::vector<Point> c = CornerPoints(box);
    return (c.size() > 3 && AllTurnsClockwise(c)) ? 1 : 0;
}

int IsReflex(const PatternBox* box) {
    std::vector<Point> c = CornerPoints(box);
    return (c.size() > 3 && !AllTurnsClockwise(c)) ? 1 : 0;
}

int GetPolygonType(const PatternBox* box) {
    ConsoleLine("Get Polygon Type");
    if (box && box->cornerCount == 3 && CornerPoints(box).size() == 3) {
        ConsoleLine("Set Triangle Autobox");
        return 0;
    }
    if (IsOrthogonal(box)) {
        ConsoleLine("Set Orthogonal Autobox");
        return 1;
    }
    if (IsConvex(box)) {
        ConsoleLine("Set Convex Autobox");
        return 2;
    }
    if (IsReflex(box)) {
        ConsoleLine("Set Reflex Autobox");
        return 3;
    }
    ConsoleLine("Invalid Patternbox");
    return -1;
}

void BogusExtents() {
    delete extents;
    extents = new PatternBox();
    AddPatternBoxPoint(extents, 0.0f, 0.0f, 1, 0);
    AddPatternBoxPoint(extents, 35.0f, 0.0f, 0, 0);
    AddPatternBoxPoint(extents, 35.0f, 14.0f, 0, 0);
    AddPatternBoxPoint(extents, 0.0f, 14.0f, 0, 0);
    SetPatternBoxOrigin(extents);

    NewPatternBoxAtIndex(0);
    PatternBox* box = GetPatternBox(0);
    AddPatternBoxPoint(box, 0.0f, 4.0f, 1, 0);
    AddPatternBoxPoint(box, 3.9f, 8.0f, 0, 0);
    AddPatternBoxPoint(box, 8.0f, 3.9f, 0, 0);
    AddPatternBoxPoint(box, 4.0f, 0.0f, 0, 0);
    SetPatternBoxOrigin(box);
    currentBox = 0;
}
