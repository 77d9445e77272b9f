#pragma once
// Screen geometry: integer globals with defaults, overridden by ./screen.conf, whose keys are
// the globals' names. The last four are derived and cannot be set from the file.

extern int screen_width, screen_height;
extern int screen_LM, screen_RM, screen_TM, screen_BM;
extern int menubar_width, menubar_height;
extern int toolbar_button_size, confirm_button_size;
extern int icon_style;
extern int pop_menu_x, pop_menu_y;
extern int pattern_list_width, pattern_list_height;
extern int pattern_preview_width, pattern_preview_height;
extern int pattern_select_width, pattern_select_height;
extern int pattern_select_button_width, pattern_select_button_height;
extern int trace_button_width, trace_button_height;
extern int setup_button_width, setup_button_height;
extern int setup_slider_width, setup_slider_height;
extern int setup_spinbox_width, setup_spinbox_height;
extern int scale_dialog_width, scale_dialog_height;
extern int array_dialog_width, array_dialog_height;
extern int number_entry_width, number_entry_height;
extern int special_message_width, special_message_height;
extern int message_width, message_height;
extern int file_selection_width, file_selection_height;

// Derived.
extern int view_area_width, view_area_height;
extern int toolbar_height, toolbar_width;

// Sets the defaults, reads ./screen.conf when present, computes the derived values.
void ParseConfig();
