// The window's X id, noted for a second start, and the raising of a window
// so noted: on X11 only, where one process may activate another's window.
#include "app/raise.h"

#include <gdk/gdkx.h>

#include <cstdlib>

std::string wbWindowNote(GtkWidget* pwinMain)
{
    GdkWindow* pwin = gtk_widget_get_window(pwinMain);
    if (!pwin || !GDK_IS_X11_WINDOW(pwin))
        return {};
    return std::to_string(GDK_WINDOW_XID(pwin));
}

bool wbRaiseNotedWindow(const std::string& strNote, long nHolderPid)
{
    GdkDisplay* pdisplay = gdk_display_get_default();
    char* pszEnd = nullptr;
    const unsigned long nXid = strtoul(strNote.c_str(), &pszEnd, 10);
    if (!pdisplay || !GDK_IS_X11_DISPLAY(pdisplay) || nXid == 0 || pszEnd == strNote.c_str() || nHolderPid <= 0)
        return false;
    // A window of another process: GDK asks the window manager to activate
    // it, or without one raises it and gives it the focus itself. Only the
    // window of the process that holds the lock is raised: a note naming
    // any other never moves the focus.
    gdk_x11_display_error_trap_push(pdisplay);
    GdkWindow* pwin = gdk_x11_window_foreign_new_for_display(pdisplay, nXid);
    bool bTheirs = false;
    if (pwin) {
        GdkAtom atomType = GDK_NONE;
        gint nFormat = 0, nLength = 0;
        guchar* pData = nullptr;
        // A 32-bit property comes as longs.
        bTheirs = gdk_property_get(pwin, gdk_atom_intern_static_string("_NET_WM_PID"),
                                   gdk_atom_intern_static_string("CARDINAL"), 0, sizeof(long), FALSE, &atomType,
                                   &nFormat, &nLength, &pData) &&
                  nFormat == 32 && nLength >= static_cast<gint>(sizeof(long)) &&
                  *reinterpret_cast<const long*>(pData) == nHolderPid;
        g_free(pData);
        if (bTheirs) {
            gdk_window_raise(pwin);
            gdk_window_focus(pwin, GDK_CURRENT_TIME);
        }
        g_object_unref(pwin);
    }
    gdk_display_sync(pdisplay);
    const bool bFailed = gdk_x11_display_error_trap_pop(pdisplay) != 0;
    return bTheirs && !bFailed;
}
