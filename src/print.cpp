// The load sheet, laid out on one A4 or Letter page with Pango and cairo:
// the aircraft and the people, the setup and the loading, the result table
// as on screen, the take-off and zero-fuel points against the limits with a
// verdict in words (so a black-and-white copy carries it), the chart drawn
// by its own renderer, and a line for the commander's signature.
#include "print.h"

#include "errlog.h"
#include "pagSetup.h"
#include "pagWB.h"
#include "pagWBChart.h"
#include "pagWBPage.h"
#include "stored.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace
{

constexpr double MARGIN = 36; // points: half an inch

// The sheet's pilot and reference, as the dialog's tab has them.
_prnSheet m_sheet;
GtkWidget* m_pwgtPilot = nullptr;
GtkWidget* m_pwgtReference = nullptr;

// Writes text at (nX, nY) in the given font; returns the height it took.
double text(cairo_t* pCr, double nX, double nY, const std::string& strText, const char* pszFont, double nWidth = -1)
{
    g_autoptr(PangoLayout) ppngLayout = pango_cairo_create_layout(pCr);
    // Font sizes in points on the page, whatever the screen's resolution.
    pango_cairo_context_set_resolution(pango_layout_get_context(ppngLayout), 72);
    pango_layout_context_changed(ppngLayout);
    PangoFontDescription* pfont = pango_font_description_from_string(pszFont);
    pango_layout_set_font_description(ppngLayout, pfont);
    pango_font_description_free(pfont);
    if (nWidth > 0) {
        pango_layout_set_width(ppngLayout, static_cast<int>(nWidth * PANGO_SCALE));
        pango_layout_set_alignment(ppngLayout, PANGO_ALIGN_RIGHT);
    }
    pango_layout_set_text(ppngLayout, strText.c_str(), -1);
    cairo_move_to(pCr, nX, nY);
    pango_cairo_show_layout(pCr, ppngLayout);
    int nW = 0, nH = 0;
    pango_layout_get_size(ppngLayout, &nW, &nH);
    return static_cast<double>(nH) / PANGO_SCALE;
}

std::string orDash(const std::string& str)
{
    return str.empty() ? "\u2013" : str;
}

// A loading and its point against every limit, in words: the first limit
// broken, or within.
std::string verdict(const _wbLoading& l, const _wbPoint& p)
{
    const _wbJudgement j = pwbJudge(l, p);
    constexpr std::pair<_wbLimit, const char*> broken[] = {{LIMIT_FORWARD, "forward of the limit"},
                                                           {LIMIT_AFT, "aft of the limit"},
                                                           {LIMIT_LEFT, "beyond the lateral limit"},
                                                           {LIMIT_RIGHT, "beyond the lateral limit"},
                                                           {LIMIT_WEIGHT, "over weight"},
                                                           {LIMIT_LSEAT, "left seat over its limit"},
                                                           {LIMIT_RSEAT, "right seat over its limit"},
                                                           {LIMIT_TANK, "more fuel than the tank holds"}};
    for (const auto& [nLimit, pszWords] : broken)
        if (j.beyond(nLimit))
            return std::string("OUT OF LIMITS: ") + pszWords;
    if (j.bChartWarning)
        return "OUT OF LIMITS: beyond the chart's envelope";
    return std::isfinite(p.nLongArm) ? "WITHIN LIMITS" : "NO LOADING ENTERED";
}

std::string weightIn(double nKg)
{
    return mscFormatNumber("%1.1f", psetKgToWeight(nKg, m_wbSetup.nUnitWt)) + " " + psetWeightLabel(m_wbSetup.nUnitWt);
}

std::string armIn(double nMm)
{
    return mscFormatNumber("%1.2f", psetMmToArm(nMm, m_wbSetup.nUnitArm)) + " " + psetArmLabel(m_wbSetup.nUnitArm);
}

void prnOnBeginPrint(GtkPrintOperation* pop, GtkPrintContext*, gpointer)
{
    gtk_print_operation_set_n_pages(pop, 1);
}

void prnOnDrawPage(GtkPrintOperation*, GtkPrintContext* pctx, gint, gpointer)
{
    prnDrawLoadSheet(gtk_print_context_get_cairo_context(pctx), gtk_print_context_get_width(pctx),
                     gtk_print_context_get_height(pctx), m_sheet, time(nullptr));
}

// The dialog's tab: the pilot and the flight reference.
GObject* prnOnCreateCustomWidget(GtkPrintOperation*, gpointer)
{
    GtkWidget* pgrid = gtk_grid_new();
    gtk_container_set_border_width(GTK_CONTAINER(pgrid), 12);
    gtk_grid_set_row_spacing(GTK_GRID(pgrid), 6);
    gtk_grid_set_column_spacing(GTK_GRID(pgrid), 12);
    m_pwgtPilot = gtk_entry_new();
    m_pwgtReference = gtk_entry_new();
    const std::array<std::pair<const char*, GtkWidget*>, 2> rows = {
        {{"_Pilot in command", m_pwgtPilot}, {"_Flight reference", m_pwgtReference}}};
    int nRow = 0;
    for (const auto& [pszCaption, pwgt] : rows) {
        GtkWidget* plabel = gtk_label_new_with_mnemonic(pszCaption);
        gtk_label_set_mnemonic_widget(GTK_LABEL(plabel), pwgt);
        gtk_label_set_xalign(GTK_LABEL(plabel), 0);
        gtk_grid_attach(GTK_GRID(pgrid), plabel, 0, nRow, 1, 1);
        gtk_grid_attach(GTK_GRID(pgrid), pwgt, 1, nRow++, 1, 1);
    }
    gtk_entry_set_text(GTK_ENTRY(m_pwgtPilot), m_sheet.strPilot.c_str());
    gtk_entry_set_text(GTK_ENTRY(m_pwgtReference), m_sheet.strReference.c_str());
    gtk_widget_show_all(pgrid);
    return G_OBJECT(pgrid);
}

void prnOnCustomWidgetApply(GtkPrintOperation*, GtkWidget*, gpointer)
{
    m_sheet.strPilot = gtk_entry_get_text(GTK_ENTRY(m_pwgtPilot));
    m_sheet.strReference = gtk_entry_get_text(GTK_ENTRY(m_pwgtReference));
}

} // namespace

void prnDrawLoadSheet(cairo_t* pCr, double nWidth, double nHeight, const _prnSheet& sheet, time_t tPrinted)
{
    cairo_save(pCr);
    cairo_set_source_rgb(pCr, 0, 0, 0);
    const double nLeft = MARGIN, nRight = nWidth - MARGIN, nTextWidth = nRight - nLeft;
    double y = MARGIN;

    y += text(pCr, nLeft, y, "Weight and balance load sheet", "sans bold 16") + 6;
    char szPrinted[64];
    struct tm tmPrinted;
    localtime_r(&tPrinted, &tmPrinted);
    strftime(szPrinted, sizeof szPrinted, "%d %b %Y %H:%M", &tmPrinted);
    const std::string strRegistration = prmGetText(VAL_REGISTRATION);
    y += text(pCr, nLeft, y,
              "Registration: " + orDash(strRegistration) + "    Weighing report: " + orDash(prmGetText(VAL_WEIGHED)) +
                  "    Printed: " + szPrinted,
              "sans 10");
    y += text(pCr, nLeft, y,
              "Pilot in command: " + orDash(sheet.strPilot) + "    Flight: " + orDash(sheet.strReference), "sans 10") +
         10;

    // The aircraft setup and the loading, in the pilot's units.
    const _wbSetup& s = m_wbSetup;
    y += text(pCr, nLeft, y, "Aircraft setup", "sans bold 11") + 2;
    y += text(pCr, nLeft, y,
              "Basic aircraft " + weightIn(s.nBasicWeight) + " at " + armIn(s.nBasicLongArm) + " longitudinal, " +
                  armIn(s.nBasicLatArm) + " lateral",
              "sans 9");
    y += text(pCr, nLeft, y,
              "Ballast " + weightIn(s.nBallastWt) + "; front position " + armIn(s.nBallastFrontLongArm) + ", " +
                  armIn(s.nBallastFrontLatArm) + " lateral; rear position " + armIn(s.nBallastRearLongArm),
              "sans 9") +
         8;
    const char* pszBallast = m_nBallastPosn == BALLAST_FRONT  ? "front"
                             : m_nBallastPosn == BALLAST_REAR ? "rear"
                                                              : "none";
    y += text(pCr, nLeft, y, "Loading", "sans bold 11") + 2;
    y += text(pCr, nLeft, y,
              "Left seat " + weightIn(m_nLSeatWeight) + ", right seat " + weightIn(m_nRSeatWeight) + ", fuel " +
                  mscFormatNumber("%1.1f", psetLitresToFuel(m_nFuelVolume, s.nUnitFuel)) + " " +
                  psetFuelLabel(s.nUnitFuel) + ", ballast " + pszBallast,
              "sans 9") +
         8;

    // The result table, as on screen.
    const double nCol = nTextWidth / 6.5;
    const std::array<const char*, 5> headings = {"Weight (lb)", "Long. arm (in)", "Long. moment (lb\u00b7in)",
                                                 "Lat. arm (in)", "Lat. moment (lb\u00b7in)"};
    for (size_t i = 0; i < headings.size(); i++)
        text(pCr, nLeft + nCol * (1.5 + static_cast<double>(i)), y, headings[i], "sans bold 8", nCol - 4);
    y += 14;
    for (const _wbTableRow& r : pwbTableRows()) {
        text(pCr, nLeft, y, r.pszItem, "sans 9");
        const std::string cells[] = {pwbWeightText(r.nWeight), pwbArmText(r.nLongArm), pwbMomentText(r.nLongMoment),
                                     pwbArmText(r.nLatArm), pwbMomentText(r.nLatMoment)};
        for (size_t i = 0; i < 5; i++)
            text(pCr, nLeft + nCol * (1.5 + static_cast<double>(i)), y, cells[i], "sans 9", nCol - 4);
        y += 13;
    }
    const _wbPoint& z = m_wbZeroFuel;
    text(pCr, nLeft, y, "No fuel", "sans 9");
    text(pCr, nLeft + nCol * 1.5, y, pwbWeightText(z.nWeight), "sans 9", nCol - 4);
    text(pCr, nLeft + nCol * 2.5, y, pwbArmText(z.nLongArm), "sans 9", nCol - 4);
    text(pCr, nLeft + nCol * 4.5, y, pwbArmText(z.nLatArm), "sans 9", nCol - 4);
    y += 20;

    // The two points against the limits, in words: the take-off point with
    // the loading as entered, the zero-fuel point with the tank empty.
    const _chartInput chart = pwbChartInput();
    const _wbLoading loading = pwbLoading();
    const _wbLoading dry = {loading.nLSeatWeight, loading.nRSeatWeight, 0.0, loading.nBallastPosn};
    y += text(pCr, nLeft, y,
              "Limits: weight at most " + pwbWeightText(MAX_TOTAL_WEIGHT) + " lb; longitudinal arm " +
                  mscFormatNumber("%1.3f", MIN_LONG_ARM / MM_PER_INCH) + " to " +
                  mscFormatNumber("%1.3f", MAX_LONG_ARM / MM_PER_INCH) + " in; lateral arm within \u00b1" +
                  pwbArmText(MAX_LAT_ARM) + " in",
              "sans 9") +
         4;
    struct Verdict {
        const char* pszName;
        const _wbLoading& l;
        const _wbPoint& p;
    };
    for (const Verdict& v : {Verdict{"Take-off", loading, chart.takeOff}, Verdict{"No fuel (fuel burned)", dry, z}})
        y += text(pCr, nLeft, y,
                  std::string(v.pszName) + ": " + pwbWeightText(v.p.nWeight) + " lb at " + pwbArmText(v.p.nLongArm) +
                      " in, lateral " + pwbArmText(v.p.nLatArm) + " in \u2014 " + verdict(v.l, v.p),
                  "sans bold 10") +
             2;
    y += 10;

    // The chart as on screen, drawn by its own renderer in vector form.
    const double nSignature = 40;
    const double nChart = std::max(0.0, std::min(nTextWidth, nHeight - MARGIN - nSignature - y));
    if (nChart >= MIN_CHART_SIZE) {
        cairo_save(pCr);
        cairo_translate(pCr, nLeft + (nTextWidth - nChart) / 2, y);
        pwbDrawChart(pCr, static_cast<guint>(nChart), static_cast<guint>(nChart), chart);
        cairo_restore(pCr);
        y += nChart + 12;
    }
    cairo_set_source_rgb(pCr, 0, 0, 0);
    text(pCr, nLeft, std::max(y, nHeight - MARGIN - 16),
         "Commander's signature: ________________________________    Date: ______________", "sans 10");
    cairo_restore(pCr);
}

bool prnPrintLoadSheet(GtkWindow* pwinParent, const char* pszExportFile, const _prnSheet* pSheet)
{
    if (pSheet)
        m_sheet = *pSheet;
    g_autoptr(GtkPrintOperation) pop = gtk_print_operation_new();
    gtk_print_operation_set_unit(pop, GTK_UNIT_POINTS);
    gtk_print_operation_set_job_name(pop, "Zarv load sheet");
    gtk_print_operation_set_embed_page_setup(pop, TRUE);
    g_signal_connect(pop, "begin-print", G_CALLBACK(prnOnBeginPrint), nullptr);
    g_signal_connect(pop, "draw-page", G_CALLBACK(prnOnDrawPage), nullptr);
    GtkPrintOperationAction nAction = GTK_PRINT_OPERATION_ACTION_PRINT_DIALOG;
    if (pszExportFile) {
        gtk_print_operation_set_export_filename(pop, pszExportFile);
        nAction = GTK_PRINT_OPERATION_ACTION_EXPORT;
    } else {
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
    return nResult == GTK_PRINT_OPERATION_RESULT_APPLY;
}
