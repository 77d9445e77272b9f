// The widgets of the stitching run: the toolbar's Start, Stop, Stitching and lock toggles and
// the stitching view's PAUSE and THREAD BREAK. They keep the run's widget state current
// when touched and follow it back when the run changes it.

#include "app/run_widgets_gtk.h"

#include "app/main_window.h"
#include "base/screen_config.h"
#include "machine/stitching_run.h"

namespace {

void SetActiveQuietly(GtkWidget* toggle, bool active, GCallback handler)
{
    if (!isWidget(toggle) ||
        gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(toggle)) == (active ? TRUE : FALSE))
        return;
    g_signal_handlers_block_by_func(toggle, reinterpret_cast<gpointer>(handler), nullptr);
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(toggle), active);
    g_signal_handlers_unblock_by_func(toggle, reinterpret_cast<gpointer>(handler), nullptr);
}

void FollowRunWidgets()
{
    const ToolbarRecord& t = mainUi.toolbar;
    SetActiveQuietly(t.stitchingToggle, runWidgets.stitchingToggle,
                     G_CALLBACK(OnStitchingToggled));
    if (isWidget(t.stitchingToggle))
        gtk_widget_set_sensitive(t.stitchingToggle, runWidgets.stitchingSensitive);
    SetActiveQuietly(t.lockXToggle, runWidgets.lockXToggle, G_CALLBACK(menuRunLockX));
    SetActiveQuietly(t.lockYToggle, runWidgets.lockYToggle, G_CALLBACK(menuRunLockY));
    if (isWidget(mainUi.pauseButton)) {
        SetActiveQuietly(mainUi.pauseButton, runWidgets.pauseToggle, G_CALLBACK(OnPauseToggled));
        SetButtonFont(mainUi.pauseButton, runWidgets.pauseToggle ? "START" : "PAUSE",
                      icon_style == 1 ? "Sans Bold 16" : "Sans Bold 12");
        gtk_widget_set_sensitive(mainUi.pauseButton, runWidgets.pauseSensitive);
    }
    if (isWidget(mainUi.threadButton)) {
        if (runWidgets.threadShown)
            gtk_widget_show(mainUi.threadButton);
        else
            gtk_widget_hide(mainUi.threadButton);
        gtk_widget_set_sensitive(mainUi.threadButton, runWidgets.threadSensitive);
    }
}

}  // namespace

void OnStartClicked(GtkWidget*, gpointer) { startButtonReleased(); }
void OnStopClicked(GtkWidget*, gpointer) { stopButtonReleased(); }

void OnStitchingToggled(GtkToggleButton* button, gpointer)
{
    runWidgets.stitchingToggle = gtk_toggle_button_get_active(button);
    menuRunStitching(runWidgets.stitchingToggle);
}

void OnPauseToggled(GtkToggleButton* button, gpointer)
{
    runWidgets.pauseToggle = gtk_toggle_button_get_active(button);
    OnBtnPauseToggled(runWidgets.pauseToggle);
}

void OnThreadClicked(GtkButton*, gpointer) { OnBtnThreadClicked(); }

void InstallRunWidgets()
{
    runWidgetsChanged = FollowRunWidgets;
    runMovePointer = MoveMouseLocation;
}
