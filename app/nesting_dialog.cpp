// "NESTING": the fine-tune dialog of Nest. It shows the current box and its patterns where
// the machine's movement since the dialog opened puts them, above the strip already quilted,
// and a tap on the bottom row answers OK. What OK does is NestingDialog's (app/nesting.h).

#include "app/nesting_dialog.h"

#include "app/gui_probe_gtk.h"
#include "app/main_window.h"
#include "app/nesting.h"
#include "app/point_select_dialog.h"
#include "base/interface.h"
#include "base/screen_config.h"
#include "base/ui_hooks.h"
#include "patterns/layout.h"
#include "patterns/pattern.h"
#include "patterns/pattern_box.h"
#include "view/view_paint.h"

namespace {

using view_paint::Pixbuf;
using view_paint::Segment;
using view_paint::SetPen;

guint nestSource = 0;
int nestResponse = RESPONSE_DELETE;

void StopTracking()
{
    runCapture = 0;
    if (nestSource != 0) {
        g_source_remove(nestSource);
        nestSource = 0;
    }
}

void OnNestDestroy(GtkWidget*, gpointer) { StopTracking(); }

// The machine's movement since the dialog opened, inches.
void Movement(double* dx, double* dy)
{
    *dx = *dy = 0;
    if (machineOrigin && machineCurrent) {
        *dx = (machineCurrent->first - machineOrigin->first) / 1000.0;
        *dy = (machineCurrent->second - machineOrigin->second) / 1000.0;
    }
}

}  // namespace

gboolean SetMachineCurrent(gpointer drawingArea)
{
    if (runCapture != 1) {
        nestSource = 0;
        return FALSE;
    }
    NestTrackTick();
    gtk_widget_queue_draw(GTK_WIDGET(drawingArea));
    return TRUE;
}

void ResponseEmit(GtkDialog* dialog, gint response, gpointer)
{
    // NestingDialog reports the response and acts on it once the dialog has gone.
    nestResponse = response;
    StopTracking();
    gtk_widget_destroy(GTK_WIDGET(dialog));
}

gboolean da_Nest(GtkWidget* widget, GdkEventExpose*, gpointer)
{
    if (widget->window == nullptr)
        return TRUE;
    const PatternBox* box = GetPatternBox(currentBox);
    const float s = interface_.viewScale;
    const int W = widget->allocation.width, H = widget->allocation.height;
    cairo_t* cr = gdk_cairo_create(widget->window);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_paint(cr);
    if (box != nullptr && s > 0) {
        double mx, my;
        Movement(&mx, &my);
        const double left = (W - box->width / s) / 2.0 + mx / s;
        const double top = (H - box->height / s) / 2.0 + 40 + my / s;
        const double strip = box->height / s;
        for (const LayoutNode* n = patternLayout; n != nullptr; n = n->next) {
            const Pattern* p = n->boxIndex == currentBox ? GetPattern(n->patternIndex) : nullptr;
            if (p == nullptr || p->thumbnail == nullptr)
                continue;
            const double x = left + n->x / s, y = top + n->y / s;
            const int w = int(p->width / s) + 1, h = int(p->height / s) + 1;
            Pixbuf(cr, p->thumbnail, x, y, w, h);
            Pixbuf(cr, p->thumbnail, x, y - strip, w, h);  // the strip already quilted
        }
        SetPen(cr, "#FF0000", 1, false);
        const BoxPoint* last = box->corners;
        while (last != nullptr && last->next != nullptr)
            last = last->next;
        for (const BoxPoint* c = box->corners; c != nullptr && last != nullptr; c = c->next) {
            Segment(cr, left + (last->x - box->originX) / s, top + (last->y - box->originY) / s,
                    left + (c->x - box->originX) / s, top + (c->y - box->originY) / s);
            last = c;
        }
    }
    cairo_destroy(cr);
    if (ProbeEnabled() && g_object_get_data(G_OBJECT(widget), "probed") == nullptr) {
        g_object_set_data(G_OBJECT(widget), "probed", widget);
        ProbeWidget("nestDialog", widget);
    }
    return TRUE;
}

int GtkNestFineTune()
{
    GtkWidget* area = nullptr;
    GtkWidget* dialog = NewPointScreenDialog("NESTING", G_CALLBACK(da_Nest),
                                             G_CALLBACK(PointScreenTap2), &area);
    g_signal_connect(dialog, "response", G_CALLBACK(ResponseEmit), nullptr);
    // The tracking ends with the dialog however it goes.
    g_signal_connect(dialog, "destroy", G_CALLBACK(OnNestDestroy), nullptr);
    gtk_widget_show_all(dialog);

    nestResponse = RESPONSE_DELETE;
    runCapture = 1;
    nestSource = g_timeout_add(250, SetMachineCurrent, area);
    gtk_dialog_run(GTK_DIALOG(dialog));
    // ResponseEmit destroyed the dialog, so the run itself reports no response: the one
    // ResponseEmit recorded is the answer.
    StopTracking();
    return nestResponse;
}

guint NestTimerSource() { return nestSource; }

void InstallNesting()
{
    uiHooks.selectPosition = SelectPoint2;
    uiHooks.nestFineTune = GtkNestFineTune;
}
