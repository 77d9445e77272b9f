#pragma once
// The UI seam: the only way the program's logic reaches the person at the machine.
//
// The logic asks questions, shows progress and keeps the screen alive through the functions
// declared here. Each forwards to the hook installed in `uiHooks`:
//   - the GTK side installs real windows and widgets at start-up (the Install* functions of
//     app/message_windows_gtk.cpp, app/main_window_gtk.cpp, app/run_widgets_gtk.cpp,
//     app/toolbar_gtk.cpp, files/keyboard_dialog.cpp ... and the members set in
//     app/startup_gtk.cpp),
//   - tests install a scripted implementation that expects prompts and answers them and
//     records every other call (tests/support/scripted_ui.h),
//   - corvan-tool installs an answering one that says OK/Yes and prints the prompts.
// With no hook installed a call behaves like the answering implementation, so the logic
// can never crash for want of a user interface.
//
// Keep it narrow: what the user sees and answers, and the few steps of work that a window or
// a widget sets going (Cancel of a waiting window, the edit tools of the pattern view).
//
// Members the program does not install yet. A call falls back as the table says until the
// feature named last installs it. A member added ahead of its feature gets a row here; none
// is waiting today:
//
// | member           | with nothing installed                            | filled by           |
// |------------------|---------------------------------------------------|---------------------|
// | (none)           |                                                   |                     |
//
// Every member is installed by the GTK side, at start-up (app/startup_gtk.cpp) or when the
// screen it serves is built (stopPollTimer, traceWidgetsChanged).

#include <cstdint>
#include <functional>
#include <string>

struct FullPattern_t;
struct ScaleState;
struct PropertiesState;

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

// Where the pointer goes after a press on the touch screen, so that the widget just pressed
// does not stay under it: down off the toolbar, or up off the stitching view's buttons. The
// distances in pixels are the GTK side's.
enum class PointerMove { OffToolbar, OffRunButtons };

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
    // The toolbar's toggles: read one, or switch one on or off (its handler stays quiet;
    // `runWidgets` follows).
    std::function<bool(ToolbarToggle toggle)> toggleActive;
    std::function<void(ToolbarToggle toggle, bool active)> setToggle;

    // The stitching run changed `runWidgets` (machine/stitching_run.h): the widgets follow
    // it without running their handlers.
    std::function<void()> runWidgetsChanged;
    // The trace recording changed `traceWidgets` (machine/trace.h): the same for the trace
    // screen's widgets.
    std::function<void()> traceWidgetsChanged;
    std::function<void(PointerMove move)> movePointer;
    // "SET START": the operator picks the start point of the prepared stitch path with the
    // machine. The point, or null when none was picked.
    std::function<FullPattern_t*()> runSelectPoint;
    // The Undo entry: usable (while the mask allows it) once a snapshot waits to be restored.
    std::function<void(bool snapshotTaken)> undoSensitivity;
    // The area setup's once-a-second position poll stops (its timer is removed).
    std::function<void()> stopPollTimer;
    // Ends the pattern view's edit tools: the measurement removed, the edit buttons hidden.
    std::function<void()> releaseAllUi;
    // Cancel of a waiting window: the work it waits for stops (its flags are cleared) ...
    std::function<void()> stopWorkOnCancel;
    // ... and, when the window was opened with undo, the layout goes back to the snapshot.
    std::function<void()> restoreUndoOnCancel;
    // The widget halves of the pattern dialogs: show the dialog for `state` (which they may
    // change) and return the response.
    std::function<int(ScaleState& state)> scaleDialog;
    std::function<int(PropertiesState& state)> propertiesDialog;
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
void UiRunWidgetsChanged();
void UiTraceWidgetsChanged();
void UiMovePointer(PointerMove move);
// Null when nothing is installed.
FullPattern_t* UiRunSelectPoint();
void UiUndoSensitivity(bool snapshotTaken);
void UiStopPollTimer();
void UiReleaseAll();
void UiStopWorkOnCancel();
void UiRestoreUndoOnCancel();
// RESPONSE_CANCEL when nothing is installed.
int UiScaleDialog(ScaleState& state);
int UiPropertiesDialog(PropertiesState& state);
void UiSelectPosition();
int UiNestFineTune();

// The answer the answering implementation gives to a message with these buttons.
int AffirmativeResponse(int buttons);

// The number a typed text stands for, read the same way whatever the locale: its leading
// decimal number ("2.5" is 2.5 under every locale), 0 when there is none or when it is not
// finite ("nan", "inf", "1e400").
double NumberFromText(const std::string& text);
