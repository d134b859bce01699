// The window's two bars across the top, and what each says: the red one
// what the store, the filing and the log could not do, the notice what the
// pilot asked for and could not have.
#include "app/bars.h"

#include "app/theme.h"
#include "model/texts.h"
#include "store/conf/params.h"
#include "store/conf/state.h"
#include "store/conf/stored.h"
#include "store/flight/legs.h"
#include "sys/errlog.h"
#include "ui/accept.h"
#include "ui/misc.h"
#include "ui/print.h"

#include <algorithm>
#include <vector>

namespace
{

constexpr gint NOTICE_OPEN = 1;
// The red bar's height, whatever it is told: the label keeps a paragraph to
// a few lines, but not the number of paragraphs. What does not fit is
// counted, so the bar never covers the window.
constexpr size_t MOST_BAR_PARAGRAPHS = 6;
constexpr size_t MOST_BAR_PARAGRAPH_CHARS = 300;

// The bars as the definition has them (either may be missing), and what
// they say. A sheet whose copy was not filed stays on the red bar until one
// is; another program's change of Zarv.conf is said until the next save.
struct _wbBars {
    GtkWidget* pwgtSaveFailedBar = nullptr;
    GtkWidget* pwgtSaveFailedText = nullptr;
    std::string strStandingWarning, strSaveFailure, strFilingFailure, strConfChanged;
    // Failures the store and the filing met, each said for the rest of the run.
    std::vector<std::string> told;
    // The school's files refused, as its folder stands now.
    std::vector<std::string> refused;
    GtkWidget* pwgtNoticeBar = nullptr;
    GtkWidget* pwgtNoticeText = nullptr;
    GtkWidget* pwgtNoticeOpen = nullptr;
    std::string strNoticeFile; // the report the notice offers to open
} m_bars;

// Told of every rewrite of Zarv.conf: a failure shows the bar with the
// system's reason, the next success hides it. The log keeps its entries.
void wbOnWriteResult(const char* pszError)
{
    m_bars.strSaveFailure.clear();
    if (!pszError)
        m_bars.strConfChanged.clear();
    if (pszError) {
        g_autofree gchar* pszText = g_strdup_printf("Your last change could not be saved: %s. Zarv keeps it until "
                                                    "this window closes; Zarv.log has the details.",
                                                    pszError);
        m_bars.strSaveFailure = pszText;
    }
    wbShowBar();
}

void wbOnTold(const std::string& strText)
{
    // Said once, however often it happens; the latest few, so the bar
    // never grows past the window.
    constexpr size_t MAX_TOLD = 4;
    std::vector<std::string>& told = m_bars.told;
    if (std::find(told.begin(), told.end(), strText) == told.end())
        told.push_back(strText);
    if (told.size() > MAX_TOLD)
        told.erase(told.begin());
    wbShowBar();
}

// Told after each sheet printed whether its copy was filed.
void wbOnFilingResult(const char* pszError)
{
    m_bars.strFilingFailure.clear();
    if (pszError) {
        g_autofree gchar* pszText = g_strdup_printf("The load sheet was printed, but %s. Zarv.log has the details.",
                                                    txtEscaped(pszError).c_str());
        m_bars.strFilingFailure = pszText;
    }
    wbShowBar();
}

void wbOnNoticeResponse(GtkInfoBar* pbar, gint nResponse, gpointer)
{
    gtk_widget_hide(GTK_WIDGET(pbar));
    if (nResponse != NOTICE_OPEN || m_bars.strNoticeFile.empty())
        return;
    const std::string strFile = m_bars.strNoticeFile;
    g_autoptr(GError) pErr = nullptr;
    g_autofree gchar* pszUri = g_filename_to_uri(strFile.c_str(), nullptr, &pErr);
    if (pszUri && gtk_show_uri_on_window(GTK_WINDOW(gtk_widget_get_toplevel(GTK_WIDGET(pbar))), pszUri,
                                         gtk_get_current_event_time(), &pErr))
        return;
    const char* pszWhy = pErr ? pErr->message : "no application is installed for it";
    g_autofree gchar* pszLog =
        g_strdup_printf("wbOnNoticeResponse()\ngtk_show_uri_on_window(%s) failed\n%s", strFile.c_str(), pszWhy);
    errPostError(pszLog);
    wbShowNotice(("The report could not be opened (" + std::string(pszWhy) + "); it is " + strFile).c_str());
}

// One of the window's optional bars, where the definition has it: an info
// bar pszBar with its label pszText, both or neither (null).
GtkWidget* wbLookUpBar(GtkBuilder* pBuilder, const char* pszBar, const char* pszText, GtkWidget** ppwgtText)
{
    GtkWidget* pwgtBar = mscLookUp(pBuilder, pszBar);
    *ppwgtText = mscLookUp(pBuilder, pszText);
    if (GTK_IS_INFO_BAR(pwgtBar) && GTK_IS_LABEL(*ppwgtText))
        return pwgtBar;
    *ppwgtText = nullptr;
    return nullptr;
}

// A flight changed after its sheet was accepted: the page says so once.
void wbOnStateChanged(_stateChange)
{
    if (const std::string str = accNoLongerText([] { return shtInputsHash(legCalcShown()); }); !str.empty())
        wbShowNotice(str.c_str());
}

} // namespace

void wbInitBars(GtkBuilder* pBuilder)
{
    m_bars.pwgtSaveFailedBar = wbLookUpBar(pBuilder, "SaveFailedBar", "SaveFailedText", &m_bars.pwgtSaveFailedText);
    if (m_bars.pwgtSaveFailedBar)
        wbDressSaveFailedBar(m_bars.pwgtSaveFailedBar, m_bars.pwgtSaveFailedText);
    // A new window says what it meets itself.
    m_bars.strSaveFailure.clear(), m_bars.strFilingFailure.clear(), m_bars.strConfChanged.clear();
    m_bars.pwgtNoticeBar = wbLookUpBar(pBuilder, "NoticeBar", "NoticeText", &m_bars.pwgtNoticeText);
    if (m_bars.pwgtNoticeBar) {
        m_bars.pwgtNoticeOpen = gtk_info_bar_add_button(GTK_INFO_BAR(m_bars.pwgtNoticeBar), "Open report", NOTICE_OPEN);
        gtk_widget_hide(m_bars.pwgtNoticeOpen);
        g_signal_connect(m_bars.pwgtNoticeBar, "response", G_CALLBACK(wbOnNoticeResponse), nullptr);
    }
    prmSetWriteListener(wbOnWriteResult);
    prnSetFilingListener(wbOnFilingResult);
    m_bars.told.clear();
    m_bars.refused.clear();
    errSetPilotListener(wbOnTold);
    stateUnlisten(wbOnStateChanged);
    stateListen(wbOnStateChanged);
}

void wbShowBar(void)
{
    if (!m_bars.pwgtSaveFailedBar || !m_bars.pwgtSaveFailedText)
        return;
    std::string strText = m_bars.strSaveFailure.empty() ? m_bars.strStandingWarning : m_bars.strSaveFailure;
    // A change whose save failed is still not in the file: the bar keeps
    // saying so beside another program's change.
    if (!m_bars.strConfChanged.empty())
        strText = m_bars.strConfChanged + (strText.empty() ? "" : ". " + strText);
    if (!m_bars.strFilingFailure.empty())
        strText += (strText.empty() ? "" : "\n") + m_bars.strFilingFailure;
    std::vector<std::string> told = m_bars.told;
    told.insert(told.end(), m_bars.refused.begin(), m_bars.refused.end());
    // The aircraft's texts that are not valid text, while they stand.
    for (const _prmValueId nId : {VAL_REGISTRATION, VAL_WEIGHED})
        if (prmKeyFile() && !valNotText(nId).empty())
            told.push_back(valNotText(nId));
    // What is told names files and folders others may have named: shown
    // as written, one paragraph each.
    size_t nSaid = 0;
    for (const std::string& str : told) {
        if (++nSaid == MOST_BAR_PARAGRAPHS && told.size() > MOST_BAR_PARAGRAPHS) {
            strText += (strText.empty() ? "" : "\n") + std::string("\u2026 and ") +
                       std::to_string(told.size() - MOST_BAR_PARAGRAPHS + 1) + " more (Zarv.log has them)";
            break;
        }
        strText += (strText.empty() ? "" : "\n") + txtOneLine(txtEscaped(str), MOST_BAR_PARAGRAPH_CHARS);
    }
    gtk_label_set_text(GTK_LABEL(m_bars.pwgtSaveFailedText), strText.c_str());
    gtk_widget_set_visible(m_bars.pwgtSaveFailedBar, !strText.empty());
}

void wbSayConfChanged(bool bUnitChanged)
{
    m_bars.strConfChanged = "Zarv.conf was changed by another program: its values are shown";
    if (bUnitChanged)
        m_bars.strConfChanged += ". The units changed: the field you are typing in keeps the unit beside it until "
                                 "you leave it";
    wbShowBar();
}

void wbShowNotice(const char* pszText, const std::string& strFile)
{
    if (!m_bars.pwgtNoticeBar || !m_bars.pwgtNoticeText)
        return; // the log has it
    m_bars.strNoticeFile = strFile;
    gtk_label_set_text(GTK_LABEL(m_bars.pwgtNoticeText), txtEscaped(pszText).c_str());
    gtk_widget_set_visible(m_bars.pwgtNoticeOpen, !strFile.empty());
    gtk_widget_show(m_bars.pwgtNoticeBar);
}

void wbSaySchoolRefusals(const std::vector<std::string>& refused)
{
    if (refused == m_bars.refused)
        return;
    m_bars.refused = refused;
    wbShowBar();
}

void wbShowStandingWarning(const char* pszText)
{
    m_bars.strStandingWarning = pszText;
    wbOnWriteResult(nullptr);
}
