#include "view/touch_edit.h"

#include <cmath>
#include <cstdio>

#include "base/interface.h"
#include "base/screen_config.h"
#include "base/screen_state.h"
#include "base/sensitivity.h"
#include "base/settings.h"
#include "base/status_bar.h"
#include "base/ui_hooks.h"
#include "machine/controller.h"
#include "patterns/layout.h"
#include "patterns/pattern.h"
#include "patterns/pattern_box.h"
#include "view/button_image.h"
#include "view/pattern_view.h"

double xStart = 0, yStart = 0;
double xSaved = 0, ySaved = 0;
int buttonHold = 0;
int64_t buttonTime = 0;
double timeOff = 0;
int cnt = 0;
int showMenu = 0;
int offTempX = 0, offTempY = 0;

namespace {

// The geometry of the icon set: arrow size S, gap t, pad margin D, half check mark u.
struct Geometry {
    int W, H;
    int S, t, D, u;
    int cx, cy;  // centre of the direction pad
};

Geometry Current()
{
    Geometry g;
    g.W = view_area_width;
    g.H = view_area_height;
    const bool large = (icon_style == 1);
    g.S = large ? 50 : 32;
    g.t = large ? 10 : 5;
    g.D = large ? 95 : 58;
    g.u = large ? 25 : 16;
    g.cx = g.W - g.D;
    g.cy = g.H - g.D;
    return g;
}

// Ticket of the one long-press timer that counts; older timers' ticks are ignored.
int timerTicket = 0;

// The long press counts while the finger is within this many pixels of the press.
constexpr double kStillRadius = 15.0;
// A flick pages when it is faster than this, pixels per second.
constexpr int kFlickSpeed = 500;

const char* const kEditButtonFiles[5] = {"./images/Minus.png", "./images/Text.png",
                                         "./images/Plus.png", "./images/Minus.png",
                                         "./images/Plus.png"};

bool InsidePadSquare(const Geometry& g, double x, double y)
{
    return std::fabs(x - g.cx) < g.D && std::fabs(y - g.cy) < g.D;
}

// The selected node, when it still is a placement of the layout in the box shown; a node
// left over from another box, or freed with its layout, is never touched.
LayoutNode* SelectedPlacement()
{
    const LayoutNode* selected = interface_.selectedNode;
    if (selected == nullptr)
        return nullptr;
    for (LayoutNode* n = patternLayout; n != nullptr; n = n->next)
        if (n == selected)
            return n->boxIndex == currentBox ? n : nullptr;
    return nullptr;
}

// Mode 9: the selected placement, or every placement of its array, by (dx, dy) inches.
void MoveSelected(float dx, float dy)
{
    LayoutNode* node = SelectedPlacement();
    if (node == nullptr)
        return;
    if (node->arrayIndex < 0) {
        MoveLayoutPattern(node, dx, dy);
        return;
    }
    const int array = node->arrayIndex;
    for (LayoutNode* n = patternLayout; n != nullptr; n = n->next)
        if (n->arrayIndex == array && n->boxIndex == currentBox)
            MoveLayoutPattern(n, dx, dy);
}

void MoveByMode(float dx, float dy)
{
    if (command == EditMode::MoveAll)
        MoveLayoutAll(dx, dy);
    else
        MoveSelected(dx, dy);
}

void Measure(double x, double y)
{
    if (!interface_.measureLine)
        return;
    *interface_.measureLine = {int(xStart), int(yStart), int(x), int(y)};
    const float s = interface_.viewScale;
    const float ax = s * float(x - xStart), ay = s * float(y - yStart);
    char text[64];
    std::snprintf(text, sizeof text, "%0.3f inches", double(std::sqrt(ax * ax + ay * ay)));
    interface_.measureText = text;
}

// Zoom mode: the shown minus button zooms out, the shown plus button in; a step that would
// leave the scale below the smallest one is taken back with its pan.
void ZoomButton(int x, int y)
{
    const int button = GetButtonPressed(x, y);
    const bool out = button == 1 && interface_.editButtons[0];
    const bool in = button == 3 && interface_.editButtons[2];
    if (!out && !in)
        return;
    const float before = interface_.viewScale;
    const int step = out ? 10 : -10;
    const float after = before + (out ? 0.01f : -0.01f);
    if (!(after >= kMinViewScale) || !std::isfinite(after))
        return;
    interface_.panX += step;
    interface_.panY += step;
    interface_.viewScale = after;
    zoomed = 1;
    DrawGrid();
    RefreshPatternPix();
}

void DirectionPad(const Geometry& g, double x, double y)
{
    const double S = g.S, t = g.t;
    const float step = moveIncrement;
    const bool middleRow = g.cy - S / 2 < y && y < g.cy + S / 2;
    const bool middleColumn = g.cx - S / 2 < x && x < g.cx + S / 2;
    if (middleRow) {
        if (g.cx - 1.5 * S - t < x && x < g.cx - S / 2 - t)
            MoveByMode(-step, 0);
        else if (middleColumn) {
            offTempX = -1;
            offTempY = -1;
            ReleaseAllUI();
        } else if (g.cx + S / 2 + t < x && x < g.cx + 1.5 * S + t)
            MoveByMode(step, 0);
    } else if (middleColumn) {
        if (g.cy - 1.5 * S - t < y && y < g.cy - S / 2 - t)
            MoveByMode(0, -step);
        else if (g.cy + S / 2 + t < y && y < g.cy + S / 2 + t + S)
            MoveByMode(0, step);
    }
}

// The stitching view is shorter than the view area by its button row; its lower speed
// arrow is drawn there, above where the area's geometry puts it.
constexpr int kStitchingRowHeight = 60;

int DrawnSpeedDownTop(const Geometry& g)
{
    const int areaHeight = g.H - kStitchingRowHeight;
    return icon_style == 1 ? areaHeight - 100 : areaHeight - 64;
}

void ChangeSpeed(float to)
{
    maxSpeed = to;
    speed = int(maxSpeed);
    SetSpeed(int(maxSpeed));
    WriteDefaultInt(REC_SPEED, int(maxSpeed));
}

void SpeedArrows(const Geometry& g, double x, double y)
{
    const int S = g.S;
    if (!(g.W - S - g.t < x && x < g.W - g.t))
        return;
    const bool up = S < y && y < 2 * S;
    const int drawnTop = DrawnSpeedDownTop(g);
    const bool down = (g.H - 40 - 2 * S < y && y < g.H - 40 - S) ||
                      (drawnTop <= y && y < drawnTop + S);
    if (up)
        ChangeSpeed(RaisedSpeed(maxSpeed, minSpeed));
    else if (down)
        ChangeSpeed(LoweredSpeed(maxSpeed, minSpeed));
}

// The flick speed in pixels per second; a release in the millisecond of the press counts
// as one millisecond later.
double FlickSpeed(double x, int64_t now_ms)
{
    int64_t dt = now_ms - buttonTime;
    if (dt < 1)
        dt = 1;
    return std::fabs(std::trunc(x - xStart)) / double(dt) * 1000.0;
}

TouchWork StopTimer(TouchWork work)
{
    menuReady = false;
    work.arrowCursor = true;
    work.stopTimer = true;
    return work;
}

}  // namespace

int OnViewButtonPress(double x, double y, int64_t now_ms)
{
    buttonHold = 1;
    cnt = 0;
    showMenu = 0;
    xStart = xSaved = x;
    yStart = ySaved = y;
    buttonTime = now_ms;
    ++timerTicket;
    switch (command) {
    case EditMode::Zoom: UiRedrawView(); break;
    case EditMode::Pan:
    case EditMode::Measure:
        if (!interface_.measureLine)
            interface_.measureLine = MeasureLine{};
        if (!interface_.measureText)
            interface_.measureText = std::string();
        break;
    case EditMode::Draw: interface_.scribble.clear(); break;
    default: break;
    }
    return timerTicket;
}

void OnViewButtonMotion(double x, double y)
{
    if (buttonHold != 1)
        return;
    const double dx = x - xSaved, dy = y - ySaved;
    xSaved = x;
    ySaved = y;
    const float s = interface_.viewScale;
    switch (command) {
    case EditMode::Pan:
        interface_.panX += int(dx);
        interface_.panY += int(dy);
        UiRedrawView();
        break;
    case EditMode::Measure:
        Measure(x, y);
        UiRedrawView();
        break;
    case EditMode::Draw:
        interface_.scribble.push_back({int(x), int(y)});
        UiRedrawView();
        break;
    case EditMode::MoveAll:
    case EditMode::MovePattern:
        if (command == EditMode::MoveAll && patternLayout == nullptr)
            break;
        if (InsidePadSquare(Current(), x, y))
            break;
        MoveByMode(s * float(dx), s * float(dy));
        UiRedrawView();
        break;
    default: break;
    }
}

TouchWork OnViewButtonRelease(double x, double y, int64_t now_ms)
{
    TouchWork work;
    if (buttonHold != 1)
        return work;
    work.arrowCursor = true;
    buttonHold = 0;
    if (showMenu == 1) {
        showMenu = 0;
        work.openPopup = true;
        work.popupX = int(xStart);
        work.popupY = int(yStart);
        return work;
    }
    if (command == EditMode::None)
        SetStatusBar();

    timeOff = double(now_ms);
    // Whole pixels per second above kFlickSpeed, compared in double: no conversion of an
    // unbounded speed to an integer.
    if (command != EditMode::Stitching && FlickSpeed(x, now_ms) >= kFlickSpeed + 1) {
        const double dy = y - yStart;
        if (-25 < dy && dy < 25) {
            if (x < xStart)
                PageBox(+1);
            else if (x > xStart)
                PageBox(-1);
        }
        return work;
    }

    const Geometry g = Current();
    if (command != EditMode::Stitching && yStart < g.S && y < g.S) {
        if (xStart > g.W - 2 * g.t - g.S && x > g.W - 2 * g.t - g.S)
            PageBox(+1);
        else if (xStart < g.S + 2 * g.t && x < g.S + 2 * g.t)
            PageBox(-1);
    }

    switch (command) {
    case EditMode::Zoom:
        if (patternLayout != nullptr)
            ZoomButton(int(x), int(y));
        break;
    case EditMode::Pan: DeleteMeasure(); break;
    case EditMode::MoveAll:
    case EditMode::MovePattern: DirectionPad(g, x, y); break;
    case EditMode::Stitching: SpeedArrows(g, x, y); break;
    default: break;
    }
    UiRedrawView();
    return work;
}

TouchWork ButtonTimer(int ticket, double pointerX, double pointerY)
{
    TouchWork work;
    if (ticket != timerTicket) {
        // A timer of an earlier press: it must not count this press's ticks.
        work.stopTimer = true;
        return work;
    }
    const int ddx = int(pointerX - xStart), ddy = int(pointerY - yStart);
    const double d = std::sqrt(double(ddx) * ddx + double(ddy) * ddy);
    ++cnt;
    if (cnt >= 9) {
        // A run keeps its one usable item (Stop) enabled: the pattern menu is not for then.
        if (d < kStillRadius && buttonHold == 1 && CurrentSensitivity() != 0 && command != EditMode::Stitching) {
            menuReady = true;
            UiRedrawView();
            showMenu = 1;
            work.stopTimer = true;
            return work;
        }
        if (cnt > 100)
            return StopTimer(work);
    }
    if (buttonHold != 1 || d > kStillRadius)
        return StopTimer(work);
    if (cnt == 2)
        work.busyCursor = true;
    return work;
}

void EndTouchGesture()
{
    ++timerTicket;
    buttonHold = 0;
    showMenu = 0;
    menuReady = false;
}

void SetEditButtons(int mask)
{
    for (int b = 0; b < kEditButtonCount; ++b) {
        interface_.editButtons[b].reset();
        if (mask & (1 << b))
            interface_.editButtons[b].reset(DrawButton(70, 40, "", kEditButtonFiles[b], 180));
    }
}

int GetButtonPressed(int x, int y)
{
    const int W = view_area_width, H = view_area_height;
    const int c = W / 2;
    if (H - 40 < y && y <= H - 9) {
        if (c - 72 < x && x <= c - 41) return 1;
        if (c - 16 < x && x <= c + 15) return 2;
        if (c + 40 < x && x <= c + 71) return 3;
    }
    if (x > W - 32 && x <= W - 1) {
        if (H / 2 + 12 < y && y <= H / 2 + 43) return 4;
        if (H / 2 - 44 < y && y <= H / 2 - 13) return 5;
    }
    return 0;
}

void DeleteMeasure()
{
    interface_.measureLine.reset();
    interface_.measureText.reset();
}

void ReleaseEditTools()
{
    DeleteMeasure();
    SetEditButtons(0);
}

bool PageBox(int step)
{
    const int target = currentBox + step;
    if (step > 0 && currentBox > MAX_PATTERN_BOXES - 2)
        return false;
    if (step < 0 && currentBox < 1)
        return false;
    if (GetPatternBox(target) == nullptr)
        return false;
    currentBox = target;
    SetZoomAll();
    UiRedrawView();
    UiRunPendingEvents();
    RefreshPatternPix();
    UiRedrawView();
    return true;
}

namespace {

// The lowest speed the down arrow gives: ten above the minimum speed rounded to tens.
int SpeedFloor(float minimum)
{
    float m = minimum;
    if (!(m >= 0.0f))
        m = 0.0f;
    if (m > 1000.0f)
        m = 1000.0f;
    return (int(m + 5) / 10) * 10 + 10;
}

float KeepInRange(float v, int floor)
{
    const float low = floor < 100 ? float(floor) : 100.0f;
    if (!(v >= low))
        return low;
    return v > 100.0f ? 100.0f : v;
}

}  // namespace

float RaisedSpeed(float current, float minimum)
{
    return KeepInRange(current > 90.0f ? 100.0f : current + 10.0f, SpeedFloor(minimum));
}

float LoweredSpeed(float current, float minimum)
{
    const int floor = SpeedFloor(minimum);
    return KeepInRange(float(floor) >= current ? float(floor) : current - 10.0f, floor);
}

TouchTargets CurrentTouchTargets()
{
    TouchTargets t;
    const Geometry g = Current();
    const int W = g.W, H = g.H;
    const int buttonX[5] = {W / 2 - 72, W / 2 - 16, W / 2 + 40, W - 32, W - 32};
    const int buttonY[5] = {H - 40, H - 40, H - 40, H / 2 + 12, H / 2 - 44};
    for (int b = 0; b < 5; ++b) {
        GdkPixbuf* image = interface_.editButtons[b].get();
        if (image != nullptr)
            t.editButtons[b] = {buttonX[b], buttonY[b], gdk_pixbuf_get_width(image),
                                gdk_pixbuf_get_height(image), true};
    }
    const int S = g.S;
    if (command == EditMode::MoveAll || command == EditMode::MovePattern) {
        const int cx = g.cx, cy = g.cy, u = g.u, tt = g.t;
        t.padOk = {cx - u, cy - u, 2 * u, 2 * u, true};
        t.padLeft = {int(cx - 1.5 * S - tt), cy - u, S, S, true};
        t.padRight = {cx + u + tt, cy - u, S, S, true};
        t.padUp = {cx - u, int(cy - 1.5 * S - tt), S, S, true};
        t.padDown = {cx - u, cy + u + tt, S, S, true};
    }
    const PatternBox* box = GetPatternBox(currentBox);
    if (box != nullptr && box->corners != nullptr) {
        if (GetPatternBox(currentBox + 1) != nullptr)
            t.pageNext = {W - S, 0, S, S, true};
        if (currentBox > 0)
            t.pagePrevious = {0, 0, S, S, true};
    }
    if (command == EditMode::Stitching) {
        const bool large = icon_style == 1;
        t.speedUp = {large ? W - 60 : W - 37, large ? 50 : 32, S, S, true};
        t.speedDown = {large ? W - 60 : W - 37, DrawnSpeedDownTop(g), S, S, true};
    }
    return t;
}
