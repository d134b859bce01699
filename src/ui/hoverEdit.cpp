// The "Hover charts…" button and its dialog: a table per chart, checked and
// drawn as it is typed, read from and written to CSV files, and kept whole
// as an amendment of the aircraft's figures. A row that cannot be read is
// said in the dialog and flagged, and the dialog stays open until it is put
// right or the pilot cancels, so nothing typed is lost.
#include "ui/hoverEdit.h"

#include "model/hover.h"
#include "model/texts.h"
#include "store/aircraft/figures.h"
#include "store/conf/state.h"
#include "ui/amend.h"
#include "ui/misc.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

namespace
{

constexpr double NONE = std::numeric_limits<double>::quiet_NaN();

// A row's fields, in the order of the table's columns.
enum _hedColumn { HED_OAT, HED_WEIGHT, HED_CEILING, HED_COLUMNS };

constexpr std::array<const char*, HOV_EFFECTS> CHART_NAMES = {"In ground effect", "Out of ground effect"};
constexpr std::array<const char*, HOV_EFFECTS> CHART_IDS = {"IGE", "OGE"};
constexpr int DRAWING_WIDTH = 420, DRAWING_HEIGHT = 280;

// A point's row: its fields, and the values (°C, kg, ft) it came with
// (none for a row added), kept while their text is not edited, so that a
// weight shown rounded in pounds is saved as it was.
struct _hedRow {
    std::array<GtkWidget*, HED_COLUMNS> fields;
    std::array<double, HED_COLUMNS> old;
};

// A chart's table, the drawing beside it, the row last typed in (the one
// Remove row takes), and the chart as its rows read now.
struct _hedTable {
    _hovEffect nEffect;
    GtkGrid* pgrid;
    GtkWidget* pwgtDrawing;
    std::vector<_hedRow> rows;
    int nCurrent;
    _hovChart typed;
};

struct _hedDialog {
    GtkWidget* pdlg;
    std::array<_hedTable, HOV_EFFECTS> tables;
    GtkWidget* pwgtProblem;
};

GtkWidget* m_pwgtButton = nullptr;
std::string m_strTip;

void hedOnFieldChanged(GtkEditable*, gpointer pDialog);
gboolean hedOnFieldFocusIn(GtkWidget* pwgt, GdkEventFocus*, gpointer pTable);

std::string columnName(_hedColumn nColumn)
{
    switch (nColumn) {
    case HED_OAT:
        return "temperature";
    case HED_WEIGHT:
        return "weight";
    default:
        return "pressure altitude";
    }
}

void addRow(_hedDialog* pd, _hedTable* pt, const std::array<double, HED_COLUMNS>& old)
{
    _hedRow r = {{gtk_entry_new(), gtk_entry_new(), gtk_entry_new()}, old};
    const int nRow = static_cast<int>(pt->rows.size()) + 1;
    for (int c = 0; c < HED_COLUMNS; c++) {
        GtkWidget* pwgt = r.fields[c];
        gtk_entry_set_width_chars(GTK_ENTRY(pwgt), 9);
        gtk_entry_set_alignment(GTK_ENTRY(pwgt), 1);
        if (!std::isnan(old[c]))
            mscShowNumber(pwgt, "%g", c == HED_WEIGHT ? unitToShown(KIND_WEIGHT, old[c], m_wbSetup) : old[c]);
        g_signal_connect(pwgt, "changed", G_CALLBACK(hedOnFieldChanged), pd);
        g_signal_connect(pwgt, "focus-in-event", G_CALLBACK(hedOnFieldFocusIn), pt);
        gtk_grid_attach(pt->pgrid, pwgt, c, nRow, 1, 1);
        gtk_widget_show(pwgt);
    }
    pt->rows.push_back(r);
}

void clearRows(_hedTable* pt)
{
    while (!pt->rows.empty()) {
        gtk_grid_remove_row(pt->pgrid, static_cast<int>(pt->rows.size()));
        pt->rows.pop_back();
    }
    pt->nCurrent = -1;
}

void showChart(_hedDialog* pd, _hedTable* pt, const _hovChart& chart)
{
    clearRows(pt);
    for (const _hovLine& line : chart.lines)
        for (const _hovPoint& p : line.points)
            addRow(pd, pt, {line.nTemperature, p.nWeight, p.nCeiling});
}

// What a value of a column can be, in the words of its check.
std::string readRange(_hedColumn nColumn)
{
    switch (nColumn) {
    case HED_OAT:
        return "a temperature from " + txtFixed(HOV_LEAST_OAT, 0) + " to +" + txtFixed(HOV_MOST_OAT, 0) + " \u00b0C";
    case HED_WEIGHT:
        return "a weight above 0 and up to " + txtAmount(KIND_WEIGHT, HOV_MOST_WEIGHT, m_wbSetup, 0);
    default:
        return "a pressure altitude from " + txtFixed(HOV_LEAST_CEILING, 0) + " to " + txtFixed(HOV_MOST_CEILING, 0) +
               " ft";
    }
}

// A field's value in °C, kg or ft; "" or why it is none.
std::string readField(const _hedRow& r, _hedColumn nColumn, double* pn)
{
    GtkWidget* pwgt = r.fields[nColumn];
    *pn = r.old[nColumn];
    if (!std::isnan(*pn) && !mscEntryEdited(pwgt))
        return "";
    const std::string strText = gtk_entry_get_text(GTK_ENTRY(pwgt));
    if (strText.find_first_not_of(" \t") == std::string::npos)
        return "no " + columnName(nColumn) + " is typed: type " + readRange(nColumn);
    const _mscReading v = mscReadNumber(strText.c_str());
    *pn = nColumn == HED_WEIGHT ? unitToInternal(KIND_WEIGHT, v.nValue, m_wbSetup) : v.nValue;
    if (!v.strProblem.empty() || !std::isfinite(*pn))
        return "the " + columnName(nColumn) + " \u201c" + mscOneLine(strText, 20) + "\u201d is not a number" +
               (v.strProblem.empty() ? "" : " (" + v.strProblem + ")");
    const bool bPossible = nColumn == HED_OAT      ? *pn >= HOV_LEAST_OAT && *pn <= HOV_MOST_OAT
                           : nColumn == HED_WEIGHT ? *pn > 0 && *pn <= HOV_MOST_WEIGHT
                                                   : *pn >= HOV_LEAST_CEILING && *pn <= HOV_MOST_CEILING;
    if (!bPossible)
        return "no chart has a " + columnName(nColumn) + " of " + mscOneLine(strText, 20) + ": type " +
               readRange(nColumn);
    return "";
}

// The chart as the table's rows read, its lines in the order of their first
// rows; "" or why it cannot be kept, every field at fault flagged. A row
// left blank is none.
std::string readTable(_hedTable* pt)
{
    pt->typed = {};
    std::string strWhy;
    for (size_t n = 0; n < pt->rows.size(); n++) {
        const _hedRow& r = pt->rows[n];
        bool bBlank = true;
        for (GtkWidget* pwgt : r.fields) {
            mscFlagEntry(pwgt, "");
            bBlank = bBlank && !*gtk_entry_get_text(GTK_ENTRY(pwgt));
        }
        if (bBlank)
            continue;
        std::array<double, HED_COLUMNS> values{};
        bool bRead = true;
        for (int c = 0; c < HED_COLUMNS; c++)
            if (const std::string strBad = readField(r, _hedColumn(c), &values[c]); !strBad.empty()) {
                const std::string strSaid =
                    std::string(CHART_NAMES[pt->nEffect]) + ", row " + std::to_string(n + 1) + ": " + strBad;
                mscFlagEntry(r.fields[c], strSaid);
                if (strWhy.empty())
                    strWhy = strSaid;
                bRead = false;
            }
        if (!bRead)
            continue;
        auto it = std::find_if(pt->typed.lines.begin(), pt->typed.lines.end(),
                               [&](const _hovLine& l) { return l.nTemperature == values[HED_OAT]; });
        if (it == pt->typed.lines.end())
            it = pt->typed.lines.insert(it, {values[HED_OAT], {}});
        it->points.push_back({values[HED_WEIGHT], values[HED_CEILING]});
    }
    if (strWhy.empty() && !pt->typed.lines.empty())
        if (const std::string strBad = hovChartWhy(pt->typed); !strBad.empty())
            strWhy = std::string(CHART_NAMES[pt->nEffect]) + ": " + strBad;
    return strWhy;
}

// Both charts as typed, each drawing redrawn; "" or why they cannot be kept.
std::string readAll(_hedDialog* pd, _hovCharts* pCharts)
{
    std::string strWhy;
    for (_hedTable& t : pd->tables) {
        const std::string strBad = readTable(&t);
        if (strWhy.empty())
            strWhy = strBad;
        (*pCharts)[t.nEffect] = t.typed;
        gtk_widget_queue_draw(t.pwgtDrawing);
    }
    return strWhy;
}

void say(_hedDialog* pd, const std::string& strText)
{
    std::string str = strText;
    if (!str.empty()) {
        str[0] = g_ascii_toupper(str[0]);
        if (str.back() != '.')
            str += '.';
    }
    gtk_label_set_text(GTK_LABEL(pd->pwgtProblem), str.c_str());
}

void hedOnFieldChanged(GtkEditable*, gpointer pDialog)
{
    auto* pd = static_cast<_hedDialog*>(pDialog);
    _hovCharts charts;
    say(pd, readAll(pd, &charts));
}

gboolean hedOnFieldFocusIn(GtkWidget* pwgt, GdkEventFocus*, gpointer pTable)
{
    auto* pt = static_cast<_hedTable*>(pTable);
    for (size_t n = 0; n < pt->rows.size(); n++)
        if (std::find(pt->rows[n].fields.begin(), pt->rows[n].fields.end(), pwgt) != pt->rows[n].fields.end())
            pt->nCurrent = static_cast<int>(n);
    return FALSE;
}

_hedTable* tableOf(GtkWidget* pwgtButton, _hedDialog* pd)
{
    return &pd->tables[GPOINTER_TO_INT(g_object_get_data(G_OBJECT(pwgtButton), "chart"))];
}

void hedOnAddRowClicked(GtkButton* pbtn, gpointer pDialog)
{
    auto* pd = static_cast<_hedDialog*>(pDialog);
    _hedTable* pt = tableOf(GTK_WIDGET(pbtn), pd);
    addRow(pd, pt, {NONE, NONE, NONE});
    gtk_widget_grab_focus(pt->rows.back().fields[HED_OAT]);
}

// Takes out the row last typed in, or the last.
void hedOnRemoveRowClicked(GtkButton* pbtn, gpointer pDialog)
{
    auto* pd = static_cast<_hedDialog*>(pDialog);
    _hedTable* pt = tableOf(GTK_WIDGET(pbtn), pd);
    if (pt->rows.empty())
        return;
    const int n = pt->nCurrent >= 0 && pt->nCurrent < static_cast<int>(pt->rows.size())
                      ? pt->nCurrent
                      : static_cast<int>(pt->rows.size()) - 1;
    gtk_grid_remove_row(pt->pgrid, n + 1);
    pt->rows.erase(pt->rows.begin() + n);
    pt->nCurrent = -1;
    hedOnFieldChanged(nullptr, pd);
}

// A CSV file's path chosen over the dialog, or "" where none is.
std::string chooseFile(_hedDialog* pd, GtkFileChooserAction nAction)
{
    const bool bOpen = nAction == GTK_FILE_CHOOSER_ACTION_OPEN;
    GtkWidget* pdlg = gtk_file_chooser_dialog_new(bOpen ? "Import hover charts" : "Export hover charts",
                                                  GTK_WINDOW(pd->pdlg), nAction, "_Cancel", GTK_RESPONSE_CANCEL,
                                                  bOpen ? "_Import" : "_Export", GTK_RESPONSE_ACCEPT, nullptr);
    gtk_file_chooser_set_do_overwrite_confirmation(GTK_FILE_CHOOSER(pdlg), TRUE);
    // Return takes the file typed or picked, as a pilot expects.
    gtk_dialog_set_default_response(GTK_DIALOG(pdlg), GTK_RESPONSE_ACCEPT);
    if (!bOpen)
        gtk_file_chooser_set_current_name(GTK_FILE_CHOOSER(pdlg), "hover-charts.csv");
    std::string strPath;
    if (gtk_dialog_run(GTK_DIALOG(pdlg)) == GTK_RESPONSE_ACCEPT) {
        g_autofree gchar* pszPath = gtk_file_chooser_get_filename(GTK_FILE_CHOOSER(pdlg));
        strPath = pszPath ? pszPath : "";
    }
    gtk_widget_destroy(pdlg);
    return strPath;
}

// The tables of the charts a CSV file holds replaced by them, a chart it
// does not hold left as typed; a file refused replaces nothing, and the
// dialog says why.
void hedOnImportClicked(GtkButton*, gpointer pDialog)
{
    auto* pd = static_cast<_hedDialog*>(pDialog);
    const std::string strPath = chooseFile(pd, GTK_FILE_CHOOSER_ACTION_OPEN);
    if (strPath.empty())
        return;
    constexpr gsize MOST_BYTES = 1 << 20;
    g_autofree gchar* pszText = nullptr;
    gsize nBytes = 0;
    g_autoptr(GError) perr = nullptr;
    g_autofree gchar* pszName = g_filename_display_basename(strPath.c_str());
    std::string strWhy;
    _hovCharts charts{};
    if (!g_file_get_contents(strPath.c_str(), &pszText, &nBytes, &perr))
        strWhy = perr->message;
    else if (nBytes > MOST_BYTES || std::strlen(pszText) != nBytes)
        strWhy = "it is no chart's text";
    else if (hovReadCsv(pszText, &charts, &strWhy) && charts[HOV_IGE].lines.empty() && charts[HOV_OGE].lines.empty())
        strWhy = "it holds no chart's row";
    if (!strWhy.empty()) {
        say(pd, "Nothing imported from \u2068" + mscOneLine(pszName, 60) + "\u2069: " + strWhy +
                    ". The tables are as they were");
        return;
    }
    for (_hedTable& t : pd->tables)
        if (!charts[t.nEffect].lines.empty())
            showChart(pd, &t, charts[t.nEffect]);
    hedOnFieldChanged(nullptr, pd);
}

void hedOnExportClicked(GtkButton*, gpointer pDialog)
{
    auto* pd = static_cast<_hedDialog*>(pDialog);
    _hovCharts charts{};
    if (const std::string strWhy = readAll(pd, &charts); !strWhy.empty()) {
        say(pd, "Nothing exported: " + strWhy);
        return;
    }
    const std::string strPath = chooseFile(pd, GTK_FILE_CHOOSER_ACTION_SAVE);
    if (strPath.empty())
        return;
    g_autoptr(GError) perr = nullptr;
    const std::string strText = hovCsvText(charts);
    if (!g_file_set_contents(strPath.c_str(), strText.c_str(), static_cast<gssize>(strText.size()), &perr))
        say(pd, std::string("Nothing exported: ") + perr->message);
}

gboolean hedOnDraw(GtkWidget* pwgt, cairo_t* cr, gpointer pTable)
{
    hedDraw(cr, gtk_widget_get_allocated_width(pwgt), gtk_widget_get_allocated_height(pwgt),
            static_cast<_hedTable*>(pTable)->typed, m_wbSetup);
    return TRUE;
}

// A chart's frame: its table with Add row and Remove row, its drawing beside.
GtkWidget* makeChart(_hedDialog* pd, _hovEffect nEffect)
{
    _hedTable& t = pd->tables[nEffect];
    t = {nEffect, GTK_GRID(gtk_grid_new()), gtk_drawing_area_new(), {}, -1, {}};
    gtk_widget_set_name(GTK_WIDGET(t.pgrid), (std::string("Hover") + CHART_IDS[nEffect]).c_str());
    gtk_grid_set_row_spacing(t.pgrid, 4);
    gtk_grid_set_column_spacing(t.pgrid, 6);
    const std::string strWeight = "Weight (" + unitLabel(KIND_WEIGHT, m_wbSetup) + ")";
    int nCol = 0;
    for (const char* psz : {"Temperature (\u00b0C)", strWeight.c_str(), "Pressure altitude (ft)"})
        gtk_grid_attach(t.pgrid, gtk_label_new(psz), nCol++, 0, 1, 1);
    GtkWidget* pwgtScroll = gtk_scrolled_window_new(nullptr, nullptr);
    gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(pwgtScroll), GTK_POLICY_NEVER, GTK_POLICY_AUTOMATIC);
    gtk_scrolled_window_set_min_content_height(GTK_SCROLLED_WINDOW(pwgtScroll), DRAWING_HEIGHT - 40);
    gtk_container_add(GTK_CONTAINER(pwgtScroll), GTK_WIDGET(t.pgrid));
    GtkWidget* pwgtButtons = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 6);
    for (auto [pszLabel, pszName, pfunc] :
         {std::tuple{"_Add row", "HoverAddRow", G_CALLBACK(hedOnAddRowClicked)},
          std::tuple{"_Remove row", "HoverRemoveRow", G_CALLBACK(hedOnRemoveRowClicked)}}) {
        GtkWidget* pwgt = gtk_button_new_with_mnemonic(pszLabel);
        gtk_widget_set_name(pwgt, (pszName + std::string(CHART_IDS[nEffect])).c_str());
        g_object_set_data(G_OBJECT(pwgt), "chart", GINT_TO_POINTER(nEffect));
        g_signal_connect(pwgt, "clicked", pfunc, pd);
        gtk_box_pack_start(GTK_BOX(pwgtButtons), pwgt, FALSE, FALSE, 0);
    }
    GtkWidget* pwgtTable = gtk_box_new(GTK_ORIENTATION_VERTICAL, 6);
    gtk_box_pack_start(GTK_BOX(pwgtTable), pwgtScroll, TRUE, TRUE, 0);
    gtk_box_pack_start(GTK_BOX(pwgtTable), pwgtButtons, FALSE, FALSE, 0);
    gtk_widget_set_size_request(t.pwgtDrawing, DRAWING_WIDTH, DRAWING_HEIGHT);
    gtk_widget_set_name(t.pwgtDrawing, (std::string("HoverDrawing") + CHART_IDS[nEffect]).c_str());
    g_signal_connect(t.pwgtDrawing, "draw", G_CALLBACK(hedOnDraw), &t);
    GtkWidget* pwgtBox = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 12);
    gtk_container_set_border_width(GTK_CONTAINER(pwgtBox), 6);
    gtk_box_pack_start(GTK_BOX(pwgtBox), pwgtTable, TRUE, TRUE, 0);
    gtk_box_pack_start(GTK_BOX(pwgtBox), t.pwgtDrawing, FALSE, FALSE, 0);
    GtkWidget* pwgtFrame = gtk_frame_new(nullptr);
    GtkWidget* pwgtTitle = gtk_label_new(nullptr);
    g_autofree gchar* pszTitle = g_markup_printf_escaped("<b>%s</b>", CHART_NAMES[nEffect]);
    gtk_label_set_markup(GTK_LABEL(pwgtTitle), pszTitle);
    gtk_frame_set_label_widget(GTK_FRAME(pwgtFrame), pwgtTitle);
    gtk_frame_set_shadow_type(GTK_FRAME(pwgtFrame), GTK_SHADOW_NONE);
    gtk_container_add(GTK_CONTAINER(pwgtFrame), pwgtBox);
    return pwgtFrame;
}

// The amendments as the question shows them: a few lines, then how many
// more.
std::string changeText(const std::vector<_prmAmendment>& changes)
{
    constexpr size_t MOST_SHOWN = 4;
    std::string str;
    for (size_t n = 0; n < changes.size() && n < MOST_SHOWN; n++)
        str += (n ? "\n" : "") + amdChange(changes[n].strFigure, changes[n].strOld, changes[n].strNew);
    if (changes.size() > MOST_SHOWN)
        str += "\nand " + std::to_string(changes.size() - MOST_SHOWN) + " more lines";
    return str;
}

void runDialog(GtkWindow* pwinParent)
{
    _hedDialog d = {gtk_dialog_new_with_buttons("Hover charts", pwinParent, GTK_DIALOG_MODAL, "_Cancel",
                                                GTK_RESPONSE_CANCEL, "_Save", GTK_RESPONSE_OK, nullptr),
                    {},
                    gtk_label_new("")};
    gtk_widget_set_name(d.pdlg, "HoverChartsDialog");
    GtkWidget* pbox = gtk_box_new(GTK_ORIENTATION_VERTICAL, 6);
    gtk_container_set_border_width(GTK_CONTAINER(pbox), 6);
    GtkWidget* pwgtAbout = gtk_label_new("Type the points of each chart as the aircraft's flight manual draws them: "
                                         "a row a point, the rows of one temperature making its line. The drawing "
                                         "shows the chart as typed, to hold against the manual's.");
    gtk_label_set_line_wrap(GTK_LABEL(pwgtAbout), TRUE);
    gtk_label_set_max_width_chars(GTK_LABEL(pwgtAbout), 100);
    gtk_label_set_xalign(GTK_LABEL(pwgtAbout), 0);
    gtk_box_pack_start(GTK_BOX(pbox), pwgtAbout, FALSE, FALSE, 0);
    for (int e = 0; e < HOV_EFFECTS; e++)
        gtk_box_pack_start(GTK_BOX(pbox), makeChart(&d, _hovEffect(e)), TRUE, TRUE, 0);
    GtkWidget* pwgtFiles = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 6);
    for (auto [pszLabel, pszName, pfunc, pszTip] :
         {std::tuple{"_Import CSV\u2026", "HoverImport", G_CALLBACK(hedOnImportClicked),
                     "Replace both tables with the charts of a CSV file: columns chart (IGE or OGE), temperature "
                     "[\u00b0C], weight [kg] or [lb], pressure altitude [ft] or [m]"},
          std::tuple{"E_xport CSV\u2026", "HoverExport", G_CALLBACK(hedOnExportClicked),
                     "Write both charts as typed to a CSV file, in kg, \u00b0C and ft"}}) {
        GtkWidget* pwgt = gtk_button_new_with_mnemonic(pszLabel);
        gtk_widget_set_name(pwgt, pszName);
        gtk_widget_set_tooltip_text(pwgt, pszTip);
        g_signal_connect(pwgt, "clicked", pfunc, &d);
        gtk_box_pack_start(GTK_BOX(pwgtFiles), pwgt, FALSE, FALSE, 0);
    }
    gtk_box_pack_start(GTK_BOX(pbox), pwgtFiles, FALSE, FALSE, 0);
    gtk_widget_set_name(d.pwgtProblem, "HoverProblem");
    gtk_label_set_line_wrap(GTK_LABEL(d.pwgtProblem), TRUE);
    gtk_label_set_max_width_chars(GTK_LABEL(d.pwgtProblem), 100);
    gtk_label_set_xalign(GTK_LABEL(d.pwgtProblem), 0);
    gtk_style_context_add_class(gtk_widget_get_style_context(d.pwgtProblem), GTK_STYLE_CLASS_ERROR);
    gtk_box_pack_start(GTK_BOX(pbox), d.pwgtProblem, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(gtk_dialog_get_content_area(GTK_DIALOG(d.pdlg))), pbox, TRUE, TRUE, 0);
    for (_hedTable& t : d.tables)
        showChart(&d, &t, m_wbSetup.hover[t.nEffect]);
    gtk_widget_show_all(d.pdlg);
    hedOnFieldChanged(nullptr, &d);
    while (gtk_dialog_run(GTK_DIALOG(d.pdlg)) == GTK_RESPONSE_OK) {
        _hovCharts charts{};
        if (const std::string strWhy = readAll(&d, &charts); !strWhy.empty()) {
            say(&d, strWhy);
            continue;
        }
        const std::vector<_prmAmendment> changes = figHoverAmendments(m_wbSetup.hover, charts);
        if (changes.empty())
            break;
        std::string strReason;
        if (figUnderControl()) {
            const std::optional<std::string> reason =
                amdAskReason(d.pdlg, "Amend the weighing record?", changeText(changes), amdWhose());
            if (!reason)
                continue;
            strReason = *reason;
        }
        if (figAmendHover(charts, strReason))
            break;
        say(&d, "The charts are not kept: the window's red bar says why");
    }
    gtk_widget_destroy(d.pdlg);
}

void hedOnHoverChartsClicked(GtkButton* pbtn, gpointer)
{
    GtkWidget* pwinMain = gtk_widget_get_toplevel(GTK_WIDGET(pbtn));
    runDialog(GTK_IS_WINDOW(pwinMain) ? GTK_WINDOW(pwinMain) : nullptr);
}

void hedOnButtonDestroy(GtkWidget* pwgt, gpointer)
{
    if (pwgt == m_pwgtButton)
        m_pwgtButton = nullptr;
}

// A round step of an axis spanning nSpan in about five: 1, 2, 2.5 or 5
// times a power of ten.
double roundStep(double nSpan)
{
    const double nRaw = nSpan / 5;
    const double nPower = std::pow(10, std::floor(std::log10(nRaw)));
    for (double nFactor : {1.0, 2.0, 2.5, 5.0})
        if (nRaw <= nFactor * nPower * (1 + 1e-9))
            return nFactor * nPower;
    return 10 * nPower;
}

// An axis: from a round number at or below nLeast to one at or above nMost.
struct _hedAxis {
    double nFrom, nTo, nStep;
};

_hedAxis roundAxis(double nLeast, double nMost)
{
    if (nMost - nLeast < 1e-9) {
        nLeast -= 1;
        nMost += 1;
    }
    const double nStep = roundStep(nMost - nLeast);
    return {std::floor(nLeast / nStep + 1e-9) * nStep, std::ceil(nMost / nStep - 1e-9) * nStep, nStep};
}

// An axis's steps: a handful. A step below half the spacing of doubles
// there (a chart of 1e18 kg held to be corrected) would never reach the
// axis's end, and no number has none.
int stepsOf(const _hedAxis& a)
{
    const double n = std::round((a.nTo - a.nFrom) / a.nStep);
    return std::isfinite(n) && n >= 0 && n <= 100 ? static_cast<int>(n) : -1;
}

void showText(cairo_t* cr, const std::string& str, double x, double y, double nAlignX, double nAlignY)
{
    cairo_text_extents_t ext;
    cairo_text_extents(cr, str.c_str(), &ext);
    cairo_move_to(cr, x - ext.x_advance * nAlignX, y + ext.height * nAlignY);
    cairo_show_text(cr, str.c_str());
}

} // namespace

void hedDraw(cairo_t* cr, int nWidth, int nHeight, const _hovChart& chart, const _wbSetup& units)
{
    // Lines told apart as the manual's are, by colour.
    constexpr std::array<std::array<double, 3>, 6> COLOURS = {{{0.0, 0.30, 0.80},
                                                               {0.80, 0.10, 0.10},
                                                               {0.0, 0.55, 0.20},
                                                               {0.60, 0.20, 0.70},
                                                               {0.85, 0.45, 0.0},
                                                               {0.0, 0.55, 0.6}}};
    cairo_save(cr);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    cairo_select_font_face(cr, "Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, 11);
    const double x0 = HED_LEFT, y0 = HED_TOP, w = nWidth - HED_LEFT - HED_RIGHT, h = nHeight - HED_TOP - HED_BOTTOM;
    double nLeastX = HUGE_VAL, nMostX = -HUGE_VAL, nLeastY = HUGE_VAL, nMostY = -HUGE_VAL;
    for (const _hovLine& l : chart.lines)
        for (const _hovPoint& p : l.points) {
            const double x = unitToShown(KIND_WEIGHT, p.nWeight, units);
            nLeastX = std::min(nLeastX, x);
            nMostX = std::max(nMostX, x);
            nLeastY = std::min(nLeastY, p.nCeiling);
            nMostY = std::max(nMostY, p.nCeiling);
        }
    const bool bAny = nLeastX <= nMostX;
    const _hedAxis ax = bAny ? roundAxis(nLeastX, nMostX) : _hedAxis{0, 1, 1};
    const _hedAxis ay = bAny ? roundAxis(nLeastY, nMostY) : _hedAxis{0, 1, 1};
    auto px = [&](double x) { return x0 + (x - ax.nFrom) / (ax.nTo - ax.nFrom) * w; };
    auto py = [&](double y) { return y0 + h - (y - ay.nFrom) / (ay.nTo - ay.nFrom) * h; };
    cairo_set_line_width(cr, 1);
    if (bAny) {
        for (int k = 0; k <= stepsOf(ax); k++) {
            const double x = ax.nFrom + k * ax.nStep;
            cairo_set_source_rgb(cr, 0.85, 0.85, 0.85);
            cairo_move_to(cr, std::round(px(x)) + 0.5, y0);
            cairo_line_to(cr, std::round(px(x)) + 0.5, y0 + h);
            cairo_stroke(cr);
            cairo_set_source_rgb(cr, 0, 0, 0);
            showText(cr, mscFormatNumber("%g", x), px(x), y0 + h + 6, 0.5, 1);
        }
        for (int k = 0; k <= stepsOf(ay); k++) {
            const double y = ay.nFrom + k * ay.nStep;
            cairo_set_source_rgb(cr, 0.85, 0.85, 0.85);
            cairo_move_to(cr, x0, std::round(py(y)) + 0.5);
            cairo_line_to(cr, x0 + w, std::round(py(y)) + 0.5);
            cairo_stroke(cr);
            cairo_set_source_rgb(cr, 0, 0, 0);
            showText(cr, mscFormatNumber("%g", y), x0 - 5, py(y), 1, 0.5);
        }
    }
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_rectangle(cr, x0 + 0.5, y0 + 0.5, w - 1, h - 1);
    cairo_stroke(cr);
    showText(cr, "Gross weight (" + unitLabel(KIND_WEIGHT, units) + ")", x0 + w / 2, nHeight - 8, 0.5, 0);
    cairo_save(cr);
    cairo_translate(cr, 14, y0 + h / 2);
    cairo_rotate(cr, -M_PI / 2);
    showText(cr, "Pressure altitude (ft)", 0, 0, 0.5, 0);
    cairo_restore(cr);
    if (!bAny) {
        showText(cr, "No point yet", x0 + w / 2, y0 + h / 2, 0.5, 0.5);
        cairo_restore(cr);
        return;
    }
    for (size_t n = 0; n < chart.lines.size(); n++) {
        const _hovLine& l = chart.lines[n];
        const auto& c = COLOURS[n % COLOURS.size()];
        cairo_set_source_rgb(cr, c[0], c[1], c[2]);
        cairo_set_line_width(cr, 2);
        cairo_new_path(cr);
        for (const _hovPoint& p : l.points)
            cairo_line_to(cr, px(unitToShown(KIND_WEIGHT, p.nWeight, units)), py(p.nCeiling));
        cairo_stroke(cr);
        for (const _hovPoint& p : l.points) {
            cairo_arc(cr, px(unitToShown(KIND_WEIGHT, p.nWeight, units)), py(p.nCeiling), 3, 0, 2 * M_PI);
            cairo_fill(cr);
        }
        // Its temperature where the line starts, at its lightest weight.
        const auto itFirst =
            std::min_element(l.points.begin(), l.points.end(),
                             [](const _hovPoint& a, const _hovPoint& b) { return a.nWeight < b.nWeight; });
        if (itFirst != l.points.end())
            showText(cr, mscFormatNumber("%g", l.nTemperature) + " \u00b0C",
                     px(unitToShown(KIND_WEIGHT, itFirst->nWeight, units)) + 5, py(itFirst->nCeiling) - 6, 0, 0);
    }
    cairo_restore(cr);
}

void hedBind(GtkBuilder* pBuilder)
{
    m_pwgtButton = mscLookUp(pBuilder, "HoverCharts");
    if (!GTK_IS_BUTTON(m_pwgtButton)) {
        m_pwgtButton = nullptr;
        return;
    }
    g_autofree gchar* pszTip = gtk_widget_get_tooltip_text(m_pwgtButton);
    m_strTip = pszTip ? pszTip : "";
    g_signal_connect(m_pwgtButton, "clicked", G_CALLBACK(hedOnHoverChartsClicked), nullptr);
    g_signal_connect(m_pwgtButton, "destroy", G_CALLBACK(hedOnButtonDestroy), nullptr);
    hedShow();
}

void hedShow(void)
{
    if (!m_pwgtButton)
        return;
    const bool bPublished = figPublishedHere();
    gtk_widget_set_sensitive(m_pwgtButton, !bPublished);
    gtk_widget_set_tooltip_text(m_pwgtButton, bPublished ? "The school publishes this aircraft's hover charts with its "
                                                           "figures: they are changed where they are published"
                                                         : m_strTip.c_str());
}
