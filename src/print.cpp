// The load sheet, laid out on one A4 or Letter page with Pango and cairo:
// the aircraft and the people, the setup and the loading with every limit
// used, the result table as on screen, the take-off and zero-fuel points
// with the verdict in words (so a black-and-white copy carries it), the
// chart drawn by its own renderer, and the commander's acceptance. Every
// text is given a width inside the margins: the pilot's own texts are one
// line each, ellipsized and isolated for direction; the rest wraps. After a
// sheet is printed or saved, a copy is filed as PDF.
#include "print.h"

#include "app.h"
#include "errlog.h"
#include "misc.h"
#include "pagSetup.h"
#include "pagWB.h"
#include "pagWBChart.h"
#include "pagWBPage.h"
#include "stored.h"

#include <glib/gstdio.h>

#include <algorithm>
#include <array>
#include <cairo-pdf.h>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace
{

constexpr double MARGIN = 36;            // points: half an inch, 12.7 mm
constexpr size_t MAX_USER_CHARS = 80;    // a pilot's text on the sheet, at most
constexpr double CHART_DRAWN_SIZE = 460; // the chart's square as the window first draws it

// The sheet's people and flight, as the dialog's tab has them; the pilot
// and the preparer are offered again for the next sheet.
_prnSheet m_sheet;
GtkWidget *m_pwgtPilot = nullptr, *m_pwgtPreparer = nullptr, *m_pwgtReference = nullptr;
GtkWidget *m_pwgtLeftOccupant = nullptr, *m_pwgtRightOccupant = nullptr;
// The page the sheet was printed on, and when: the filed copy is the same.
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
    pango_layout_set_text(ppngLayout, strText.c_str(), -1);
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

std::string weightIn(double nKg)
{
    return mscFormatNumber("%1.1f", psetKgToWeight(nKg, m_wbSetup.nUnitWt)) + " " + psetWeightLabel(m_wbSetup.nUnitWt);
}

std::string armIn(double nMm)
{
    return mscFormatNumber("%1.2f", psetMmToArm(nMm, m_wbSetup.nUnitArm)) + " " + psetArmLabel(m_wbSetup.nUnitArm);
}

std::string fuelIn(double nLitres)
{
    return mscFormatNumber("%1.1f", psetLitresToFuel(nLitres, m_wbSetup.nUnitFuel)) + " " +
           psetFuelLabel(m_wbSetup.nUnitFuel);
}

// The result table as on screen, and the zero-fuel row; returns its height.
double drawTable(cairo_t* pCr, double nLeft, double y, double nTextWidth)
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
    for (const _wbTableRow& r : pwbTableRows())
        row(r.pszItem, {pwbWeightText(r.nWeight), pwbArmText(r.nLongArm), pwbMomentText(r.nLongMoment),
                        pwbArmText(r.nLatArm), pwbMomentText(r.nLatMoment)});
    if (pwbTripOf(m_nTripFuel) > 0) {
        const _wbPoint& l = m_wbLanding;
        row("Landing", {pwbWeightText(l.nWeight), pwbArmText(l.nLongArm), "", pwbArmText(l.nLatArm), ""});
    }
    const _wbPoint& z = m_wbZeroFuel;
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
    prnDrawLoadSheet(gtk_print_context_get_cairo_context(pctx), m_nPageWidth, m_nPageHeight, m_sheet, m_tPrinted);
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
}

// Opens a new file "<dir>/<name>.pdf", or "<name> (2).pdf" and so on where
// that is taken: a sheet never replaces another. Returns the descriptor, or
// -1 with errno set; *pstrPath gets the path tried last.
int openNew(const std::string& strDir, const std::string& strName, std::string* pstrPath)
{
    for (int n = 1; n < 1000; n++) {
        *pstrPath = strDir + "/" + strName + (n > 1 ? " (" + std::to_string(n) + ")" : "") + ".pdf";
        const int fd = open(pstrPath->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

cairo_status_t writeToFd(void* pClosure, const unsigned char* pData, unsigned int nLength)
{
    const int fd = *static_cast<int*>(pClosure);
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

// Files the copy of the sheet just printed; the reason it failed, or empty.
std::string fileCopy(void)
{
    const std::string strDir = prnSheetsFolder();
    std::string strPath = strDir;
    int nErr = 0;
    if (g_mkdir_with_parents(strDir.c_str(), 0755) != 0)
        nErr = errno;
    const int fd = nErr ? -1 : openNew(strDir, prnSheetName(prmGetText(VAL_REGISTRATION), m_tPrinted), &strPath);
    if (fd < 0 && !nErr)
        nErr = errno;
    if (fd >= 0) {
        int fdWrite = fd;
        cairo_surface_t* psurf = cairo_pdf_surface_create_for_stream(writeToFd, &fdWrite, m_nPageWidth, m_nPageHeight);
        cairo_t* pCr = cairo_create(psurf);
        prnDrawLoadSheet(pCr, m_nPageWidth, m_nPageHeight, m_sheet, m_tPrinted);
        cairo_destroy(pCr);
        cairo_surface_finish(psurf);
        const bool bWritten = cairo_surface_status(psurf) == CAIRO_STATUS_SUCCESS;
        cairo_surface_destroy(psurf);
        if (!bWritten)
            nErr = errno ? errno : EIO;
        if (fsync(fd) != 0 && !nErr)
            nErr = errno;
        close(fd);
        if (nErr)
            g_unlink(strPath.c_str()); // no half a record
    }
    if (!nErr)
        return {};
    g_autofree gchar* pszMsg =
        g_strdup_printf("prnPrintLoadSheet()\nfiling %s failed\n%s", strPath.c_str(), g_strerror(nErr));
    errPostError(pszMsg);
    return std::string("its copy for the record could not be kept in ") + strDir + ": " + g_strerror(nErr);
}

// The print settings for a dialog: the last ones, with "Print to File"
// offering the documents folder and this sheet's name, never an existing
// file's.
GtkPrintSettings* dialogSettings(void)
{
    GtkPrintSettings* pSettings = m_pSettings ? gtk_print_settings_copy(m_pSettings) : gtk_print_settings_new();
    const char* pszDocuments = g_get_user_special_dir(G_USER_DIRECTORY_DOCUMENTS);
    const std::string strDir = pszDocuments ? pszDocuments : g_get_home_dir();
    const std::string strName = prnSheetName(prmGetText(VAL_REGISTRATION), m_tPrinted);
    std::string strBase = strName;
    for (int n = 2; n < 1000 && g_file_test((strDir + "/" + strBase + ".pdf").c_str(), G_FILE_TEST_EXISTS); n++)
        strBase = strName + " (" + std::to_string(n) + ")";
    g_autofree gchar* pszDirUri = g_filename_to_uri(strDir.c_str(), nullptr, nullptr);
    if (pszDirUri)
        gtk_print_settings_set(pSettings, GTK_PRINT_SETTINGS_OUTPUT_DIR, pszDirUri);
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
    std::string strReg = mscOneLine(strRegistration, 40);
    for (char& c : strReg)
        if (c == '/' || c == '\\' || c == ':')
            c = '-';
    while (!strReg.empty() && (strReg.front() == '.' || strReg.front() == ' '))
        strReg.erase(0, 1);
    return (strReg.empty() ? std::string("Load sheet") : strReg) + " " + szWhen;
}

void prnDrawLoadSheet(cairo_t* pCr, double nWidth, double nHeight, const _prnSheet& sheet, time_t tPrinted)
{
    cairo_save(pCr);
    cairo_set_source_rgb(pCr, 0, 0, 0);
    const double nLeft = MARGIN, nRight = nWidth - MARGIN, nTextWidth = nRight - nLeft, nHalf = nTextWidth / 2;
    const double nBottom = nHeight - MARGIN;
    const _wbSetup& s = m_wbSetup;
    double y = MARGIN;

    // The aircraft heads the sheet: its registration and weighing date.
    y += text(pCr, nLeft, y, nTextWidth, "Weight and balance load sheet", "sans bold 16") + 4;
    const double nAircraft = nTextWidth * 0.6;
    const std::string strRegistration = prmGetText(VAL_REGISTRATION);
    y += std::max(text(pCr, nLeft, y, nAircraft - 6,
                       "Aircraft " + (strRegistration.empty() ? "registration not set" : typed(strRegistration)),
                       "sans bold 12", FIT_ONE_LINE),
                  text(pCr, nLeft + nAircraft, y, nTextWidth - nAircraft, "weighed " + typed(prmGetText(VAL_WEIGHED)),
                       "sans bold 12", FIT_ONE_LINE)) +
         4;
    char szPrinted[64];
    struct tm tmPrinted;
    localtime_r(&tPrinted, &tmPrinted);
    strftime(szPrinted, sizeof szPrinted, "%Y-%m-%d %H:%M", &tmPrinted);
    const std::string strPreparer = sheet.strPreparer.empty() ? sheet.strPilot : sheet.strPreparer;
    const std::array<std::pair<std::string, std::string>, 2> people = {
        {{"Pilot in command: " + typed(sheet.strPilot), "Prepared by: " + typed(strPreparer)},
         {"Flight: " + typed(sheet.strReference), std::string("Printed: ") + szPrinted}}};
    for (const auto& [strLeftText, strRightText] : people) {
        const double nLine = std::max(text(pCr, nLeft, y, nHalf - 6, strLeftText, "sans 10", FIT_ONE_LINE),
                                      text(pCr, nLeft + nHalf, y, nHalf, strRightText, "sans 10", FIT_ONE_LINE));
        y += nLine + 1;
    }
    y += 4;
    // The flight's one verdict heads the sheet, from the same judgement as
    // the page's.
    const _wbFlight flight = pwbJudgeFlight(s, pwbLoading(), m_nTripFuel);
    y += text(pCr, nLeft, y, nTextWidth, pwbFlightVerdictText(flight, s), "sans bold 12") + 8;

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
    const char* pszBallast = m_nBallastPosn == BALLAST_FRONT  ? "front"
                             : m_nBallastPosn == BALLAST_REAR ? "rear"
                                                              : "none";
    y += text(pCr, nLeft, y, nTextWidth, "Loading", "sans bold 11") + 2;
    const std::array<std::pair<std::string, std::string>, 2> seats = {
        {{"Left seat " + weightIn(m_nLSeatWeight) + " (limit " + pwbLimitText(LIMIT_LSEAT, s) + ")",
          "occupant " + typed(sheet.strLeftOccupant)},
         {"Right seat " + weightIn(m_nRSeatWeight) + " (limit " + pwbLimitText(LIMIT_RSEAT, s) + ")",
          "occupant " + typed(sheet.strRightOccupant)}}};
    for (const auto& [strSeat, strOccupant] : seats) {
        const double nLine = std::max(text(pCr, nLeft, y, nHalf - 6, strSeat, "sans 9", FIT_ONE_LINE),
                                      text(pCr, nLeft + nHalf, y, nHalf, strOccupant, "sans 9", FIT_ONE_LINE));
        y += nLine + 1;
    }
    y += text(pCr, nLeft, y, nTextWidth,
              "Fuel at take-off " + fuelIn(m_nFuelVolume) + " (" + weightIn(m_nFuelWeight) + " at " +
                  mscFormatNumber("%1.3f", prmDensityToShown(pwbFuelDensity(s))) + " " + prmDensityLabel() + ")" +
                  (flight.bLanding ? "; trip fuel " + fuelIn(m_nTripFuel) + ", at landing " +
                                         fuelIn(pwbLandingFuel(m_nFuelVolume, m_nTripFuel))
                                   : std::string()) +
                  "; ballast " + pszBallast,
              "sans 9") +
         6;

    y += drawTable(pCr, nLeft, y, nTextWidth) + 6;

    // Every limit used, and both points against them in words.
    y += text(pCr, nLeft, y, nTextWidth,
              "Limits: weight at most " + pwbLimitText(LIMIT_WEIGHT, s) + "; longitudinal arm " +
                  pwbLimitText(LIMIT_FORWARD, s) + " to " + pwbLimitText(LIMIT_AFT, s) + "; lateral arm within \u00b1" +
                  pwbLimitText(LIMIT_RIGHT, s) + "; each seat at most " + pwbLimitText(LIMIT_LSEAT, s) + "; tank " +
                  pwbLimitText(LIMIT_TANK, s),
              "sans 9") +
         4;
    const _chartInput chart = pwbChartInput();
    struct Verdict {
        const char* pszName;
        _wbFlightPoint nPoint;
    };
    std::vector<Verdict> verdicts = {{"Take-off", POINT_TAKE_OFF}};
    if (flight.bLanding)
        verdicts.push_back({"Landing", POINT_LANDING});
    verdicts.push_back({"No fuel (fuel burned)", POINT_NO_FUEL});
    for (const Verdict& v : verdicts) {
        const _wbPoint& p = flight.points[v.nPoint];
        y +=
            text(pCr, nLeft, y, nTextWidth,
                 std::string(v.pszName) + ": " + pwbWeightText(p.nWeight) + " lb at " + pwbArmText(p.nLongArm) +
                     " in, lateral " + pwbArmText(p.nLatArm) + " in \u2014 " + pwbPointVerdictText(flight, v.nPoint, s),
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

bool prnPrintLoadSheet(GtkWindow* pwinParent, const char* pszExportFile, const _prnSheet* pSheet,
                       GtkPrintSettings* pSettings)
{
    m_tPrinted = time(nullptr);
    if (pSheet)
        m_sheet = *pSheet;
    else {
        // A new flight: its reference and the seats' occupants start empty;
        // the pilot and the preparer are offered again.
        m_sheet.strReference.clear();
        m_sheet.strLeftOccupant.clear();
        m_sheet.strRightOccupant.clear();
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
        pDialogSettings = pSettings ? GTK_PRINT_SETTINGS(g_object_ref(pSettings)) : dialogSettings();
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
    const std::string strFilingError = fileCopy();
    if (!strFilingError.empty() && m_pfuncFilingListener)
        m_pfuncFilingListener(strFilingError.c_str());
    return true;
}
