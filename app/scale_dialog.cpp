// The scale dialog's widgets: two sliders in percent, their - and + buttons, the proportional
// lock and the live preview. The rules (clamping, the lock, what OK does) are ScaleState's;
// the handlers here only pass the user's input on and show the result.

#include "app/pattern_dialogs_gtk.h"

#include <gtk/gtk.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "app/gui_probe_gtk.h"
#include "app/main_window.h"
#include "app/message_windows_gtk.h"
#include "app/pattern_dialogs.h"
#include "base/screen_config.h"
#include "patterns/layout.h"
#include "view/scale_preview.h"

GtkWidget* btnLock = nullptr;

namespace {

struct ScaleWidgets {
    ScaleState* state = nullptr;
    GtkWidget* dialog = nullptr;
    GtkWidget* widthSlider = nullptr;
    GtkWidget* heightSlider = nullptr;
    GtkWidget* widthMinus = nullptr;
    GtkWidget* widthPlus = nullptr;
    GtkWidget* heightMinus = nullptr;
    GtkWidget* heightPlus = nullptr;
    GtkWidget* preview = nullptr;
    GtkWidget* ok = nullptr;
    GtkWidget* cancel = nullptr;
    GtkWidget* smartScale = nullptr;
};

std::string SliderProbe(GtkWidget* slider, float percent)
{
    // The knob's rectangle lets a test drag it as a finger would.
    std::string knob = "null";
    const std::string rect = ProbeRect(slider);
    if (rect != "null" && slider->window != nullptr) {
        int ox = 0, oy = 0;
        gdk_window_get_origin(slider->window, &ox, &oy);
        GtkRange* range = GTK_RANGE(slider);
        const GtkAllocation& a = slider->allocation;
        const bool across = GTK_IS_HSCALE(slider);
        int x = ox + a.x, y = oy + a.y, w = a.width, h = a.height;
        if (across) {
            x += range->slider_start;
            w = range->slider_end - range->slider_start;
        } else {
            y += range->slider_start;
            h = range->slider_end - range->slider_start;
        }
        knob = "[" + std::to_string(x) + ", " + std::to_string(y) + ", " + std::to_string(w) +
               ", " + std::to_string(h) + "]";
    }
    char value[32];
    std::snprintf(value, sizeof value, "%g", double(percent));
    return std::string("{\"percent\": ") + value + ", \"rect\": " + rect + ", \"knob\": " + knob +
           "}";
}

void ProbeScale(ScaleWidgets* s, const char* why)
{
    if (!ProbeEnabled() || !isWidget(s->dialog))
        return;
    auto button = [](GtkWidget* w) {
        if (w == nullptr)
            return std::string("null");
        return std::string("{\"sensitive\": ") + (gtk_widget_get_sensitive(w) ? "true" : "false") +
               ", \"rect\": " + ProbeRect(w) + "}";
    };
    const bool locked = gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(btnLock));
    ProbeWrite(std::string("{\"event\": \"scaleDialog\", \"why\": ") + ProbeQuote(why) +
               ", \"width\": " +
               SliderProbe(s->widthSlider, s->state->width_percent) +
               ", \"height\": " + SliderProbe(s->heightSlider, s->state->height_percent) +
               ", \"lock\": {\"active\": " + (locked ? "true" : "false") + ", \"rect\": " +
               ProbeRect(btnLock) + "}, \"buttons\": {\"widthMinus\": " + button(s->widthMinus) +
               ", \"widthPlus\": " + button(s->widthPlus) + ", \"heightMinus\": " +
               button(s->heightMinus) + ", \"heightPlus\": " + button(s->heightPlus) +
               ", \"ok\": " + button(s->ok) + ", \"cancel\": " + button(s->cancel) +
               ", \"smartscale\": " + button(s->smartScale) + "}, \"preview\": " +
               ProbeRect(s->preview) + "}");
}

struct PendingProbe {
    GtkWidget* dialog;  // a reference of its own; the widget record is freed with the object
    const char* why;
};

gboolean ProbeScaleIdle(gpointer data)
{
    auto* pending = static_cast<PendingProbe*>(data);
    GtkWidget* dialog = pending->dialog;
    auto* s = static_cast<ScaleWidgets*>(g_object_get_data(G_OBJECT(dialog), "scale"));
    if (s != nullptr && isWidget(dialog) && GTK_WIDGET_MAPPED(dialog))
        ProbeScale(s, pending->why);
    g_object_unref(dialog);
    delete pending;
    return FALSE;
}

// One line once the main loop is idle; `why` says what changed ("shown", "slider",
// "release", "button", "lock").
void ProbeScaleLater(ScaleWidgets* s, const char* why)
{
    if (ProbeEnabled())
        g_idle_add_full(G_PRIORITY_LOW, ProbeScaleIdle,
                        new PendingProbe{GTK_WIDGET(g_object_ref(s->dialog)), why}, nullptr);
}

// Both sliders show the stored percentages (the lock may have moved the other one).
void ShowPercents(ScaleWidgets* s)
{
    gtk_range_set_value(GTK_RANGE(s->widthSlider), s->state->width_percent);
    gtk_range_set_value(GTK_RANGE(s->heightSlider), s->state->height_percent);
    gtk_widget_queue_draw(s->preview);
    ProbeScaleLater(s, "button");
}

GtkWidget* ImageButton(const char* image, GtkWidget* button = nullptr)
{
    if (button == nullptr)
        button = gtk_button_new();
    gtk_button_set_focus_on_click(GTK_BUTTON(button), FALSE);
    gtk_container_add(GTK_CONTAINER(button), NewImage(std::string("./images/") + image));
    gtk_widget_set_size_request(button, 30, 30);
    return button;
}

GtkWidget* Slider(GtkWidget* slider, int w, int h)
{
    gtk_range_set_increments(GTK_RANGE(slider), 1, 10);
    gtk_range_set_value(GTK_RANGE(slider), 100);
    gtk_scale_set_digits(GTK_SCALE(slider), 0);
    gtk_scale_set_draw_value(GTK_SCALE(slider), FALSE);
    gtk_widget_set_size_request(slider, std::max(1, w), std::max(1, h));
    return slider;
}

void OnResponseButtonClicked(GtkWidget* button, gpointer dialog)
{
    gtk_dialog_response(GTK_DIALOG(dialog),
                        GPOINTER_TO_INT(g_object_get_data(G_OBJECT(button), "response")));
}

GtkWidget* ResponseButton(GtkWidget* dialog, GtkWidget* row, GtkWidget* button, int response)
{
    g_object_set_data(G_OBJECT(button), "response", GINT_TO_POINTER(response));
    g_signal_connect(button, "clicked", G_CALLBACK(OnResponseButtonClicked), dialog);
    gtk_box_pack_start(GTK_BOX(row), button, FALSE, FALSE, 0);
    return button;
}

gboolean OnDialogExposed(GtkWidget* dialog, GdkEventExpose*, gpointer data)
{
    if (g_object_get_data(G_OBJECT(dialog), "probed") == nullptr) {
        g_object_set_data(G_OBJECT(dialog), "probed", data);
        ProbeScaleLater(static_cast<ScaleWidgets*>(data), "shown");
    }
    return FALSE;
}

}  // namespace

gboolean OnWSliderChanged(GtkRange*, GtkScrollType, gdouble value, gpointer data)
{
    auto* s = static_cast<ScaleWidgets*>(data);
    ScaleSetWidth(*s->state, value);
    // The stored, clamped and rounded value is what the slider shows.
    gtk_range_set_value(GTK_RANGE(s->widthSlider), s->state->width_percent);
    gtk_range_set_value(GTK_RANGE(s->heightSlider), s->state->height_percent);
    ProbeScaleLater(s, "slider");
    return TRUE;
}

gboolean OnHSliderChanged(GtkRange*, GtkScrollType, gdouble value, gpointer data)
{
    auto* s = static_cast<ScaleWidgets*>(data);
    ScaleSetHeight(*s->state, value);
    gtk_range_set_value(GTK_RANGE(s->widthSlider), s->state->width_percent);
    gtk_range_set_value(GTK_RANGE(s->heightSlider), s->state->height_percent);
    ProbeScaleLater(s, "slider");
    return TRUE;
}

gboolean OnSliderReleased(GtkWidget*, GdkEventButton*, gpointer data)
{
    auto* s = static_cast<ScaleWidgets*>(data);
    gtk_widget_queue_draw(s->preview);
    ProbeScaleLater(s, "release");
    return FALSE;
}

void OnBtnDecClicked(GtkWidget*, gpointer data)
{
    auto* s = static_cast<ScaleWidgets*>(data);
    ScaleStepWidth(*s->state, -1);
    ShowPercents(s);
}

void OnBtnIncClicked(GtkWidget*, gpointer data)
{
    auto* s = static_cast<ScaleWidgets*>(data);
    ScaleStepWidth(*s->state, +1);
    ShowPercents(s);
}

void OnBtnDec1Clicked(GtkWidget*, gpointer data)
{
    auto* s = static_cast<ScaleWidgets*>(data);
    ScaleStepHeight(*s->state, -1);
    ShowPercents(s);
}

void OnBtnInc1Clicked(GtkWidget*, gpointer data)
{
    auto* s = static_cast<ScaleWidgets*>(data);
    ScaleStepHeight(*s->state, +1);
    ShowPercents(s);
}

void OnBtnLockToggled(GtkToggleButton* button, gpointer data)
{
    auto* s = static_cast<ScaleWidgets*>(data);
    s->state->lock = gtk_toggle_button_get_active(button) != 0;
    // Off the button just pressed, as the toolbar's toggles do on the touch screen.
    MoveMouseLocation(0, menubar_height + 15);
    ProbeScaleLater(s, "lock");
}

gboolean da_ScalePreview(GtkWidget* widget, GdkEventExpose*, gpointer data)
{
    auto* s = static_cast<ScaleWidgets*>(data);
    static ViewBuffer picture;
    if (widget->window == nullptr)
        return TRUE;
    RenderScalePreview(picture, widget->allocation.width, widget->allocation.height,
                       s->state->copies, s->state->width_percent, s->state->height_percent);
    if (picture.Surface() == nullptr)
        return TRUE;
    cairo_t* cr = gdk_cairo_create(widget->window);
    cairo_set_source_surface(cr, picture.Surface(), 0, 0);
    cairo_paint(cr);
    cairo_destroy(cr);
    return TRUE;
}

namespace {

int RunScaleDialog(ScaleState& state)
{
    // Owned by the dialog object (pending probes hold a reference to it).
    auto* widgets = new ScaleWidgets;
    ScaleWidgets& s = *widgets;
    s.state = &state;
    s.dialog = NewPatternDialog("Scale", "scale", widgets,
                                [](gpointer p) { delete static_cast<ScaleWidgets*>(p); });
    GtkWidget* vbox = GTK_DIALOG(s.dialog)->vbox;
    g_signal_connect(s.dialog, "expose-event", G_CALLBACK(OnDialogExposed), widgets);

    int previewW = 1, previewH = 1;
    ScalePreviewSize(scale_dialog_width, scale_dialog_height, &previewW, &previewH);

    // [width -, width slider, width +] above the preview ...
    GtkWidget* left = gtk_vbox_new(FALSE, 0);
    GtkWidget* row = gtk_hbox_new(FALSE, 2);
    gtk_widget_set_size_request(row, previewW, 30);
    s.widthMinus = ImageButton("Minus_20.png");
    s.widthSlider = Slider(gtk_hscale_new_with_range(kScaleMin_percent, kScaleMax_percent, 1),
                           scale_dialog_width - 110, 30);
    s.widthPlus = ImageButton("Plus_20.png");
    gtk_box_pack_start(GTK_BOX(row), s.widthMinus, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(row), s.widthSlider, TRUE, TRUE, 0);
    gtk_box_pack_start(GTK_BOX(row), s.widthPlus, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(left), row, FALSE, FALSE, 0);
    s.preview = gtk_drawing_area_new();
    gtk_widget_set_size_request(s.preview, previewW, previewH);
    gtk_box_pack_start(GTK_BOX(left), s.preview, FALSE, FALSE, 0);

    // ... and beside them [lock, height -, height slider, height +].
    GtkWidget* column = gtk_vbox_new(FALSE, 3);
    gtk_widget_set_size_request(column, 30, std::max(1, scale_dialog_height - 125));
    btnLock = ImageButton("Lock_32.png", gtk_toggle_button_new());
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(btnLock), state.lock ? TRUE : FALSE);
    s.heightMinus = ImageButton("Minus_20.png");
    s.heightSlider = Slider(gtk_vscale_new_with_range(kScaleMin_percent, kScaleMax_percent, 1), 30,
                            scale_dialog_height - 155);
    s.heightPlus = ImageButton("Plus_20.png");
    gtk_box_pack_start(GTK_BOX(column), btnLock, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(column), s.heightMinus, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(column), s.heightSlider, TRUE, TRUE, 0);
    gtk_box_pack_start(GTK_BOX(column), s.heightPlus, FALSE, FALSE, 0);

    GtkWidget* whole = gtk_hbox_new(FALSE, 4);
    gtk_box_pack_start(GTK_BOX(whole), left, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(whole), column, FALSE, FALSE, 0);
    GtkWidget* align = gtk_alignment_new(0.5, 0, 0, 0);
    gtk_alignment_set_padding(GTK_ALIGNMENT(align), 4, 0, 4, 4);
    gtk_container_add(GTK_CONTAINER(align), whole);
    gtk_box_pack_start(GTK_BOX(vbox), align, FALSE, FALSE, 0);

    // The buttons in a row of their own widths: in the dialog's button box, "SMARTSCALE"
    // would widen all three beyond the screen.
    gtk_widget_hide(GTK_DIALOG(s.dialog)->action_area);
    gtk_widget_set_no_show_all(GTK_DIALOG(s.dialog)->action_area, TRUE);
    GtkWidget* buttons = gtk_hbox_new(FALSE, 4);
    if (state.smartScale)
        s.smartScale = ResponseButton(s.dialog, buttons, gtk_button_new_with_label("SMARTSCALE"),
                                      kScaleSmartScale);
    s.ok = ResponseButton(s.dialog, buttons, gtk_button_new_from_stock("gtk-ok"), RESPONSE_OK);
    s.cancel = ResponseButton(s.dialog, buttons, gtk_button_new_from_stock("gtk-cancel"),
                              RESPONSE_CANCEL);
    GtkWidget* buttonsAlign = gtk_alignment_new(1, 1, 0, 0);
    gtk_alignment_set_padding(GTK_ALIGNMENT(buttonsAlign), 0, 4, 4, 4);
    gtk_container_add(GTK_CONTAINER(buttonsAlign), buttons);
    gtk_box_pack_end(GTK_BOX(vbox), buttonsAlign, TRUE, TRUE, 0);

    gtk_range_set_value(GTK_RANGE(s.widthSlider), state.width_percent);
    gtk_range_set_value(GTK_RANGE(s.heightSlider), state.height_percent);
    g_signal_connect(s.widthSlider, "change-value", G_CALLBACK(OnWSliderChanged), widgets);
    g_signal_connect(s.heightSlider, "change-value", G_CALLBACK(OnHSliderChanged), widgets);
    g_signal_connect(s.widthSlider, "button-release-event", G_CALLBACK(OnSliderReleased), widgets);
    g_signal_connect(s.heightSlider, "button-release-event", G_CALLBACK(OnSliderReleased), widgets);
    g_signal_connect(s.widthMinus, "clicked", G_CALLBACK(OnBtnDecClicked), widgets);
    g_signal_connect(s.widthPlus, "clicked", G_CALLBACK(OnBtnIncClicked), widgets);
    g_signal_connect(s.heightMinus, "clicked", G_CALLBACK(OnBtnDec1Clicked), widgets);
    g_signal_connect(s.heightPlus, "clicked", G_CALLBACK(OnBtnInc1Clicked), widgets);
    g_signal_connect(btnLock, "toggled", G_CALLBACK(OnBtnLockToggled), widgets);
    g_signal_connect(s.preview, "expose-event", G_CALLBACK(da_ScalePreview), widgets);

    gtk_widget_show_all(s.dialog);
    // Our reference keeps the dialog an object to the end, even when something destroyed it
    // while it ran. Probes still queued then find it unmapped and write nothing.
    GtkWidget* dialog = GTK_WIDGET(g_object_ref(s.dialog));
    int response = gtk_dialog_run(GTK_DIALOG(dialog));
    if (response == GTK_RESPONSE_NONE)
        response = RESPONSE_DELETE;
    btnLock = nullptr;
    gtk_widget_destroy(dialog);
    g_object_unref(dialog);
    return response;
}

}  // namespace

void InstallScaleDialog() { uiHooks.scaleDialog = RunScaleDialog; }
