// Point selection by machine position: the rules behind the two dialogs.

#include "machine/point_select.h"

#include <cmath>
#include <cstdio>

#include "base/console.h"
#include "base/interface.h"
#include "base/ui_hooks.h"
#include "machine/controller.h"
#include "machine/serial.h"
#include "machine/stitch_path.h"
#include "patterns/pattern.h"

std::optional<std::pair<int32_t, int32_t>> GetCurrentLocation()
{
    // GetXY answers (0, 0) with success on a closed port; that is no position.
    if (sp < 0)
        return std::nullopt;
    int x = 0, y = 0;
    if (GetXY(&x, &y) != 0)
        return std::nullopt;
    return std::make_pair(int32_t(x), int32_t(y));
}

namespace {

float Distance_thou(const FullPattern_t* p, int32_t x, int32_t y)
{
    const float dx = p->x - float(x);
    const float dy = p->y - float(y);
    return std::sqrt(dx * dx + dy * dy);
}

}  // namespace

FullPattern_t* NearestStartPoint(FullPattern_t* first, int32_t x, int32_t y)
{
    if (first == nullptr)
        return nullptr;
    FullPattern_t* best = first;
    float bestDistance = Distance_thou(first, x, y);
    for (FullPattern_t* p = first->next; p != nullptr; p = p->next) {
        if (p->jump == 1)
            continue;  // the end of a stitched run: starting there would stitch nothing
        const float d = Distance_thou(p, x, y);
        if (d < bestDistance) {
            best = p;
            bestDistance = d;
        }
    }
    return best;
}

int PointDialogResponse(int kind, int x, int y, int W, int H, int B)
{
    if (y <= H - B)
        return 0;
    if (kind == POINT_DIALOG_POSITION)
        return RESPONSE_OK;
    const int n = (x - (W - 3 * B - 48) + B + 16) / (B + 16);
    if (n == 1)
        return RESPONSE_OK;
    if (n == 2)
        return RESPONSE_CANCEL;
    return 0;
}

std::pair<int, int> CrossHairPixel(int32_t x, int32_t y, float scale, int panX, int panY)
{
    // Single precision throughout, as the rest of the view computes its pixels.
    const float xi = float(x) / 1000.0f;
    const float yi = float(y) / 1000.0f;
    return {int(xi / scale) + panX, int(yi / scale) + panY};
}

PointDialogSession BeginPointDialog()
{
    PointDialogSession s;
    s.viewScale = interface_.viewScale;
    s.panX = interface_.panX;
    s.panY = interface_.panY;
    if (interface_.measureLine) {
        const MeasureLine& m = *interface_.measureLine;
        s.hadMeasureLine = true;
        s.measure[0] = m.startX;
        s.measure[1] = m.startY;
        s.measure[2] = m.endX;
        s.measure[3] = m.endY;
    } else {
        interface_.measureLine = MeasureLine{};
    }
    // The head must be free to be pushed to the spot.
    Resume();
    DisableX();
    DisableY();
    SendCommand(ControllerCommand::HandOver);
    return s;
}

void EndPointDialog(const PointDialogSession& s)
{
    if (s.hadMeasureLine)
        interface_.measureLine = MeasureLine{s.measure[0], s.measure[1], s.measure[2], s.measure[3]};
    else
        interface_.measureLine.reset();
    interface_.viewScale = s.viewScale;
    interface_.panX = s.panX;
    interface_.panY = s.panY;
    RefreshPatternPix();
    UiRedrawView();
}

void CrossHairTick()
{
    if (!interface_.measureLine)
        interface_.measureLine = MeasureLine{};
    int px = 0, py = 0;
    if (auto at = GetCurrentLocation()) {
        auto pixel = CrossHairPixel(at->first, at->second, interface_.viewScale, interface_.panX,
                                    interface_.panY);
        px = pixel.first;
        py = pixel.second;
    }
    interface_.measureLine->startX = px;
    interface_.measureLine->startY = py;
}

namespace {

}  // namespace

FullPattern_t* SelectStartPoint(const std::function<int()>& runDialog)
{
    if (interface_.stitchList == nullptr) {
        ConsoleLine("Return Point is NULL");
        return nullptr;
    }
    const PointDialogSession session = BeginPointDialog();
    const int response = runDialog ? runDialog() : RESPONSE_CANCEL;
    EndPointDialog(session);
    if (response != RESPONSE_OK) {
        ConsoleLine("Return Point is NULL");
        return nullptr;
    }
    const auto at = GetCurrentLocation();
    if (!at) {
        UiShowMessage(MSG_ERROR, BUTTONS_OK, kPointReadFailed);
        ConsoleLine("Return Point is NULL");
        return nullptr;
    }
    FullPattern_t* point = NearestStartPoint(interface_.stitchList, at->first, at->second);
    ConsolePrintf("Return Point At ( %0.3f, %0.3f )\n", double(point->x), double(point->y));
    return point;
}
