// The decisions of the capture screen: what each tap does to pbTemp, the quilting area and
// the pattern boxes, and what the position poll does to the live corner.

#include "view/capture.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "base/console.h"
#include "base/interface.h"
#include "base/sensitivity.h"
#include "base/ui_hooks.h"
#include "machine/controller.h"
#include "machine/serial.h"
#include "patterns/geometry.h"
#include "patterns/pattern_box.h"
#include "view/pattern_view.h"

namespace capture_text {
const char* const kAreaBackLeft =
    "MOVE YOUR MACHINE TO THE BACK LEFT\nCORNER OF YOUR QUILTING AREA.\n\n"
    "THEN PRESS THE ADD BUTTON.";
const char* const kAreaBackRight =
    "MOVE YOUR MACHINE TO THE BACK\nRIGHT CORNER OF YOUR QUILTING\nAREA.\n\n"
    "THEN PRESS THE ADD BUTTON";
const char* const kAreaFrontRight =
    "MOVE YOUR MACHINE TO THE FRONT\nRIGHT CORNER OF YOUR QUILTING\nAREA.\n\n"
    "THEN PRESS THE ADD BUTTON";
const char* const kBorderOverlap = "THE BORDER MAY NOT OVERLAP";
const char* const kCommandFailed = "COMMAND FAILED, PLEASE TRY AGAIN.";
const char* const kBoxFirstPoint =
    "MOVE THE MACHINE TO THE LEFTMOST\nPOINT OF YOUR BASELINE.\nPRESS THE PLUS BUTTON.";
const char* const kBoxNextPoint =
    "MOVE MACHINE COUNTERCLOCKWISE\nTO THE NEXT POINT.\nPRESS THE PLUS BUTTON TO ADD POINT\n"
    "OR THE CHECK BUTTON TO FINISH";
const char* const kBoxLinesCross = "PATTERN BOX LINES MAY NOT CROSS";
const char* const kNoPointsAdded = "NO POINTS ADDED. ABORTING.";
const char* const kCannotCreateBox = "CANNOT CREATE PATTERN BOX WITH POINTS GIVEN. ABORTING.";
const char* const kHomeMoved =
    "THE MACHINE'S HOME HAS MOVED.\nTHE OLD QUILTING AREA NO LONGER FITS THE QUILT.\n\n"
    "SET THE QUILTING AREA AGAIN.";
}  // namespace capture_text

using namespace capture_text;

int captureMode = CAPTURE_AREA;

namespace {

// The poll has said that the controller does not answer (said once per silence).
bool pollFailing = false;

// The machine's position in thousandths of an inch, negative coordinates as 0.
bool Read_thou(int* x, int* y)
{
    if (GetXY(x, y) != 0)
        return false;
    if (*x < 0) *x = 0;
    if (*y < 0) *y = 0;
    return true;
}

void Refuse(const char* text) { UiShowMessage(MSG_ERROR, BUTTONS_OK, text); }

void Prompt(const char* text)
{
    interface_.capturePrompt = text;
    UiRedrawView();
}

PatternBox* EnsureTemporaryBox()
{
    if (pbTemp == nullptr)
        pbTemp = new PatternBox();
    return pbTemp;
}

BoxPoint* LastCorner(PatternBox* box)
{
    BoxPoint* p = box ? box->corners : nullptr;
    while (p != nullptr && p->next != nullptr)
        p = p->next;
    return p;
}

// Removes the last corner (the live one). Origin and size are left as they are: the next
// corner added recomputes the size, and the origin is set when the entry is finished.
void DropLastCorner(PatternBox* box)
{
    if (box == nullptr || box->corners == nullptr)
        return;
    BoxPoint** link = &box->corners;
    while ((*link)->next != nullptr)
        link = &(*link)->next;
    delete *link;
    *link = nullptr;
    --box->cornerCount;
}

void DiscardTemporaryBox()
{
    FreePatternBox(pbTemp);
    pbTemp = nullptr;
    interface_.capturePrompt.reset();
}

// Ends a capture: back to the pattern view with every menu and toolbar entry usable.
int ReturnToPatternView()
{
    DiscardTemporaryBox();
    UiShowScreen(Screen::PatternView);
    SetSensitivity(kMaskNormal);
    return 1;
}

// Makes `box` the current pattern box, in place of the one there (its placements stay with
// the slot). With no current box, it goes into the lowest free slot and becomes current.
void ReplaceCurrentBox(PatternBox* box)
{
    if (patternBoxList == nullptr)
        InitPatternBox();
    if (GetPatternBox(currentBox) != nullptr) {
        FreePatternBox(patternBoxList->boxes[currentBox]);
        patternBoxList->boxes[currentBox] = box;
        return;
    }
    const int slot = CreatePatternBox();
    if (slot < 0) {
        FreePatternBox(box);
        return;
    }
    FreePatternBox(patternBoxList->boxes[slot]);
    patternBoxList->boxes[slot] = box;
    currentBox = slot;
}

int PatternBoxCount() { return patternBoxList ? patternBoxList->count : 0; }

int placeholderSlot = -1;
int boxBeforePlaceholder = 0;

// The capture ended without a new outline: the placeholder box goes, the box current
// before it is current again.
void DropPlaceholderBox()
{
    if (placeholderSlot >= 0 && placeholderSlot == currentBox &&
        GetPatternBox(placeholderSlot) != nullptr) {
        RemovePatternBox(placeholderSlot);
        if (GetPatternBox(boxBeforePlaceholder) != nullptr)
            currentBox = boxBeforePlaceholder;
    }
    placeholderSlot = -1;
}

// Twice the signed area of the outline, square inches.
double TwiceArea(const PatternBox* box)
{
    double sum = 0.0;
    for (const BoxPoint* p = box->corners; p != nullptr; p = p->next) {
        const BoxPoint* q = p->next != nullptr ? p->next : box->corners;
        sum += double(p->x) * q->y - double(q->x) * p->y;
    }
    return sum;
}

// The side that closes the outline (last corner back to the first) neither crosses nor
// runs along another side, and the outline encloses an area. Each corner added was tested
// only against the sides before it.
bool ClosingSideSound(const PatternBox* box)
{
    std::vector<Point> c;
    for (const BoxPoint* p = box->corners; p != nullptr; p = p->next)
        c.push_back(Point{p->x, p->y});
    const size_t n = c.size();
    if (n < 3)
        return true;
    if (std::fabs(TwiceArea(box)) < 1e-6)
        return false;
    const Point last = c[n - 1], first = c[0];
    // The sides that share a corner with it may only meet it there.
    if (Between(first, c[1], last) || Between(last, first, c[1]) ||
        Between(c[n - 2], last, first) || Between(last, first, c[n - 2]))
        return false;
    for (size_t i = 1; i + 2 < n; ++i)
        if (Intersect(c[i], c[i + 1], last, first))
            return false;
    return true;
}

}  // namespace

void NotePlaceholderBox(int slot, int previous)
{
    placeholderSlot = slot;
    boxBeforePlaceholder = previous;
}

bool ReadCapturePosition(float* x, float* y)
{
    int x_thou = 0, y_thou = 0;
    if (!Read_thou(&x_thou, &y_thou))
        return false;
    *x = float(x_thou) / 1000.0f;
    *y = float(y_thou) / 1000.0f;
    return true;
}

void ReleaseMachineForCapture()
{
    Resume();
    DisableX();
    DisableY();
    SendCommand(ControllerCommand::HandOver);
}

void BeginCapture(int mode)
{
    // A new screen always starts from its first corner.
    ClearPatternBox(EnsureTemporaryBox());
    captureMode = mode == CAPTURE_BOX ? CAPTURE_BOX : CAPTURE_AREA;
    pollFailing = false;
    if (mode != CAPTURE_BOX) {
        interface_.capturePolling = 0;
        interface_.capturePrompt = kAreaBackLeft;
        return;
    }
    float x = 0.0f, y = 0.0f;
    // Unreadable now: the live corner starts at (0, 0) and the poll fetches the machine.
    ReadCapturePosition(&x, &y);
    AddPatternBoxPoint(pbTemp, x, y, 1, 0);
    interface_.capturePrompt = kBoxFirstPoint;
    interface_.capturePolling = 1;
}

int CaptureButtonAt(int mode, int x, int y, int W, int H, int B)
{
    if (y <= H - B)
        return CAPTURE_NO_BUTTON;
    const int left = x - (W - 3 * B - 32);
    if (left < 0)
        return CAPTURE_NO_BUTTON;
    int n = (left + B + 16) / (B + 16);
    // The Cancel image of a box begins 8 pixels left of where the arithmetic's third button
    // does; a tap on any part of it cancels rather than finishing the box.
    if (mode == CAPTURE_BOX && n == 2 && x >= W - B - 8)
        n = CAPTURE_RIGHT;
    const int buttons = mode == CAPTURE_BOX ? 3 : 2;
    return (n >= 1 && n <= buttons) ? n : CAPTURE_NO_BUTTON;
}

int CaptureTap(int mode, int button)
{
    if (mode == CAPTURE_BOX) {
        switch (button) {
            case CAPTURE_ADD: return CaptureBoxPlus();
            case CAPTURE_MIDDLE: return CaptureBoxCheck();
            case CAPTURE_RIGHT: return CaptureBoxCancel();
            default: return 0;
        }
    }
    switch (button) {
        case CAPTURE_ADD: return CaptureAreaAdd();
        case CAPTURE_MIDDLE: return CaptureAreaCancel();
        default: return 0;
    }
}

// --- Quilting area ----------------------------------------------------------------------

namespace {

// The third Add: the area is complete. `third` is the front-right corner.
int FinishArea(float x, float y)
{
    // The back-left corner is the home (0, 0); the front-left corner lies straight in front
    // of it. Both new sides are tested on a scratch copy first, so a refused corner leaves
    // the entry exactly as it was.
    PatternBox* area = CopyPatternBox(pbTemp);
    const float frontLeftX = pbTemp->originX;
    if (!AddPatternBoxPoint(area, x, y, 0, 1) ||
        !AddPatternBoxPoint(area, frontLeftX, y, 0, 1)) {
        FreePatternBox(area);
        Refuse(kBorderOverlap);
        return 0;
    }
    // The demonstration table gives a first area a box 0 to replace. It is only set up
    // while no box exists at all, so that it can never take placements with it.
    if (extents == nullptr && PatternBoxCount() == 0)
        BogusExtents();

    ClearExtents();
    SetExtents();
    SetHomeMoved(false);  // the area now matches the machine's home
    SetPatternBoxOrigin(area);
    FreePatternBox(extents);
    extents = area;
    char text[128];
    std::snprintf(text, sizeof text, "TABLE WIDTH = %0.3f IN.\nTABLE HEIGHT = %0.3f IN.",
                  double(extents->width), double(extents->height));
    UiShowMessage(MSG_INFO, BUTTONS_OK, text);

    // The area is also the first pattern box, corners in the opposite order (c3, c2, c1, c0)
    // so that it runs counter-clockwise on the screen like every box.
    const BoxPoint* c[4] = {};
    int n = 0;
    for (const BoxPoint* p = extents->corners; p != nullptr && n < 4; p = p->next)
        c[n++] = p;
    PatternBox* box = new PatternBox();
    for (int i = n - 1; i >= 0; --i)
        AddPatternBoxPoint(box, c[i]->x, c[i]->y, 0, 0);
    SetPatternBoxOrigin(box);
    box->angle = 0.0f;
    ReplaceCurrentBox(box);

    DrawGrid();
    return ReturnToPatternView();
}

}  // namespace

int CaptureAreaAdd()
{
    PatternBox* box = EnsureTemporaryBox();
    if (box->cornerCount == 0) {
        // From now on every position is measured from this corner. Without a port there is
        // no machine whose home could move.
        if (SetHome() == 0 && sp >= 0) {
            Refuse(kCommandFailed);
            return 0;
        }
        AddPatternBoxPoint(box, 0.0f, 0.0f, 1, 0);
        Prompt(kAreaBackRight);
        return 0;
    }
    float x = 0.0f, y = 0.0f;
    if (!ReadCapturePosition(&x, &y)) {
        Refuse(kCommandFailed);
        return 0;
    }
    if (box->cornerCount >= 2)
        return FinishArea(x, y);
    if (!AddPatternBoxPoint(box, x, y, 0, 1)) {
        Refuse(kBorderOverlap);
        return 0;
    }
    Prompt(kAreaFrontRight);
    return 0;
}

int CaptureAreaCancel()
{
    // Without an area there is nothing to go back to: the program needs one.
    if (extents == nullptr)
        return 0;
    // Once the first corner has made the machine's home, the old area and every placement
    // in it lie elsewhere on the quilt: there is no going back to them, the area is asked
    // for again from its first corner.
    if (homeMovedSinceArea) {
        Refuse(kHomeMoved);
        ClearPatternBox(EnsureTemporaryBox());
        Prompt(kAreaBackLeft);
        return 0;
    }
    return ReturnToPatternView();
}

// --- Pattern box ------------------------------------------------------------------------

namespace {

// Reads the machine and fixes the live corner there. False (after the message) when the
// position could not be read or the new side would cross the outline; the live corner is
// then back at the machine and the entry goes on.
// A second tap at the same place (a double tap) fixes no second corner there: Plus then
// changes nothing, and Check finishes with the corners already fixed.
bool FixLiveCorner(bool finishing)
{
    float x = 0.0f, y = 0.0f;
    if (!ReadCapturePosition(&x, &y)) {
        Refuse(kCommandFailed);
        return false;
    }
    PatternBox* box = EnsureTemporaryBox();
    if (box->cornerCount >= 2) {
        const BoxPoint* previous = box->corners;
        while (previous->next != nullptr && previous->next->next != nullptr)
            previous = previous->next;
        if (previous->x == x && previous->y == y) {
            if (!finishing)
                return false;
            DropLastCorner(box);
            return true;
        }
    }
    DropLastCorner(box);
    if (!AddPatternBoxPoint(box, x, y, 0, 1)) {
        AddPatternBoxPoint(box, x, y, 0, 0);
        UiRedrawView();
        Refuse(kBoxLinesCross);
        return false;
    }
    return true;
}

}  // namespace

int CaptureBoxPlus()
{
    if (!FixLiveCorner(false))
        return 0;
    const BoxPoint* fixed = LastCorner(pbTemp);
    AddPatternBoxPoint(pbTemp, fixed->x, fixed->y, 0, 0);
    Prompt(kBoxNextPoint);
    return 0;
}

int CaptureBoxCheck()
{
    if (!FixLiveCorner(true))
        return 0;
    if (pbTemp->cornerCount > 2 && !ClosingSideSound(pbTemp)) {
        // The corner just fixed stays the live one: the quilter moves and taps again.
        UiRedrawView();
        Refuse(kBoxLinesCross);
        return 0;
    }
    StopPositionPoll();
    if (pbTemp->cornerCount < 2) {
        Refuse(kNoPointsAdded);
        DropPlaceholderBox();
    } else if (pbTemp->cornerCount > 2) {
        SetPatternBoxOrigin(pbTemp);
        ReplaceCurrentBox(CopyPatternBox(pbTemp));
        placeholderSlot = -1;
    } else {
        const BoxPoint* a = pbTemp->corners;
        const BoxPoint* b = a->next;
        PatternBox* box = new PatternBox();
        if (BaselineRectangle(a->x, a->y, b->x, b->y, box)) {
            ReplaceCurrentBox(box);
            placeholderSlot = -1;
        } else {
            FreePatternBox(box);
            Refuse(kCannotCreateBox);
            DropPlaceholderBox();
        }
    }
    return ReturnToPatternView();
}

int CaptureBoxCancel()
{
    StopPositionPoll();
    DropPlaceholderBox();
    return ReturnToPatternView();
}

bool BaselineRectangle(float x0, float y0, float x1, float y1, PatternBox* box)
{
    if (box == nullptr)
        return false;
    // Direction in thousandths of a radian, truncated: along X either way, or along Y either
    // way. -3141 is refused as well as 3141: a baseline drawn leftwards a hair upwards is
    // just as flat as one drawn exactly leftwards.
    const double dx = double(x1) - double(x0), dy = double(y1) - double(y0);
    const int angle = int(std::atan2(dy, dx) * 1000.0);
    if (angle == 0 || angle == 1570 || angle == -1570 || angle == 3141 || angle == -3141)
        return false;

    // Counter-clockwise on the screen (Y grows downwards) from the first point: down the
    // first point's side first when the points lie along a falling diagonal, across first
    // when they lie along a rising one.
    ClearPatternBox(box);
    AddPatternBoxPoint(box, x0, y0, 1, 0);
    if (dx * dy > 0.0) {
        AddPatternBoxPoint(box, x0, y1, 0, 0);
        AddPatternBoxPoint(box, x1, y1, 0, 0);
        AddPatternBoxPoint(box, x1, y0, 0, 0);
    } else {
        AddPatternBoxPoint(box, x1, y0, 0, 0);
        AddPatternBoxPoint(box, x1, y1, 0, 0);
        AddPatternBoxPoint(box, x0, y1, 0, 0);
    }
    SetPatternBoxOrigin(box);
    box->angle = 0.0f;
    return true;
}

// --- Position poll ----------------------------------------------------------------------

namespace {
// A reply to a position query takes a few milliseconds; the poll waits this long at most,
// so that a silent controller leaves the screen's taps served (the wait and the quiet
// period after it together stay well under a third of a second).
constexpr int kPollReply_ms = 150;
}  // namespace

int CapturePollOnce()
{
    if (interface_.capturePolling != 1 || pbTemp == nullptr || pbTemp->cornerCount == 0)
        return 0;
    int x_thou = 0, y_thou = 0;
    if (GetXYWithin(&x_thou, &y_thou, kPollReply_ms) != 0) {
        // Said once per silence, not every second.
        if (!pollFailing)
            ConsoleLine("Position poll: the controller does not answer");
        pollFailing = true;
        return 0;
    }
    if (pollFailing)
        ConsoleLine("Position poll: the controller answers again");
    pollFailing = false;
    if (x_thou < 0) x_thou = 0;
    if (y_thou < 0) y_thou = 0;
    BoxPoint* live = LastCorner(pbTemp);
    if (interface_.capturePrompt) {
        const long liveX = std::lround(double(live->x) * 1000.0);
        const long liveY = std::lround(double(live->y) * 1000.0);
        if (std::labs(x_thou - liveX) > kPromptKeep_thou || std::labs(y_thou - liveY) > kPromptKeep_thou)
            interface_.capturePrompt.reset();
    }
    live->x = float(x_thou) / 1000.0f;
    live->y = float(y_thou) / 1000.0f;
    if (pbTemp->cornerCount < 2) {
        pbTemp->originX = live->x;
        pbTemp->originY = live->y;
    }
    UiRedrawView();
    return 1;
}

void StopPositionPoll()
{
    interface_.capturePolling = 0;
    UiStopPollTimer();
}
