#include "app/startup.h"

#include <gtk/gtk.h>

int initializeUserInterface(int argc, char** argv)
{
    gtk_init(&argc, &argv);
    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_widget_set_size_request(window, 320, 240);
    gtk_window_move(GTK_WINDOW(window), 0, 0);
    gtk_widget_show_all(window);
    gtk_main();
    return 1;
}
