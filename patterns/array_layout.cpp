// Repeat and autofill's layout: placements of one pattern in a grid.

#include "patterns/array_layout.h"

#include <cmath>
#include <cstdio>

#include "base/console.h"
#include "base/interface.h"
#include "base/settings.h"
#include "base/ui_hooks.h"
#include "patterns/layout.h"
#include "patterns/pattern.h"
#include "patterns/pattern_box.h"

namespace {

constexpr double kDegreesToRadians = 0.017453292519943295;

bool InLayout(const LayoutNode* node)
{
    for (const LayoutNode* n = patternLayout; n != nullptr; n = n->next)
        if (n == node)
            return true;
    return false;
}

// Removes every placement of `array` but `keep`.
void RemoveCopies(int array, const LayoutNode* keep)
{
    for (LayoutNode* n = patternLayout; n != nullptr;) {
        LayoutNode* next = n->next;
        if (n != keep && n->arrayIndex == array)
            RemoveLayoutNode(n);
        n = next;
    }
}

// Adds the copy of grid cell (row, column) of the parent's pattern.
void AddCopy(const LayoutNode* parent, const Pattern* p, int row, int column,
             float spacingDown, float spacingAcross)
{
    const double x0 = parent->x, y0 = parent->y;
    double x, y;
    if (p->rotation == 0) {
        x = x0 + column * (double(p->width) + spacingAcross);
        y = y0 + row * (double(p->height) + spacingDown);
    } else {
        // The grid is laid out unturned from the base size, then turned about the parent's
        // corner. A point on the corner's own row or column is nudged off it so that its
        // direction from the corner is defined.
        x = x0 + column * (double(p->baseWidth) + spacingAcross);
        y = y0 + row * (double(p->baseHeight) + spacingDown);
        if (float(x) == float(x0))
            x += 0.001;
        if (float(y) == float(y0))
            y += 0.001;
        const double dx = x - x0, dy = y - y0;
        const double d = std::sqrt(dx * dx + dy * dy);
        const double a = std::atan2(dy, dx) + p->rotation * kDegreesToRadians;
        x = x0 + d * std::cos(a);
        y = y0 + d * std::sin(a);
    }
    LayoutNode* copy = NewPatternLayoutNode(parent->patternIndex, parent->arrayIndex, 0,
                                            float(x), float(y));
    if (copy != nullptr)
        copy->boxIndex = parent->boxIndex;
}

void AddGrid(const LayoutNode* parent, const Pattern* p, int down, float spacingDown,
             int across, float spacingAcross)
{
    for (int i = 0; i < down; ++i)
        for (int j = 0; j < across; ++j)
            if (i != 0 || j != 0)
                AddCopy(parent, p, i, j, spacingDown, spacingAcross);
}

bool SpacingInRange(float s)
{
    return std::isfinite(s) && s >= -kRepeatMaxSpacing && s <= kRepeatMaxSpacing;
}

}  // namespace

LayoutNode* RepeatTarget(LayoutNode* node)
{
    if (node == nullptr)
        return nullptr;
    if (node->arrayIndex >= 0 && GetArrayNode(node->arrayIndex) == nullptr) {
        node->arrayIndex = -1;
        node->isArrayParent = 0;
    }
    if (node->arrayIndex >= 0 && node->isArrayParent != 1) {
        LayoutNode* parent = GetParentNode(node);
        if (parent != nullptr)
            return parent;
        // An array without a parent: this copy stands for it (ApplyRepeat makes it the parent).
    }
    return node;
}

RepeatValues RepeatStartValues(LayoutNode* node)
{
    RepeatValues v;
    const LayoutNode* target = RepeatTarget(node);
    const ArrayNode* a = target != nullptr ? GetArrayNode(target->arrayIndex) : nullptr;
    if (a != nullptr) {
        v.down = a->rows;
        v.spacingDown = a->spacingDown;
        v.across = a->columns;
        v.spacingAcross = a->spacingAcross;
    }
    return v;
}

int ApplyRepeat(LayoutNode* node, int down, float spacingDown, int across, float spacingAcross)
{
    if (node == nullptr || !InLayout(node) || down < kRepeatMinCount || down > kRepeatMaxCount ||
        across < kRepeatMinCount || across > kRepeatMaxCount || !SpacingInRange(spacingDown) ||
        !SpacingInRange(spacingAcross))
        return REPEAT_REFUSED;
    LayoutNode* parent = RepeatTarget(node);
    const Pattern* p = GetPattern(parent->patternIndex);
    if (p == nullptr)
        return REPEAT_REFUSED;
    interface_.selectedNode = parent;
    if (parent->arrayIndex >= 0)
        RemoveCopies(parent->arrayIndex, parent);

    const bool single = down == 1 && across == 1;
    if (parent->arrayIndex >= 0) {
        SetArrayNode(parent->arrayIndex, down, spacingDown, across, spacingAcross);
    } else if (!single) {
        const int slot = NewArrayNode(down, spacingDown, across, spacingAcross);
        if (slot < 0) {
            UiShowMessage(MSG_ERROR, BUTTONS_OK, kCouldNotAddArray);
            return REPEAT_NO_SLOT;
        }
        parent->arrayIndex = slot;
    }
    if (single) {
        RemoveArrayNode(parent->arrayIndex);
        parent->arrayIndex = -1;
        parent->isArrayParent = 0;
        return REPEAT_DONE;
    }
    parent->isArrayParent = 1;
    AddGrid(parent, p, down, spacingDown, across, spacingAcross);
    return REPEAT_DONE;
}

int AutofillCounts(const LayoutNode* node, int* across, int* down)
{
    const Pattern* p = node != nullptr ? GetPattern(node->patternIndex) : nullptr;
    const PatternBox* box = GetPatternBox(currentBox);
    if (p == nullptr || box == nullptr)
        return 0;
    const double bw = double(box->width) - xMargin, bh = double(box->height) - yMargin;
    const double w = p->width, h = p->height;
    // A pattern without width or height would fit without end: refused, never divided by.
    if (!(w > 0) || !(h > 0) || !std::isfinite(bw) || !std::isfinite(bh) || w > bw || h > bh ||
        bw <= -1 || bh <= -1)
        return 0;
    const double a = std::floor(bw / w), d = std::floor(bh / h);
    if (a < 2 && d < 2)
        return 0;
    *across = int(std::fmin(a, kRepeatMaxCount));
    *down = int(std::fmin(d, kRepeatMaxCount));
    return 1;
}

int AutofillLayout(LayoutNode* node, int* stretch)
{
    if (node == nullptr || !InLayout(node) || GetPattern(node->patternIndex) == nullptr ||
        GetPatternBox(currentBox) == nullptr)
        return AUTOFILL_NOTHING;
    if (node->arrayIndex >= 0) {
        UiShowMessage(MSG_ERROR, BUTTONS_OK, "YOU MAY NOT AUTOFILL AN ARRAYED PATTERN");
        return AUTOFILL_ARRAYED;
    }
    int across = 0, down = 0;
    if (!AutofillCounts(node, &across, &down)) {
        UiShowMessage(MSG_INFO, BUTTONS_OK, kCannotArray);
        return AUTOFILL_NO_FIT;
    }
    const int answer = UiShowMessagePlus(MSG_QUESTION, BUTTONS_YES_NO,
                                         "KEEP PATTERN PROPORTIONS ON AUTOSCALE?", "gtk-cancel",
                                         RESPONSE_CANCEL);
    if (answer != RESPONSE_YES && answer != RESPONSE_NO) {
        ConsolePrintf("Autofill cancelled\n");
        return AUTOFILL_CANCELLED;
    }
    *stretch = answer == RESPONSE_YES ? 0 : 1;

    // The record first: when the table is full the placement stays where it was.
    const int slot = NewArrayNode(down, 0.0f, across, 0.0f);
    if (slot < 0) {
        UiShowMessage(MSG_ERROR, BUTTONS_OK, kCouldNotCreateArray);
        return AUTOFILL_NO_SLOT;
    }
    const Pattern* p = GetPattern(node->patternIndex);
    node->x = xMargin;
    node->y = yMargin;
    node->arrayIndex = slot;
    node->isArrayParent = 1;
    for (int i = 0; i < down; ++i)
        for (int j = 0; j < across; ++j) {
            if (i == 0 && j == 0)
                continue;
            LayoutNode* copy = NewPatternLayoutNode(
                node->patternIndex, slot, 0, float(double(j) * p->width + xMargin),
                float(double(i) * p->height + yMargin));
            if (copy != nullptr)
                copy->boxIndex = node->boxIndex;
        }
    return AUTOFILL_LAID_OUT;
}
