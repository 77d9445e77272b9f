#pragma once
// The UI seam: the only way the program's logic reaches the person at the machine.
//
// The logic asks questions, shows progress and keeps the screen alive through the functions
// declared here. Each forwards to the hook installed in `uiHooks`:
//   - the GTK shell installs real windows at start-up (app/ui_gtk.cpp),
//   - tests install a scripted implementation that expects prompts and answers them,
//   - corvan-tool installs an answering one that says OK/Yes and prints the prompts.
// With no hook installed a call behaves like the answering implementation, so the logic
// can never crash for want of a user interface.
//
// Keep it narrow: what the user sees and answers, nothing else.

#include <cstdint>
#include <functional>
#include <string>

// Message kinds (GTK message types) and button sets (GTK button sets).
enum MessageKind { MSG_INFO = 0, MSG_WARNING = 1, MSG_QUESTION = 2, MSG_ERROR = 3 };
enum MessageButtons { BUTTONS_OK = 1, BUTTONS_CLOSE = 2, BUTTONS_YES_NO = 4, BUTTONS_OK_CANCEL = 5 };
// Responses (GTK responses) that callers compare against.
enum MessageResponse {
    RESPONSE_DELETE = -4,
    RESPONSE_OK = -5,
    RESPONSE_CANCEL = -6,
    RESPONSE_CLOSE = -7,
    RESPONSE_YES = -8,
    RESPONSE_NO = -9,
};

// The screens that can sit below the menu row.
enum class Screen {
    PatternView,
    StitchingView,
    PatternSelect,
    ExtentsSetup,
    Trace,
    Camera,
    Setup,
    FileManager,
};

// Cursor shapes the logic asks for while it works.
enum class CursorKind { Normal, Busy };

// The toolbar's toggles whose state the logic reads and sets.
enum class ToolbarToggle { Stitching, LockX, LockY };

struct UiHooks {
    // Message windows: return the GTK response of the button pressed.
    std::function<int(int kind, int buttons, const std::string& text)> showMessage;
    std::function<int(int kind, const std::string& text, const std::string& extraButton,
                      int extraResponse)> showMessageSpecial;
    // Any button set plus one more button answering `extraResponse` (Yes, No and Cancel),
    // sized like the message window.
    std::function<int(int kind, int buttons, const std::string& text,
                      const std::string& extraButton, int extraResponse)> showMessagePlus;

    // Status window (progress with STOP). `handle` is the shell's own token for the window.
    std::function<void*(const std::string& title)> statusOpen;
    std::function<void(void* handle, const std::string& text)> statusText;
    std::function<void(void* handle)> statusPulse;
    std::function<void(void* handle)> statusClose;
    // Polled by the long operation between items: has STOP been pressed on this window?
    std::function<bool(void* handle)> statusAbortPressed;

    // Waiting window (animation, optional Cancel).
    std::function<void*(const std::string& message, bool showCancel)> waitingOpen;
    std::function<void(void* handle, const std::string& info)> waitingInfo;
    std::function<void(void* handle)> waitingClose;
    std::function<bool(void* handle)> waitingCancelPressed;

    // "Run all pending GTK events": keeps the screen alive inside long operations.
    std::function<void()> runPendingEvents;

    // Modal input. showKeyboard replaces `text` with the entry's final content and returns
    // 1 for OK, 0 for Cancel. numberEntry returns the number (the start value on Cancel).
    std::function<int(std::string& text, const std::string& prompt)> showKeyboard;
    std::function<double(const std::string& startText, int allowDecimal, int angleMode)> numberEntry;
    // Returns the chosen path, or an empty string when cancelled.
    std::function<std::string(const std::string& startFolder, const std::string& extensions)> getFilename;

    // Screen changes, redraws and the sensitivity mask applied to menus and toolbar.
    std::function<void(Screen screen)> showScreen;
    std::function<void()> redrawView;
    std::function<void(uint32_t mask)> applySensitivity;
    std::function<void(CursorKind kind)> setCursor;
    // The toolbar's toggles: read one, or switch one on or off (its handler runs).
    std::function<bool(ToolbarToggle toggle)> toggleActive;
    std::function<void(ToolbarToggle toggle, bool active)> setToggle;

    // Nesting: the position dialog over the current box until a tap on its bottom row
    // (unset: returns at once), and the fine-tune dialog "NESTING" that follows the machine
    // and returns its response (unset: OK).
    std::function<void()> selectPosition;
    std::function<int()> nestFineTune;
};

// The hooks in force. Replace members to change behaviour; unset members fall back to the
// answering behaviour described above.
extern UiHooks uiHooks;

// Resets every hook to unset (the answering behaviour).
void ResetUiHooks();

// Calls through the seam.
int UiShowMessage(int kind, int buttons, const std::string& text);
int UiShowMessageSpecial(int kind, const std::string& text, const std::string& extraButton,
                         int extraResponse);
// Unset: the affirmative answer of `buttons` (Yes for Yes/No).
int UiShowMessagePlus(int kind, int buttons, const std::string& text,
                      const std::string& extraButton, int extraResponse);
void* UiStatusOpen(const std::string& title);
void UiStatusText(void* handle, const std::string& text);
void UiStatusPulse(void* handle);
void UiStatusClose(void* handle);
bool UiStatusAbortPressed(void* handle);
void* UiWaitingOpen(const std::string& message, bool showCancel);
void UiWaitingInfo(void* handle, const std::string& info);
void UiWaitingClose(void* handle);
bool UiWaitingCancelPressed(void* handle);
void UiRunPendingEvents();
int UiShowKeyboard(std::string& text, const std::string& prompt);
double UiNumberEntry(const std::string& startText, int allowDecimal, int angleMode);
std::string UiGetFilename(const std::string& startFolder, const std::string& extensions);
void UiShowScreen(Screen screen);
void UiRedrawView();
void UiApplySensitivity(uint32_t mask);
void UiSetCursor(CursorKind kind);
// False when no toolbar exists.
bool UiToggleActive(ToolbarToggle toggle);
void UiSetToggle(ToolbarToggle toggle, bool active);
void UiSelectPosition();
int UiNestFineTune();

// The answer the answering implementation gives to a message with these buttons.
int AffirmativeResponse(int buttons);

// The number a typed text stands for, read the same way whatever the locale: its leading
// decimal number ("2.5" is 2.5 under every locale), 0 when there is none or when it is not
// finite ("nan", "inf", "1e400").
double NumberFromText(const std::string& text);
