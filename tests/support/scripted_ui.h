#pragma once
// A scripted user for tests: a queue of expected prompts with their answers, installed into
// the UI seam. A message the script did not expect fails the test.
#include <deque>
#include <string>
#include <vector>

#include "base/ui_hooks.h"

class ScriptedUi {
public:
    ScriptedUi();   // installs itself into uiHooks
    ~ScriptedUi();  // resets uiHooks and checks that every expectation was used

    // Expect a message whose text equals `text` exactly and answer it with `response`.
    ScriptedUi& Expect(const std::string& text, int response);
    // Expect a message whose text contains `fragment`.
    ScriptedUi& ExpectContaining(const std::string& fragment, int response);
    // Answer the next keyboard prompt by replacing the text (1 = OK, 0 = Cancel).
    ScriptedUi& Type(const std::string& text, int result = 1);
    // Answer the next number pad.
    ScriptedUi& Enter(double value);
    // Answer the next file chooser ("" = cancelled).
    ScriptedUi& Choose(const std::string& path);
    // Answer the next "SET START" with this point of the stitch path (unscripted: none picked).
    ScriptedUi& PickStartPoint(FullPattern_t* point);
    // Answer every unexpected message affirmatively instead of failing (still recorded).
    ScriptedUi& AllowUnexpected(bool allow = true);

    // Everything shown, in order: messages, status texts and waiting messages.
    std::vector<std::string> messages;
    std::vector<std::string> statusTexts;
    std::vector<std::string> waitingMessages;
    std::vector<Screen> screens;
    std::vector<unsigned> masks;
    // The widget side's calls: the run's and the trace's widgets followed, pointer moves,
    // start points asked for, the Undo entry (true: a snapshot waits), the area setup's poll
    // timer stopped, the pattern view's edit tools released.
    int runWidgetChanges = 0;
    int traceWidgetChanges = 0;
    std::vector<PointerMove> pointerMoves;
    int startPointPicks = 0;
    std::vector<bool> undoSnapshots;
    int pollTimerStops = 0;
    int editToolReleases = 0;
    int pendingEventRuns = 0;
    // Set to make the next status window report STOP / waiting window report Cancel.
    bool pressStatusStop = false;
    bool pressWaitingCancel = false;

private:
    struct Expectation {
        std::string text;
        bool exact;
        int response;
    };
    int Answer(const std::string& text, int fallback);
    std::deque<Expectation> expected_;
    std::deque<std::pair<std::string, int>> typed_;
    std::deque<double> numbers_;
    std::deque<std::string> files_;
    std::deque<FullPattern_t*> points_;
    bool allowUnexpected_ = false;
    int handles_ = 0;
};
