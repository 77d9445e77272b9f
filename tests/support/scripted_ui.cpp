#include "support/scripted_ui.h"

#include <gtest/gtest.h>

#include "base/message_windows.h"

ScriptedUi::ScriptedUi()
{
    ResetUiHooks();
    uiHooks.showMessage = [this](int, int buttons, const std::string& text) {
        return Answer(text, AffirmativeResponse(buttons));
    };
    uiHooks.showMessageSpecial = [this](int, const std::string& text, const std::string&, int) {
        return Answer(text, RESPONSE_OK);
    };
    uiHooks.showMessagePlus = [this](int, int buttons, const std::string& text,
                                     const std::string&, int) {
        return Answer(text, AffirmativeResponse(buttons));
    };
    uiHooks.statusOpen = [this](const std::string& title) -> void* {
        statusTexts.push_back(title);
        return reinterpret_cast<void*>(static_cast<intptr_t>(++handles_));
    };
    uiHooks.statusText = [this](void*, const std::string& text) { statusTexts.push_back(text); };
    uiHooks.statusAbortPressed = [this](void*) { return pressStatusStop; };
    uiHooks.waitingOpen = [this](const std::string& message, bool) -> void* {
        waitingMessages.push_back(message);
        return reinterpret_cast<void*>(static_cast<intptr_t>(++handles_));
    };
    uiHooks.waitingCancelPressed = [this](void*) { return pressWaitingCancel; };
    uiHooks.runPendingEvents = [this] { ++pendingEventRuns; };
    uiHooks.showKeyboard = [this](std::string& text, const std::string& prompt) {
        if (typed_.empty()) {
            ADD_FAILURE() << "unexpected keyboard prompt: " << prompt;
            return 0;
        }
        auto answer = typed_.front();
        typed_.pop_front();
        text = answer.first;
        return answer.second;
    };
    uiHooks.numberEntry = [this](const std::string& start, int, int) {
        if (numbers_.empty()) {
            ADD_FAILURE() << "unexpected number pad starting at " << start;
            return 0.0;
        }
        double v = numbers_.front();
        numbers_.pop_front();
        return v;
    };
    uiHooks.getFilename = [this](const std::string& folder, const std::string&) {
        if (files_.empty()) {
            ADD_FAILURE() << "unexpected file chooser in " << folder;
            return std::string();
        }
        std::string f = files_.front();
        files_.pop_front();
        return f;
    };
    uiHooks.showScreen = [this](Screen s) { screens.push_back(s); };
    uiHooks.applySensitivity = [this](uint32_t mask) { masks.push_back(mask); };
    uiHooks.runWidgetsChanged = [this] { ++runWidgetChanges; };
    uiHooks.traceWidgetsChanged = [this] { ++traceWidgetChanges; };
    uiHooks.movePointer = [this](PointerMove move) { pointerMoves.push_back(move); };
    uiHooks.runSelectPoint = [this]() -> FullPattern_t* {
        ++startPointPicks;
        if (points_.empty())
            return nullptr;
        FullPattern_t* point = points_.front();
        points_.pop_front();
        return point;
    };
    uiHooks.undoSensitivity = [this](bool taken) { undoSnapshots.push_back(taken); };
    uiHooks.stopPollTimer = [this] { ++pollTimerStops; };
    uiHooks.releaseAllUi = [this] { ++editToolReleases; };
}

ScriptedUi::~ScriptedUi()
{
    for (const auto& e : expected_)
        ADD_FAILURE() << "expected message never shown: " << e.text;
    // A waiting window left to the caller to close (LoadLayout's) goes with the seam that
    // showed it; a later test would otherwise poll it for Cancel.
    if (waitWindow != nullptr && waitWindow->window != nullptr)
        CloseWaitingWindow(waitWindow);
    ResetUiHooks();
}

ScriptedUi& ScriptedUi::PickStartPoint(FullPattern_t* point)
{
    points_.push_back(point);
    return *this;
}

ScriptedUi& ScriptedUi::Expect(const std::string& text, int response)
{
    expected_.push_back({text, true, response});
    return *this;
}

ScriptedUi& ScriptedUi::ExpectContaining(const std::string& fragment, int response)
{
    expected_.push_back({fragment, false, response});
    return *this;
}

ScriptedUi& ScriptedUi::Type(const std::string& text, int result)
{
    typed_.emplace_back(text, result);
    return *this;
}

ScriptedUi& ScriptedUi::Enter(double value)
{
    numbers_.push_back(value);
    return *this;
}

ScriptedUi& ScriptedUi::Choose(const std::string& path)
{
    files_.push_back(path);
    return *this;
}

ScriptedUi& ScriptedUi::AllowUnexpected(bool allow)
{
    allowUnexpected_ = allow;
    return *this;
}

int ScriptedUi::Answer(const std::string& text, int fallback)
{
    messages.push_back(text);
    if (!expected_.empty()) {
        const Expectation& e = expected_.front();
        bool match = e.exact ? text == e.text : text.find(e.text) != std::string::npos;
        if (match) {
            int r = e.response;
            expected_.pop_front();
            return r;
        }
    }
    if (!allowUnexpected_)
        ADD_FAILURE() << "unexpected message: \"" << text << "\""
                      << (expected_.empty() ? std::string() : " (expected \"" + expected_.front().text + "\")");
    return fallback;
}
