// One window per etc directory on the session bus: the name, the request a
// second start makes and the answer the first gives.
#include "app/instance.h"

#include "sys/errlog.h"
#include "sys/paths.h"

#include <cstdlib>

namespace
{

// The application's id, before the hash that makes it the directory's own.
constexpr const char* INSTANCE_NAME_PREFIX = "org.zarv.Zarv.Dir";
// Hex digits of the hash kept in the name: 128 bits.
constexpr size_t INSTANCE_HASH_DIGITS = 32;
// How long a second start waits for the first window to answer.
constexpr int ANSWER_TIMEOUT_MS = 10000;
// How long a start waits for the session bus itself (to connect, and to say
// who holds a name): past it the lock file decides, as without a bus.
constexpr int BUS_TIMEOUT_MS = 2000;

// This start's standing on the bus.
struct _wbInstanceState {
    GtkApplication* pApp = nullptr;
    GtkWindow* pwinPresent = nullptr;
    // The window the start's own "activate" shows, until it has.
    GtkWindow* pwinFirst = nullptr;
    // The session bus as found before the toolkit started: null where there
    // is none, or where it did not answer in time (bBusTimedOut).
    GDBusConnection* pconnBus = nullptr;
    bool bBusTimedOut = false;
    // Whether the name was given back (wbReleaseInstance).
    bool bReleased = false;
} m_instance;

// The first start's answer. GTK has taken the requester's startup id from
// the request: presenting the window with it lets the desktop give it the
// focus, and the requester's launch feedback ends here (where GTK has not
// ended it already), as the requester shows no window that would end it.
void onActivate(GApplication*, gpointer)
{
    // The start's own activation shows its window for the first time.
    if (m_instance.pwinFirst) {
        GtkWidget* pwin = GTK_WIDGET(m_instance.pwinFirst);
        m_instance.pwinFirst = nullptr;
        gtk_widget_show(pwin);
        return;
    }
    if (!m_instance.pwinPresent)
        return;
    gtk_window_present(m_instance.pwinPresent);
    gdk_notify_startup_complete();
    errPostError("Zarv was started again in this directory\nits window was brought to the front");
}

// The object a GApplication exports at, derived from its id.
std::string objectPath(const std::string& strName)
{
    std::string strPath = "/" + strName;
    for (char& c : strPath)
        c = c == '.' ? '/' : c == '-' ? '_' : c;
    return strPath;
}

// Asks the holder of strName to present its window, the freedesktop way;
// false with *ppErr set when it does not answer.
bool askHolder(GDBusConnection* pconn, const std::string& strName, const std::string& strLaunchId, GError** ppErr)
{
    GVariantBuilder data;
    g_variant_builder_init(&data, G_VARIANT_TYPE_VARDICT);
    if (!strLaunchId.empty()) {
        // GTK looks for the X11 startup id and the Wayland activation token
        // under keys of their own.
        g_variant_builder_add(&data, "{sv}", "desktop-startup-id", g_variant_new_string(strLaunchId.c_str()));
        g_variant_builder_add(&data, "{sv}", "activation-token", g_variant_new_string(strLaunchId.c_str()));
    }
    g_autoptr(GVariant) pReply = g_dbus_connection_call_sync(
        pconn, strName.c_str(), objectPath(strName).c_str(), "org.freedesktop.Application", "Activate",
        g_variant_new("(a{sv})", &data), nullptr, G_DBUS_CALL_FLAGS_NO_AUTO_START, ANSWER_TIMEOUT_MS, nullptr, ppErr);
    return pReply != nullptr;
}

// Whether the session has a bus: an address given, or the socket where the
// user's bus listens. Without either GLib would try to start a bus for the
// X display, which is not Zarv's to do (and costs every start a spawn).
bool sessionHasBus(void)
{
    const char* pszAddress = g_getenv("DBUS_SESSION_BUS_ADDRESS");
    if (pszAddress && *pszAddress)
        return true;
    g_autofree gchar* pszSocket = g_build_filename(g_get_user_runtime_dir(), "bus", nullptr);
    return g_file_test(pszSocket, G_FILE_TEST_EXISTS);
}

// A connection being made to the session bus; abandoned when the bus does
// not answer in time, and then freed by whichever of the two ends last.
struct _busWait {
    GDBusConnection* pconn = nullptr;
    bool bDone = false;
    bool bAbandoned = false;
};

void onBusGot(GObject*, GAsyncResult* pResult, gpointer pData)
{
    auto* pWait = static_cast<_busWait*>(pData);
    pWait->pconn = g_bus_get_finish(pResult, nullptr);
    pWait->bDone = true;
    if (pWait->bAbandoned) {
        g_clear_object(&pWait->pconn);
        delete pWait;
    }
}

gboolean onBusTimeout(gpointer)
{
    return G_SOURCE_CONTINUE;
}

// The session bus, asked without blocking: a bus that accepts and never
// answers (or a stopped bus daemon) must not hold the start. Null when it
// cannot be had; *pbTimedOut says whether it did not answer in time.
GDBusConnection* connectToBus(bool* pbTimedOut)
{
    auto* pWait = new _busWait;
    g_autoptr(GCancellable) pCancel = g_cancellable_new();
    g_bus_get(G_BUS_TYPE_SESSION, pCancel, onBusGot, pWait);
    // The timer only wakes the loop once the time is up.
    const gint64 tEnd = g_get_monotonic_time() + gint64(BUS_TIMEOUT_MS) * 1000;
    GSource* pTimer = g_timeout_source_new(BUS_TIMEOUT_MS);
    g_source_set_callback(pTimer, onBusTimeout, nullptr, nullptr);
    g_source_attach(pTimer, nullptr);
    while (!pWait->bDone && g_get_monotonic_time() < tEnd)
        g_main_context_iteration(nullptr, TRUE);
    g_source_destroy(pTimer);
    g_source_unref(pTimer);
    *pbTimedOut = !pWait->bDone;
    if (!pWait->bDone) {
        pWait->bAbandoned = true;
        g_cancellable_cancel(pCancel);
        return nullptr;
    }
    GDBusConnection* pconn = pWait->pconn;
    delete pWait;
    return pconn;
}

// Whether some connection holds the name now; false with *ppErr set when
// the bus does not say in time.
bool nameHasOwner(GDBusConnection* pconn, const std::string& strName, GError** ppErr)
{
    g_autoptr(GVariant) pReply =
        g_dbus_connection_call_sync(pconn, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                                    "NameHasOwner", g_variant_new("(s)", strName.c_str()), G_VARIANT_TYPE("(b)"),
                                    G_DBUS_CALL_FLAGS_NONE, BUS_TIMEOUT_MS, nullptr, ppErr);
    gboolean bOwned = FALSE;
    if (pReply)
        g_variant_get(pReply, "(b)", &bOwned);
    return bOwned;
}

// Logs a session bus that did not answer in time, which cost the start
// that time and leaves the lock file alone to keep one window.
void postBusTimeout(const char* pszCall)
{
    g_autofree gchar* pszMsg = g_strdup_printf(
        "wbRegisterInstance()\n%s failed\nthe session bus did not answer within %d seconds: the lock file alone keeps "
        "one window on this directory",
        pszCall, BUS_TIMEOUT_MS / 1000);
    errPostError(pszMsg);
}

} // namespace

std::string wbInstanceName(const std::string& strEtcDir)
{
    char* pszResolved = realpath(strEtcDir.c_str(), nullptr);
    g_autofree gchar* pszHash =
        g_compute_checksum_for_string(G_CHECKSUM_SHA256, pszResolved ? pszResolved : strEtcDir.c_str(), -1);
    free(pszResolved);
    return std::string(INSTANCE_NAME_PREFIX) + std::string(pszHash, INSTANCE_HASH_DIGITS);
}

std::string wbLaunchId(void)
{
    for (const char* pszVar : {"XDG_ACTIVATION_TOKEN", "DESKTOP_STARTUP_ID"}) {
        const char* pszId = g_getenv(pszVar);
        if (pszId && *pszId && g_utf8_validate(pszId, -1, nullptr))
            return pszId;
    }
    return {};
}

void wbConnectSessionBus(void)
{
    if (!sessionHasBus())
        return;
    m_instance.pconnBus = connectToBus(&m_instance.bBusTimedOut);
    // The toolkit's accessibility bridge would ask the same bus for the
    // accessibility bus, without a time limit.
    if (m_instance.bBusTimedOut)
        g_setenv("NO_AT_BRIDGE", "1", TRUE);
}

_wbInstance wbRegisterInstance(const std::string& strLaunchId)
{
    GDBusConnection* pconn = m_instance.pconnBus;
    if (!pconn) {
        if (m_instance.bBusTimedOut)
            postBusTimeout("g_bus_get()");
        return WB_INSTANCE_NO_BUS;
    }
    const std::string strName = wbInstanceName(wbEtcDir());
    g_autoptr(GError) pErrOwner = nullptr;
    const bool bOwned = nameHasOwner(pconn, strName, &pErrOwner);
    if (pErrOwner) {
        if (g_error_matches(pErrOwner, G_IO_ERROR, G_IO_ERROR_TIMED_OUT))
            postBusTimeout("NameHasOwner()");
        return WB_INSTANCE_NO_BUS;
    }
    // A holder is asked directly: registering beside it would first wait,
    // without a time limit of Zarv's, for it to list its actions.
    if (!bOwned) {
        // The application lives as long as the process, and the first
        // start's name with it: the bus frees it when the process ends.
        m_instance.pApp = gtk_application_new(strName.c_str(), G_APPLICATION_DEFAULT_FLAGS);
        g_signal_connect(m_instance.pApp, "activate", G_CALLBACK(onActivate), nullptr);
        GApplication* papp = G_APPLICATION(m_instance.pApp);
        if (!g_application_register(papp, nullptr, nullptr) || !g_application_get_dbus_connection(papp))
            return WB_INSTANCE_NO_BUS;
        // Another start may have taken the name a moment before.
        if (!g_application_get_is_remote(papp))
            return WB_INSTANCE_FIRST;
    }
    g_autoptr(GError) pErr = nullptr;
    if (askHolder(pconn, strName, strLaunchId, &pErr))
        return WB_INSTANCE_ASKED;
    // A holder that ends while it is asked gives no answer: the lock file,
    // free once it has ended, decides as where there is no bus.
    return g_error_matches(pErr, G_IO_ERROR, G_IO_ERROR_TIMED_OUT) ? WB_INSTANCE_UNANSWERED : WB_INSTANCE_NO_BUS;
}

void wbReleaseInstance(void)
{
    GDBusConnection* pconn =
        m_instance.pApp ? g_application_get_dbus_connection(G_APPLICATION(m_instance.pApp)) : nullptr;
    if (!pconn)
        return;
    m_instance.bReleased = true;
    GVariant* pReply = g_dbus_connection_call_sync(
        pconn, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "ReleaseName",
        g_variant_new("(s)", g_application_get_application_id(G_APPLICATION(m_instance.pApp))), G_VARIANT_TYPE("(u)"),
        G_DBUS_CALL_FLAGS_NONE, BUS_TIMEOUT_MS, nullptr, nullptr);
    if (pReply)
        g_variant_unref(pReply);
    // Where it cannot be released, a start that asks meanwhile finds no
    // window here to present; the bus frees the name when this start ends.
}

GtkApplication* wbRegisteredApp(void)
{
    if (!m_instance.pApp || m_instance.bReleased)
        return nullptr;
    GApplication* papp = G_APPLICATION(m_instance.pApp);
    if (!g_application_get_is_registered(papp) || g_application_get_is_remote(papp))
        return nullptr;
    return m_instance.pApp;
}

void wbShowFirstWindow(GtkWindow* pwinMain)
{
    GtkApplication* papp = wbRegisteredApp();
    if (!papp) {
        gtk_widget_show(GTK_WIDGET(pwinMain));
        return;
    }
    m_instance.pwinFirst = pwinMain;
    g_application_activate(G_APPLICATION(papp));
}

void wbPresentOnRequest(GtkWindow* pwinMain)
{
    m_instance.pwinPresent = pwinMain;
}
