// The screen that captures the quilting area (target 0) and pattern boxes (target 1) by
// machine position.

#include <gtk/gtk.h>

#include "app/main_window.h"
#include "app/screen_config.h"
#include "machine/controller.h"
#include "view/drawing_area_gtk.h"

GtkWidget* createExtentsSetup(int target)
{
    (void)target;
    // The operator pushes the head by hand: the controller resumes, both motors let go.
    Resume();
    DisableX();
    DisableY();
    SendCommand(CMD_HAND_OVER);
    GtkWidget* fixed = gtk_fixed_new();
    GtkWidget* area = SetDrawingArea(DA_EXTENTS);
    gtk_fixed_put(GTK_FIXED(fixed), area, 0, 0);
    return fixed;
}
