// The floor for Zarv's own window: the same Zarv.ui loaded by a bare
// GtkBuilder and shown, the chart's drawing area drawn with a single fill.
// What Zarv takes beyond this is its own start-up work.
//   zarv_builder_floor ZARV.UI
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
    if (argc < 2)
        return 2;
    GtkBuilder* pBuilder = gtk_builder_new_from_file(argv[1]);
    GtkWidget* pwin = GTK_WIDGET(gtk_builder_get_object(pBuilder, "Zarv"));
    g_signal_connect(gtk_builder_get_object(pBuilder, "WBDrawing"), "draw", G_CALLBACK(onDraw), nullptr);
    g_signal_connect(pwin, "destroy", G_CALLBACK(gtk_main_quit), nullptr);
    gtk_widget_show(pwin);
    gtk_main();
    g_object_unref(pBuilder);
    return 0;
}
