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
    // Answer every unexpected message affirmatively instead of failing (still recorded).
    ScriptedUi& AllowUnexpected(bool allow = true);

    // Everything shown, in order: messages, status texts and waiting messages.
    std::vector<std::string> messages;
    std::vector<std::string> statusTexts;
    std::vector<std::string> waitingMessages;
    std::vector<Screen> screens;
    std::vector<unsigned> masks;
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
    bool allowUnexpected_ = false;
    int handles_ = 0;
};
