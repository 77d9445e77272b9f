// Touch handlers of the pattern view and the stitching view. The logic is view/touch_edit;
// these handlers turn GDK events into its calls and do what it hands back.

#include "view/touch_edit_gtk.h"

#include <cstdio>
#include <string>

#include "app/gui_probe_gtk.h"
#include "base/interface.h"
#include "app/main_window.h"
#include "app/popup_menu.h"
#include "base/settings.h"
#include "base/status_bar.h"
#include "patterns/layout.h"
#include "patterns/pattern_box.h"
#include "view/pattern_view.h"
#include "view/touch_edit.h"

namespace {

// The one long-press timer: removed on every press and when its area goes, so no two
// timers ever count the same press.
guint timerSource = 0;
GtkWidget* timerArea = nullptr;

int64_t Now_ms() { return g_get_monotonic_time() / 1000; }

void StopTimerSource()
{
    if (timerSource != 0)
        g_source_remove(timerSource);
    timerSource = 0;
}

void ApplyCursor(GtkWidget* area, const TouchWork& work)
{
    if (!isWidget(area) || area->window == nullptr)
        return;
    if (work.busyCursor)
        SetCursorFromFile(area->window, "./images/thinker_20x20.png", 0);
    else if (work.arrowCursor)
        SetCursor(area->window, GDK_ARROW, 0);
}

gboolean OnTimerTick(gpointer data)
{
    const int ticket = GPOINTER_TO_INT(data);
    GtkWidget* area = timerArea;
    if (!isWidget(area) || area->window == nullptr) {
        timerSource = 0;
        EndTouchGesture();
        return FALSE;
    }
    int x = 0, y = 0;
    gdk_window_get_pointer(area->window, &x, &y, nullptr);
    const TouchWork work = ButtonTimer(ticket, x, y);
    ApplyCursor(area, work);
    if (menuReady && work.stopTimer)
        ProbeView("armed");
    if (work.stopTimer) {
        timerSource = 0;
        return FALSE;
    }
    return TRUE;
}

gboolean OnViewButtonPressEvent(GtkWidget* area, GdkEventButton* event, gpointer)
{
    // A double or triple click repeats a press already handled.
    if (event->type != GDK_BUTTON_PRESS)
        return TRUE;
    StopTimerSource();
    const int ticket = OnViewButtonPress(event->x, event->y, Now_ms());
    timerArea = area;
    timerSource = g_timeout_add(100, OnTimerTick, GINT_TO_POINTER(ticket));
    return TRUE;
}

gboolean OnViewButtonMotionEvent(GtkWidget*, GdkEventMotion* event, gpointer)
{
    OnViewButtonMotion(event->x, event->y);
    return TRUE;
}

gboolean OnViewButtonReleaseEvent(GtkWidget* area, GdkEventButton* event, gpointer)
{
    if (buttonHold != 1)
        return TRUE;  // its press went to another screen, or never came
    const TouchWork work = OnViewButtonRelease(event->x, event->y, Now_ms());
    ApplyCursor(area, work);
    if (work.openPopup)
        ShowPopupMenu(work.popupX, work.popupY);
    ProbeView("release", work.openPopup);
    return TRUE;
}

void OnAreaDestroyed(GtkWidget* area, gpointer)
{
    if (area != timerArea)
        return;
    StopTimerSource();
    timerArea = nullptr;
    EndTouchGesture();
}

// --- The probe line -----------------------------------------------------------------------

std::string Number(double v)
{
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.6g", v);
    return buf;
}

void AddRect(std::string* out, const char* name, const TouchRect& r, int ox, int oy)
{
    if (!out->empty())
        *out += ", ";
    *out += std::string("\"") + name + "\": ";
    if (!r.shown) {
        *out += "null";
        return;
    }
    char buf[80];
    std::snprintf(buf, sizeof buf, "[%d, %d, %d, %d]", ox + r.x, oy + r.y, r.w, r.h);
    *out += buf;
}

}  // namespace

void ConnectTouchHandlers(GtkWidget* area)
{
    g_signal_connect(area, "button-press-event", G_CALLBACK(OnViewButtonPressEvent), nullptr);
    g_signal_connect(area, "motion-notify-event", G_CALLBACK(OnViewButtonMotionEvent), nullptr);
    g_signal_connect(area, "button-release-event", G_CALLBACK(OnViewButtonReleaseEvent),
                     nullptr);
    g_signal_connect(area, "destroy", G_CALLBACK(OnAreaDestroyed), nullptr);
}

void ProbeView(const char* why, bool popupOpened)
{
    if (!ProbeEnabled())
        return;
    int ox = 0, oy = 0;
    GtkWidget* area = mainUi.drawingArea;
    if (isWidget(area) && area->window != nullptr)
        gdk_window_get_origin(area->window, &ox, &oy);

    std::string placements;
    for (const LayoutNode* n = patternLayout; n != nullptr; n = n->next) {
        if (n->boxIndex != currentBox)
            continue;
        if (!placements.empty())
            placements += ", ";
        placements += "[" + Number(n->x) + ", " + Number(n->y) + "]";
    }

    const TouchTargets t = CurrentTouchTargets();
    std::string targets;
    const char* buttonNames[5] = {"edit1", "edit2", "edit3", "edit4", "edit5"};
    for (int b = 0; b < 5; ++b)
        AddRect(&targets, buttonNames[b], t.editButtons[b], ox, oy);
    AddRect(&targets, "padLeft", t.padLeft, ox, oy);
    AddRect(&targets, "padRight", t.padRight, ox, oy);
    AddRect(&targets, "padUp", t.padUp, ox, oy);
    AddRect(&targets, "padDown", t.padDown, ox, oy);
    AddRect(&targets, "padOk", t.padOk, ox, oy);
    AddRect(&targets, "pageNext", t.pageNext, ox, oy);
    AddRect(&targets, "pagePrevious", t.pagePrevious, ox, oy);
    AddRect(&targets, "speedUp", t.speedUp, ox, oy);
    AddRect(&targets, "speedDown", t.speedDown, ox, oy);

    std::string line = std::string("{\"event\": \"view\", \"why\": ") + ProbeQuote(why) +
                       ", \"command\": " + std::to_string(static_cast<int>(command)) +
                       ", \"currentBox\": " + std::to_string(currentBox) +
                       ", \"viewScale\": " + Number(interface_.viewScale) +
                       ", \"panX\": " + std::to_string(interface_.panX) +
                       ", \"panY\": " + std::to_string(interface_.panY) +
                       ", \"status\": " + ProbeQuote(statusBar) +
                       ", \"menuReady\": " + std::to_string(menuReady ? 1 : 0) +
                       ", \"popup\": " + (popupOpened ? "true" : "false") +
                       ", \"measureText\": " +
                       (interface_.measureText ? ProbeQuote(*interface_.measureText) : "null") +
                       ", \"maxSpeed\": " + Number(maxSpeed) +
                       ", \"placements\": [" + placements + "], \"targets\": {" + targets + "}}";
    ProbeWrite(line);
}
