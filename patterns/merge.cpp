// Merging an array into one pattern.

#include "patterns/merge.h"

#include <cmath>
#include <cstdio>
#include <vector>

#include "base/console.h"
#include "base/interface.h"
#include "base/message_windows.h"
#include "patterns/layout.h"
#include "patterns/pattern.h"

int mergePatternsActive = 0;

namespace {

bool InLayout(const LayoutNode* node)
{
    for (const LayoutNode* n = patternLayout; n != nullptr; n = n->next)
        if (n == node)
            return true;
    return false;
}

void AddLine(Pattern* pattern, const char* text) { addData(pattern, text, 1); }

void AddPointLine(Pattern* pattern, double x, double y)
{
    char line[96];
    std::snprintf(line, sizeof line, "p X%0.3f Y%0.3f\n", x, y);
    addData(pattern, line, 1);
}

// Stroke starts of the source, by the 0-based point they stand before.
std::vector<char> StrokeStarts(const Pattern* source)
{
    std::vector<char> starts(size_t(source->pointCount), 0);
    for (size_t c = 0; c < source->commandType.size() && c < source->commandPoint.size(); ++c) {
        const int before = source->commandPoint[c] - 1;
        if (source->commandType[c] == CommandKind::Start && before >= 0 && before < source->pointCount)
            starts[size_t(before)] = 1;
    }
    return starts;
}

int Finish(WaitingWindow* window, int result)
{
    if (window != nullptr)
        CloseWaitingWindow(window);
    mergePatternsActive = 0;
    return result;
}

}  // namespace

int MergePatterns()
{
    LayoutNode* selected = interface_.selectedNode;
    if (selected == nullptr || !InLayout(selected))
        return 0;
    if (selected->arrayIndex < 0) {
        ShowMessage(MSG_INFO, BUTTONS_OK, "ONLY REPEATED PATTERNS MAY BE MERGED");
        return 0;
    }
    const int arraySlot = selected->arrayIndex;
    LayoutNode* parent = GetParentNode(selected);
    if (parent == nullptr)
        parent = selected;  // no placement is marked as the parent: work from this one
    const ArrayNode* array = GetArrayNode(arraySlot);
    Pattern* source = GetPattern(parent->patternIndex);
    if (array == nullptr || array->rows < 1 || array->columns < 1 || source == nullptr ||
        source->pointCount <= 0)
        return 0;
    const int columns = array->columns;
    UpdatePatternSize(source);

    // The copies stand where the placements are, so a turned or mirrored array merges as
    // it is shown.
    std::vector<LayoutNode*> copies{parent};
    for (LayoutNode* n = patternLayout; n != nullptr; n = n->next)
        if (n->arrayIndex == arraySlot && n != parent)
            copies.push_back(n);

    waitWindow = CreateWaitingWindow("MERGING PATTERN FILES", 1);
    WaitingWindow* window = waitWindow;
    window->undoOnCancel = 1;
    mergePatternsActive = 1;

    Pattern* merged = new Pattern();
    merged->name = (source->name + "_merged").substr(0, kPatternTextMax);
    const std::vector<char> strokeStarts = StrokeStarts(source);
    const int total = int(copies.size());
    double lastX = 0.0, lastY = 0.0;
    for (int k = 0; k < total; ++k) {
        char info[64];
        std::snprintf(info, sizeof info, "Merging Pattern %d of %d\n", k + 1, total);
        WaitingWindowSetInfo(window, info);
        RefreshWaitingWindow();
        if (mergePatternsActive == 0 || keepWaitingWindowOpen == 0) {
            // Cancelled: the layout has been rolled back, so every placement and pattern
            // read before this point is gone. Only the unfinished pattern is ours.
            erasePattern(merged);
            return 0;
        }
        const LayoutNode* at = copies[size_t(k)];
        const int column = k % columns;
        for (int i = 0; i < source->pointCount; ++i) {
            const double x = double(source->pointX[size_t(i)]) - source->minX + at->x;
            const double y = double(source->pointY[size_t(i)]) - source->minY + at->y;
            bool strokeStarted = false;
            if (i == 0) {
                if (k > 0)
                    AddLine(merged, "c e e");
                const bool rowStart = k > 0 && column == 0;
                const bool apart = column > 0 && k > 0 && std::hypot(x - lastX, y - lastY) > 0.25;
                if (rowStart || apart) {
                    AddLine(merged, "c s");
                    strokeStarted = true;
                }
                AddLine(merged, "c e s");
            }
            if (strokeStarts[size_t(i)] && !strokeStarted)
                AddLine(merged, "c s");
            AddPointLine(merged, x, y);
            lastX = x;
            lastY = y;
        }
    }
    AddLine(merged, "c e e");
    AddLine(merged, "c s");
    UpdatePatternSize(merged);
    merged->baseWidth = merged->width;
    merged->baseHeight = merged->height;
    merged->rotation = source->rotation;

    // Placements outside the array keep the source pattern.
    int slot = parent->patternIndex;
    bool shared = false;
    for (const LayoutNode* n = patternLayout; n != nullptr && !shared; n = n->next)
        shared = n->patternIndex == slot && n->arrayIndex != arraySlot && n != parent;
    if (shared) {
        slot = GetNextPattern();
        if (slot < 0 || !StorePattern(slot, merged)) {
            erasePattern(merged);
            return Finish(window, 0);
        }
    } else {
        ReleasePatternSlot(slot);
        StorePattern(slot, merged);
    }
    parent->patternIndex = slot;
    for (LayoutNode* n : copies)
        if (n != parent)
            RemoveLayoutNode(n);
    SetArrayNode(arraySlot, 0, 0.0f, 0, 0.0f);
    parent->arrayIndex = -1;
    parent->isArrayParent = 0;
    parent->x = merged->minX;
    parent->y = merged->minY;
    if (interface_.selectedNode != nullptr && !InLayout(interface_.selectedNode))
        interface_.selectedNode = parent;

    RefreshPatternPix();
    Finish(window, 1);
    ConsolePrintf("Merge Patterns completed\n");
    return 1;
}
