// "Repeat": the dialog of counts and gaps for an array, and the pop-up menu's entry to it.
// The work is RepeatApply's (app/array_actions.h).

#include "app/array_dialog.h"

#include "app/array_actions.h"
#include "app/main_window.h"
#include "app/message_windows_gtk.h"
#include "base/interface.h"
#include "base/screen_config.h"
#include "base/screen_state.h"
#include "base/ui_hooks.h"
#include "patterns/array_layout.h"

namespace {

GtkWidget* Slider(double low, double high, double step, double value)
{
    GtkWidget* s = gtk_hscale_new_with_range(low, high, step);
    gtk_range_set_value(GTK_RANGE(s), value);
    gtk_widget_set_size_request(s, icon_style == 1 ? 150 : 120, 50);
    return s;
}

void Cell(GtkWidget* table, GtkWidget* child, int column, int row)
{
    gtk_table_attach(GTK_TABLE(table), child, column, column + 1, row, row + 1, GTK_FILL,
                     GTK_FILL, 5, 5);
}

}  // namespace

int ArrayDialog(LayoutNode* node)
{
    LayoutNode* target = RepeatTarget(node);
    if (target == nullptr)
        return GTK_RESPONSE_CANCEL;
    const RepeatValues start = RepeatStartValues(target);

    GtkWidget* dialog = gtk_dialog_new_with_buttons("Repeat", nullptr, GTK_DIALOG_MODAL,
                                                    "gtk-ok", GTK_RESPONSE_OK, "gtk-cancel",
                                                    GTK_RESPONSE_CANCEL, nullptr);
    gtk_widget_set_size_request(GTK_DIALOG(dialog)->vbox, array_dialog_width,
                                array_dialog_height);
    gtk_window_set_position(GTK_WINDOW(dialog), GTK_WIN_POS_CENTER);
    if (drawFrameHandler != nullptr)
        g_signal_connect(dialog, "expose-event", G_CALLBACK(drawFrameHandler), nullptr);
    g_signal_connect(dialog, "expose-event", G_CALLBACK(CursorExpose), nullptr);

    GtkWidget* table = gtk_table_new(4, 2, FALSE);
    gtk_container_set_border_width(GTK_CONTAINER(table), 10);
    GtkWidget* across = Slider(kRepeatMinCount, kRepeatMaxCount, 1, start.across);
    GtkWidget* spacingAcross = Slider(-kRepeatMaxSpacing, kRepeatMaxSpacing, 0.1,
                                      start.spacingAcross);
    GtkWidget* down = Slider(kRepeatMinCount, kRepeatMaxCount, 1, start.down);
    GtkWidget* spacingDown = Slider(-kRepeatMaxSpacing, kRepeatMaxSpacing, 0.1, start.spacingDown);
    gtk_scale_set_digits(GTK_SCALE(across), 0);
    gtk_scale_set_digits(GTK_SCALE(down), 0);
    Cell(table, across, 0, 0);
    Cell(table, spacingAcross, 1, 0);
    Cell(table, gtk_label_new("Across"), 0, 1);
    Cell(table, gtk_label_new("Spacing Across"), 1, 1);
    Cell(table, down, 0, 2);
    Cell(table, spacingDown, 1, 2);
    Cell(table, gtk_label_new("Down"), 0, 3);
    Cell(table, gtk_label_new("Spacing Down"), 1, 3);
    gtk_box_pack_start(GTK_BOX(GTK_DIALOG(dialog)->vbox), table, TRUE, TRUE, 0);
    gtk_widget_show_all(dialog);

    const int response = gtk_dialog_run(GTK_DIALOG(dialog));
    if (response == GTK_RESPONSE_OK) {
        RepeatValues v;
        v.across = int(gtk_range_get_value(GTK_RANGE(across)));
        v.spacingAcross = float(gtk_range_get_value(GTK_RANGE(spacingAcross)));
        v.down = int(gtk_range_get_value(GTK_RANGE(down)));
        v.spacingDown = float(gtk_range_get_value(GTK_RANGE(spacingDown)));
        gtk_widget_destroy(dialog);
        RepeatApply(target, v);
    } else {
        gtk_widget_destroy(dialog);
        UiRedrawView();
    }
    return response;
}

void popupArray(GtkWidget*, gpointer)
{
    ReleaseAllUI();
    if (LayoutNode* node = RepeatSelected())
        ArrayDialog(node);
}
