// The file manager screen: source radios and entry, destination radios and entry, Copy and
// Delete. The handlers only pass the entries' texts to the logic in files/file_manager.cpp.

#include <gtk/gtk.h>

#include <string>
#include <utility>
#include <vector>

#include "app/gui_probe_gtk.h"
#include "app/main_window.h"
#include "base/screen_config.h"
#include "base/ui_hooks.h"
#include "files/file_manager.h"
#include "files/file_ops.h"
#include "files/file_manager_screen.h"

GtkWidget* radioSrc_0 = nullptr;
GtkWidget* radioSrc_1 = nullptr;
GtkWidget* radioSrc_2 = nullptr;
GtkWidget* radioDst_0 = nullptr;
GtkWidget* radioDst_1 = nullptr;
GtkWidget* txtFilename = nullptr;
GtkWidget* txtDirName = nullptr;
GtkWidget* btnCopy = nullptr;

namespace {

GtkWidget* btnDelete = nullptr;
GtkWidget* btnSourceFolder = nullptr;
GtkWidget* btnDestinationFolder = nullptr;

// The entries show names readably; the paths behind them are kept here byte for byte.
std::string sourcePath;
std::string destinationPath;

void SetEntry(GtkWidget* entry, std::string* path, const std::string& value, const char* empty)
{
    *path = value;
    if (value.empty() || value == empty) {
        *path = empty;
        gtk_entry_set_text(GTK_ENTRY(entry), empty);
        return;
    }
    gchar* shown = g_filename_display_name(value.c_str());
    gtk_entry_set_text(GTK_ENTRY(entry), shown);
    g_free(shown);
}

gboolean ProbeIdle(gpointer)
{
    ProbeWidgets("fileManager",
                 {{"Internal source", radioSrc_0}, {"USB source", radioSrc_1},
                  {"Previews source", radioSrc_2}, {"Internal destination", radioDst_0},
                  {"USB destination", radioDst_1}, {"Filename", txtFilename},
                  {"Copy To", txtDirName}, {"Source folder", btnSourceFolder},
                  {"Destination folder", btnDestinationFolder}, {"Copy", btnCopy},
                  {"Delete", btnDelete}});
    return FALSE;
}

void ProbeScreen()
{
    if (ProbeEnabled())
        g_idle_add_full(G_PRIORITY_LOW, ProbeIdle, nullptr, nullptr);
}

// Sets a radio without running its handler again.
void SetRadio(GtkWidget* radio, GCallback handler)
{
    const auto match = static_cast<GSignalMatchType>(G_SIGNAL_MATCH_FUNC);
    gpointer func = reinterpret_cast<gpointer>(handler);
    g_signal_handlers_block_matched(radio, match, 0, 0, nullptr, func, nullptr);
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(radio), TRUE);
    g_signal_handlers_unblock_matched(radio, match, 0, 0, nullptr, func, nullptr);
}

void OnRadioSourceToggled(GtkToggleButton* radio, gpointer data)
{
    if (!gtk_toggle_button_get_active(radio))
        return;
    const int chosen = ChooseSource(GPOINTER_TO_INT(data));
    if (chosen != GPOINTER_TO_INT(data))
        SetRadio(radioSrc_0, G_CALLBACK(OnRadioSourceToggled));
    gtk_widget_set_sensitive(btnCopy, CopyAllowedFrom(chosen));
    ProbeScreen();
}

void OnRadioDestinationToggled(GtkToggleButton* radio, gpointer data)
{
    if (!gtk_toggle_button_get_active(radio))
        return;
    if (ChooseDestination(GPOINTER_TO_INT(data)) != GPOINTER_TO_INT(data))
        SetRadio(radioDst_0, G_CALLBACK(OnRadioDestinationToggled));
    ProbeScreen();
}

void OnBtnSourceFolderClicked(GtkButton*, gpointer)
{
    const std::string chosen = UiGetFilename(SourceFolder(radioSourceCurrentVal), "");
    if (!chosen.empty())
        SetEntry(txtFilename, &sourcePath, chosen, kNoFileSelected);
    ProbeScreen();
}

void OnBtnDestinationFolderClicked(GtkButton*, gpointer)
{
    const std::string chosen =
        UiGetFilename(DestinationFolder(radioDestinationCurrentVal), kFoldersOnly);
    if (!chosen.empty())
        SetEntry(txtDirName, &destinationPath, chosen, kNoDirectorySelected);
    ProbeScreen();
}

void OnBtnCopyClicked(GtkButton*, gpointer)
{
    CopySelection(sourcePath, destinationPath);
    ProbeScreen();
}

void OnBtnDeleteClicked(GtkButton*, gpointer)
{
    if (DeleteSelection(sourcePath) == kFileDone)
        SetEntry(txtFilename, &sourcePath, kNoFileSelected, kNoFileSelected);
    ProbeScreen();
}

GtkWidget* FolderButton(GCallback handler)
{
    GtkWidget* button = gtk_button_new();
    gtk_container_add(GTK_CONTAINER(button),
                      NewImage(ImagePath("FolderBlue.png", "FolderBlue_5.png")));
    g_signal_connect(button, "clicked", handler, nullptr);
    return button;
}

// The screen is 320 pixels wide: its labels use a smaller font than the dialogs so that
// "Source: " and three radios fit on one row.
void SmallText(GtkWidget* label, const char* text)
{
    gchar* escaped = g_markup_escape_text(text, -1);
    gchar* markup = g_strdup_printf("<span font_desc=\"Sans 8\">%s</span>", escaped);
    gtk_label_set_markup(GTK_LABEL(label), markup);
    g_free(markup);
    g_free(escaped);
}

// One row of the screen: the title in the table's first column, a box for the rest.
GtkWidget* Row(GtkWidget* table, int index, const char* title)
{
    GtkWidget* label = gtk_label_new(nullptr);
    SmallText(label, title);
    gtk_misc_set_alignment(GTK_MISC(label), 0.0f, 0.5f);
    gtk_table_attach(GTK_TABLE(table), label, 0, 1, index, index + 1, GTK_FILL, GTK_FILL, 2, 0);
    GtkWidget* row = gtk_hbox_new(FALSE, 2);
    gtk_table_attach(GTK_TABLE(table), row, 1, 2, index, index + 1,
                     static_cast<GtkAttachOptions>(GTK_EXPAND | GTK_FILL), GTK_FILL, 0, 0);
    return row;
}

GtkWidget* Radio(GtkWidget* row, GtkWidget* group, const char* label, GCallback handler, int value)
{
    GtkWidget* radio = group == nullptr
                           ? gtk_radio_button_new_with_label(nullptr, label)
                           : gtk_radio_button_new_with_label_from_widget(GTK_RADIO_BUTTON(group), label);
    SmallText(gtk_bin_get_child(GTK_BIN(radio)), label);
    g_signal_connect(radio, "toggled", handler, GINT_TO_POINTER(value));
    gtk_box_pack_start(GTK_BOX(row), radio, FALSE, FALSE, 0);
    return radio;
}

GtkWidget* Entry(GtkWidget* row, const char* text)
{
    GtkWidget* entry = gtk_entry_new();
    gtk_entry_set_text(GTK_ENTRY(entry), text);
    gtk_editable_set_editable(GTK_EDITABLE(entry), FALSE);
    gtk_box_pack_start(GTK_BOX(row), entry, TRUE, TRUE, 0);
    return entry;
}

}  // namespace

GtkWidget* CreateFileManager()
{
    radioSourceCurrentVal = 0;
    radioDestinationCurrentVal = 0;
    sourcePath = kNoFileSelected;
    destinationPath = kNoDirectorySelected;
    const int rowHeight = view_area_height / 6;

    GtkWidget* box = gtk_vbox_new(FALSE, 4);
    gtk_widget_set_size_request(box, view_area_width, view_area_height);
    gtk_container_set_border_width(GTK_CONTAINER(box), 4);
    GtkWidget* table = gtk_table_new(4, 2, FALSE);
    gtk_table_set_row_spacings(GTK_TABLE(table), rowHeight / 8);
    gtk_box_pack_start(GTK_BOX(box), table, FALSE, FALSE, 0);

    GtkWidget* row = Row(table, 0, "Source: ");
    radioSrc_0 = Radio(row, nullptr, "Internal", G_CALLBACK(OnRadioSourceToggled), 0);
    radioSrc_1 = Radio(row, radioSrc_0, "USB", G_CALLBACK(OnRadioSourceToggled), 1);
    radioSrc_2 = Radio(row, radioSrc_0, "Previews", G_CALLBACK(OnRadioSourceToggled), 2);

    row = Row(table, 1, "Filename:");
    txtFilename = Entry(row, kNoFileSelected);
    btnSourceFolder = FolderButton(G_CALLBACK(OnBtnSourceFolderClicked));
    gtk_box_pack_start(GTK_BOX(row), btnSourceFolder, FALSE, FALSE, 0);

    row = Row(table, 2, "Destination: ");
    radioDst_0 = Radio(row, nullptr, "Internal", G_CALLBACK(OnRadioDestinationToggled), 0);
    radioDst_1 = Radio(row, radioDst_0, "USB", G_CALLBACK(OnRadioDestinationToggled), 1);

    row = Row(table, 3, "Copy To: ");
    txtDirName = Entry(row, kNoDirectorySelected);
    btnDestinationFolder = FolderButton(G_CALLBACK(OnBtnDestinationFolderClicked));
    gtk_box_pack_start(GTK_BOX(row), btnDestinationFolder, FALSE, FALSE, 0);

    GtkWidget* buttons = gtk_hbox_new(TRUE, view_area_width / 8);
    gtk_widget_set_size_request(buttons, -1, rowHeight);
    btnCopy = gtk_button_new_with_label("Copy");
    btnDelete = gtk_button_new_with_label("Delete");
    g_signal_connect(btnCopy, "clicked", G_CALLBACK(OnBtnCopyClicked), nullptr);
    g_signal_connect(btnDelete, "clicked", G_CALLBACK(OnBtnDeleteClicked), nullptr);
    gtk_box_pack_start(GTK_BOX(buttons), btnCopy, TRUE, TRUE, 0);
    gtk_box_pack_start(GTK_BOX(buttons), btnDelete, TRUE, TRUE, 0);
    gtk_box_pack_start(GTK_BOX(box), buttons, FALSE, FALSE, 4);

    ProbeScreen();
    return box;
}
