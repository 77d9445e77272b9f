#include "support/small_layouts.h"

#include <utility>

#include "patterns/layout.h"
#include "patterns/pattern.h"
#include "patterns/pattern_box.h"

void AreaWithOneBox()
{
    ResetLayout();
    extents = new PatternBox();
    for (auto [x, y] : {std::pair{0, 0}, {40, 0}, {40, 20}, {0, 20}})
        AddPatternBoxPoint(extents, x, y, x + y == 0, 0);
    SetPatternBoxOrigin(extents);
    currentBox = CreatePatternBox();
    for (auto [x, y] : {std::pair{5, 13}, {15, 13}, {15, 5}, {5, 5}})
        AddPatternBoxPoint(GetPatternBox(currentBox), x, y, x == 5 && y == 13, 0);
    SetPatternBoxOrigin(GetPatternBox(currentBox));
}

LayoutNode* AreaBoxAndOnePlacement()
{
    AreaWithOneBox();
    Pattern* p = newPattern();
    addData(p, "p X1 Y1", 1);
    addData(p, "p X3 Y2", 1);
    StorePattern(0, p);
    return NewPatternLayoutNode(0, -1, 0, 2.5f, 1.5f);
}

int PlacementCount()
{
    int n = 0;
    for (const LayoutNode* node = patternLayout; node != nullptr; node = node->next)
        ++n;
    return n;
}
