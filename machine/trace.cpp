// Trace mode: recording a pattern by hand and saving it.

#include "machine/trace.h"

#include <cstdio>

#include "base/interface.h"
#include "base/sensitivity.h"
#include "base/ui_hooks.h"
#include "machine/point_select.h"
#include "patterns/pattern.h"
#include "patterns/navigation_mask.h"

namespace trace_text {
const char* const kNoResponse = "NO RESPONSE FROM MOTOR CONTROLLER.\nABORTING RECORD.";
const char* const kNothingRecorded = "NOTHING HAS BEEN RECORDED.";
}  // namespace trace_text

Pattern* tmpPattern = nullptr;
TraceWidgets traceWidgets;
void (*traceWidgetsChanged)() = nullptr;
std::function<std::optional<std::pair<int32_t, int32_t>>()> tracePositionSource;

namespace {

// 1 while RecordTrace's loop runs.
bool recording = false;

void WidgetsChanged()
{
    if (traceWidgetsChanged != nullptr)
        traceWidgetsChanged();
}

std::optional<std::pair<int32_t, int32_t>> ReadPosition()
{
    return tracePositionSource ? tracePositionSource() : GetCurrentLocation();
}

std::string Format(const char* format, double x, double y)
{
    char text[96];
    std::snprintf(text, sizeof text, format, x, y);
    return text;
}

}  // namespace

void BeginTraceScreen()
{
    erasePattern(tmpPattern);
    tmpPattern = nullptr;
    traceWidgets = TraceWidgets{};
}

void OnBtnStartTraceToggled(bool active)
{
    traceWidgets.startActive = active;
    if (active)
        RecordTrace();
}

int RecordTrace()
{
    if (recording)
        return -1;
    recording = true;
    traceWidgets.startActive = true;
    SetSensitivity(kMaskAllOff);
    traceWidgets.saveSensitive = false;
    erasePattern(tmpPattern);
    tmpPattern = newPattern();
    WidgetsChanged();
    UiRedrawView();
    UiRunPendingEvents();

    // The first reading is always a point: a trace begun at the home position keeps the
    // edge that leaves it.
    bool havePosition = false;
    std::pair<int32_t, int32_t> last{0, 0};
    int failures = 0;
    while (traceWidgets.startActive) {
        const auto at = ReadPosition();
        if (!at) {
            if (++failures > kTraceFailuresTolerated) {
                UiShowMessage(MSG_ERROR, BUTTONS_OK, trace_text::kNoResponse);
                traceWidgets.startActive = false;
                WidgetsChanged();
            }
        } else if (!havePosition || *at != last) {
            const double x = at->first / 1000.0, y = at->second / 1000.0;
            addData(tmpPattern, Format("p X%0.3f Y%0.3f\n", x, y), 1);
            interface_.infoText = Format("X: %0.3f Y: %0.3f", x, y);
            UiRedrawView();
            havePosition = true;
            last = *at;
        }
        // Every pass, a failed one too: Stop must act within one reading.
        UiRunPendingEvents();
    }

    traceWidgets.saveSensitive = true;
    WidgetsChanged();
    SetSensitivity(NavigationMask());
    recording = false;
    return tmpPattern->pointCount;
}

int OnBtnSaveClicked()
{
    if (tmpPattern == nullptr)
        return 0;
    if (tmpPattern->pointCount < 2) {
        UiShowMessage(MSG_ERROR, BUTTONS_OK, trace_text::kNothingRecorded);
        return 0;
    }
    return SavePatternInFolder(tmpPattern, kPatternFolder, kOverwriteQuestionShort);
}
