#pragma once
// Trace mode: a new pattern recorded by guiding the machine by hand.
//
// Both axes are free; while the trace screen's Start toggle is on, the machine position is
// read as fast as the controller answers and every new position becomes a point of
// `tmpPattern`, added as the pattern-file line "p X%0.3f Y%0.3f" (inches). The machine is
// never moved here. The recording can be saved as an ordinary pattern file.
//
// Like the run's widgets (machine/stitching_run.h), the trace screen's Start toggle and
// Save button are plain state here (`traceWidgets`); the widget side keeps it current when
// the operator touches them and follows it back through traceWidgetsChanged. Everything
// else reaches the operator through the UI seam.

#include <cstdint>
#include <functional>
#include <optional>
#include <utility>

struct Pattern;

// The pattern being recorded (or last recorded); null before the first recording.
// Freed when the trace screen is built again.
extern Pattern* tmpPattern;

struct TraceWidgets {
    bool startActive = false;   // the toggle: on = recording, labelled "Stop"; off = "Start"
    bool saveSensitive = true;  // Save is unusable while recording
};
extern TraceWidgets traceWidgets;
// Installed by the trace screen: makes its widgets follow `traceWidgets` without running
// their handlers. Null: nothing to follow.
extern void (*traceWidgetsChanged)();

// Where the recording reads the machine position (thousandths of an inch; none = a failed
// reading). Unset: GetCurrentLocation.
extern std::function<std::optional<std::pair<int32_t, int32_t>>()> tracePositionSource;

// A recording ends after this many failed readings, counted over the whole recording.
constexpr int kTraceFailuresTolerated = 10;

namespace trace_text {
extern const char* const kNoResponse;       // "NO RESPONSE FROM MOTOR CONTROLLER.\nABORTING RECORD."
extern const char* const kNothingRecorded;  // "NOTHING HAS BEEN RECORDED."
}  // namespace trace_text

// The trace screen is being built: the old recording goes, the toggle is off.
void BeginTraceScreen();

// The Start toggle switched to `active`. On: records until it is switched off (returns
// when the recording has ended). Off: the recording running underneath ends at its next
// pass. Switching on while a recording still runs (off and on again within one pass)
// keeps that recording going instead of starting a second one inside it.
void OnBtnStartTraceToggled(bool active);

// The recording loop. Returns the number of points recorded; -1 when a recording already
// runs (nothing done).
int RecordTrace();

// Save: the recording under a name asked on the keyboard, in "./patterns/". 1 written;
// 0 cancelled, refused or not written ("NOTHING HAS BEEN RECORDED." with fewer than two
// points, which would read back as no pattern).
int OnBtnSaveClicked();
