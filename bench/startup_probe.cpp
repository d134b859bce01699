// Preloaded into a GTK program by zarv_startup: when a drawing area's "draw"
// handler has run for the first time, it writes the time (CLOCK_MONOTONIC,
// in ns) and the peak resident memory (kB) to $ZARV_PROBE_OUT and ends the
// process. It sees the program only through g_signal_connect_data, so it
// measures Zarv and the reference program alike.
#include <gtk/gtk.h>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <dlfcn.h>
#include <unistd.h>

namespace
{

long peakKb()
{
    FILE* h = fopen("/proc/self/status", "r");
    if (!h)
        return -1;
    char szLine[256];
    long n = -1;
    while (fgets(szLine, sizeof szLine, h))
        if (strncmp(szLine, "VmHWM:", 6) == 0)
            n = strtol(szLine + 6, nullptr, 10);
    fclose(h);
    return n;
}

gboolean onDrawn(GtkWidget*, cairo_t*, gpointer)
{
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    if (const char* pszOut = getenv("ZARV_PROBE_OUT"))
        if (FILE* h = fopen(pszOut, "w")) {
            fprintf(h, "%lld %ld\n", static_cast<long long>(ts.tv_sec) * 1000000000LL + ts.tv_nsec, peakKb());
            fclose(h);
        }
    _exit(0);
}

} // namespace

extern "C" gulong g_signal_connect_data(gpointer instance, const gchar* detailed_signal, GCallback c_handler,
                                        gpointer data, GClosureNotify destroy_data, GConnectFlags connect_flags)
{
    using Fn = gulong (*)(gpointer, const gchar*, GCallback, gpointer, GClosureNotify, GConnectFlags);
    static Fn pfuncReal = reinterpret_cast<Fn>(dlsym(RTLD_NEXT, "g_signal_connect_data"));
    const gulong nId = pfuncReal(instance, detailed_signal, c_handler, data, destroy_data, connect_flags);
    if (strcmp(detailed_signal, "draw") == 0 && G_TYPE_CHECK_INSTANCE_TYPE(instance, GTK_TYPE_DRAWING_AREA) &&
        c_handler != G_CALLBACK(onDrawn))
        pfuncReal(instance, "draw", G_CALLBACK(onDrawn), nullptr, nullptr, G_CONNECT_AFTER);
    return nId;
}
