// The setup screen: a notebook of six pages. The handlers are thin: each forwards to the
// logic in app/setup.h and shows what it returns.
#include <gtk/gtk.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "app/diagnostics_screen.h"
#include "app/gui_probe_gtk.h"
#include "app/main_window.h"
#include "base/screen_config.h"
#include "base/settings.h"
#include "app/setup.h"
#include "app/software_update.h"
#include "base/ui_hooks.h"

namespace {

GtkWidget* sldrSpeed = nullptr;
GtkWidget* cmbNUp = nullptr;
GtkWidget* cbNUp = nullptr;
GtkWidget* cbDebug = nullptr;
GtkWidget* dirButton = nullptr;
// The advanced controls of the Advanced page, shown with showAdvancedFeatures.
std::vector<GtkWidget*> advancedControls;
int passwordGiven = 0;
guint nbTimer = 0;
// Each is cleared while the program itself puts its widget back, so that the signal this
// emits is not taken for the user's.
bool needleUpCallbackOn = true;
bool advancedCheckBoxCallbackOn = true;
bool SetNeedleUpConfirmCallbackOn = true;

const char* const kMachineLabels[kMachineTypeCount] = {
    "Default", "Arlen", "Velmont", "Calloway", "Dessin", "Ferrow",
    "Gandry", "Oxley", "Pemberly", "Halvard", "Custom", "Arlen 18"};

char CodeOf(gpointer data) { return static_cast<char>(GPOINTER_TO_INT(data)); }

struct SliderRelease {
    GtkWidget* slider;
    char code;
};

gboolean ApplySliderRelease(gpointer data)
{
    auto* release = static_cast<SliderRelease*>(data);
    GtkWidget* slider = release->slider;
    // Gone with the screen (left before this ran): nothing to apply it to.
    if (gtk_widget_get_parent(slider) != nullptr) {
        EditResult r = ApplyEditCode(release->code, gtk_range_get_value(GTK_RANGE(slider)));
        if (r.applied)
            gtk_range_set_value(GTK_RANGE(slider), r.value);
        if (sldrSpeed != nullptr)
            gtk_range_set_value(GTK_RANGE(sldrSpeed), speed);
        ProbeLaterNotebook("setup", mainUi.setupNotebook);
    }
    g_object_unref(slider);
    delete release;
    return FALSE;
}

gboolean OnPIDSliderReleased(GtkWidget* slider, GdkEventButton*, gpointer data)
{
    // After this handler the range itself puts the knob where the finger left it, which would
    // undo a value set here (47 shown although 50 was applied): apply once it has.
    g_idle_add_full(G_PRIORITY_HIGH_IDLE, ApplySliderRelease,
                    new SliderRelease{GTK_WIDGET(g_object_ref(slider)), CodeOf(data)}, nullptr);
    return FALSE;
}

void OnSliderMoved(GtkRange*, gpointer)
{
    ProbeNotebook("slider", mainUi.setupNotebook);
}

gboolean OnTxtEntryReleased(GtkWidget* entry, GdkEventButton*, gpointer data)
{
    const std::string text = gtk_entry_get_text(GTK_ENTRY(entry));
    EditResult r = ApplyEditCode(CodeOf(data), UiNumberEntry(text, 1, 0));
    gtk_entry_set_text(GTK_ENTRY(entry), r.text.c_str());
    ProbeLaterNotebook("setup", mainUi.setupNotebook);
    return FALSE;
}

void SetAdvancedVisible(bool shown)
{
    for (GtkWidget* w : advancedControls) {
        if (!isWidget(w))
            continue;
        if (shown)
            gtk_widget_show(w);
        else
            gtk_widget_hide(w);
    }
    if (isWidget(cbDebug)) {
        if (shown && icon_style == 1)
            gtk_widget_show(cbDebug);
        else
            gtk_widget_hide(cbDebug);
    }
}

GtkWidget* Button(const char* label, int width, int height)
{
    GtkWidget* b = gtk_button_new_with_label(label);
    gtk_widget_set_size_request(b, width, height);
    return b;
}

// A button of the Updates page whose label would be cut off at the width the button is given
// (the large type: "Calibrate Screen") breaks it onto a second line and grows to hold both.
// Decided when the button learns its width; the second pass decides the same, so it settles.
void WrapIfCut(GtkWidget* b, GtkAllocation* allocation, gpointer)
{
    GtkWidget* text = gtk_bin_get_child(GTK_BIN(b));
    if (!GTK_IS_LABEL(text))
        return;
    GtkBorder* inner = nullptr;
    gint focusWidth = 0, focusPadding = 0;
    gtk_widget_style_get(b, "inner-border", &inner, "focus-line-width", &focusWidth,
                         "focus-padding", &focusPadding, NULL);
    const int chrome = 2 * (focusWidth + focusPadding) +
                       (inner != nullptr ? inner->left + inner->right : 2);
    const int chromeHigh = 2 * (focusWidth + focusPadding) +
                           (inner != nullptr ? inner->top + inner->bottom : 2);
    gtk_border_free(inner);
    const int room = allocation->width - 2 * b->style->xthickness - chrome;
    PangoLayout* layout = gtk_label_get_layout(GTK_LABEL(text));
    int natural = 0;
    if (gtk_label_get_line_wrap(GTK_LABEL(text))) {
        // Measured as one line, whatever it shows now.
        PangoLayout* line = pango_layout_copy(layout);
        pango_layout_set_width(line, -1);
        pango_layout_get_pixel_size(line, &natural, nullptr);
        g_object_unref(line);
    } else {
        pango_layout_get_pixel_size(layout, &natural, nullptr);
    }
    const bool wrap = room > 0 && natural > room;
    if (wrap == bool(gtk_label_get_line_wrap(GTK_LABEL(text))))
        return;
    gtk_label_set_line_wrap(GTK_LABEL(text), wrap);
    gtk_label_set_justify(GTK_LABEL(text), GTK_JUSTIFY_CENTER);
    gtk_widget_set_size_request(text, wrap ? room : -1, -1);
    int high = setup_button_height;
    if (wrap) {
        GtkRequisition need;
        gtk_widget_size_request(text, &need);
        high = std::max(high, need.height + 2 * b->style->ythickness + chromeHigh);
    }
    gtk_widget_set_size_request(b, setup_button_width, high);
}

GtkWidget* WrappingButton(const char* label, int width, int height)
{
    GtkWidget* b = Button(label, width, height);
    g_signal_connect_after(b, "size-allocate", G_CALLBACK(WrapIfCut), nullptr);
    return b;
}

// The entry is named by its label (the GUI tests find it by that).
GtkWidget* Entry(const char* name, char code, const std::string& text)
{
    GtkWidget* e = gtk_entry_new();
    gtk_widget_set_size_request(e, setup_spinbox_width, setup_spinbox_height);
    gtk_entry_set_alignment(GTK_ENTRY(e), 0.5f);
    gtk_editable_set_editable(GTK_EDITABLE(e), FALSE);
    gtk_entry_set_text(GTK_ENTRY(e), text.c_str());
    gtk_widget_set_name(e, name);
    g_signal_connect(e, "button-release-event", G_CALLBACK(OnTxtEntryReleased),
                     GINT_TO_POINTER(code));
    return e;
}

// A label and its entry at (column pair, row) of a table.
GtkWidget* AttachPair(GtkWidget* table, int pair, int row, const char* label, char code,
                      const std::string& text, bool advanced = false)
{
    GtkWidget* l = gtk_label_new(label);
    GtkWidget* e = Entry(label, code, text);
    gtk_table_attach_defaults(GTK_TABLE(table), l, 2 * pair, 2 * pair + 1, row, row + 1);
    gtk_table_attach_defaults(GTK_TABLE(table), e, 2 * pair + 1, 2 * pair + 2, row, row + 1);
    if (advanced) {
        gtk_widget_set_no_show_all(l, TRUE);
        gtk_widget_set_no_show_all(e, TRUE);
        advancedControls.push_back(l);
        advancedControls.push_back(e);
    }
    return e;
}

void OnBtnReverseClicked(GtkWidget*, gpointer)
{
    int dir = ReverseMotorDirection();
    if (dir >= 0 && isWidget(dirButton))
        gtk_button_set_label(GTK_BUTTON(dirButton), DirectionLabel(dir));
}

void OnBtnResetCalClicked(GtkWidget*, gpointer) { ResetCalibration(); }

void OnBtnSystemUpdateClicked(GtkWidget*, gpointer) { UpdateSystem(); }
void OnBtnCopyProgramClicked(GtkWidget*, gpointer) { UpdateProgram(); }
void OnBtnMotorFirmwareClicked(GtkWidget*, gpointer) { UpdateRobot(); }
void OnBtnAboutClicked(GtkWidget*, gpointer) { ShowSystemInfo(); }

// For the GUI tests: where the Updates page's buttons are, once the page is on screen.
gboolean ProbeUpdatesPage(GtkWidget* info, GdkEventExpose*, gpointer table)
{
    if (g_object_get_data(G_OBJECT(info), "probed") == nullptr) {
        g_object_set_data(G_OBJECT(info), "probed", info);
        std::vector<std::pair<std::string, GtkWidget*>> buttons;
        GList* children = gtk_container_get_children(GTK_CONTAINER(table));
        for (GList* l = children; l != nullptr; l = l->next)
            if (GTK_IS_BUTTON(l->data) && gtk_button_get_label(GTK_BUTTON(l->data)) != nullptr)
                buttons.emplace_back(gtk_button_get_label(GTK_BUTTON(l->data)), GTK_WIDGET(l->data));
        g_list_free(children);
        ProbeWidgets("updates", buttons);
    }
    return FALSE;
}

GtkWidget* createUpdateScreen()
{
    GtkWidget* box = gtk_vbox_new(FALSE, 2);
    GtkWidget* table = gtk_table_new(3, 2, TRUE);
    const char* left[3] = {"Update System", "Update Program", "Update Robot"};
    GCallback actions[3] = {G_CALLBACK(OnBtnSystemUpdateClicked), G_CALLBACK(OnBtnCopyProgramClicked),
                            G_CALLBACK(OnBtnMotorFirmwareClicked)};
    for (int i = 0; i < 3; ++i) {
        GtkWidget* b = WrappingButton(left[i], setup_button_width, setup_button_height);
        g_signal_connect(b, "clicked", actions[i], nullptr);
        gtk_table_attach_defaults(GTK_TABLE(table), b, 0, 1, i, i + 1);
    }
    GtkWidget* info = WrappingButton("System Info", setup_button_width, setup_button_height);
    g_signal_connect(info, "clicked", G_CALLBACK(OnBtnAboutClicked), nullptr);
    if (ProbeEnabled())
        g_signal_connect_after(info, "expose-event", G_CALLBACK(ProbeUpdatesPage), table);
    gtk_table_attach_defaults(GTK_TABLE(table), info, 1, 2, 0, 1);
    dirButton = WrappingButton(DirectionLabel(ControllerMotorDirection()), setup_button_width,
                       setup_button_height);
    g_signal_connect(dirButton, "clicked", G_CALLBACK(OnBtnReverseClicked), nullptr);
    gtk_table_attach_defaults(GTK_TABLE(table), dirButton, 1, 2, 1, 2);
    GtkWidget* cal = WrappingButton("Calibrate Screen", setup_button_width, setup_button_height);
    g_signal_connect(cal, "clicked", G_CALLBACK(OnBtnResetCalClicked), nullptr);
    gtk_table_attach_defaults(GTK_TABLE(table), cal, 1, 2, 2, 3);
    gtk_box_pack_start(GTK_BOX(box), table, FALSE, FALSE, 0);
    return box;
}

GtkWidget* createUserSetupScreen()
{
    const ParameterValues p = ReadParameterValues();
    GtkWidget* box = gtk_vbox_new(FALSE, 2);
    GtkWidget* table = gtk_table_new(3, 5, FALSE);
    const struct {
        const char* label;
        double value, low, high, step;
        char code;
    } sliders[5] = {{"Length", double(p.stitchLen), 5, 20, 1, '8'},
                    {"Max Speed", double(p.speed), 10, 100, 10, '9'},
                    {"Min Speed", double(p.minimumSpeed), 1, 10, 1, 'a'},
                    {"Lock", double(p.stitchRep), 0, 10, 1, 'b'},
                    {"Needle", double(p.slow), 1, 10, 1, 'c'}};
    for (int i = 0; i < 5; ++i) {
        GtkWidget* s = gtk_vscale_new_with_range(sliders[i].low, sliders[i].high, sliders[i].step);
        gtk_widget_set_size_request(s, setup_slider_width, setup_slider_height);
        gtk_range_set_inverted(GTK_RANGE(s), TRUE);
        gtk_range_set_value(GTK_RANGE(s), sliders[i].value);
        gtk_widget_set_name(s, sliders[i].label);
        if (ProbeEnabled())
            g_signal_connect(s, "value-changed", G_CALLBACK(OnSliderMoved), nullptr);
        g_signal_connect(s, "button-release-event", G_CALLBACK(OnPIDSliderReleased),
                         GINT_TO_POINTER(sliders[i].code));
        if (sliders[i].code == '9')
            sldrSpeed = s;
        gtk_table_attach_defaults(GTK_TABLE(table), s, i, i + 1, 0, 2);
        gtk_table_attach_defaults(GTK_TABLE(table), gtk_label_new(sliders[i].label), i, i + 1, 2,
                                  3);
    }
    gtk_box_pack_start(GTK_BOX(box), table, FALSE, FALSE, 0);
    return box;
}

std::string Int(int v) { return EditCodeText('0', v); }

GtkWidget* createConstantsSetupScreen()
{
    GtkWidget* box = gtk_vbox_new(FALSE, 2);
    GtkWidget* table = gtk_table_new(5, 4, FALSE);
    float jump = 0.0f;
    ReadDefaultFloat(REC_JUMP_STITCH, &jump);
    if (!(jump >= 0.0f))
        jump = 0.0f;
    if (jump > 200.0f)
        jump = 200.0f;
    AttachPair(table, 0, 0, "X Power", '0', Int(floaters.XKp));
    AttachPair(table, 1, 0, "Y Power", '1', Int(floaters.YKp));
    AttachPair(table, 0, 1, "Time Out", '2', Int(floaters.TOut));
    AttachPair(table, 1, 1, "E. Stop", '3', Int(floaters.Err));
    AttachPair(table, 0, 2, "Margin", 'd', EditCodeText('d', xMargin));
    AttachPair(table, 1, 2, "Jump Stitch", 'f', EditCodeText('f', jump));
    AttachPair(table, 0, 3, "Acceleration", 'g', EditCodeText('g', acceleration));
    AttachPair(table, 1, 3, "Curvature", 'h', EditCodeText('h', curvature));
    AttachPair(table, 0, 4, "Lead Line", 'i', Int(leadLineSpeed));
    AttachPair(table, 1, 4, "Increment", 'j', EditCodeText('j', moveIncrement));
    gtk_box_pack_start(GTK_BOX(box), table, FALSE, FALSE, 0);
    return box;
}

GtkWidget* timingEntries[4] = {};

void OnNeedleUpChanged(GtkComboBox* combo, gpointer)
{
    if (!needleUpCallbackOn)
        return;
    const int index = gtk_combo_box_get_active(combo);
    if (!ChooseMachineType(index)) {
        needleUpCallbackOn = false;
        gtk_combo_box_set_active(combo, needleUpMethod >= 0 && needleUpMethod < kMachineTypeCount
                                            ? needleUpMethod
                                            : 0);
        needleUpCallbackOn = true;
        return;
    }
    SetNeedleUpConfirmCallbackOn = false;
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(cbNUp), needleUpConfirm == 1);
    SetNeedleUpConfirmCallbackOn = true;
    const char codes[4] = {'k', 'l', 'm', 'n'};
    for (int i = 0; i < 4; ++i) {
        if (isWidget(timingEntries[i]))
            gtk_entry_set_text(GTK_ENTRY(timingEntries[i]),
                               EditCodeText(codes[i], EditCodeValue(codes[i])).c_str());
    }
    ShowStitchButtons();
}

void SetNeedleUpConfirm(GtkToggleButton* button, gpointer)
{
    if (SetNeedleUpConfirmCallbackOn)
        SetNeedleUpConfirmValue(gtk_toggle_button_get_active(button));
}

void SetDebugBtnsOn(GtkToggleButton* button, gpointer)
{
    if (!advancedCheckBoxCallbackOn)
        return;
    const bool on = gtk_toggle_button_get_active(button);
    if (!ChangeStitchButtons(on)) {
        advancedCheckBoxCallbackOn = false;
        gtk_toggle_button_set_active(button, !on);
        advancedCheckBoxCallbackOn = true;
        return;
    }
    ShowStitchButtons();
}

void OnRestartClicked(GtkWidget*, gpointer) { RestartProgram(); }

gboolean RebuildAfterReset(gpointer)
{
    menuMainSetup();
    UiShowMessage(MSG_INFO, BUTTONS_OK,
                  "ALL PARAMETERS HAVE BEEN RESTORED TO THE FACTORY DEFAULT SETTINGS\n");
    return FALSE;
}

void OnBtnResetDefaultsClicked(GtkWidget*, gpointer)
{
    if (!ResetFactoryDefaults())
        return;
    ShowStitchButtons();
    ShowAdvancedItems();
    HideUndoAfterFactoryReset();
    SetAdvancedVisible(false);
    // This button dies with the screen: the rebuild waits until its handler has returned.
    g_idle_add(RebuildAfterReset, nullptr);
}

GtkWidget* createAdvancedScreen()
{
    advancedControls.clear();
    GtkWidget* box = gtk_vbox_new(FALSE, 2);
    GtkWidget* table = gtk_table_new(6, 4, FALSE);
    if (icon_style == 1) {
        gtk_table_set_row_spacings(GTK_TABLE(table), 5);
        gtk_table_set_col_spacings(GTK_TABLE(table), 10);
    }
    AttachPair(table, 0, 0, "XKi", '4', Int(floaters.XKi));
    AttachPair(table, 1, 0, "YKi", '5', Int(floaters.YKi));
    AttachPair(table, 0, 1, "XKd", '6', Int(floaters.XKd));
    AttachPair(table, 1, 1, "YKd", '7', Int(floaters.YKd));

    GtkWidget* typeLabel = gtk_label_new("Machine Type");
    cmbNUp = gtk_combo_box_new_text();
    gtk_widget_set_name(cmbNUp, "Machine Type");
    gtk_widget_set_size_request(cmbNUp, setup_spinbox_width * 5 / 4, setup_spinbox_height);
    for (const char* label : kMachineLabels)
        gtk_combo_box_append_text(GTK_COMBO_BOX(cmbNUp), label);
    gtk_combo_box_set_active(GTK_COMBO_BOX(cmbNUp),
                             needleUpMethod >= 0 && needleUpMethod < kMachineTypeCount
                                 ? needleUpMethod
                                 : 0);
    g_signal_connect(cmbNUp, "changed", G_CALLBACK(OnNeedleUpChanged), nullptr);
    cbNUp = gtk_check_button_new_with_label("Confirm Needle Up");
    gtk_widget_set_size_request(cbNUp, setup_spinbox_width * 3 / 2, setup_spinbox_height);
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(cbNUp), needleUpConfirm == 1);
    g_signal_connect(cbNUp, "toggled", G_CALLBACK(SetNeedleUpConfirm), nullptr);
    gtk_table_attach_defaults(GTK_TABLE(table), typeLabel, 0, 1, 2, 3);
    gtk_table_attach_defaults(GTK_TABLE(table), cmbNUp, 1, 2, 2, 3);
    gtk_table_attach_defaults(GTK_TABLE(table), cbNUp, 2, 4, 2, 3);
    for (GtkWidget* w : {typeLabel, cmbNUp, cbNUp}) {
        gtk_widget_set_no_show_all(w, TRUE);
        advancedControls.push_back(w);
    }
    timingEntries[0] =
        AttachPair(table, 0, 3, "NdlUp Press", 'k', EditCodeText('k', needleUpPress), true);
    timingEntries[1] =
        AttachPair(table, 1, 3, "NdlUp Wait", 'l', EditCodeText('l', needleUpTime), true);
    timingEntries[2] =
        AttachPair(table, 0, 4, "SReg Press", 'm', EditCodeText('m', stitchRegPress), true);
    timingEntries[3] =
        AttachPair(table, 1, 4, "SReg Wait", 'n', EditCodeText('n', stitchRegTime), true);

    GtkWidget* restart = gtk_button_new_with_label("Restart");
    g_signal_connect(restart, "clicked", G_CALLBACK(OnRestartClicked), nullptr);
    GtkWidget* defaults = gtk_button_new_with_label("Factory Defaults");
    gtk_widget_set_size_request(defaults, setup_spinbox_width * 5 / 4, -1);
    g_signal_connect(defaults, "clicked", G_CALLBACK(OnBtnResetDefaultsClicked), nullptr);
    cbDebug = gtk_check_button_new_with_label("Stitch Btns");
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(cbDebug), stitchButtonsOn == 1);
    g_signal_connect(cbDebug, "toggled", G_CALLBACK(SetDebugBtnsOn), nullptr);
    gtk_widget_set_no_show_all(cbDebug, TRUE);
    gtk_table_attach_defaults(GTK_TABLE(table), restart, 0, 1, 5, 6);
    gtk_table_attach_defaults(GTK_TABLE(table), defaults, 1, 2, 5, 6);
    gtk_table_attach_defaults(GTK_TABLE(table), cbDebug, 2, 4, 5, 6);
    SetAdvancedVisible(showAdvancedFeatures == 1);
    gtk_box_pack_start(GTK_BOX(box), table, FALSE, FALSE, 0);
    return box;
}

void ShowAdvancedFeatures(GtkToggleButton* button, gpointer)
{
    const bool on = gtk_toggle_button_get_active(button);
    ChangeShowAdvancedFeatures(on);
    ShowAdvancedItems();
    ShowStitchButtons();
    if (isWidget(cbDebug)) {
        advancedCheckBoxCallbackOn = false;
        gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(cbDebug), stitchButtonsOn == 1);
        advancedCheckBoxCallbackOn = true;
    }
    SetAdvancedVisible(on);
}

GtkWidget* createConfigurationScreen()
{
    GtkWidget* box = gtk_vbox_new(FALSE, 2);
    GtkWidget* table = gtk_table_new(1, 1, FALSE);
    gtk_table_set_row_spacings(GTK_TABLE(table), 5);
    gtk_table_set_col_spacings(GTK_TABLE(table), 10);
    GtkWidget* check = gtk_check_button_new_with_label("Show Advanced Features");
    gtk_widget_set_size_request(check, 2 * setup_spinbox_width, -1);
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(check), showAdvancedFeatures == 1);
    g_signal_connect(check, "toggled", G_CALLBACK(ShowAdvancedFeatures), nullptr);
    gtk_table_attach_defaults(GTK_TABLE(table), check, 0, 1, 0, 1);
    gtk_box_pack_start(GTK_BOX(box), table, FALSE, FALSE, 0);
    return box;
}


gboolean NBTimer(gpointer)
{
    nbTimer = 0;
    if (isWidget(mainUi.setupNotebook))
        gtk_notebook_set_current_page(GTK_NOTEBOOK(mainUi.setupNotebook), 0);
    return FALSE;
}

void OnNotebookChanged(GtkNotebook* notebook, gpointer, guint page, gpointer)
{
    ProbeLaterNotebook("setup", GTK_WIDGET(notebook));
    if (page != 5 || passwordGiven != 0)
        return;
    if (AskAccessWord()) {
        passwordGiven = 1;
        return;
    }
    // Turning back inside the handler of this very switch would be undone by it.
    if (nbTimer == 0)
        nbTimer = g_timeout_add(25, NBTimer, nullptr);
}

void OnSetupDestroyed(GtkWidget*, gpointer)
{
    // Leaving the screen within the timer's 25 ms: nothing left to turn back.
    if (nbTimer != 0)
        g_source_remove(nbTimer);
    nbTimer = 0;
    sldrSpeed = cmbNUp = cbNUp = cbDebug = dirButton = nullptr;
    for (GtkWidget*& e : timingEntries)
        e = nullptr;
    advancedControls.clear();
}

void TabFont(GtkWidget* tab)
{
    PangoFontDescription* font = pango_font_description_from_string("Sans Bold 8");
    gtk_widget_modify_font(tab, font);
    pango_font_description_free(font);
}

}  // namespace

GtkWidget* createSetupScreen()
{
    passwordGiven = 0;
    ReadSetupConstants();
    GtkWidget* fixed = gtk_fixed_new();
    GtkWidget* notebook = gtk_notebook_new();
    gtk_notebook_set_show_border(GTK_NOTEBOOK(notebook), TRUE);
    // The tab row must not run off the 320-pixel screen: the tabs get a smaller type and
    // little padding so that the usual five fit, and the row scrolls (arrows at its ends) when
    // the larger style with its sixth tab still does not.
    gtk_notebook_set_scrollable(GTK_NOTEBOOK(notebook), TRUE);
    g_object_set(notebook, "tab-hborder", 1, NULL);
    gtk_widget_set_size_request(notebook, screen_width - 2, screen_height - menubar_height - 2);
    gtk_fixed_put(GTK_FIXED(fixed), notebook, 2, 0);
    const struct {
        const char* tab;
        GtkWidget* (*build)();
    } pages[6] = {{"Updates", createUpdateScreen},
                  {"Parameters", createUserSetupScreen},
                  {"Constants", createConstantsSetupScreen},
                  {"Test", createDiagnosticsScreen},
                  {"Advanced", createAdvancedScreen},
                  {"Configuration", createConfigurationScreen}};
    for (const auto& p : pages) {
        GtkWidget* page = p.build();
        GtkWidget* tab = gtk_label_new(p.tab);
        TabFont(tab);
        gtk_notebook_append_page(GTK_NOTEBOOK(notebook), page, tab);
        if (p.build == createConfigurationScreen && icon_style != 1) {
            gtk_widget_set_no_show_all(page, TRUE);
            gtk_widget_set_no_show_all(tab, TRUE);
        }
    }
    g_signal_connect(notebook, "switch-page", G_CALLBACK(OnNotebookChanged), nullptr);
    g_signal_connect(fixed, "destroy", G_CALLBACK(OnSetupDestroyed), nullptr);
    mainUi.setupNotebook = notebook;
    ProbeLaterNotebook("setup", notebook);
    return fixed;
}
