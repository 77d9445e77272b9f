// The work of the scale, rotate and properties dialogs.

#include "app/pattern_dialogs.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "base/console.h"
#include "base/interface.h"
#include "base/screen_config.h"
#include "base/ui_hooks.h"
#include "patterns/layout.h"
#include "patterns/lp_scale.h"
#include "patterns/pattern.h"
#include "patterns/pattern_box.h"
#include "patterns/transform.h"
#include "app/undo.h"


namespace {

bool InLayout(const LayoutNode* node)
{
    for (const LayoutNode* n = patternLayout; n != nullptr; n = n->next)
        if (n == node)
            return GetPattern(n->patternIndex) != nullptr;
    return false;
}

// A placement whose array record is gone is handled as a single one.
bool IsArray(const LayoutNode* node)
{
    return node->arrayIndex >= 0 && GetArrayNode(node->arrayIndex) != nullptr;
}

bool SameGroup(const LayoutNode* a, const LayoutNode* node)
{
    return a == node || (IsArray(node) && a->arrayIndex == node->arrayIndex);
}

// Extent of the node's group in the layout (offset to offset plus pattern size).
bool GroupExtent(const LayoutNode* node, double* x0, double* y0, double* x1, double* y1)
{
    bool any = false;
    for (const LayoutNode* n = patternLayout; n != nullptr; n = n->next) {
        if (!SameGroup(n, node))
            continue;
        const Pattern* p = GetPattern(n->patternIndex);
        if (p == nullptr)
            continue;
        const double ax = n->x, ay = n->y, bx = n->x + double(p->width), by = n->y + double(p->height);
        *x0 = any ? std::min(*x0, ax) : ax;
        *y0 = any ? std::min(*y0, ay) : ay;
        *x1 = any ? std::max(*x1, bx) : bx;
        *y1 = any ? std::max(*y1, by) : by;
        any = true;
    }
    return any;
}

std::string Format3(double v)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%0.3f", v);
    return buf;
}

// The start point of the placement relative to its box: offset plus the first point.
void StartPoint(const LayoutNode* node, double* x, double* y)
{
    const Pattern* p = GetPattern(node->patternIndex);
    *x = node->x;
    *y = node->y;
    if (p != nullptr && p->pointCount > 0 && !p->pointX.empty() && !p->pointY.empty()) {
        *x += double(p->pointX[0]) - double(p->minX);
        *y += double(p->pointY[0]) - double(p->minY);
    }
}

PatternBox* BoxOf(const LayoutNode* node) { return GetPatternBox(node->boxIndex); }

}  // namespace

// --- Scale -----------------------------------------------------------------------------------

float Scale_percent(double value, float previous)
{
    if (!std::isfinite(value))
        return previous;
    return float(std::clamp(std::round(value), double(kScaleMin_percent), double(kScaleMax_percent)));
}

void ScaleSetWidth(ScaleState& state, double value)
{
    state.width_percent = Scale_percent(value, state.width_percent);
    if (state.lock)
        state.height_percent = state.width_percent;
}

void ScaleSetHeight(ScaleState& state, double value)
{
    state.height_percent = Scale_percent(value, state.height_percent);
    if (state.lock)
        state.width_percent = state.height_percent;
}

void ScaleStepWidth(ScaleState& state, int delta)
{
    state.width_percent = Scale_percent(double(state.width_percent) + delta, state.width_percent);
    if (state.lock)
        state.height_percent = Scale_percent(double(state.height_percent) + delta, state.height_percent);
}

void ScaleStepHeight(ScaleState& state, int delta)
{
    state.height_percent = Scale_percent(double(state.height_percent) + delta, state.height_percent);
    if (state.lock)
        state.width_percent = Scale_percent(double(state.width_percent) + delta, state.width_percent);
}

int ScaleCopiesExtent(const LayoutNode* copies, float* x0, float* y0, float* x1, float* y1)
{
    bool any = false;
    for (const LayoutNode* n = copies; n != nullptr; n = n->next) {
        const Pattern* p = GetPattern(n->patternIndex);
        if (p == nullptr || p->pointCount <= 0 || !std::isfinite(p->width) || !std::isfinite(p->height))
            continue;
        const float bx = n->x + p->width, by = n->y + p->height;
        *x0 = any ? std::min(*x0, n->x) : n->x;
        *y0 = any ? std::min(*y0, n->y) : n->y;
        *x1 = any ? std::max(*x1, bx) : bx;
        *y1 = any ? std::max(*y1, by) : by;
        any = true;
    }
    return any ? 1 : 0;
}

void ScalePreviewSize(int dialogWidth, int dialogHeight, int* w, int* h)
{
    *w = std::max(1, dialogWidth - 45);
    *h = std::max(1, dialogHeight - 90);
}

float ScalePreviewScale(const ScaleState& state, int w, int h)
{
    w = std::max(1, w);
    h = std::max(1, h);
    double width = 0, height = 0;
    const PatternBox* box = GetPatternBox(currentBox);
    if (box != nullptr && box->cornerCount > 0 && box->width > 0 && box->height > 0) {
        width = box->width + 2.0;
        height = box->height + 2.0;
    } else {
        float x0 = 0, y0 = 0, x1 = 0, y1 = 0;
        if (ScaleCopiesExtent(state.copies, &x0, &y0, &x1, &y1)) {
            width = double(x1) - x0;
            height = double(y1) - y0;
        }
    }
    const double s = std::max(width / w, height / h);
    return (std::isfinite(s) && s > 0) ? float(s) : 0.01f;
}

void ApplyScale(const ScaleState& state)
{
    LayoutNode* node = state.node;
    if (node == nullptr || !InLayout(node))
        return;
    Pattern* pattern = GetPattern(node->patternIndex);
    const double fx = state.width_percent / 100.0, fy = state.height_percent / 100.0;
    const bool array = IsArray(node);
    double cx0 = 0, cy0 = 0, cx1 = 0, cy1 = 0;
    if (array)
        GroupExtent(node, &cx0, &cy0, &cx1, &cy1);
    double sx = 0, sy = 0;
    if (state.width_percent != 100.0f)
        sx = stretchPattern(pattern, 'x', fx, nullptr);
    if (state.height_percent != 100.0f)
        sy = stretchPattern(pattern, 'y', fy, nullptr);
    if (!array) {
        node->x = float(node->x - sx);
        node->y = float(node->y - sy);
        return;
    }
    for (LayoutNode* n = patternLayout; n != nullptr; n = n->next) {
        if (!SameGroup(n, node))
            continue;
        n->x = float(double(n->x) * fx - sx);
        n->y = float(double(n->y) * fy - sy);
    }
    double nx0 = 0, ny0 = 0, nx1 = 0, ny1 = 0;
    if (GroupExtent(node, &nx0, &ny0, &nx1, &ny1)) {
        const double dx = (cx0 + cx1) / 2 - (nx0 + nx1) / 2, dy = (cy0 + cy1) / 2 - (ny0 + ny1) / 2;
        for (LayoutNode* n = patternLayout; n != nullptr; n = n->next)
            if (SameGroup(n, node)) {
                n->x = float(n->x + dx);
                n->y = float(n->y + dy);
            }
    }
    // Later repeats of the array are laid out from its record: keep it in step.
    if (ArrayNode* record = GetArrayNode(node->arrayIndex)) {
        record->spacingAcross = float(record->spacingAcross * fx);
        record->spacingDown = float(record->spacingDown * fy);
    }
}

int ScaleDialog(LayoutNode* node)
{
    if (node == nullptr || !InLayout(node))
        return kScaleNothingToShow;
    ScaleState state;
    state.node = node;
    LayoutNode** tail = &state.copies;
    for (const LayoutNode* n = patternLayout; n != nullptr; n = n->next) {
        if (!SameGroup(n, node))
            continue;
        *tail = CopyLayoutNode(n);
        if (*tail != nullptr)
            tail = &(*tail)->next;
    }
    float x0, y0, x1, y1;
    if (!ScaleCopiesExtent(state.copies, &x0, &y0, &x1, &y1)) {
        FreeLayoutList(state.copies);
        return kScaleNothingToShow;
    }
    const float keptScale = interface_.viewScale;
    state.smartScale = CheckPatternBox(GetPatternBox(currentBox)) == 1;
    // The preview draws the pattern pictures at its own scale.
    int w = 0, h = 0;
    ScalePreviewSize(scale_dialog_width, scale_dialog_height, &w, &h);
    interface_.viewScale = ScalePreviewScale(state, w, h);
    RefreshPatternPix();
    const int response = UiScaleDialog(state);
    interface_.viewScale = keptScale;
    RefreshPatternPix();
    if (response == kScaleSmartScale && state.smartScale) {
        const int answer = UiShowMessageSpecial(MSG_QUESTION, "KEEP PATTERN PROPORTIONS?",
                                                "gtk-cancel", RESPONSE_CANCEL);
        if ((answer == RESPONSE_YES || answer == RESPONSE_NO) && InLayout(node)) {
            // The linear-programming scaling works on the selected placement.
            interface_.selectedNode = node;
            runAutoScale(answer == RESPONSE_YES ? 1 : 0);
        }
    } else if (response == RESPONSE_OK) {
        ApplyScale(state);
    }
    RefreshPatternPix();
    FreeLayoutList(state.copies);
    UiRedrawView();
    return response;
}

// --- Rotate ----------------------------------------------------------------------------------

int RotateNodeBy(LayoutNode* node, double degrees)
{
    if (node == nullptr || !InLayout(node) || !std::isfinite(degrees))
        return 0;
    Pattern* pattern = GetPattern(node->patternIndex);
    const int before = pattern->rotation;
    if (TurnPlacement(node, float(degrees)) != 1)
        return 0;
    pattern->rotation = WrapRotation(double(before) + std::trunc(degrees));
    return 1;
}

int RotateDialog(LayoutNode* node)
{
    CreateUndoFile();
    const double angle = UiNumberEntry("0.0", 0, 1);
    if (!(angle > 0) || !std::isfinite(angle))
        return 0;
    if (RotateNodeBy(node, angle) == 1)
        RefreshPatternPix();
    UiRedrawView();
    return 0;
}

// --- Properties ------------------------------------------------------------------------------

int PropertiesBegin(PropertiesState& state, LayoutNode* node)
{
    if (node == nullptr || !InLayout(node))
        return 0;
    if (IsArray(node)) {
        LayoutNode* parent = GetParentNode(node);
        if (parent != nullptr && InLayout(parent))
            node = parent;
    }
    state.node = node;
    Pattern* p = GetPattern(node->patternIndex);
    UpdatePatternSize(p);
    StartPoint(node, &state.startX, &state.startY);
    state.width = p->width;
    state.height = p->height;
    const PatternBox* box = BoxOf(node);
    const double ox = box != nullptr ? box->originX : 0, oy = box != nullptr ? box->originY : 0;
    state.text[PROP_LOCAL_X] = Format3(state.startX);
    state.text[PROP_LOCAL_Y] = Format3(state.startY);
    state.text[PROP_ACTUAL_X] = Format3(state.startX + ox);
    state.text[PROP_ACTUAL_Y] = Format3(state.startY + oy);
    state.text[PROP_WIDTH] = Format3(state.width);
    state.text[PROP_HEIGHT] = Format3(state.height);
    return 1;
}

void PropertiesEntryTouched(PropertiesState& state, int entry)
{
    if (entry < 0 || entry >= int(state.text.size()) || entry == PROP_ACTUAL_X || entry == PROP_ACTUAL_Y)
        return;
    const double value = UiNumberEntry(state.text[size_t(entry)], 1, 0);
    if (!std::isfinite(value))
        return;
    const std::string shown = Format3(value);
    ConsolePrintf("NumberEntry returned: %s\n", shown.c_str());
    state.text[size_t(entry)] = shown;
    const PatternBox* box = state.node != nullptr ? BoxOf(state.node) : nullptr;
    if (entry == PROP_LOCAL_X)
        state.text[PROP_ACTUAL_X] = Format3(value + (box != nullptr ? box->originX : 0));
    else if (entry == PROP_LOCAL_Y)
        state.text[PROP_ACTUAL_Y] = Format3(value + (box != nullptr ? box->originY : 0));
}

int PropertiesRetrieve(PropertiesState& state, const std::function<int(int*, int*)>& readPosition)
{
    int x = 0, y = 0;
    if (!readPosition || readPosition(&x, &y) != 0) {
        UiShowMessage(MSG_ERROR, BUTTONS_OK, "COULD NOT RETRIEVE POINT");
        return 0;
    }
    const PatternBox* box = state.node != nullptr ? BoxOf(state.node) : nullptr;
    const double ax = x / 1000.0, ay = y / 1000.0;
    state.text[PROP_LOCAL_X] = Format3(ax - (box != nullptr ? box->originX : 0));
    state.text[PROP_LOCAL_Y] = Format3(ay - (box != nullptr ? box->originY : 0));
    state.text[PROP_ACTUAL_X] = Format3(ax);
    state.text[PROP_ACTUAL_Y] = Format3(ay);
    return 1;
}

int PropertiesApply(PropertiesState& state)
{
    LayoutNode* node = state.node;
    if (node == nullptr || !InLayout(node))
        return 0;
    Pattern* pattern = GetPattern(node->patternIndex);
    const PropertiesState shown = [&] {
        PropertiesState first;
        PropertiesBegin(first, node);
        return first;
    }();
    if (!state.moveAll) {
        // An axis is stretched only when its entry was changed to a usable size and the
        // pattern has a size on that axis to stretch (a line has none across it).
        auto factor = [](const std::string& text, const std::string& before, double old) {
            if (text == before || !(old > 0))
                return 1.0;
            const double v = NumberFromText(text);
            return (v > 0 && std::isfinite(v) && std::isfinite(v / old)) ? v / old : 1.0;
        };
        const double fx = factor(state.text[PROP_WIDTH], shown.text[PROP_WIDTH], state.width);
        const double fy = factor(state.text[PROP_HEIGHT], shown.text[PROP_HEIGHT], state.height);
        if (fx != 1.0 || fy != 1.0) {
            double sx = 0, sy = 0;
            if (fx != 1.0 && StretchAllowed(pattern, 'x', fx))
                sx = stretchPattern(pattern, 'x', fx, nullptr);
            if (fy != 1.0 && StretchAllowed(pattern, 'y', fy))
                sy = stretchPattern(pattern, 'y', fy, nullptr);
            for (LayoutNode* n = patternLayout; n != nullptr; n = n->next) {
                if (!SameGroup(n, node))
                    continue;
                n->x = float(double(n->x) * fx - sx);
                n->y = float(double(n->y) * fy - sy);
            }
            if (IsArray(node)) {
                ArrayNode* record = GetArrayNode(node->arrayIndex);
                record->spacingAcross = float(record->spacingAcross * fx);
                record->spacingDown = float(record->spacingDown * fy);
            }
            RefreshPatternPix();
        }
    }
    double startX = 0, startY = 0;
    StartPoint(node, &startX, &startY);
    const bool xChanged = state.text[PROP_LOCAL_X] != shown.text[PROP_LOCAL_X];
    const bool yChanged = state.text[PROP_LOCAL_Y] != shown.text[PROP_LOCAL_Y];
    const double wantX = xChanged ? NumberFromText(state.text[PROP_LOCAL_X]) : startX;
    const double wantY = yChanged ? NumberFromText(state.text[PROP_LOCAL_Y]) : startY;
    const double dx = wantX - startX, dy = wantY - startY;
    if (state.moveAll) {
        PatternBox* box = BoxOf(node);
        if (box == nullptr || (dx == 0 && dy == 0))
            return 1;
        box->originX = float(box->originX + dx);
        box->originY = float(box->originY + dy);
        box->centerX = float(box->centerX + dx);
        box->centerY = float(box->centerY + dy);
        for (BoxPoint* c = box->corners; c != nullptr; c = c->next) {
            c->x = float(c->x + dx);
            c->y = float(c->y + dy);
        }
        return 2;
    }
    ConsolePrintf("Move pattern from ( %0.3f, %0.3f ) to ( %0.3f, %0.3f ) with initial "
                  "pattern start ( %0.3f, %0.3f )\n",
                  double(node->x), double(node->y), double(node->x + dx), double(node->y + dy),
                  startX, startY);
    for (LayoutNode* n = patternLayout; n != nullptr; n = n->next) {
        if (!SameGroup(n, node))
            continue;
        n->x = float(n->x + dx);
        n->y = float(n->y + dy);
    }
    double afterX = 0, afterY = 0;
    StartPoint(node, &afterX, &afterY);
    ConsolePrintf("After move: Location = ( %0.3f, %0.3f ) with pattern start at "
                  "( %0.3f, %0.3f )\n",
                  double(node->x), double(node->y), afterX, afterY);
    return 1;
}

int PatternPropertiesDialog(LayoutNode* node, bool* boxMoved)
{
    if (boxMoved != nullptr)
        *boxMoved = false;
    PropertiesState state;
    if (PropertiesBegin(state, node) == 0)
        return RESPONSE_CANCEL;
    const int response = UiPropertiesDialog(state);
    if (response == RESPONSE_OK && PropertiesApply(state) == 2 && boxMoved != nullptr)
        *boxMoved = true;
    UiRedrawView();
    return response;
}
