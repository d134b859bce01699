// The print dialog of the load sheet: GTK's print operation drawing the
// sheet's one page, the dialog's tab of the people and the flight, the
// settings offered and kept; then the copy filed and the pilot told.
#include "ui/print.h"

#include "ui/accept.h"

#include "store/conf/params.h"
#include "store/conf/state.h"
#include "store/conf/stored.h"
#include "store/flight/legs.h"
#include "store/flight/people.h"
#include "store/record/filing.h"
#include "sys/errlog.h"

#include <cairo-pdf.h>
#include <cairo-ps.h>
#include <cairo-svg.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>

namespace
{

// A signature the tab asks for: who signs (the pilot in command's entry,
// or a choice of the instructors), their passphrase, the button that
// signs, and what it said.
struct _prnSigning {
    GtkWidget *pwgtWho, *pwgtLabel, *pwgtPassphrase, *pwgtButton, *pwgtSaid;
    const char *pszCapacity, *pszCaption; // the passphrase's, with its mnemonic
};

// The dialog's tab: an entry for each of the people and the flight, and
// where the flight may be accepted, the commander's acceptance and, for a
// student's solo, the instructor's authorisation.
struct _prnTab {
    GtkWidget *pwgtPilot, *pwgtPreparer, *pwgtReference;
    GtkWidget *pwgtLeftOccupant, *pwgtRightOccupant;
    _prnSigning commander, instructor;
};

// What a signature's label has room for, from the start.
constexpr int SAID_CHARS = 64, SAID_LINES = 4;

// The module's state, from one sheet to the next.
struct _prnState {
    // The sheet's people and flight, as the dialog's tab has them; the
    // pilot and the preparer are kept in Zarv.conf and offered again for
    // the next sheet, after a restart too.
    _shtPeople people;
    _prnTab tab;
    // The page the sheet was printed on, and when it was asked for: the one
    // time its "Printed" line, the name the dialog offers, the print job,
    // the filed copy and its line in the record all carry, however long the
    // dialog stays open.
    double nPageWidth, nPageHeight;
    time_t tPrinted;
    // The print settings of the last sheet (the printer chosen), for the next.
    GtkPrintSettings* pSettings;
    void (*pfuncFilingListener)(const char* pszError);
    // Why "Print to File" offers no folder of the pilot's own, as last told:
    // said once a run.
    std::string strFolderTold;
    // The seats' occupants as the loading page named them when the dialog
    // last offered them: a name kept from a dialog not printed gives way
    // to the page's once the page names another.
    std::array<std::string, 2> pageNamed;
    // The file the sheet goes to where Zarv writes it itself (the file
    // printer's, or the export file), its format, and the paper it is laid
    // out on.
    std::string strToFile, strFormat;
    GtkPageSetup* pPageSetup;
};
_prnState m_prn = {};

void prnOnBeginPrint(GtkPrintOperation* pop, GtkPrintContext* pctx, gpointer)
{
    gtk_print_operation_set_n_pages(pop, 1);
    m_prn.nPageWidth = gtk_print_context_get_width(pctx);
    m_prn.nPageHeight = gtk_print_context_get_height(pctx);
    g_clear_object(&m_prn.pPageSetup);
    m_prn.pPageSetup = gtk_page_setup_copy(gtk_print_context_get_page_setup(pctx));
    GtkPrintSettings* pSettings = gtk_print_operation_get_print_settings(pop);
    const char* pszUri = pSettings ? gtk_print_settings_get(pSettings, GTK_PRINT_SETTINGS_OUTPUT_URI) : nullptr;
    if (!m_prn.strToFile.empty() || !pszUri)
        return;
    // GTK's file printer would open the name it offered anew when it
    // writes, and follow a link planted there meanwhile: Zarv writes the
    // file itself, and GTK's job is let go before it writes anything.
    g_autofree gchar* pszPath = g_filename_from_uri(pszUri, nullptr, nullptr);
    const char* pszFormat = gtk_print_settings_get(pSettings, GTK_PRINT_SETTINGS_OUTPUT_FILE_FORMAT);
    m_prn.strToFile = pszPath ? pszPath : pszUri;
    m_prn.strFormat = pszFormat ? pszFormat : "pdf";
    gtk_print_operation_cancel(pop);
}

cairo_status_t prnWriteOut(void* pClosure, const unsigned char* pData, unsigned int nLength)
{
    const int fd = *static_cast<const int*>(pClosure);
    while (nLength > 0) {
        const ssize_t n = write(fd, pData, nLength);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return CAIRO_STATUS_WRITE_ERROR;
        pData += n;
        nLength -= static_cast<unsigned int>(n);
    }
    return CAIRO_STATUS_SUCCESS;
}

// Writes the sheet into strPath as GTK lays it out on its paper, through a
// file opened once: a link at that name, or anything but a plain file of
// the pilot's own, is refused, never followed or replaced. "" where it was
// written, else what the pilot is told.
std::string writeSheetFile(const std::string& strPath, const std::string& strFormat)
{
    const int fd = open(strPath.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0 && errno == ELOOP)
        return strPath + " is a link, which Zarv does not follow: print the sheet to another name";
    if (fd < 0)
        return strPath + " cannot be written: " + g_strerror(errno);
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != geteuid() || st.st_nlink != 1) {
        close(fd);
        return strPath + " is not a plain file of your own: print the sheet to another name";
    }
    int fdOut = fd;
    const double nPaperWidth = gtk_page_setup_get_paper_width(m_prn.pPageSetup, GTK_UNIT_POINTS);
    const double nPaperHeight = gtk_page_setup_get_paper_height(m_prn.pPageSetup, GTK_UNIT_POINTS);
    cairo_surface_t* psurf =
        strFormat == "ps"    ? cairo_ps_surface_create_for_stream(prnWriteOut, &fdOut, nPaperWidth, nPaperHeight)
        : strFormat == "svg" ? cairo_svg_surface_create_for_stream(prnWriteOut, &fdOut, nPaperWidth, nPaperHeight)
                             : cairo_pdf_surface_create_for_stream(prnWriteOut, &fdOut, nPaperWidth, nPaperHeight);
    if (ftruncate(fd, 0) == 0) {
        cairo_t* pCr = cairo_create(psurf);
        cairo_translate(pCr, gtk_page_setup_get_left_margin(m_prn.pPageSetup, GTK_UNIT_POINTS),
                        gtk_page_setup_get_top_margin(m_prn.pPageSetup, GTK_UNIT_POINTS));
        shtDrawLoadSheet(pCr, m_prn.nPageWidth, m_prn.nPageHeight, m_prn.people, legCalcShown(), m_prn.tPrinted);
        cairo_destroy(pCr);
    }
    cairo_surface_finish(psurf);
    const cairo_status_t nStatus = cairo_surface_status(psurf);
    cairo_surface_destroy(psurf);
    if (close(fd) != 0 || nStatus != CAIRO_STATUS_SUCCESS)
        return strPath + " could not be written whole (" + cairo_status_to_string(nStatus) + ")";
    return {};
}

void prnOnDrawPage(GtkPrintOperation*, GtkPrintContext* pctx, gint, gpointer)
{
    m_prn.nPageWidth = gtk_print_context_get_width(pctx);
    m_prn.nPageHeight = gtk_print_context_get_height(pctx);
    shtDrawLoadSheet(gtk_print_context_get_cairo_context(pctx), m_prn.nPageWidth, m_prn.nPageHeight, m_prn.people,
                     legCalcShown(), m_prn.tPrinted);
}

// Signs as the capacity the button stands for, with the passphrase typed,
// which is wiped from its entry at once; says what came of it.
void prnOnSignClicked(GtkButton*, gpointer pCapacity)
{
    const std::string strCapacity = static_cast<const char*>(pCapacity);
    _prnSigning& sgn = strCapacity == REC_COMMANDER ? m_prn.tab.commander : m_prn.tab.instructor;
    g_autofree gchar* pszName = GTK_IS_ENTRY(sgn.pwgtWho)
                                    ? g_strdup(gtk_entry_get_text(GTK_ENTRY(sgn.pwgtWho)))
                                    : gtk_combo_box_text_get_active_text(GTK_COMBO_BOX_TEXT(sgn.pwgtWho));
    std::string strSaid = accAccept(pszName ? pszName : "", strCapacity,
                                    gtk_entry_get_text(GTK_ENTRY(sgn.pwgtPassphrase)), time(nullptr));
    gtk_entry_set_text(GTK_ENTRY(sgn.pwgtPassphrase), "");
    if (strSaid.empty()) {
        for (const _shtAccepted& a : accHeld())
            if (a.strCapacity == strCapacity)
                strSaid = shtAcceptedText(a) + ". The sheet prints this, and the record keeps the signature.";
        // What is signed is no longer for typing over, nor signed twice.
        for (GtkWidget* pwgt : {sgn.pwgtWho, sgn.pwgtPassphrase, sgn.pwgtButton})
            gtk_widget_set_sensitive(pwgt, FALSE);
    }
    gtk_label_set_text(GTK_LABEL(sgn.pwgtSaid), strSaid.c_str());
}

void prnOnPassphraseActivate(GtkEntry*, gpointer pCapacity)
{
    prnOnSignClicked(nullptr, pCapacity);
}

// The passphrase's caption names whose it is, as the name above it reads.
void prnOnSignerChanged(GtkWidget*, gpointer pSigning)
{
    _prnSigning& sgn = *static_cast<_prnSigning*>(pSigning);
    g_autofree gchar* pszName = GTK_IS_ENTRY(sgn.pwgtWho)
                                    ? g_strdup(gtk_entry_get_text(GTK_ENTRY(sgn.pwgtWho)))
                                    : gtk_combo_box_text_get_active_text(GTK_COMBO_BOX_TEXT(sgn.pwgtWho));
    // An underscore of the name is shown, never taken as the mnemonic.
    std::string strName;
    for (const char* pc = pszName ? pszName : ""; *pc; pc++)
        strName += *pc == '_' ? "__" : std::string(1, *pc);
    const std::string strCaption = std::string(sgn.pszCaption) +
                                   (strName.empty() ? "" : " of \u2068" + strName + "\u2069") + " (" + sgn.pszCapacity +
                                   ")";
    gtk_label_set_text_with_mnemonic(GTK_LABEL(sgn.pwgtLabel), strCaption.c_str());
}

// One signature's rows in the tab from nRow on: who, the passphrase, the
// button and what it said. Returns the row after them.
int addSigning(GtkGrid* pgrid, int nRow, _prnSigning& sgn, const char* pszCaption, const char* pszButton,
               const char* pszCapacity)
{
    sgn.pszCapacity = pszCapacity;
    sgn.pszCaption = pszCaption;
    sgn.pwgtPassphrase = gtk_entry_new();
    // Named for the tab's readers: "commanderPassphrase", "commanderSaid".
    gtk_widget_set_name(sgn.pwgtPassphrase, (std::string(pszCapacity) + "Passphrase").c_str());
    gtk_entry_set_visibility(GTK_ENTRY(sgn.pwgtPassphrase), FALSE);
    gtk_entry_set_input_purpose(GTK_ENTRY(sgn.pwgtPassphrase), GTK_INPUT_PURPOSE_PASSWORD);
    gtk_entry_set_activates_default(GTK_ENTRY(sgn.pwgtPassphrase), FALSE);
    sgn.pwgtLabel = gtk_label_new(nullptr);
    gtk_label_set_mnemonic_widget(GTK_LABEL(sgn.pwgtLabel), sgn.pwgtPassphrase);
    gtk_label_set_xalign(GTK_LABEL(sgn.pwgtLabel), 0);
    gtk_grid_attach(pgrid, sgn.pwgtLabel, 0, nRow, 1, 1);
    prnOnSignerChanged(nullptr, &sgn);
    g_signal_connect(sgn.pwgtWho, "changed", G_CALLBACK(prnOnSignerChanged), &sgn);
    gtk_grid_attach(pgrid, sgn.pwgtPassphrase, 1, nRow++, 1, 1);
    sgn.pwgtButton = gtk_button_new_with_mnemonic(pszButton);
    gtk_widget_set_halign(sgn.pwgtButton, GTK_ALIGN_START);
    g_signal_connect(sgn.pwgtButton, "clicked", G_CALLBACK(prnOnSignClicked), const_cast<char*>(pszCapacity));
    // Return in the passphrase signs, as the button does.
    g_signal_connect(sgn.pwgtPassphrase, "activate", G_CALLBACK(prnOnPassphraseActivate),
                     const_cast<char*>(pszCapacity));
    gtk_grid_attach(pgrid, sgn.pwgtButton, 1, nRow++, 1, 1);
    sgn.pwgtSaid = gtk_label_new("");
    gtk_widget_set_name(sgn.pwgtSaid, (std::string(pszCapacity) + "Said").c_str());
    gtk_label_set_line_wrap(GTK_LABEL(sgn.pwgtSaid), TRUE);
    // Room for what it says, from the start: the tab never moves.
    gtk_label_set_width_chars(GTK_LABEL(sgn.pwgtSaid), SAID_CHARS);
    gtk_label_set_max_width_chars(GTK_LABEL(sgn.pwgtSaid), SAID_CHARS);
    gtk_label_set_lines(GTK_LABEL(sgn.pwgtSaid), SAID_LINES);
    PangoLayout* playout = gtk_widget_create_pango_layout(sgn.pwgtSaid, std::string(SAID_LINES - 1, '\n').c_str());
    int nWidth = 0, nHeight = 0;
    pango_layout_get_pixel_size(playout, &nWidth, &nHeight);
    g_object_unref(playout);
    gtk_widget_set_size_request(sgn.pwgtSaid, -1, nHeight);
    gtk_label_set_xalign(GTK_LABEL(sgn.pwgtSaid), 0);
    gtk_grid_attach(pgrid, sgn.pwgtSaid, 0, nRow++, 2, 1);
    return nRow;
}

// Where the flight may be accepted and someone saved has a key: the
// commander's acceptance, and for a student's solo the instructor's
// authorisation, after the people's rows.
void addAcceptance(GtkGrid* pgrid, int nRow)
{
    _prnTab& t = m_prn.tab;
    t.commander = {};
    t.instructor = {};
    const std::vector<_pplPerson>& people = pplPeople();
    if (std::none_of(people.begin(), people.end(), [](const _pplPerson& p) { return !p.strKey.empty(); }))
        return;
    gtk_grid_attach(pgrid, gtk_separator_new(GTK_ORIENTATION_HORIZONTAL), 0, nRow++, 2, 1);
    if (!shtWithin(legCalcShown())) {
        GtkWidget* plabel = gtk_label_new("The flight is not within limits, or short of the fuel it needs: no one "
                                          "may accept it, and the sheet says it is not to be flown as loaded.");
        gtk_label_set_line_wrap(GTK_LABEL(plabel), TRUE);
        gtk_label_set_max_width_chars(GTK_LABEL(plabel), SAID_CHARS);
        gtk_label_set_xalign(GTK_LABEL(plabel), 0);
        gtk_grid_attach(pgrid, plabel, 0, nRow, 2, 1);
        return;
    }
    t.commander.pwgtWho = t.pwgtPilot;
    nRow = addSigning(pgrid, nRow, t.commander, "Pa_ssphrase", "_Accept as commander", REC_COMMANDER);
    if (!accSoloByStudent())
        return;
    t.instructor.pwgtWho = gtk_combo_box_text_new();
    // Only the instructors who may sign now: in a school, those its roster
    // lists as such.
    const time_t tNow = time(nullptr);
    for (const _pplPerson& p : people)
        if (std::string strKey; p.nRole == PPL_ROLE_INSTRUCTOR && !p.strKey.empty() &&
                                accWhyNot(p.strName, REC_INSTRUCTOR, tNow, &strKey).empty())
            gtk_combo_box_text_append_text(GTK_COMBO_BOX_TEXT(t.instructor.pwgtWho), p.strName.c_str());
    gtk_combo_box_set_active(GTK_COMBO_BOX(t.instructor.pwgtWho), 0);
    GtkWidget* plabel = gtk_label_new_with_mnemonic("_Instructor for the solo");
    gtk_label_set_mnemonic_widget(GTK_LABEL(plabel), t.instructor.pwgtWho);
    gtk_label_set_xalign(GTK_LABEL(plabel), 0);
    gtk_grid_attach(pgrid, plabel, 0, nRow, 1, 1);
    gtk_grid_attach(pgrid, t.instructor.pwgtWho, 1, nRow++, 1, 1);
    addSigning(pgrid, nRow, t.instructor, "Passp_hrase", "Au_thorise as instructor", REC_INSTRUCTOR);
}

// The dialog's tab: the people and the flight.
GObject* prnOnCreateCustomWidget(GtkPrintOperation*, gpointer)
{
    GtkWidget* pgrid = gtk_grid_new();
    gtk_container_set_border_width(GTK_CONTAINER(pgrid), 12);
    gtk_grid_set_row_spacing(GTK_GRID(pgrid), 6);
    gtk_grid_set_column_spacing(GTK_GRID(pgrid), 12);
    struct Field {
        const char* pszCaption;
        GtkWidget** ppwgt;
        const std::string& strValue;
    };
    _prnTab& t = m_prn.tab;
    const _shtPeople& p = m_prn.people;
    const std::array<Field, 5> fields = {{{"_Pilot in command", &t.pwgtPilot, p.strPilot},
                                          {"Prepared _by", &t.pwgtPreparer, p.strPreparer},
                                          {"_Flight reference", &t.pwgtReference, p.strReference},
                                          {"_Left seat occupant", &t.pwgtLeftOccupant, p.strLeftOccupant},
                                          {"_Right seat occupant", &t.pwgtRightOccupant, p.strRightOccupant}}};
    int nRow = 0;
    for (const Field& f : fields) {
        *f.ppwgt = gtk_entry_new();
        gtk_entry_set_text(GTK_ENTRY(*f.ppwgt), f.strValue.c_str());
        gtk_entry_set_width_chars(GTK_ENTRY(*f.ppwgt), 30);
        GtkWidget* plabel = gtk_label_new_with_mnemonic(f.pszCaption);
        gtk_label_set_mnemonic_widget(GTK_LABEL(plabel), *f.ppwgt);
        gtk_label_set_xalign(GTK_LABEL(plabel), 0);
        gtk_grid_attach(GTK_GRID(pgrid), plabel, 0, nRow, 1, 1);
        gtk_grid_attach(GTK_GRID(pgrid), *f.ppwgt, 1, nRow++, 1, 1);
    }
    gtk_entry_set_placeholder_text(GTK_ENTRY(t.pwgtPreparer), "the pilot in command");
    addAcceptance(GTK_GRID(pgrid), nRow);
    gtk_widget_show_all(pgrid);
    return G_OBJECT(pgrid);
}

void prnOnCustomWidgetApply(GtkPrintOperation*, GtkWidget*, gpointer)
{
    _shtPeople& p = m_prn.people;
    p.strPilot = gtk_entry_get_text(GTK_ENTRY(m_prn.tab.pwgtPilot));
    p.strPreparer = gtk_entry_get_text(GTK_ENTRY(m_prn.tab.pwgtPreparer));
    p.strReference = gtk_entry_get_text(GTK_ENTRY(m_prn.tab.pwgtReference));
    p.strLeftOccupant = gtk_entry_get_text(GTK_ENTRY(m_prn.tab.pwgtLeftOccupant));
    p.strRightOccupant = gtk_entry_get_text(GTK_ENTRY(m_prn.tab.pwgtRightOccupant));
    p.accepted = accHeld();
    // The pilot and the preparer for the next sheet: one rewrite, and none
    // where they are as kept.
    const std::array<std::pair<_prmValueId, const std::string*>, 2> kept = {
        {{VAL_PILOT, &p.strPilot}, {VAL_PREPARER, &p.strPreparer}}};
    if (std::ranges::all_of(kept, [](const auto& k) { return valGetText(k.first) == *k.second; }))
        return;
    prmEdit([&](GKeyFile* pkf) {
        for (const auto& [nId, pstr] : kept)
            g_key_file_set_string(pkf, valValue(nId).pszGroup, valValue(nId).pszKey, pstr->c_str());
    });
}

// The print settings for a dialog: the last ones, with "Print to File"
// offering the documents folder (else home, said once a run where either
// is not the pilot's own) and this sheet's name, never an existing file's.
// GTK's file printer joins the folder, as a file name, to the name.
GtkPrintSettings* dialogSettings(void)
{
    GtkPrintSettings* pSettings = m_prn.pSettings ? gtk_print_settings_copy(m_prn.pSettings) : gtk_print_settings_new();
    std::string strWhy;
    const std::string strDir = filDocumentsFolder(&strWhy);
    if (!strWhy.empty() && strWhy != m_prn.strFolderTold) {
        m_prn.strFolderTold = strWhy;
        errPostError(("prnPrintLoadSheet()\n" + strWhy).c_str());
        errTellPilot(strWhy);
    }
    const std::string strBase = filFreeName(strDir, filSheetName(valGetText(VAL_REGISTRATION), m_prn.tPrinted));
    gtk_print_settings_set(pSettings, GTK_PRINT_SETTINGS_OUTPUT_DIR, strDir.c_str());
    gtk_print_settings_set(pSettings, GTK_PRINT_SETTINGS_OUTPUT_BASENAME, strBase.c_str());
    gtk_print_settings_set(pSettings, GTK_PRINT_SETTINGS_OUTPUT_FILE_FORMAT, "pdf");
    gtk_print_settings_set(pSettings, GTK_PRINT_SETTINGS_OUTPUT_URI, nullptr);
    return pSettings;
}

// The operator's record of the sheet just printed: its copy filed, drawn
// again on the page it was printed on, and its line; the listener told
// how that went. A failure to keep it never undoes the print.
void fileSheet(void)
{
    const _wbFlight flight = legCalcShown();
    const std::string strPdf = shtPdf(m_prn.nPageWidth, m_prn.nPageHeight, m_prn.people, flight, m_prn.tPrinted);
    std::string strFiled;
    std::string strFilingError =
        filFileCopy(strPdf, filSheetName(valGetText(VAL_REGISTRATION), m_prn.tPrinted), &strFiled);
    const _recEntry entry = shtRecordEntry(flight, m_prn.people, m_prn.tPrinted);
    const std::string strContent = recLine(entry);
    // The acceptances sign this line's content and these very bytes.
    std::string strSignError;
    const std::string strAccepted =
        accSign(recContentHash(strContent), recSheetSha256(strPdf), shtInputsHash(flight), &strSignError);
    if (!strSignError.empty())
        strFilingError += (strFilingError.empty() ? "" : "; and ") + strSignError +
                          ": the acceptance the sheet prints is not in the record, and does not stand";
    if (const std::string strLineError = filRecordLine(strContent, strFiled, strPdf, strAccepted);
        !strLineError.empty())
        strFilingError += (strFilingError.empty() ? "" : "; and ") + strLineError;
    if (m_prn.pfuncFilingListener)
        m_prn.pfuncFilingListener(strFilingError.empty() ? nullptr : strFilingError.c_str());
}

// Logs a print that failed, and tells the pilot where there is a dialog.
void tellFailure(GtkWindow* pwinParent, bool bDialog, const GError* pErr)
{
    g_autofree gchar* pszMsg =
        g_strdup_printf("prnPrintLoadSheet()\ngtk_print_operation_run()\n%s", pErr ? pErr->message : "unknown error");
    errPostError(pszMsg);
    if (!bDialog)
        return;
    GtkWidget* pdlg = gtk_message_dialog_new(pwinParent, GTK_DIALOG_MODAL, GTK_MESSAGE_ERROR, GTK_BUTTONS_CLOSE,
                                             "The load sheet could not be printed");
    gtk_message_dialog_format_secondary_text(GTK_MESSAGE_DIALOG(pdlg), "%s", pErr ? pErr->message : "unknown error");
    gtk_dialog_run(GTK_DIALOG(pdlg));
    gtk_widget_destroy(pdlg);
}

} // namespace

void prnSetFilingListener(void (*pfuncListener)(const char* pszError))
{
    m_prn.pfuncFilingListener = pfuncListener;
}

bool prnPrintLoadSheet(GtkWindow* pwinParent, const char* pszExportFile, const _shtPeople* pPeople)
{
    m_prn.tPrinted = time(nullptr);
    accForget();
    if (pPeople) {
        m_prn.people = *pPeople;
        // A sheet carries only the acceptances signed in its own dialog.
        m_prn.people.accepted.clear();
    } else {
        m_prn.people.strPilot = valGetText(VAL_PILOT);
        m_prn.people.strPreparer = valGetText(VAL_PREPARER);
        // The seats' occupants as the loading page names them for the first
        // leg, the one the sheet's table is of, unless typed for a sheet not
        // printed; the commander's seat as chosen there.
        for (auto [pstr, nId, pstrNamed] :
             {std::tuple{&m_prn.people.strLeftOccupant, VAL_LSEAT_PERSON, &m_prn.pageNamed[0]},
              std::tuple{&m_prn.people.strRightOccupant, VAL_RSEAT_PERSON, &m_prn.pageNamed[1]}}) {
            const std::string strPage = legText(0, nId);
            if (pstr->empty() || strPage != *pstrNamed)
                *pstr = strPage;
            *pstrNamed = strPage;
        }
        m_prn.people.strCommander = legText(0, VAL_COMMANDER);
        // The pilot in command is whoever sits in the commander's seat, where
        // it names someone: the sheet says so beside the seat.
        for (auto [pstr, pszSide] :
             {std::pair{&m_prn.people.strLeftOccupant, "left"}, std::pair{&m_prn.people.strRightOccupant, "right"}})
            if (m_prn.people.strCommander == pszSide && !pstr->empty())
                m_prn.people.strPilot = *pstr;
    }
    m_prn.strToFile = pszExportFile ? pszExportFile : "";
    m_prn.strFormat = "pdf";
    g_clear_object(&m_prn.pPageSetup);
    g_autoptr(GtkPrintOperation) pop = gtk_print_operation_new();
    gtk_print_operation_set_unit(pop, GTK_UNIT_POINTS);
    gtk_print_operation_set_job_name(pop, filSheetName(valGetText(VAL_REGISTRATION), m_prn.tPrinted).c_str());
    gtk_print_operation_set_embed_page_setup(pop, TRUE);
    g_signal_connect(pop, "begin-print", G_CALLBACK(prnOnBeginPrint), nullptr);
    g_signal_connect(pop, "draw-page", G_CALLBACK(prnOnDrawPage), nullptr);
    GtkPrintOperationAction nAction = GTK_PRINT_OPERATION_ACTION_PRINT_DIALOG;
    g_autoptr(GtkPrintSettings) pDialogSettings = nullptr;
    if (pszExportFile) {
        // Laid out by GTK as for any file, but written by Zarv itself.
        gtk_print_operation_set_export_filename(pop, "/dev/null");
        nAction = GTK_PRINT_OPERATION_ACTION_EXPORT;
    } else {
        pDialogSettings = dialogSettings();
        gtk_print_operation_set_print_settings(pop, pDialogSettings);
        gtk_print_operation_set_custom_tab_label(pop, "Load sheet");
        g_signal_connect(pop, "create-custom-widget", G_CALLBACK(prnOnCreateCustomWidget), nullptr);
        g_signal_connect(pop, "custom-widget-apply", G_CALLBACK(prnOnCustomWidgetApply), nullptr);
    }
    g_autoptr(GError) pErr = nullptr;
    const GtkPrintOperationResult nResult = gtk_print_operation_run(pop, nAction, pwinParent, &pErr);
    // A key unlocked for a sheet not printed is let go, and nothing signed.
    const auto notPrinted = [] {
        accForget();
        m_prn.people.accepted.clear();
        return false;
    };
    if (nResult == GTK_PRINT_OPERATION_RESULT_ERROR) {
        tellFailure(pwinParent, !pszExportFile, pErr);
        return notPrinted();
    }
    // Begun and let go where Zarv writes the file itself.
    const bool bToFile = !m_prn.strToFile.empty() && m_prn.pPageSetup;
    if (nResult != GTK_PRINT_OPERATION_RESULT_APPLY && !bToFile)
        return notPrinted();
    if (bToFile)
        if (const std::string strWhy = writeSheetFile(m_prn.strToFile, m_prn.strFormat); !strWhy.empty()) {
            g_autoptr(GError) pErrFile = g_error_new_literal(G_FILE_ERROR, G_FILE_ERROR_FAILED, strWhy.c_str());
            tellFailure(pwinParent, !pszExportFile, pErrFile);
            return notPrinted();
        }
    if (!pszExportFile) {
        if (m_prn.pSettings)
            g_object_unref(m_prn.pSettings);
        m_prn.pSettings = GTK_PRINT_SETTINGS(g_object_ref(gtk_print_operation_get_print_settings(pop)));
    }
    fileSheet();
    // The next sheet is a new flight: its reference and the seats' occupants
    // start empty; the pilot and the preparer are offered again, as kept. A
    // sheet that was not printed keeps them for the next try.
    m_prn.people.strReference.clear();
    m_prn.people.strLeftOccupant.clear();
    m_prn.people.strRightOccupant.clear();
    m_prn.people.accepted.clear();
    return true;
}
