// Pattern boxes: corner entry, origin and orientation, shape tests, removal.

#include <gtest/gtest.h>

#include "patterns/layout.h"
#include "patterns/pattern.h"
#include "patterns/pattern_box.h"

namespace {

PatternBox* BoxOf(std::initializer_list<Point> corners, bool finish = true) {
    PatternBox* box = new PatternBox();
    for (const Point& p : corners) AddPatternBoxPoint(box, p.x, p.y, 0, 0);
    if (finish) SetPatternBoxOrigin(box);
    return box;
}

std::vector<std::pair<float, float>> CornersOf(const PatternBox* box) {
    std::vector<std::pair<float, float>> out;
    for (const BoxPoint* c = box->corners; c; c = c->next) out.emplace_back(c->x, c->y);
    return out;
}

int StoreSquarePattern(float size) {
    Pattern* p = newPattern();
    addData(p, "pX0Y0", 1);
    addData(p, "pX" + std::to_string(size) + "Y" + std::to_string(size), 1);
    int slot = GetNextPattern();
    if (!StorePattern(slot, p)) {
        erasePattern(p);
        ADD_FAILURE() << "no pattern slot";
    }
    return slot;
}

}  // namespace

TEST(PatternBoxOrigin, SquareInBothEntryOrders) {
    PatternBox* ccw = BoxOf({{0, 0}, {10, 0}, {10, 10}, {0, 10}});
    EXPECT_EQ(ccw->originX, 0);
    EXPECT_EQ(ccw->originY, 0);
    EXPECT_EQ(ccw->width, 10);
    EXPECT_EQ(ccw->height, 10);
    EXPECT_FLOAT_EQ(ccw->centerX, 5);
    EXPECT_FLOAT_EQ(ccw->centerY, 5);
    EXPECT_NEAR(ccw->angle, 180.0, 1e-3);  // interior on the counter-clockwise side

    PatternBox* cw = BoxOf({{0, 0}, {0, 10}, {10, 10}, {10, 0}});
    EXPECT_NEAR(cw->angle, 90.0, 1e-3);
    delete ccw;
    delete cw;

    // Away from the table origin the centre is still measured from the box origin.
    PatternBox* moved = BoxOf({{20, 30}, {20, 34}, {28, 34}, {28, 30}});
    EXPECT_EQ(moved->originX, 20);
    EXPECT_EQ(moved->originY, 30);
    EXPECT_FLOAT_EQ(moved->centerX, 4);
    EXPECT_FLOAT_EQ(moved->centerY, 2);
    delete moved;
}

TEST(PatternBoxOrigin, TriangleCentreIsItsCentroidOnTheTable) {
    PatternBox* tri = BoxOf({{10, 10}, {13, 19}, {16, 10}});
    EXPECT_FLOAT_EQ(tri->centerX, 13);
    EXPECT_FLOAT_EQ(tri->centerY, 13);
    EXPECT_EQ(tri->originX, 10);
    EXPECT_EQ(tri->height, 9);
    // A flat triangle has no centroid: the centre stays as it was.
    PatternBox* flat = BoxOf({{0, 0}, {5, 0}, {10, 0}}, false);
    flat->centerX = 7;
    flat->centerY = 8;
    SetPatternBoxOrigin(flat);
    EXPECT_EQ(flat->centerX, 7);
    EXPECT_EQ(flat->centerY, 8);
    delete tri;
    delete flat;
}

TEST(PatternBoxEntry, CornersAccumulateWhileEntered) {
    PatternBox box;
    EXPECT_EQ(AddPatternBoxPoint(&box, 5, 6, 0, 0), 1);
    EXPECT_EQ(box.originX, 5);
    EXPECT_EQ(box.cornerCount, 1);
    AddPatternBoxPoint(&box, 2, 9, 0, 0);
    AddPatternBoxPoint(&box, 8, 7, 0, 0);
    EXPECT_EQ(box.originX, 5);  // the first corner until the box is finished
    EXPECT_EQ(box.width, 6);
    EXPECT_EQ(box.height, 3);
    EXPECT_EQ(box.cornerCount, 3);
    EXPECT_EQ(box.corners->next->next->index, 2);
    AddPatternBoxPoint(&box, 1, 1, 1, 0);
    EXPECT_EQ(box.originX, 1);
    EXPECT_EQ(box.originY, 1);
    EXPECT_EQ(AddPatternBoxPoint(nullptr, 1, 1, 1, 1), 1);
}

TEST(PatternBoxEntry, CrossingCheck) {
    PatternBox box;
    for (Point p : {Point{0, 0}, Point{0, 10}, Point{10, 10}}) AddPatternBoxPoint(&box, p.x, p.y, 0, 1);
    // Crossing the first side, running back along the last side, and closing onto the
    // first corner are refused and change nothing.
    EXPECT_EQ(AddPatternBoxPoint(&box, -5, 5, 0, 1), 0);
    EXPECT_EQ(AddPatternBoxPoint(&box, 5, 10, 0, 1), 0);
    EXPECT_EQ(AddPatternBoxPoint(&box, 0, 0, 0, 1), 0);
    EXPECT_EQ(box.cornerCount, 3);
    EXPECT_EQ(box.width, 10);
    // Touching only the last side at the last corner is fine.
    EXPECT_EQ(AddPatternBoxPoint(&box, 10, 0, 0, 1), 1);
    EXPECT_EQ(box.cornerCount, 4);
    // Without the check anything goes.
    PatternBox loose;
    for (Point p : {Point{0, 0}, Point{0, 10}, Point{10, 10}}) AddPatternBoxPoint(&loose, p.x, p.y, 0, 0);
    EXPECT_EQ(AddPatternBoxPoint(&loose, -5, 5, 0, 0), 1);
}

TEST(PatternBoxShape, ClassificationAndClockwiseCheck) {
    PatternBox* rect = BoxOf({{0, 0}, {0, 10}, {20, 10}, {20, 0}});  // clockwise
    PatternBox* rectCcw = BoxOf({{0, 0}, {20, 0}, {20, 10}, {0, 10}});
    PatternBox* diamond = BoxOf({{0, 4}, {3.9f, 8}, {8, 3.9f}, {4, 0}});
    PatternBox* arrow = BoxOf({{0, 0}, {0, 10}, {10, 10}, {5, 5}, {10, 0}});  // reflex at (5,5)
    PatternBox* tri = BoxOf({{0, 0}, {5, 9}, {10, 0}});
    PatternBox* line = BoxOf({{0, 0}, {5, 9}});
    PatternBox* flatSide = BoxOf({{0, 0}, {0, 10}, {10, 10}, {10, 5}, {10, 0}});

    // Sides pointing along -x and -y still count as axis-parallel.
    EXPECT_EQ(GetPolygonType(rect), 1);
    EXPECT_EQ(GetPolygonType(rectCcw), 1);
    EXPECT_EQ(GetPolygonType(diamond), 2);
    EXPECT_EQ(GetPolygonType(arrow), 3);
    EXPECT_EQ(GetPolygonType(tri), 0);
    EXPECT_EQ(GetPolygonType(line), -1);
    EXPECT_EQ(GetPolygonType(nullptr), -1);
    EXPECT_EQ(IsReflex(diamond), 0);
    EXPECT_EQ(IsConvex(rectCcw), 0);

    EXPECT_EQ(CheckPatternBox(rect), 1);
    EXPECT_EQ(CheckPatternBox(diamond), 1);
    EXPECT_EQ(CheckPatternBox(tri), 1);
    EXPECT_EQ(CheckPatternBox(rectCcw), 0);
    EXPECT_EQ(CheckPatternBox(arrow), 0);
    EXPECT_EQ(CheckPatternBox(flatSide), 0);  // a straight corner is not a strict turn
    EXPECT_EQ(CheckPatternBox(line), 0);
    EXPECT_EQ(CheckPatternBox(nullptr), 0);
    PatternBox empty;
    EXPECT_EQ(CheckPatternBox(&empty), 0);
    for (PatternBox* b : {rect, rectCcw, diamond, arrow, tri, line, flatSide}) delete b;
}

TEST(PatternBoxCopy, CopyIsEqualAndIndependent) {
    PatternBox* box = BoxOf({{1, 1}, {1, 5}, {6, 5}, {6, 1}});
    PatternBox* copy = CopyPatternBox(box);
    EXPECT_EQ(CornersOf(copy), CornersOf(box));
    EXPECT_EQ(copy->cornerCount, 4);
    EXPECT_EQ(copy->originX, box->originX);
    EXPECT_EQ(copy->width, box->width);
    EXPECT_EQ(copy->angle, box->angle);
    EXPECT_EQ(copy->centerX, box->centerX);
    box->corners->x = 99;
    EXPECT_EQ(copy->corners->x, 1);
    EXPECT_EQ(CopyPatternBox(nullptr), nullptr);

    ClearPatternBox(box);
    EXPECT_EQ(box->corners, nullptr);
    EXPECT_EQ(box->cornerCount, 0);
    EXPECT_EQ(box->width, 0);
    EXPECT_EQ(box->angle, 0);
    EXPECT_FLOAT_EQ(box->centerX, 2.5f);  // the centre stays
    delete box;
    delete copy;
}

TEST(PatternBoxList, CreateFillsLowestSlotsUpToFifty) {
    InitPatternBox();
    EXPECT_EQ(currentBox, -1);
    for (int i = 0; i < MAX_PATTERN_BOXES; ++i) EXPECT_EQ(CreatePatternBox(), i);
    EXPECT_EQ(CreatePatternBox(), -1);
    EXPECT_EQ(patternBoxList->count, 50);
    currentBox = 49;
    RemovePatternBox(10);
    EXPECT_EQ(CreatePatternBox(), 49);  // compaction moved the others down
    EXPECT_EQ(GetPatternBox(50), nullptr);
    EXPECT_EQ(GetPatternBox(-1), nullptr);
    ResetLayout();
}

TEST(PatternBoxList, RemovingBoxZeroOfThreeRenumbersPlacements) {
    ResetLayout();
    int shared = StoreSquarePattern(2);
    int own = StoreSquarePattern(3);
    for (int i = 0; i < 3; ++i) {
        int slot = CreatePatternBox();
        AddPatternBoxPoint(GetPatternBox(slot), float(100 * i), 0, 0, 0);
        currentBox = slot;
        NewPatternLayoutNode(shared, -1, 0, float(i), 0);
    }
    currentBox = 0;
    NewPatternLayoutNode(own, -1, 0, 7, 7);  // only in box 0
    currentBox = 2;

    RemovePatternBox(0);
    EXPECT_EQ(patternBoxList->count, 2);
    EXPECT_EQ(GetPatternBox(0)->corners->x, 100);
    EXPECT_EQ(GetPatternBox(1)->corners->x, 200);
    EXPECT_EQ(GetPatternBox(2), nullptr);
    EXPECT_EQ(currentBox, 1);
    // Box 0's placements are gone, with the pattern only they used.
    std::vector<std::pair<float, int>> placements;
    for (LayoutNode* n = patternLayout; n; n = n->next) placements.emplace_back(n->x, n->boxIndex);
    EXPECT_EQ(placements, (std::vector<std::pair<float, int>>{{1, 0}, {2, 1}}));
    EXPECT_EQ(GetPattern(own), nullptr);
    EXPECT_NE(GetPattern(shared), nullptr);

    currentBox = 0;
    RemovePatternBox(0);
    EXPECT_EQ(currentBox, 0);
    EXPECT_EQ(patternLayout->boxIndex, 0);
    RemovePatternBox(5);  // empty slot: nothing happens
    EXPECT_EQ(patternBoxList->count, 1);
    ResetLayout();
}

TEST(PatternBoxList, NewBoxAtIndexReplacesInPlace) {
    ResetLayout();
    CreatePatternBox();
    CreatePatternBox();
    AddPatternBoxPoint(GetPatternBox(0), 1, 1, 0, 0);
    AddPatternBoxPoint(GetPatternBox(1), 2, 2, 0, 0);
    currentBox = 0;
    NewPatternLayoutNode(StoreSquarePattern(1), -1, 0, 0, 0);

    NewPatternBoxAtIndex(0);
    EXPECT_EQ(patternBoxList->count, 2);
    EXPECT_EQ(GetPatternBox(0)->cornerCount, 0);
    EXPECT_EQ(GetPatternBox(1)->corners->x, 2);
    EXPECT_EQ(patternLayout, nullptr);  // the old box's placement went with it
    EXPECT_EQ(patternList->usedCount, 0);

    NewPatternBoxAtIndex(2);  // the next free slot
    EXPECT_EQ(patternBoxList->count, 3);
    NewPatternBoxAtIndex(5);  // would leave a gap
    NewPatternBoxAtIndex(50);
    NewPatternBoxAtIndex(-1);
    EXPECT_EQ(patternBoxList->count, 3);
    EXPECT_EQ(GetPatternBox(5), nullptr);
    ResetLayout();
}

TEST(PatternBoxList, BogusExtentsSetsATrialTable) {
    ResetLayout();
    BogusExtents();
    ASSERT_NE(extents, nullptr);
    EXPECT_EQ(extents->width, 35);
    EXPECT_EQ(extents->height, 14);
    EXPECT_EQ(extents->cornerCount, 4);
    EXPECT_EQ(patternBoxList->count, 1);
    EXPECT_EQ(currentBox, 0);
    PatternBox* box = GetPatternBox(0);
    EXPECT_EQ(box->originX, 0);
    EXPECT_EQ(box->originY, 0);
    EXPECT_EQ(box->width, 8);
    EXPECT_EQ(CheckPatternBox(box), 1);
    BogusExtents();  // again: replaced, not added
    EXPECT_EQ(patternBoxList->count, 1);
    ResetLayout();
    EXPECT_EQ(extents, nullptr);
}
