// Test helpers: temporary directories, files, and GTK under Xvfb.
#include "support.h"

#include "sys/errlog.h"

#include <gtest/gtest.h>

#include <glib/gstdio.h>

#include <grp.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <clocale>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace zt
{

namespace
{

void removeTree(const std::string& strPath)
{
    GStatBuf st;
    if (g_lstat(strPath.c_str(), &st) != 0)
        return;
    if (S_ISDIR(st.st_mode)) {
        g_chmod(strPath.c_str(), 0700);
        if (GDir* pdir = g_dir_open(strPath.c_str(), 0, nullptr)) {
            while (const gchar* pszName = g_dir_read_name(pdir))
                removeTree(strPath + "/" + pszName);
            g_dir_close(pdir);
        }
        g_rmdir(strPath.c_str());
    } else {
        g_unlink(strPath.c_str());
    }
}

bool m_bDisplay = false;

} // namespace

TempDir::TempDir()
{
    g_autofree gchar* psz = g_dir_make_tmp("zarv-test-XXXXXX", nullptr);
    m_strPath = psz ? psz : "";
}

TempDir::~TempDir()
{
    if (!m_strPath.empty())
        removeTree(m_strPath);
}

std::string readFile(const std::string& strPath)
{
    std::ifstream in(strPath, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void writeFile(const std::string& strPath, const std::string& strText)
{
    std::ofstream out(strPath, std::ios::binary | std::ios::trunc);
    out << strText;
}

bool exists(const std::string& strPath)
{
    GStatBuf st;
    return g_lstat(strPath.c_str(), &st) == 0;
}

std::vector<std::string> listDir(const std::string& strPath)
{
    std::vector<std::string> v;
    if (GDir* pdir = g_dir_open(strPath.c_str(), 0, nullptr)) {
        while (const gchar* pszName = g_dir_read_name(pdir))
            v.push_back(pszName);
        g_dir_close(pdir);
    }
    std::sort(v.begin(), v.end());
    return v;
}

namespace
{

GRegex* compile(const std::string& strPattern)
{
    g_autoptr(GError) pErr = nullptr;
    GRegex* pRegex = g_regex_new(strPattern.c_str(), GRegexCompileFlags(G_REGEX_RAW | G_REGEX_DOLLAR_ENDONLY),
                                 GRegexMatchFlags(0), &pErr);
    if (!pRegex)
        ADD_FAILURE() << "the pattern " << strPattern << " does not compile: " << pErr->message;
    return pRegex;
}

std::vector<std::string> groups(const GMatchInfo* pInfo)
{
    std::vector<std::string> v;
    for (gint i = 0; i < g_match_info_get_match_count(pInfo); i++) {
        g_autofree gchar* psz = g_match_info_fetch(pInfo, i);
        v.push_back(psz ? psz : "");
    }
    return v;
}

// A time stamp at the start of a line, as the log writes it.
constexpr const char* STAMPED_LINE = "(\\d\\d-[^ ]+-\\d{4} \\d\\d:\\d\\d:\\d\\d )([^\n]*)\n";

} // namespace

std::vector<std::vector<std::string>> reSearchAll(const std::string& str, const std::string& strPattern)
{
    std::vector<std::vector<std::string>> all;
    g_autoptr(GRegex) pRegex = compile(strPattern);
    g_autoptr(GMatchInfo) pInfo = nullptr;
    if (!pRegex)
        return all;
    for (g_regex_match_full(pRegex, str.data(), static_cast<gssize>(str.size()), 0, GRegexMatchFlags(0), &pInfo,
                            nullptr);
         g_match_info_matches(pInfo); g_match_info_next(pInfo, nullptr))
        all.push_back(groups(pInfo));
    return all;
}

std::vector<std::string> reSearch(const std::string& str, const std::string& strPattern)
{
    std::vector<std::vector<std::string>> all = reSearchAll(str, strPattern);
    return all.empty() ? std::vector<std::string>{} : all.front();
}

bool reMatch(const std::string& str, const std::string& strPattern)
{
    return !reSearch(str, "\\A(?:" + strPattern + ")\\z").empty();
}

std::string reReplace(const std::string& str, const std::string& strPattern, const std::string& strWith)
{
    g_autoptr(GRegex) pRegex = compile(strPattern);
    g_autoptr(GError) pErr = nullptr;
    g_autofree gchar* psz = pRegex ? g_regex_replace(pRegex, str.data(), static_cast<gssize>(str.size()), 0,
                                                     strWith.c_str(), GRegexMatchFlags(0), &pErr)
                                   : nullptr;
    if (pErr)
        ADD_FAILURE() << "the replacement " << strWith << " fails: " << pErr->message;
    return psz ? psz : str;
}

std::string inLocale(const std::string& strWords)
{
    return reReplace(strWords, "(\\d)\\.(\\d)", std::string("\\1") + localeconv()->decimal_point + "\\2");
}

std::vector<std::string> logMessages(const std::string& strLog)
{
    std::vector<std::string> v;
    for (const std::vector<std::string>& m : reSearchAll(strLog, STAMPED_LINE))
        v.push_back(m[2]);
    return v;
}

bool logHasEntry(const std::string& strLog, const std::string& strMessage)
{
    const std::string strFirst = strMessage.substr(0, strMessage.find('\n'));
    for (const std::vector<std::string>& m : reSearchAll(strLog, STAMPED_LINE)) {
        if (m[2] != strFirst)
            continue;
        const std::string strEntry = errFormatEntry(m[1].c_str(), strMessage.c_str());
        if (strLog.find(strEntry) != std::string::npos)
            return true;
    }
    return false;
}

std::string uiPath()
{
    return ZARV_SOURCE_DIR "/etc/Zarv.ui";
}

bool haveDisplay()
{
    return m_bDisplay;
}

void setHaveDisplay(bool b)
{
    m_bDisplay = b;
}

bool spinUntil(const std::function<bool()>& bDone, int nMillis)
{
    const gint64 tEnd = g_get_monotonic_time() + gint64(nMillis) * 1000;
    while (!bDone()) {
        if (g_get_monotonic_time() > tEnd)
            return false;
        if (!g_main_context_iteration(nullptr, FALSE))
            g_usleep(1000);
    }
    return true;
}

void asUnprivileged(const std::string& strDir, const std::function<void()>& body)
{
    if (geteuid() != 0) {
        body();
        return;
    }
    const passwd* ppw = getpwnam("nobody");
    ASSERT_NE(ppw, nullptr) << "no user nobody to run as";
    const uid_t nUid = ppw->pw_uid;
    const gid_t nGid = ppw->pw_gid;
    auto chownAll = [&](uid_t uid, gid_t gid) {
        ASSERT_EQ(chown(strDir.c_str(), uid, gid), 0);
        for (const std::string& strName : listDir(strDir))
            ASSERT_EQ(lchown((strDir + "/" + strName).c_str(), uid, gid), 0);
    };
    chownAll(nUid, nGid);
    fflush(nullptr);
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        if (setgroups(0, nullptr) != 0 || setgid(nGid) != 0 || setuid(nUid) != 0)
            _exit(2);
        body();
        fflush(nullptr);
        _exit(testing::Test::HasFailure() ? 1 : 0);
    }
    int nStatus = 0;
    ASSERT_EQ(waitpid(pid, &nStatus, 0), pid);
    chownAll(0, 0);
    EXPECT_TRUE(WIFEXITED(nStatus) && WEXITSTATUS(nStatus) == 0) << "as nobody: status " << nStatus;
}

bool waitUntil(const std::function<bool()>& bDone, const std::string& strWhat, int nMillis)
{
    if (spinUntil(bDone, nMillis))
        return true;
    ADD_FAILURE() << "waited " << nMillis << " ms in vain for " << strWhat;
    return false;
}

void spin(void)
{
    // Bounded: a source that keeps itself pending cannot hold a test.
    for (int i = 0; i < 10000 && g_main_context_iteration(nullptr, FALSE); i++) {
    }
}

bool presentAndFocus(GtkWidget* pwinMain)
{
    // The window alone, as the program shows it: what the definition marks
    // visible is visible, and what the pages hid stays hidden.
    gtk_widget_show(pwinMain);
    if (!spinUntil([&] { return gtk_widget_get_mapped(pwinMain); }))
        return false;
    gtk_window_present(GTK_WINDOW(pwinMain));
    if (spinUntil([&] { return gtk_window_is_active(GTK_WINDOW(pwinMain)); }, 2000))
        return true;
    // No window manager took the hint: tell the window it has the focus.
    gtk_widget_send_focus_change(pwinMain, nullptr);
    GdkEvent* pevt = gdk_event_new(GDK_FOCUS_CHANGE);
    pevt->focus_change.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(pwinMain)));
    pevt->focus_change.in = TRUE;
    gtk_widget_send_focus_change(pwinMain, pevt);
    gdk_event_free(pevt);
    return spinUntil([&] { return gtk_window_is_active(GTK_WINDOW(pwinMain)); }, 1000);
}

void sendKey(GtkWidget* pwinMain, guint nKeyval, GdkModifierType nState)
{
    GdkWindow* pwin = gtk_widget_get_window(pwinMain);
    GdkDisplay* pdisplay = gdk_window_get_display(pwin);
    GdkDevice* pdevKeyboard = gdk_seat_get_keyboard(gdk_display_get_default_seat(pdisplay));
    GdkKeymapKey* pkeys = nullptr;
    gint nKeys = 0;
    gdk_keymap_get_entries_for_keyval(gdk_keymap_get_for_display(pdisplay), nKeyval, &pkeys, &nKeys);
    for (GdkEventType nType : {GDK_KEY_PRESS, GDK_KEY_RELEASE}) {
        GdkEvent* pevt = gdk_event_new(nType);
        pevt->key.window = GDK_WINDOW(g_object_ref(pwin));
        pevt->key.send_event = FALSE;
        pevt->key.time = GDK_CURRENT_TIME;
        pevt->key.state = nState;
        pevt->key.keyval = nKeyval;
        if (nKeys > 0) {
            pevt->key.hardware_keycode = static_cast<guint16>(pkeys[0].keycode);
            pevt->key.group = static_cast<guint8>(pkeys[0].group);
        }
        gdk_event_set_device(pevt, pdevKeyboard);
        gtk_main_do_event(pevt);
        gdk_event_free(pevt);
    }
    g_free(pkeys);
    spin();
}

GtkWidget* shownDialog(void)
{
    GtkWidget* pdlg = nullptr;
    g_autoptr(GList) plist = gtk_window_list_toplevels();
    for (GList* p = plist; p; p = p->next)
        if (GTK_IS_DIALOG(p->data) && gtk_widget_get_mapped(GTK_WIDGET(p->data)))
            pdlg = GTK_WIDGET(p->data);
    return pdlg;
}

GtkWidget* named(GtkWidget* pwgt, const char* pszName)
{
    if (g_strcmp0(gtk_widget_get_name(pwgt), pszName) == 0)
        return pwgt;
    GtkWidget* pwgtFound = nullptr;
    if (GTK_IS_CONTAINER(pwgt)) {
        g_autoptr(GList) plist = gtk_container_get_children(GTK_CONTAINER(pwgt));
        for (GList* p = plist; p && !pwgtFound; p = p->next)
            pwgtFound = named(GTK_WIDGET(p->data), pszName);
    }
    return pwgtFound;
}

} // namespace zt
