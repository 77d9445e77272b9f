#include "base/ui_hooks.h"

#include <glib.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>

UiHooks uiHooks;

void ResetUiHooks() { uiHooks = UiHooks(); }

int AffirmativeResponse(int buttons)
{
    switch (buttons) {
    case BUTTONS_CLOSE: return RESPONSE_CLOSE;
    case BUTTONS_YES_NO: return RESPONSE_YES;
    default: return RESPONSE_OK;
    }
}

int UiShowMessage(int kind, int buttons, const std::string& text)
{
    if (uiHooks.showMessage)
        return uiHooks.showMessage(kind, buttons, text);
    std::fprintf(stderr, "[message] %s\n", text.c_str());
    return AffirmativeResponse(buttons);
}

int UiShowMessageSpecial(int kind, const std::string& text, const std::string& extraButton,
                         int extraResponse)
{
    if (uiHooks.showMessageSpecial)
        return uiHooks.showMessageSpecial(kind, text, extraButton, extraResponse);
    std::fprintf(stderr, "[message] %s\n", text.c_str());
    return RESPONSE_OK;
}

int UiShowMessagePlus(int kind, int buttons, const std::string& text,
                      const std::string& extraButton, int extraResponse)
{
    if (uiHooks.showMessagePlus)
        return uiHooks.showMessagePlus(kind, buttons, text, extraButton, extraResponse);
    std::fprintf(stderr, "[message] %s\n", text.c_str());
    return AffirmativeResponse(buttons);
}

void* UiStatusOpen(const std::string& title)
{
    return uiHooks.statusOpen ? uiHooks.statusOpen(title) : nullptr;
}
void UiStatusText(void* handle, const std::string& text)
{
    if (uiHooks.statusText) uiHooks.statusText(handle, text);
}
void UiStatusPulse(void* handle)
{
    if (uiHooks.statusPulse) uiHooks.statusPulse(handle);
}
void UiStatusClose(void* handle)
{
    if (uiHooks.statusClose) uiHooks.statusClose(handle);
}
bool UiStatusAbortPressed(void* handle)
{
    return uiHooks.statusAbortPressed ? uiHooks.statusAbortPressed(handle) : false;
}

void* UiWaitingOpen(const std::string& message, bool showCancel)
{
    return uiHooks.waitingOpen ? uiHooks.waitingOpen(message, showCancel) : nullptr;
}
void UiWaitingInfo(void* handle, const std::string& info)
{
    if (uiHooks.waitingInfo) uiHooks.waitingInfo(handle, info);
}
void UiWaitingClose(void* handle)
{
    if (uiHooks.waitingClose) uiHooks.waitingClose(handle);
}
bool UiWaitingCancelPressed(void* handle)
{
    return uiHooks.waitingCancelPressed ? uiHooks.waitingCancelPressed(handle) : false;
}

void UiRunPendingEvents()
{
    if (uiHooks.runPendingEvents) uiHooks.runPendingEvents();
}

int UiShowKeyboard(std::string& text, const std::string& prompt)
{
    if (uiHooks.showKeyboard)
        return uiHooks.showKeyboard(text, prompt);
    return 1;  // keep the text as it is
}

double UiNumberEntry(const std::string& startText, int allowDecimal, int angleMode)
{
    if (uiHooks.numberEntry)
        return uiHooks.numberEntry(startText, allowDecimal, angleMode);
    return NumberFromText(startText);
}

double NumberFromText(const std::string& text)
{
    // Not strtod: the toolkit sets the locale, and a decimal comma would cut "2.5" to 2.
    const double value = g_ascii_strtod(text.c_str(), nullptr);
    return std::isfinite(value) ? value : 0.0;
}

std::string UiGetFilename(const std::string& startFolder, const std::string& extensions)
{
    return uiHooks.getFilename ? uiHooks.getFilename(startFolder, extensions) : std::string();
}

void UiShowScreen(Screen screen)
{
    if (uiHooks.showScreen) uiHooks.showScreen(screen);
}
void UiRedrawView()
{
    if (uiHooks.redrawView) uiHooks.redrawView();
}
void UiApplySensitivity(uint32_t mask)
{
    if (uiHooks.applySensitivity) uiHooks.applySensitivity(mask);
}
void UiSetCursor(CursorKind kind)
{
    if (uiHooks.setCursor) uiHooks.setCursor(kind);
}

bool UiToggleActive(ToolbarToggle toggle)
{
    return uiHooks.toggleActive ? uiHooks.toggleActive(toggle) : false;
}
void UiSetToggle(ToolbarToggle toggle, bool active)
{
    if (uiHooks.setToggle) uiHooks.setToggle(toggle, active);
}

void UiSelectPosition()
{
    if (uiHooks.selectPosition)
        uiHooks.selectPosition();
}

int UiNestFineTune()
{
    return uiHooks.nestFineTune ? uiHooks.nestFineTune() : RESPONSE_OK;
}
