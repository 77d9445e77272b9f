#include "patterns/pattern.h"

#include <unistd.h>

#include <algorithm>

#include "patterns/geometry.h"

PatternList* patternList = nullptr;

GdkPixbuf* (*patternThumbnailHook)(const Pattern* pattern) = nullptr;
void (*patternFileSyncForTest)() = [] { ::sync(); };

PatternList* NewPatternList()
{
    if (patternList != nullptr)
        FreePatternList(patternList);
    patternList = new PatternList();
    return patternList;
}

void FreePatternList(PatternList* list)
{
    if (list == nullptr)
        return;
    for (Pattern*& p : list->slots) {
        erasePattern(p);
        p = nullptr;
    }
    if (list == patternList)
        patternList = nullptr;
    delete list;
}

static void DropThumbnail(Pattern* pattern)
{
    if (pattern->thumbnail != nullptr) {
        g_object_unref(pattern->thumbnail);
        pattern->thumbnail = nullptr;
    }
}

static void MakeThumbnail(Pattern* pattern)
{
    DropThumbnail(pattern);
    if (patternThumbnailHook != nullptr)
        pattern->thumbnail = patternThumbnailHook(pattern);
}

Pattern* newPattern(const std::string& path, int makeThumbnail)
{
    Pattern* pattern = new Pattern();
    // A new pattern starts a new fit: the hull of the previous one goes. Never hold a
    // reference into *hull across a call that may create a pattern.
    hull.reset();
    if (!path.empty() && !openPattern(pattern, path)) {
        erasePattern(pattern);
        return nullptr;
    }
    if (makeThumbnail == 1)
        MakeThumbnail(pattern);
    return pattern;
}

void clearPattern(Pattern* pattern)
{
    if (pattern == nullptr)
        return;
    // swap with empty vectors so the storage is really given back
    std::vector<float>().swap(pattern->pointX);
    std::vector<float>().swap(pattern->pointY);
    std::vector<CommandKind>().swap(pattern->commandType);
    std::vector<int>().swap(pattern->commandPoint);
    std::vector<std::string>().swap(pattern->names);
    pattern->pointCount = 0;
    pattern->commandCount = 0;
    pattern->nameCount = 0;
    DropThumbnail(pattern);
}

void erasePattern(Pattern* pattern)
{
    if (pattern == nullptr)
        return;
    clearPattern(pattern);
    delete pattern;
}

void UpdatePatternSize(Pattern* pattern)
{
    if (pattern == nullptr)
        return;
    // Start from the first point rather than from fixed start values, so that patterns far
    // from the origin still get their true box.
    float minX = 9999.9f, minY = 9999.9f, maxX = -9999.9f, maxY = -9999.9f;
    for (int i = 0; i < pattern->pointCount; ++i) {
        float x = pattern->pointX[i], y = pattern->pointY[i];
        if (i == 0) {
            minX = maxX = x;
            minY = maxY = y;
            continue;
        }
        minX = std::min(minX, x);
        maxX = std::max(maxX, x);
        minY = std::min(minY, y);
        maxY = std::max(maxY, y);
    }
    pattern->minX = minX;
    pattern->minY = minY;
    pattern->maxX = maxX;
    pattern->maxY = maxY;
    pattern->width = maxX - minX;
    pattern->height = maxY - minY;
}

Pattern* GetPattern(int slot)
{
    if (patternList == nullptr || slot < 0 || slot >= kPatternSlots)
        return nullptr;
    return patternList->slots[slot];
}

int GetNextPattern()
{
    if (patternList == nullptr || patternList->usedCount >= kPatternSlots)
        return -1;
    for (int slot = 0; slot < kPatternSlots; ++slot)
        if (patternList->slots[slot] == nullptr)
            return slot;
    return -1;
}

int StorePattern(int slot, Pattern* pattern)
{
    if (patternList == nullptr || pattern == nullptr || slot < 0 || slot >= kPatternSlots ||
        patternList->slots[slot] != nullptr)
        return 0;
    patternList->slots[slot] = pattern;
    patternList->freeSlots--;
    patternList->usedCount++;
    return 1;
}

void ReleasePatternSlot(int slot)
{
    Pattern* pattern = GetPattern(slot);
    if (pattern == nullptr)
        return;
    erasePattern(pattern);
    patternList->slots[slot] = nullptr;
    patternList->freeSlots++;
    patternList->usedCount--;
}

void RefreshPatternPix()
{
    if (patternList == nullptr)
        return;
    for (Pattern* pattern : patternList->slots) {
        if (pattern == nullptr)
            continue;
        UpdatePatternSize(pattern);
        MakeThumbnail(pattern);
    }
}
