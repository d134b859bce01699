// The floor every GTK 3 program pays: one window with one drawing area of
// the size Zarv's chart asks for, drawn with a single fill.
#include <gtk/gtk.h>

namespace
{

gboolean onDraw(GtkWidget* pwgt, cairo_t* pCr, gpointer)
{
    cairo_set_source_rgb(pCr, 1, 1, 1);
    cairo_rectangle(pCr, 0, 0, gtk_widget_get_allocated_width(pwgt), gtk_widget_get_allocated_height(pwgt));
    cairo_fill(pCr);
    return FALSE;
}

} // namespace

int main(int argc, char* argv[])
{
    gtk_init(&argc, &argv);
    GtkWidget* pwin = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    GtkWidget* pwgtDrawing = gtk_drawing_area_new();
    gtk_widget_set_size_request(pwgtDrawing, 460, 460);
    gtk_container_add(GTK_CONTAINER(pwin), pwgtDrawing);
    g_signal_connect(pwgtDrawing, "draw", G_CALLBACK(onDraw), nullptr);
    g_signal_connect(pwin, "destroy", G_CALLBACK(gtk_main_quit), nullptr);
    gtk_widget_show_all(pwin);
    gtk_main();
    return 0;
}
