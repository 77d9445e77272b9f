#pragma once
// Small layouts for the view tests: patterns made from point lists, square boxes.

#include <initializer_list>
#include <string>
#include <utility>

#include "patterns/layout.h"
#include "patterns/pattern.h"
#include "patterns/pattern_box.h"

namespace view_test {

// A pattern from pattern-file lines ("pX1Y2", "c s", ...), stored in the next slot; the
// bounding box is brought up to date as RefreshPatternPix would. Returns the slot.
inline int AddPattern(std::initializer_list<const char*> lines)
{
    Pattern* p = newPattern();
    for (const char* line : lines) addData(p, line, 1);
    UpdatePatternSize(p);
    const int slot = GetNextPattern();
    StorePattern(slot, p);
    return slot;
}

// A rectangular box with its first corner at (x, y), entered clockwise on the screen
// (y grows downwards), made current. Returns the slot.
inline int AddBox(float x, float y, float w, float h)
{
    const int slot = CreatePatternBox();
    PatternBox* box = GetPatternBox(slot);
    AddPatternBoxPoint(box, x, y, 1, 0);
    AddPatternBoxPoint(box, x + w, y, 0, 0);
    AddPatternBoxPoint(box, x + w, y + h, 0, 0);
    AddPatternBoxPoint(box, x, y + h, 0, 0);
    SetPatternBoxOrigin(box);
    currentBox = slot;
    return slot;
}

}  // namespace view_test
