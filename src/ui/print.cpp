// The load sheet, laid out on one A4 or Letter page with Pango and cairo:
// the aircraft and the people, the setup and the loading with every limit
// used, the result table as on screen, the take-off and zero-fuel points
// with the verdict in words (so a black-and-white copy carries it), the
// chart drawn by its own renderer, and the commander's acceptance. Every
// text is given a width inside the margins: the pilot's own texts are one
// line each, ellipsized and isolated for direction; the rest wraps. After a
// sheet is printed or saved, a copy is filed as PDF.
#include "ui/print.h"

#include "model/date.h"
#include "model/freename.h"
#include "model/texts.h"
#include "model/words.h"
#include "store/params.h"
#include "store/record.h"
#include "store/state.h"
#include "store/stored.h"
#include "sys/errlog.h"
#include "sys/paths.h"
#include "ui/misc.h"
#include "ui/pagWBChart.h"
#include "ui/pagWBPage.h"

#include <glib/gstdio.h>

#include <algorithm>
#include <array>
#include <cairo-pdf.h>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace
{

constexpr double MARGIN = 36;            // points: half an inch, 12.7 mm
constexpr size_t MAX_USER_CHARS = 80;    // a pilot's text on the sheet, at most
constexpr double CHART_DRAWN_SIZE = 460; // the chart's square as the window first draws it

// The sheet's people and flight, as the dialog's tab has them; the pilot
// and the preparer are kept in Zarv.conf and offered again for the next
// sheet, after a restart too.
_prnSheet m_sheet;
GtkWidget *m_pwgtPilot = nullptr, *m_pwgtPreparer = nullptr, *m_pwgtReference = nullptr;
GtkWidget *m_pwgtLeftOccupant = nullptr, *m_pwgtRightOccupant = nullptr;
// The page the sheet was printed on, and when it was asked for: the one
// time its "Printed" line, the name the dialog offers, the print job, the
// filed copy and its line in the record all carry, however long the
// dialog stays open.
double m_nPageWidth = 0, m_nPageHeight = 0;
time_t m_tPrinted = 0;
// The print settings of the last sheet (the printer chosen), for the next.
GtkPrintSettings* m_pSettings = nullptr;
void (*m_pfuncFilingListener)(const char* pszError) = nullptr;

enum _prnFit { FIT_WRAP, FIT_ONE_LINE };

// Writes text at (nX, nY) within nWidth points, wrapped or on one line cut
// with an ellipsis; returns the height it took.
double text(cairo_t* pCr, double nX, double nY, double nWidth, const std::string& strText, const char* pszFont,
            _prnFit nFit = FIT_WRAP, PangoAlignment nAlign = PANGO_ALIGN_LEFT)
{
    g_autoptr(PangoLayout) ppngLayout = pango_cairo_create_layout(pCr);
    // Font sizes in points on the page, whatever the screen's resolution.
    pango_cairo_context_set_resolution(pango_layout_get_context(ppngLayout), 72);
    pango_layout_context_changed(ppngLayout);
    PangoFontDescription* pfont = pango_font_description_from_string(pszFont);
    pango_layout_set_font_description(ppngLayout, pfont);
    pango_font_description_free(pfont);
    pango_layout_set_width(ppngLayout, static_cast<int>(std::max(nWidth, 1.0) * PANGO_SCALE));
    pango_layout_set_alignment(ppngLayout, nAlign);
    if (nFit == FIT_ONE_LINE) {
        pango_layout_set_single_paragraph_mode(ppngLayout, TRUE);
        pango_layout_set_ellipsize(ppngLayout, PANGO_ELLIPSIZE_END);
    } else {
        pango_layout_set_wrap(ppngLayout, PANGO_WRAP_WORD_CHAR);
    }
    pango_layout_set_text(ppngLayout, prnBindUnits(strText).c_str(), -1);
    cairo_move_to(pCr, nX, nY);
    pango_cairo_show_layout(pCr, ppngLayout);
    int nW = 0, nH = 0;
    pango_layout_get_size(ppngLayout, &nW, &nH);
    return static_cast<double>(nH) / PANGO_SCALE;
}

// What the pilot typed, on one line, bounded, and isolated for direction so
// that nothing in it can reorder what follows it; a dash for nothing.
std::string typed(const std::string& str)
{
    const std::string strLine = mscOneLine(str, MAX_USER_CHARS);
    return strLine.empty() ? "\u2013" : "\u2068" + strLine + "\u2069";
}

// A person or the flight, as typed; where nothing was, a line to write it
// in by hand before the sheet is signed.
std::string typedOrLine(const std::string& str)
{
    return mscOneLine(str, MAX_USER_CHARS).empty() ? std::string("____________________") : typed(str);
}

std::string weightIn(double nKg)
{
    return txtAmount(KIND_WEIGHT, nKg, m_wbSetup);
}

std::string armIn(double nMm)
{
    return txtAmount(KIND_ARM, nMm, m_wbSetup);
}

std::string fuelIn(double nLitres)
{
    return txtAmount(KIND_FUEL, nLitres, m_wbSetup);
}

// The result table of a flight as on screen, and its landing and zero-fuel
// rows; returns its height.
double drawTable(cairo_t* pCr, double nLeft, double y, double nTextWidth, const _wbFlight& flight)
{
    const double y0 = y;
    const double nCol = nTextWidth / 6.5;
    auto colX = [&](size_t i) { return nLeft + nCol * (1.5 + static_cast<double>(i)); };
    const std::array<const char*, 5> headings = {"Weight (lb)", "Long. arm (in)", "Long. moment (lb\u00b7in)",
                                                 "Lat. arm (in)", "Lat. moment (lb\u00b7in)"};
    double nHeadings = 0;
    for (size_t i = 0; i < headings.size(); i++)
        nHeadings = std::max(nHeadings,
                             text(pCr, colX(i), y, nCol - 4, headings[i], "sans bold 8", FIT_WRAP, PANGO_ALIGN_RIGHT));
    y += nHeadings + 3;
    auto row = [&](const char* pszItem, const std::array<std::string, 5>& cells) {
        double nRow = text(pCr, nLeft, y, nCol * 1.5 - 4, pszItem, "sans 9", FIT_ONE_LINE);
        for (size_t i = 0; i < cells.size(); i++)
            nRow = std::max(nRow, text(pCr, colX(i), y, nCol - 4, cells[i], "sans 9", FIT_ONE_LINE, PANGO_ALIGN_RIGHT));
        y += nRow + 1;
    };
    for (const _wbTableRow& r : flight.rows)
        row(r.pszItem, {pwbWeightText(r.nWeight), pwbArmText(r.nLongArm), pwbMomentText(r.nLongMoment),
                        pwbArmText(r.nLatArm), pwbMomentText(r.nLatMoment)});
    if (flight.hasPoint(POINT_LANDING)) {
        const _wbPoint& l = flight.points[POINT_LANDING];
        row("Landing", {pwbWeightText(l.nWeight), pwbArmText(l.nLongArm), "", pwbArmText(l.nLatArm), ""});
    }
    const _wbPoint& z = flight.points[POINT_NO_FUEL];
    row("No fuel", {pwbWeightText(z.nWeight), pwbArmText(z.nLongArm), "", pwbArmText(z.nLatArm), ""});
    return y - y0;
}

void prnOnBeginPrint(GtkPrintOperation* pop, GtkPrintContext*, gpointer)
{
    gtk_print_operation_set_n_pages(pop, 1);
}

void prnOnDrawPage(GtkPrintOperation*, GtkPrintContext* pctx, gint, gpointer)
{
    m_nPageWidth = gtk_print_context_get_width(pctx);
    m_nPageHeight = gtk_print_context_get_height(pctx);
    prnDrawLoadSheet(gtk_print_context_get_cairo_context(pctx), m_nPageWidth, m_nPageHeight, m_sheet, pwbCalcHeld(),
                     m_tPrinted);
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
    const std::array<Field, 5> fields = {{{"_Pilot in command", &m_pwgtPilot, m_sheet.strPilot},
                                          {"Prepared _by", &m_pwgtPreparer, m_sheet.strPreparer},
                                          {"_Flight reference", &m_pwgtReference, m_sheet.strReference},
                                          {"_Left seat occupant", &m_pwgtLeftOccupant, m_sheet.strLeftOccupant},
                                          {"_Right seat occupant", &m_pwgtRightOccupant, m_sheet.strRightOccupant}}};
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
    gtk_entry_set_placeholder_text(GTK_ENTRY(m_pwgtPreparer), "the pilot in command");
    gtk_widget_show_all(pgrid);
    return G_OBJECT(pgrid);
}

void prnOnCustomWidgetApply(GtkPrintOperation*, GtkWidget*, gpointer)
{
    m_sheet.strPilot = gtk_entry_get_text(GTK_ENTRY(m_pwgtPilot));
    m_sheet.strPreparer = gtk_entry_get_text(GTK_ENTRY(m_pwgtPreparer));
    m_sheet.strReference = gtk_entry_get_text(GTK_ENTRY(m_pwgtReference));
    m_sheet.strLeftOccupant = gtk_entry_get_text(GTK_ENTRY(m_pwgtLeftOccupant));
    m_sheet.strRightOccupant = gtk_entry_get_text(GTK_ENTRY(m_pwgtRightOccupant));
    // The pilot and the preparer for the next sheet: one rewrite, and none
    // where they are as kept.
    const std::array<std::pair<_prmValueId, const std::string*>, 2> kept = {
        {{VAL_PILOT, &m_sheet.strPilot}, {VAL_PREPARER, &m_sheet.strPreparer}}};
    if (std::ranges::all_of(kept, [](const auto& k) { return prmGetText(k.first) == *k.second; }))
        return;
    prmEdit([&](GKeyFile* pkf) {
        for (const auto& [nId, pstr] : kept)
            g_key_file_set_string(pkf, prmValue(nId).pszGroup, prmValue(nId).pszKey, pstr->c_str());
    });
}

// Text without the controls of direction, which would show a name reordered
// where it stands alone (a file name, a title).
std::string withoutDirection(const std::string& strText)
{
    std::string str;
    for (const gchar* p = strText.c_str(); *p; p = g_utf8_next_char(p)) {
        const gunichar c = g_utf8_get_char(p);
        if (c != 0x061c && c != 0x200e && c != 0x200f && !(c >= 0x202a && c <= 0x202e) && !(c >= 0x2066 && c <= 0x2069))
            str.append(p, static_cast<size_t>(g_utf8_next_char(p) - p));
    }
    return str;
}

// A sheet being filed is written under a name of this form, in the folder,
// and only then linked to its own; one left by a crash is cleared at start.
constexpr const char* TEMP_PREFIX = ".sheet.tmp-";
constexpr size_t TEMP_RANDOM = 6;

// The record's entry of a sheet of the flight printed at tPrinted: the
// density and interval as used, and as held where they differ; the
// commander and the flight as the sheet shows them.
_recEntry sheetEntry(const _wbFlight& flight, const _prnSheet& sheet, time_t tPrinted)
{
    _recEntry entry;
    entry.strTime = recTimeText(tPrinted);
    entry.strPilot = mscOneLine(sheet.strPilot, MAX_USER_CHARS);
    entry.strFlight = mscOneLine(sheet.strReference, MAX_USER_CHARS);
    entry.strVersion = ZARV_VERSION;
    entry.strFingerprint = prmFingerprint();
    entry.strRegistration = prmGetText(VAL_REGISTRATION);
    entry.strWeighed = prmGetText(VAL_WEIGHED);
    entry.strCopiedFrom = prmGetText(VAL_COPIED_FROM);
    entry.setup = m_wbSetup;
    entry.load = stateLoad();
    entry.unread = prmUnreadTexts();
    entry.setup.nFuelDensity = unitFuelDensity(m_wbSetup);
    entry.setup.nWeighingMonths = dateWeighingMonths(m_wbSetup.nWeighingMonths);
    if (entry.setup.nFuelDensity != m_wbSetup.nFuelDensity)
        entry.storedDensity = m_wbSetup.nFuelDensity;
    if (entry.setup.nWeighingMonths != m_wbSetup.nWeighingMonths)
        entry.storedMonths = m_wbSetup.nWeighingMonths;
    entry.outputs = recOutputsOf(flight, wrdFlightVerdictText(flight, m_wbSetup));
    return entry;
}

bool isTemporary(const char* pszName)
{
    if (strlen(pszName) != strlen(TEMP_PREFIX) + TEMP_RANDOM || !g_str_has_prefix(pszName, TEMP_PREFIX))
        return false;
    for (const char* p = pszName + strlen(TEMP_PREFIX); *p; p++)
        if (!g_ascii_isalnum(*p))
            return false;
    return true;
}

// Why filing failed: the call, what it was given, the system's reason.
struct _prnFailure {
    std::string strCall, strPath;
    int nErr = 0;
    bool bNotOwn = false; // the folder is a link, or someone else's
};

// Opens "Load sheets", making it where there is none, as a directory of the
// user's own that only they may read: never through a link, never someone
// else's. Returns the descriptor, or -1 with *pFail filled.
int openFolder(bool bCreate, _prnFailure* pFail)
{
    const std::string strDir = prnSheetsFolder();
    *pFail = {"open", strDir, 0, false};
    constexpr int FLAGS = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
    int fd = open(strDir.c_str(), FLAGS);
    if (fd < 0 && errno == ENOENT && bCreate) {
        if (mkdir(strDir.c_str(), 0700) != 0 && errno != EEXIST) {
            *pFail = {"mkdir", strDir, errno};
            return -1;
        }
        fd = open(strDir.c_str(), FLAGS);
    }
    if (fd < 0) {
        // A link there (ELOOP, or ENOTDIR where the open asks for a
        // directory) is refused as something that is not the user's own.
        pFail->nErr = errno;
        pFail->bNotOwn = errno == ELOOP || errno == ENOTDIR;
        return -1;
    }
    struct stat st;
    if (fstat(fd, &st) != 0)
        pFail->nErr = errno;
    else if (st.st_uid != geteuid())
        pFail->nErr = EPERM, pFail->bNotOwn = true;
    else if ((st.st_mode & 07777) != 0700 && fchmod(fd, 0700) != 0)
        *pFail = {"fchmod", strDir, errno};
    if (pFail->nErr) {
        close(fd);
        return -1;
    }
    return fd;
}

// Writes the sheet just printed to a new private temporary in the folder,
// whole and on the disk, and closes it: true with *pstrTemp its name, or
// false with *pFail filled and nothing left behind.
bool writeTemporary(int fdDir, std::string* pstrTemp, _prnFailure* pFail)
{
    const std::string strDir = prnSheetsFolder();
    int fd = -1;
    for (int n = 0; n < 100 && fd < 0; n++) {
        *pstrTemp = TEMP_PREFIX;
        for (size_t i = 0; i < TEMP_RANDOM; i++)
            *pstrTemp += "abcdefghijklmnopqrstuvwxyz0123456789"[g_random_int_range(0, 36)];
        fd = openat(fdDir, pstrTemp->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0) {
        *pFail = {"open", strDir + "/" + *pstrTemp, errno};
        return false;
    }
    *pFail = {"write", strDir + "/" + *pstrTemp, 0};
    // Private whatever the umask: it carries people's names and weights.
    if (fchmod(fd, 0600) != 0)
        *pFail = {"fchmod", pFail->strPath, errno};
    if (!pFail->nErr) {
        _prnSink sink = {fd, 0};
        cairo_surface_t* psurf = cairo_pdf_surface_create_for_stream(prnWriteToFd, &sink, m_nPageWidth, m_nPageHeight);
        cairo_t* pCr = cairo_create(psurf);
        prnDrawLoadSheet(pCr, m_nPageWidth, m_nPageHeight, m_sheet, pwbCalcHeld(), m_tPrinted);
        cairo_destroy(pCr);
        cairo_surface_finish(psurf);
        const cairo_status_t nStatus = cairo_surface_status(psurf);
        cairo_surface_destroy(psurf);
        if (sink.nErr)
            pFail->nErr = sink.nErr;
        else if (nStatus != CAIRO_STATUS_SUCCESS)
            *pFail = {"cairo_surface_finish", pFail->strPath, EIO};
    }
    if (!pFail->nErr && m_prmFileOps.pfuncFsync(fd) != 0)
        *pFail = {"fsync", pFail->strPath, errno};
    if (close(fd) != 0 && !pFail->nErr)
        *pFail = {"close", pFail->strPath, errno};
    if (pFail->nErr)
        unlinkat(fdDir, pstrTemp->c_str(), 0);
    return !pFail->nErr;
}

// Gives the temporary its own name, "<name>.pdf" or "<name> (2).pdf" and so
// on where that is taken: a sheet never replaces another.
constexpr _fnmNumbering SHEET_NUMBERING = {" (", ")", 2, true};

bool linkFinal(int fdDir, const std::string& strTemp, const std::string& strName, std::string* pstrFinal,
               _prnFailure* pFail)
{
    const auto link = [&](const std::string& strFinal) {
        *pFail = {"link", prnSheetsFolder() + "/" + strFinal, 0};
        int nResult = linkat(fdDir, strTemp.c_str(), fdDir, strFinal.c_str(), 0);
        // Where the file system has no hard links, a rename that refuses to
        // replace does the same.
        if (nResult != 0 && (errno == EPERM || errno == EOPNOTSUPP || errno == ENOSYS))
            nResult = renameat2(fdDir, strTemp.c_str(), fdDir, strFinal.c_str(), RENAME_NOREPLACE);
        return nResult == 0 ? 0 : errno;
    };
    pFail->nErr = fnmFirstFree(strName, ".pdf", SHEET_NUMBERING, link, pstrFinal);
    if (pFail->nErr)
        pstrFinal->clear();
    unlinkat(fdDir, strTemp.c_str(), 0);
    return !pFail->nErr;
}

// Files the copy of the sheet just printed, whole or not at all, under the
// name it sets in *pstrFiled; the reason it failed, or empty.
std::string fileCopy(std::string* pstrFiled)
{
    _prnFailure fail;
    const int fdDir = openFolder(true, &fail);
    std::string strTemp;
    if (fdDir >= 0) {
        if (writeTemporary(fdDir, &strTemp, &fail) &&
            linkFinal(fdDir, strTemp, prnSheetName(prmGetText(VAL_REGISTRATION), m_tPrinted), pstrFiled, &fail) &&
            fsync(fdDir) != 0)
            fail = {"fsync", prnSheetsFolder(), errno};
        close(fdDir);
    }
    if (!fail.nErr)
        return {};
    g_autofree gchar* pszMsg = g_strdup_printf("prnPrintLoadSheet()\n%s(%s) failed\n%s", fail.strCall.c_str(),
                                               fail.strPath.c_str(), g_strerror(fail.nErr));
    errPostError(pszMsg);
    if (fail.bNotOwn)
        return "its copy for the record was not kept: " + prnSheetsFolder() + " is not a folder of your own";
    return "its copy for the record could not be kept in " + prnSheetsFolder() + ": " + g_strerror(fail.nErr);
}

// Appends the sheet just printed to the record: what it was computed from
// and what it said, and the name its copy was filed under. The reason it
// failed, or empty.
std::string recordLine(const std::string& strFiled)
{
    const _recEntry entry = sheetEntry(pwbCalcHeld(), m_sheet, m_tPrinted);
    _prnFailure fail;
    const int fdDir = openFolder(true, &fail);
    if (fdDir < 0) {
        g_autofree gchar* pszMsg = g_strdup_printf("prnPrintLoadSheet()\n%s(%s) failed\n%s", fail.strCall.c_str(),
                                                   fail.strPath.c_str(), g_strerror(fail.nErr));
        errPostError(pszMsg);
        return std::string("its line in the record (") + REC_FILE_NAME + ") could not be written";
    }
    const std::string strError = recAppend(fdDir, recLine(entry), strFiled);
    close(fdDir);
    return strError;
}

// Whether no one but the pilot (or the system) can change what a folder
// holds under a name: theirs or root's, and writable by others only where
// the sticky bit keeps each entry its owner's.
bool nobodyElseChanges(const std::string& strDir)
{
    struct stat st;
    return stat(strDir.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && (st.st_uid == 0 || st.st_uid == geteuid()) &&
           (!(st.st_mode & (S_IWGRP | S_IWOTH)) || (st.st_mode & S_ISVTX));
}

// Whether every folder above a path is one nobody else changes, so that no
// one can put another folder in its place.
bool safeAbove(const std::string& strPath)
{
    g_autofree gchar* pszParent = g_path_get_dirname(strPath.c_str());
    for (std::string strDir = pszParent;;) {
        if (!nobodyElseChanges(strDir))
            return false;
        g_autofree gchar* pszUp = g_path_get_dirname(strDir.c_str());
        if (strDir == pszUp)
            return true;
        strDir = pszUp;
    }
}

// Whether a folder is the pilot's own: theirs, no one else may write in it,
// and no one else can put another in its place (through a link, or above
// it).
bool ownFolder(const char* pszDir)
{
    struct stat st;
    g_autofree char* pszReal = pszDir ? realpath(pszDir, nullptr) : nullptr;
    return pszReal && g_path_is_absolute(pszDir) && stat(pszReal, &st) == 0 && S_ISDIR(st.st_mode) &&
           st.st_uid == geteuid() && !(st.st_mode & (S_IWGRP | S_IWOTH)) && safeAbove(pszDir) && safeAbove(pszReal);
}

// The folder "Print to File" offers: the user's documents folder where it
// is theirs alone, else home; said once a run where either is not.
std::string documentsFolder(void)
{
    const char* pszDocuments = g_get_user_special_dir(G_USER_DIRECTORY_DOCUMENTS);
    if (pszDocuments && ownFolder(pszDocuments))
        return pszDocuments;
    const std::string strHome = g_get_home_dir();
    const bool bDocuments = pszDocuments && g_file_test(pszDocuments, G_FILE_TEST_IS_DIR);
    std::string strWhy;
    if (!ownFolder(strHome.c_str()))
        strWhy = (bDocuments ? std::string(pszDocuments) + " and your home folder " : "Your home folder ") + strHome +
                 (bDocuments ? " are" : " is") +
                 " not yours alone (another user owns or may change them): Print to File offers home, but choose a "
                 "folder of your own";
    else if (bDocuments)
        strWhy = std::string(pszDocuments) +
                 " is not a folder of your own (another user owns it or may change it): Print to File offers your "
                 "home folder instead";
    static std::string strTold;
    if (!strWhy.empty() && strWhy != strTold) {
        strTold = strWhy;
        errPostError(("prnPrintLoadSheet()\n" + strWhy).c_str());
        errTellPilot(strWhy);
    }
    return strHome;
}

// The print settings for a dialog: the last ones, with "Print to File"
// offering the documents folder and this sheet's name, never an existing
// file's. GTK's file printer joins the folder, as a file name, to the name.
GtkPrintSettings* dialogSettings(void)
{
    GtkPrintSettings* pSettings = m_pSettings ? gtk_print_settings_copy(m_pSettings) : gtk_print_settings_new();
    const std::string strDir = documentsFolder();
    const std::string strName = prnSheetName(prmGetText(VAL_REGISTRATION), m_tPrinted);
    std::string strBase;
    fnmFirstFree(
        strName, "", SHEET_NUMBERING,
        [&](const std::string& strTry) {
            // A link counts as taken, whether or not it leads anywhere.
            GStatBuf st;
            return g_lstat((strDir + "/" + strTry + ".pdf").c_str(), &st) == 0 ? EEXIST : 0;
        },
        &strBase);
    gtk_print_settings_set(pSettings, GTK_PRINT_SETTINGS_OUTPUT_DIR, strDir.c_str());
    gtk_print_settings_set(pSettings, GTK_PRINT_SETTINGS_OUTPUT_BASENAME, strBase.c_str());
    gtk_print_settings_set(pSettings, GTK_PRINT_SETTINGS_OUTPUT_FILE_FORMAT, "pdf");
    gtk_print_settings_set(pSettings, GTK_PRINT_SETTINGS_OUTPUT_URI, nullptr);
    return pSettings;
}

} // namespace

std::string prnSheetsFolder(void)
{
    return wbFileSpec("Load sheets");
}

void prnSetFilingListener(void (*pfuncListener)(const char* pszError))
{
    m_pfuncFilingListener = pfuncListener;
}

std::string prnSheetName(const std::string& strRegistration, time_t tPrinted)
{
    char szWhen[32];
    struct tm tmPrinted;
    localtime_r(&tPrinted, &tmPrinted);
    strftime(szWhen, sizeof szWhen, "%Y-%m-%d %H%M", &tmPrinted);
    // A registration is free text: one line, no separators of paths, not
    // hidden by a leading dot, and short enough for any file system.
    std::string strReg = withoutDirection(mscOneLine(strRegistration, 40));
    for (char& c : strReg)
        if (c == '/' || c == '\\' || c == ':')
            c = '-';
    while (!strReg.empty() && (strReg.front() == '.' || strReg.front() == ' '))
        strReg.erase(0, 1);
    return (strReg.empty() ? std::string("Load sheet") : strReg) + " " + szWhen;
}

std::string prnPrintedText(time_t tPrinted)
{
    struct tm tmPrinted;
    localtime_r(&tPrinted, &tmPrinted);
    char szWhen[32];
    strftime(szWhen, sizeof szWhen, "%Y-%m-%d %H:%M", &tmPrinted);
    const long nOffset = tmPrinted.tm_gmtoff / 60;
    if (nOffset == 0)
        return std::string(szWhen) + " UTC";
    char szZone[16];
    g_snprintf(szZone, sizeof szZone, " %c%02ld:%02ld", nOffset < 0 ? '-' : '+', std::labs(nOffset) / 60,
               std::labs(nOffset) % 60);
    return std::string(szWhen) + szZone;
}

std::string prnBindUnits(const std::string& strText)
{
    // A figure, a space and a unit symbol, which may itself be two words:
    // every space after the figure becomes a no-break space.
    static GRegex* const pUnit =
        g_regex_new("(?<=[0-9]) ((kg|lb)/(L|US gal|imp gal)|kg|lb|mm|in|L|US gal|imp gal)(?![A-Za-z])",
                    GRegexCompileFlags(G_REGEX_RAW | G_REGEX_OPTIMIZE), GRegexMatchFlags(0), nullptr);
    g_autofree gchar* psz = g_regex_replace_eval(
        pUnit, strText.c_str(), static_cast<gssize>(strText.size()), 0, GRegexMatchFlags(0),
        [](const GMatchInfo* pInfo, GString* pResult, gpointer) {
            g_autofree gchar* pszUnit = g_match_info_fetch(pInfo, 0);
            for (const gchar* pc = pszUnit; *pc; pc++)
                if (*pc == ' ')
                    g_string_append(pResult, "\u00a0");
                else
                    g_string_append_c(pResult, *pc);
            return FALSE;
        },
        nullptr, nullptr);
    return psz ? psz : strText;
}

void prnClearTemporaries(void)
{
    _prnFailure fail;
    const int fdDir = openFolder(false, &fail);
    if (fdDir < 0)
        return; // none yet, or not one to touch
    DIR* pdir = fdopendir(fdDir);
    if (!pdir) {
        close(fdDir);
        return;
    }
    while (const struct dirent* pent = readdir(pdir)) {
        if (!isTemporary(pent->d_name))
            continue;
        const int nResult = unlinkat(fdDir, pent->d_name, 0);
        g_autofree gchar* pszMsg = g_strdup_printf(
            "prnClearTemporaries()\n%s/%s was a load sheet cut short while it was filed\n%s", prnSheetsFolder().c_str(),
            pent->d_name, nResult == 0 ? "it is removed" : g_strerror(errno));
        errPostError(pszMsg);
        errTellPilot("A load sheet being filed when Zarv last stopped was lost: its copy in " + prnSheetsFolder() +
                     " was cut short and " + (nResult == 0 ? "is removed" : "could not be removed") +
                     "; print it again to keep it");
    }
    closedir(pdir);
}

void prnDrawLoadSheet(cairo_t* pCr, double nWidth, double nHeight, const _prnSheet& sheet, const _wbFlight& flight,
                      time_t tPrinted)
{
    cairo_save(pCr);
    cairo_set_source_rgb(pCr, 0, 0, 0);
    const double nLeft = MARGIN, nRight = nWidth - MARGIN, nTextWidth = nRight - nLeft, nHalf = nTextWidth / 2;
    const double nBottom = nHeight - MARGIN;
    const _wbSetup& s = m_wbSetup;
    double y = MARGIN;

    // A PDF's title names the aircraft and the time, as its file name does;
    // its keywords hold the whole hash of its line in the record, which
    // zarv --verify-record matches it with.
    const std::string strPrinted = prnPrintedText(tPrinted);
    const std::string strRecordHash = recContentHash(recLine(sheetEntry(flight, sheet, tPrinted)));
    if (cairo_surface_t* psurf = cairo_get_target(pCr); cairo_surface_get_type(psurf) == CAIRO_SURFACE_TYPE_PDF) {
        const std::string strReg = withoutDirection(mscOneLine(prmGetText(VAL_REGISTRATION), MAX_USER_CHARS));
        const std::string strTitle =
            "Load sheet " + (strReg.empty() ? std::string("\u2013") : strReg) + " " + strPrinted;
        cairo_pdf_surface_set_metadata(psurf, CAIRO_PDF_METADATA_TITLE, strTitle.c_str());
        cairo_pdf_surface_set_metadata(psurf, CAIRO_PDF_METADATA_CREATOR, "Zarv " ZARV_VERSION);
        cairo_pdf_surface_set_metadata(psurf, CAIRO_PDF_METADATA_KEYWORDS, (REC_PDF_KEYWORD + strRecordHash).c_str());
    }

    // The aircraft heads the sheet: its registration and weighing date.
    // The version and the aircraft's figures it computed with, so the sheet
    // can be traced to both.
    // Its line in the record of load sheets is found by the hash printed.
    const std::string strMaker = "Zarv " ZARV_VERSION " \u00b7 figures " + prmFingerprint();
    const double nMaker = 150;
    const double nMakerHeight =
        text(pCr, nRight - nMaker, y, nMaker, strMaker, "sans 8", FIT_ONE_LINE, PANGO_ALIGN_RIGHT);
    text(pCr, nRight - nMaker, y + nMakerHeight, nMaker, "record " + strRecordHash.substr(0, REC_HASH_PRINTED),
         "monospace 8", FIT_ONE_LINE, PANGO_ALIGN_RIGHT);
    y += text(pCr, nLeft, y, nTextWidth - nMaker, "Weight and balance load sheet", "sans bold 16") + 4;
    const double nAircraft = nTextWidth * 0.6;
    const std::string strRegistration = prmGetText(VAL_REGISTRATION);
    y += std::max(text(pCr, nLeft, y, nAircraft - 6,
                       "Aircraft " + (strRegistration.empty() ? "registration not set" : typed(strRegistration)),
                       "sans bold 12", FIT_ONE_LINE),
                  text(pCr, nLeft + nAircraft, y, nTextWidth - nAircraft, "weighed " + typed(prmGetText(VAL_WEIGHED)),
                       "sans bold 12", FIT_ONE_LINE)) +
         4;
    // Due as of the day it was printed.
    GDate today;
    g_date_clear(&today, 1);
    g_date_set_time_t(&today, tPrinted);
    const std::string strDue =
        dateWeighingDueText(dateWeighingDue(prmGetText(VAL_WEIGHED), today, m_wbSetup.nWeighingMonths));
    if (!strDue.empty())
        y += text(pCr, nLeft, y, nTextWidth, strDue, "sans bold 10") + 2;
    const std::string strPreparer = sheet.strPreparer.empty() ? sheet.strPilot : sheet.strPreparer;
    const std::array<std::pair<std::string, std::string>, 2> people = {
        {{"Pilot in command: " + typedOrLine(sheet.strPilot), "Prepared by: " + typedOrLine(strPreparer)},
         {"Flight: " + typedOrLine(sheet.strReference), "Printed: " + strPrinted}}};
    for (const auto& [strLeftText, strRightText] : people) {
        const double nLine = std::max(text(pCr, nLeft, y, nHalf - 6, strLeftText, "sans 10", FIT_ONE_LINE),
                                      text(pCr, nLeft + nHalf, y, nHalf, strRightText, "sans 10", FIT_ONE_LINE));
        y += nLine + 1;
    }
    y += 4;
    // The flight's one verdict heads the sheet, from the same judgement as
    // the page's.
    const _wbLoading& l = flight.loading;
    y += text(pCr, nLeft, y, nTextWidth, wrdFlightVerdictText(flight, s), "sans bold 12") + 8;

    // The aircraft setup and the loading, in the pilot's units, each seat
    // against its limit.
    y += text(pCr, nLeft, y, nTextWidth, "Aircraft setup", "sans bold 11") + 2;
    y += text(pCr, nLeft, y, nTextWidth,
              "Basic aircraft " + weightIn(s.nBasicWeight) + " at " + armIn(s.nBasicLongArm) + " longitudinal, " +
                  armIn(s.nBasicLatArm) + " lateral. Ballast " + weightIn(s.nBallastWt) + "; front position " +
                  armIn(s.nBallastFrontLongArm) + ", " + armIn(s.nBallastFrontLatArm) + " lateral; rear position " +
                  armIn(s.nBallastRearLongArm),
              "sans 9") +
         6;
    const char* pszBallast = l.nBallastPosn == BALLAST_FRONT  ? "front"
                             : l.nBallastPosn == BALLAST_REAR ? "rear"
                                                              : "none";
    y += text(pCr, nLeft, y, nTextWidth, "Loading", "sans bold 11") + 2;
    const std::array<std::pair<std::string, std::string>, 2> seats = {
        {{"Left seat " + weightIn(l.nLSeatWeight) + " (limit " + wrdLimitText(LIMIT_LSEAT, s) + ")",
          "occupant " + typed(sheet.strLeftOccupant)},
         {"Right seat " + weightIn(l.nRSeatWeight) + " (limit " + wrdLimitText(LIMIT_RSEAT, s) + ")",
          "occupant " + typed(sheet.strRightOccupant)}}};
    for (const auto& [strSeat, strOccupant] : seats) {
        const double nLine = std::max(text(pCr, nLeft, y, nHalf - 6, strSeat, "sans 9", FIT_ONE_LINE),
                                      text(pCr, nLeft + nHalf, y, nHalf, strOccupant, "sans 9", FIT_ONE_LINE));
        y += nLine + 1;
    }
    y += text(pCr, nLeft, y, nTextWidth,
              "Fuel at take-off " + fuelIn(l.nFuelVolume) + " (" + weightIn(flight.rows[ROW_FUEL].nWeight) + " at " +
                  txtFixed(unitToShown(KIND_DENSITY, unitFuelDensity(s), s), 3) + " " + unitSymbols(s).pszWeight + "/" +
                  unitSymbols(s).pszFuel + ")" +
                  (flight.bLanding
                       ? "; trip fuel " + fuelIn(flight.nTrip) + ", at landing " + fuelIn(flight.nLandingFuel)
                       : std::string()) +
                  "; ballast " + pszBallast,
              "sans 9") +
         6;

    // The advice the page gives, on one line each.
    const _wbFuelPlan plan = wrdFuelPlanOf(flight, s, true);
    std::string strAdvice = wrdFuelAdviceText(flight, plan, s, true);
    std::replace(strAdvice.begin(), strAdvice.end(), '\n', ' ');
    if (const std::string strBallast = wrdBallastAdviceText(flight, plan, s); !strBallast.empty())
        strAdvice += (strAdvice.empty() ? "" : ". ") + strBallast;
    if (!strAdvice.empty())
        y += text(pCr, nLeft, y, nTextWidth, "Fuel advice: " + strAdvice, "sans 9") + 6;

    y += drawTable(pCr, nLeft, y, nTextWidth, flight) + 6;

    // Every limit used, and both points against them in words.
    y += text(pCr, nLeft, y, nTextWidth,
              "Limits: weight at most " + wrdLimitText(LIMIT_WEIGHT, s) + "; longitudinal arm " +
                  wrdLimitText(LIMIT_FORWARD, s) + " to " + wrdLimitText(LIMIT_AFT, s) + "; lateral arm within \u00b1" +
                  wrdLimitText(LIMIT_RIGHT, s) + "; each seat at most " + wrdLimitText(LIMIT_LSEAT, s) + "; tank " +
                  wrdLimitText(LIMIT_TANK, s),
              "sans 9") +
         4;
    const _chartInput chart = pwbSheetChartInputOf(flight);
    struct Verdict {
        const char* pszName;
        _wbFlightPoint nPoint;
    };
    const std::array<Verdict, POINT_COUNT> verdicts = {
        {{"Take-off", POINT_TAKE_OFF}, {"Landing", POINT_LANDING}, {"No fuel (fuel burned)", POINT_NO_FUEL}}};
    for (const Verdict& v : verdicts) {
        if (!flight.hasPoint(v.nPoint))
            continue;
        const _wbPoint& p = flight.points[v.nPoint];
        // No figures of a point calculated from a value that cannot be right.
        // In the pilot's units too where they are not the table's.
        const std::string strFigures =
            flight.doubts.empty()
                ? pwbWeightText(p.nWeight) + " lb at " + pwbArmText(p.nLongArm) + " in, lateral " +
                      pwbArmText(p.nLatArm) + " in" +
                      (wrdUnitsWritten(s) ? std::string() : " (" + wrdPointFiguresText(p, s) + ")") + " \u2014 "
                : "";
        y += text(pCr, nLeft, y, nTextWidth,
                  std::string(v.pszName) + ": " + strFigures + wrdPointVerdictText(flight, v.nPoint, s),
                  "sans bold 10") +
             2;
    }
    y += 8;

    // The commander's acceptance at the foot of the page, only under a
    // flight within limits; the chart in what is left between, drawn by its
    // own renderer in vector form and kept to its square.
    cairo_set_source_rgb(pCr, 0, 0, 0);
    const std::string strAccept =
        flight.within() ? "Commander's acceptance of this mass and balance: signature _______________  date _________"
                        : "NOT TO BE FLOWN AS LOADED";
    const double nAccept = 2 * 14;
    const double nSignatureTop = nBottom - nAccept;
    const double nChart = std::min(nTextWidth, nSignatureTop - 10 - y);
    if (nChart >= MIN_CHART_SIZE) {
        cairo_save(pCr);
        cairo_translate(pCr, nLeft + (nTextWidth - nChart) / 2, y);
        cairo_rectangle(pCr, 0, 0, nChart, nChart);
        cairo_clip(pCr);
        // Drawn at the size the window gives it and scaled to the room: the
        // chart's texts stand at fixed arms in fixed fonts, and a smaller
        // square would set its message over its caption.
        const double nScale = nChart / CHART_DRAWN_SIZE;
        cairo_scale(pCr, nScale, nScale);
        pwbDrawChart(pCr, static_cast<guint>(CHART_DRAWN_SIZE), static_cast<guint>(CHART_DRAWN_SIZE), chart);
        cairo_restore(pCr);
    }
    cairo_set_source_rgb(pCr, 0, 0, 0);
    text(pCr, nLeft, std::max(y, nSignatureTop), nTextWidth, strAccept, flight.within() ? "sans 10" : "sans bold 12");
    cairo_restore(pCr);
}

bool prnPrintLoadSheet(GtkWindow* pwinParent, const char* pszExportFile, const _prnSheet* pSheet)
{
    m_tPrinted = time(nullptr);
    if (pSheet) {
        m_sheet = *pSheet;
    } else {
        m_sheet.strPilot = prmGetText(VAL_PILOT);
        m_sheet.strPreparer = prmGetText(VAL_PREPARER);
    }
    g_autoptr(GtkPrintOperation) pop = gtk_print_operation_new();
    gtk_print_operation_set_unit(pop, GTK_UNIT_POINTS);
    gtk_print_operation_set_job_name(pop, prnSheetName(prmGetText(VAL_REGISTRATION), m_tPrinted).c_str());
    gtk_print_operation_set_embed_page_setup(pop, TRUE);
    g_signal_connect(pop, "begin-print", G_CALLBACK(prnOnBeginPrint), nullptr);
    g_signal_connect(pop, "draw-page", G_CALLBACK(prnOnDrawPage), nullptr);
    GtkPrintOperationAction nAction = GTK_PRINT_OPERATION_ACTION_PRINT_DIALOG;
    g_autoptr(GtkPrintSettings) pDialogSettings = nullptr;
    if (pszExportFile) {
        gtk_print_operation_set_export_filename(pop, pszExportFile);
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
    if (nResult == GTK_PRINT_OPERATION_RESULT_ERROR) {
        g_autofree gchar* pszMsg = g_strdup_printf("prnPrintLoadSheet()\ngtk_print_operation_run()\n%s",
                                                   pErr ? pErr->message : "unknown error");
        errPostError(pszMsg);
        if (!pszExportFile) {
            GtkWidget* pdlg = gtk_message_dialog_new(pwinParent, GTK_DIALOG_MODAL, GTK_MESSAGE_ERROR, GTK_BUTTONS_CLOSE,
                                                     "The load sheet could not be printed");
            gtk_message_dialog_format_secondary_text(GTK_MESSAGE_DIALOG(pdlg), "%s",
                                                     pErr ? pErr->message : "unknown error");
            gtk_dialog_run(GTK_DIALOG(pdlg));
            gtk_widget_destroy(pdlg);
        }
        return false;
    }
    if (nResult != GTK_PRINT_OPERATION_RESULT_APPLY)
        return false;
    if (!pszExportFile) {
        if (m_pSettings)
            g_object_unref(m_pSettings);
        m_pSettings = GTK_PRINT_SETTINGS(g_object_ref(gtk_print_operation_get_print_settings(pop)));
    }
    // The operator's record; a failure to keep it never undoes the print.
    std::string strFiled;
    std::string strFilingError = fileCopy(&strFiled);
    if (const std::string strLineError = recordLine(strFiled); !strLineError.empty())
        strFilingError += (strFilingError.empty() ? "" : "; and ") + strLineError;
    if (m_pfuncFilingListener)
        m_pfuncFilingListener(strFilingError.empty() ? nullptr : strFilingError.c_str());
    // The next sheet is a new flight: its reference and the seats' occupants
    // start empty; the pilot and the preparer are offered again, as kept. A
    // sheet that was not printed keeps them for the next try.
    m_sheet.strReference.clear();
    m_sheet.strLeftOccupant.clear();
    m_sheet.strRightOccupant.clear();
    return true;
}

cairo_status_t prnWriteToFd(void* pClosure, const unsigned char* pData, unsigned int nLength)
{
    _prnSink& sink = *static_cast<_prnSink*>(pClosure);
    while (nLength > 0 && !sink.nErr) {
        const ssize_t n = m_prmFileOps.pfuncWrite(sink.fd, pData, nLength);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            sink.nErr = n < 0 ? errno : ENOSPC;
        else {
            pData += n;
            nLength -= static_cast<unsigned int>(n);
        }
    }
    return sink.nErr ? CAIRO_STATUS_WRITE_ERROR : CAIRO_STATUS_SUCCESS;
}
