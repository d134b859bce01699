// The load sheet, laid out on one A4 or Letter page with Pango and cairo:
// the aircraft and the people, the setup and the loading with every limit
// used, the result table as on screen, the take-off and zero-fuel points
// with the verdict in words (so a black-and-white copy carries it), the
// chart drawn by its own renderer, and the commander's acceptance. A flight
// of several legs has its first leg's loading and table, a line for each
// leg and the whole flight's verdict, on the same one page. Where the
// aircraft has hover charts and the sites their conditions, each take-off
// and landing's hover under its leg, and the charts' revision. Every
// text is given a width inside the margins: the pilot's own texts are one
// line each, ellipsized and isolated for direction; the rest wraps.
#include "ui/sheet.h"

#include "model/date.h"
#include "model/fuel.h"
#include "model/texts.h"
#include "model/words.h"
#include "store/conf/params.h"
#include "store/conf/state.h"
#include "store/conf/stored.h"
#include "store/flight/legs.h"
#include "store/school/school.h"
#include "sys/sign.h"
#include "ui/pagWBChart.h"
#include "ui/pagWBPage.h"
#include "ui/seats.h"

#include <pango/pangocairo.h>

#include <algorithm>
#include <array>
#include <cairo-pdf.h>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace
{

constexpr double MARGIN = 36; // points: half an inch, 12.7 mm
constexpr size_t MAX_USER_CHARS = REC_USER_CHARS;
constexpr double CHART_DRAWN_SIZE = 460; // the chart's square as the window first draws it
// The legs' lines of a flight of several, in the largest of these fonts
// that leaves the chart a square this large; else the smallest.
constexpr std::array<const char*, 3> LEG_FONTS = {"sans 8", "sans 7", "sans 6"};
constexpr double LEG_CHART_ROOM = 160;
// The whole flight's verdict above the acceptance, and the acceptance's
// room.
constexpr const char* FOOT_VERDICT_FONT = "sans bold 9";
constexpr double ACCEPT_ROOM = 2 * 14;
// The acceptances signed, each with its key's whole digest.
constexpr const char* ACCEPTED_FONT = "sans 9";

enum _shtFit { FIT_WRAP, FIT_ONE_LINE };

// Text laid out for pCr within nWidth points, wrapped or on one line cut
// with an ellipsis.
PangoLayout* newLayout(cairo_t* pCr, double nWidth, const std::string& strText, const char* pszFont, _shtFit nFit,
                       PangoAlignment nAlign)
{
    PangoLayout* ppngLayout = pango_cairo_create_layout(pCr);
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
    pango_layout_set_text(ppngLayout, shtBindUnits(strText).c_str(), -1);
    return ppngLayout;
}

double layoutHeight(PangoLayout* ppngLayout)
{
    int nW = 0, nH = 0;
    pango_layout_get_size(ppngLayout, &nW, &nH);
    return static_cast<double>(nH) / PANGO_SCALE;
}

// Writes text at (nX, nY) within nWidth points, wrapped or on one line cut
// with an ellipsis; returns the height it took.
double text(cairo_t* pCr, double nX, double nY, double nWidth, const std::string& strText, const char* pszFont,
            _shtFit nFit = FIT_WRAP, PangoAlignment nAlign = PANGO_ALIGN_LEFT)
{
    g_autoptr(PangoLayout) ppngLayout = newLayout(pCr, nWidth, strText, pszFont, nFit, nAlign);
    cairo_move_to(pCr, nX, nY);
    pango_cairo_show_layout(pCr, ppngLayout);
    return layoutHeight(ppngLayout);
}

// The height text would take, written as text writes it.
double textHeight(cairo_t* pCr, double nWidth, const std::string& strText, const char* pszFont)
{
    g_autoptr(PangoLayout) ppngLayout = newLayout(pCr, nWidth, strText, pszFont, FIT_WRAP, PANGO_ALIGN_LEFT);
    return layoutHeight(ppngLayout);
}

// What the pilot typed, on one line, bounded, and isolated for direction so
// that nothing in it can reorder what follows it; a dash for nothing.
std::string typed(const std::string& str)
{
    const std::string strLine = txtOneLine(str, MAX_USER_CHARS);
    return strLine.empty() ? "\u2013" : "\u2068" + strLine + "\u2069";
}

// A person or the flight, as typed; where nothing was, a line to write it
// in by hand before the sheet is signed.
std::string typedOrLine(const std::string& str)
{
    return txtOneLine(str, MAX_USER_CHARS).empty() ? std::string("____________________") : typed(str);
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
    // The items' row only where an item differs from the weighing.
    for (const _wbTableRow& r : flight.rows)
        if (&r != &flight.rows[ROW_EQUIPMENT] || flight.loading.items.nDiffering > 0)
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

// The page as the sheet is laid out on it: its margins and columns, and
// how far down the sheet has come.
struct _shtPage {
    cairo_t* pCr;
    double nLeft, nRight, nTextWidth, nHalf, nBottom;
    double y;
};

// The flight a sheet is of: every leg where it has several (none for one
// leg), the leg the loading and the table are of (the first), and the whole
// flight's judgement, which decides the acceptance.
struct _shtFlight {
    std::vector<_wbFlight> legs;
    _wbFlight detail;
    _wbLoadState detailLoad;
    bool bWithin;
    std::string strVerdict;
    // Each leg's need by the fuel rule (the one leg's for a flight of one).
    std::vector<_wbFuelNeed> needs;
    // The acceptances signed, one a line, where the flight is within.
    std::string strAccepted;
    // Each leg's take-off and landing judged for hover.
    std::vector<_hovLeg> hover{};
};

_shtFlight flightOf(const _wbFlight& flight)
{
    // A leg short of fuel leaves the flight with no acceptance, as one not
    // within.
    if (stateLegs().size() < 2) {
        _legVerdict v = legVerdict(m_wbSetup, {flight}, {stateLoad()});
        return {{}, flight, stateLoad(), v.bWithin, v.strVerdict, v.needs, "", std::move(v.hover)};
    }
    _shtFlight f = {legCalcAll(), {}, stateLegs().front(), true, "", {}, ""};
    f.detail = f.legs.front();
    _legVerdict v = legVerdict(m_wbSetup, f.legs, stateLegs());
    f.needs = v.needs;
    f.bWithin = v.bWithin;
    f.strVerdict = v.strVerdict;
    f.hover = std::move(v.hover);
    return f;
}

// A leg's fuel by the fuel rule, as a load sheet states it: "take-off
// fuel mass 45.5 kg, trip fuel mass 15.2 kg, final reserve 9.6 kg (20
// min)"; "" where no need is known.
std::string fuelMassesText(const _wbFuelNeed& need)
{
    if (!need.bKnown)
        return {};
    const double nDensity = unitFuelDensity(m_wbSetup);
    // The reserve is what must stay on board: it rounds up, as the need does.
    const std::string strReserve = txtRounded(unitToShown(KIND_WEIGHT, need.nReserve * nDensity, m_wbSetup),
                                              ROUND_LIMIT_LEAST, txtDecimals(KIND_WEIGHT)) +
                                   " " + unitSymbol(KIND_WEIGHT, m_wbSetup);
    return "take-off fuel mass " + weightIn(need.nOnBoard * nDensity) + ", trip fuel mass " +
           weightIn(need.nTrip * nDensity) + ", final reserve " + strReserve + " (" +
           txtNumber("%g", m_wbSetup.nReserveMinutes) + " min)";
}

// The lead of a flight of several legs' verdict, up to its first colon or
// semicolon ("NOT WITHIN LIMITS", "WITHIN LIMITS for every leg"), and where
// the whole of it is.
std::string verdictLead(const _shtFlight& flight)
{
    const std::string& str = flight.strVerdict;
    return str.substr(0, str.find_first_of(":;")) + " \u2013 " + std::to_string(flight.legs.size()) +
           " legs, judged at the foot";
}

// A seat of a leg in a few words: "left seat Anna 80.0 kg (commander)",
// "right seat empty".
std::string legSeat(const char* pszSeat, const char* pszSide, const std::string& strName, double nKg,
                    const std::string& strCommander)
{
    if (nKg == 0)
        return std::string(pszSeat) + " empty";
    const bool bNamed = !txtOneLine(strName, MAX_USER_CHARS).empty();
    // A saved person whose saved weight is not the seat's, said as for the
    // first leg's seats.
    const std::string strMark = bNamed ? seatSavedMark(strName, nKg) : "";
    return std::string(pszSeat) + " " + (bNamed ? typed(strName) + " " : "") + weightIn(nKg) +
           (strCommander == pszSide ? " (commander)" : "") + (strMark.empty() ? "" : " (" + strMark + ")");
}

// Leg n of a flight of several on a line of its own: its occupants, its
// fuel and trip, and its take-off and landing in figures and in words. The
// first leg's people are the sheet's, the others' as Zarv.conf keeps them.
std::string legLine(const _shtPeople& sheet, const _shtFlight& flight, const std::vector<std::string>& labels, size_t n)
{
    const _wbSetup& s = m_wbSetup;
    const _wbFlight& f = flight.legs[n];
    auto person = [&](_prmValueId nId, const std::string& strSheet) { return n == 0 ? strSheet : legText(n, nId); };
    const std::string strCommander = person(VAL_COMMANDER, sheet.strCommander);
    std::string str = "Leg " + std::to_string(n + 1) + (labels[n].empty() ? "" : " (" + labels[n] + ")") + ": " +
                      legSeat("left seat", "left", person(VAL_LSEAT_PERSON, sheet.strLeftOccupant),
                              f.loading.nLSeatWeight, strCommander) +
                      ", " +
                      legSeat("right seat", "right", person(VAL_RSEAT_PERSON, sheet.strRightOccupant),
                              f.loading.nRSeatWeight, strCommander) +
                      "; fuel " + fuelIn(f.nFuel) + " at take-off";
    if (n > 0) {
        // What the stop changed: nothing where the fuel is as landed.
        const double nTaken = f.nFuel - flight.legs[n - 1].nLandingFuel;
        str += stateLegs()[n].bFuelAsLanded ? " (as landed)"
               : nTaken >= 0                ? " (taken on at the stop: +" + fuelIn(nTaken) + ")"
                                            : " (drained at the stop: \u2212" + fuelIn(-nTaken) + ")";
    }
    str += f.bLanding ? ", trip " + fuelIn(f.nTrip) : ", no trip";
    if (const std::string strMasses = n < flight.needs.size() ? fuelMassesText(flight.needs[n]) : "";
        !strMasses.empty())
        str += "; " + strMasses + (flight.needs[n].isShort() ? ", NOT ENOUGH FUEL" : "");
    // What the leg carries that the pilot fits or takes off at the stop.
    const guint nBallast = f.loading.nBallastPosn;
    str += std::string("; ballast ") + (nBallast == BALLAST_FRONT  ? "front"
                                        : nBallast == BALLAST_REAR ? "rear"
                                                                   : "none");
    std::string strItems;
    for (const auto& [strName, strChange] : wrdItemChanges(s, stateLegs()[n].fitted))
        strItems += (strItems.empty() ? "; equipment: " : ", ") + typed(strName) + " " + strChange;
    str += strItems;
    for (const auto& [pszName, nPoint] : {std::pair{"take-off", POINT_TAKE_OFF}, std::pair{"landing", POINT_LANDING}}) {
        if (!f.hasPoint(nPoint))
            continue;
        // A point within says so and its caution, not its margins: the
        // flight's verdict gives the nearest of them all, and six legs fit.
        std::string strWords = wrdPointVerdictText(f, nPoint, s);
        if (const size_t nMargin = strWords.find("; centre of gravity "); nMargin != std::string::npos)
            strWords.erase(nMargin);
        // A point not within for hover never reads within.
        if (n < flight.hover.size())
            strWords =
                hovPointWords(strWords, nPoint == POINT_TAKE_OFF ? flight.hover[n].takeOff : flight.hover[n].landing,
                              s.nHoverOge != 0, s);
        str += std::string("; ") + pszName + ": " + strWords;
    }
    return str;
}

// Whether two sites' conditions are one: a take-off where the leg before
// landed is not said twice.
bool sameSite(const _hovSite& a, const _hovSite& b)
{
    return a.nElevation == b.nElevation && a.nQnh == b.nQnh && a.nOat == b.nOat;
}

// Leg n's take-off and landing for hover, where judged: the site's
// conditions whole (the page's line gives fewer), its pressure and density
// altitude, then each chart's figure and margin, so that the reading can be
// checked against the manual from the sheet alone. A flight of several legs
// has one entry a leg, and a take-off where the leg before landed does not
// state that site again, so that six legs still leave the chart its room.
std::vector<std::string> hoverLines(const _shtFlight& flight, size_t n)
{
    std::vector<std::string> lines;
    if (n >= flight.hover.size())
        return lines;
    for (const auto& [pAt, pszPoint] :
         {std::pair{&flight.hover[n].takeOff, "take-off"}, std::pair{&flight.hover[n].landing, "landing"}}) {
        const std::string strFigures = hovFiguresText(*pAt, m_wbSetup);
        if (strFigures.empty())
            continue;
        const bool bLanded = pAt == &flight.hover[n].takeOff && n > 0 && flight.hover[n - 1].landing.bShown &&
                             sameSite(pAt->site, flight.hover[n - 1].landing.site);
        const std::string str =
            pszPoint +
            (bLanded ? ", where leg " + std::to_string(n) + " landed: " : ": " + hovSiteText(*pAt) + " \u2014 ") +
            strFigures;
        if (flight.legs.empty())
            lines.push_back("Hover at " + str);
        else if (lines.empty())
            lines.push_back("Leg " + std::to_string(n + 1) + " hover at " + str);
        else
            lines.back() += ". At " + str;
    }
    return lines;
}

// Which charts the figures were read from, and what the operator's rule
// makes of out of ground effect; "" where nothing was judged for hover, so
// that a flight without charts or conditions prints as it always did.
std::string hoverChartsLine(const _shtFlight& flight)
{
    if (std::none_of(flight.hover.begin(), flight.hover.end(),
                     [](const _hovLeg& l) { return l.takeOff.bShown || l.landing.bShown; }))
        return {};
    return "Hover charts revision " + valHoverFingerprint(m_wbSetup.hover) +
           (m_wbSetup.nHoverOge != 0 ? "; the operator's rule asks to hover out of ground effect"
                                     : "; the operator's rule does not ask to hover out of ground effect: a "
                                       "shortfall there is a caution");
}

// Every leg's points in the pilot's units, a row for each leg: the weight
// and arms at take-off, at landing and with no fuel, so that each leg has
// its figures as leg 1's table has them in pounds and inches, and six legs
// still leave the chart its room. Drawn where bDraw, else only measured;
// returns its height.
double drawLegPoints(cairo_t* pCr, double nLeft, double y, double nTextWidth, const _shtFlight& flight,
                     const char* pszFont, bool bDraw)
{
    const _wbSetup& s = m_wbSetup;
    const double y0 = y, nFirst = nTextWidth / 10, nCol = (nTextWidth - nFirst) / 9;
    auto cell = [&](double x, double nWidth, const std::string& str, const char* pszCellFont, PangoAlignment nAlign) {
        return bDraw ? text(pCr, x, y, nWidth, str, pszCellFont, FIT_ONE_LINE, nAlign)
                     : textHeight(pCr, nWidth, str, pszCellFont);
    };
    auto colX = [&](size_t i) { return nLeft + nFirst + nCol * static_cast<double>(i); };
    // "sans 7" is "sans bold 7" in the headings.
    const std::string strBold = std::string(pszFont).replace(0, 4, "sans bold");
    constexpr std::array<std::pair<const char*, _wbFlightPoint>, POINT_COUNT> POINTS = {
        {{"Take-off", POINT_TAKE_OFF}, {"Landing", POINT_LANDING}, {"No fuel", POINT_NO_FUEL}}};
    double nRow = cell(nLeft, nFirst - 4, "Each leg", strBold.c_str(), PANGO_ALIGN_LEFT);
    for (size_t i = 0; i < POINTS.size(); i++)
        nRow = std::max(nRow, cell(colX(3 * i), 3 * nCol - 4, POINTS[i].first, strBold.c_str(), PANGO_ALIGN_CENTER));
    y += nRow;
    const std::array<std::string, 3> headings = {std::string("Weight (") + unitSymbol(KIND_WEIGHT, s) + ")",
                                                 std::string("Long. (") + unitSymbol(KIND_ARM, s) + ")",
                                                 std::string("Lat. (") + unitSymbol(KIND_ARM, s) + ")"};
    nRow = 0;
    for (size_t i = 0; i < 3 * POINTS.size(); i++)
        nRow = std::max(nRow, cell(colX(i), nCol - 4, headings[i % 3], strBold.c_str(), PANGO_ALIGN_RIGHT));
    y += nRow + 1;
    for (size_t n = 0; n < flight.legs.size(); n++) {
        const _wbFlight& f = flight.legs[n];
        nRow = cell(nLeft, nFirst - 4, "Leg " + std::to_string(n + 1), pszFont, PANGO_ALIGN_LEFT);
        for (size_t i = 0; i < POINTS.size(); i++) {
            const _wbPoint& p = f.points[POINTS[i].second];
            const std::array<std::pair<_unitKind, double>, 3> figures = {
                {{KIND_WEIGHT, p.nWeight}, {KIND_ARM, p.nLongArm}, {KIND_ARM, p.nLatArm}}};
            for (size_t k = 0; k < figures.size(); k++) {
                // No figures of a point the leg has not, or of a leg
                // calculated from a value that cannot be right, as its line
                // gives none.
                const auto [nKind, nValue] = figures[k];
                const std::string str = f.hasPoint(POINTS[i].second) && f.doubts.empty()
                                            ? txtFixed(unitToShown(nKind, nValue, s), txtDecimals(nKind))
                                            : "\u2013";
                nRow = std::max(nRow, cell(colX(3 * i + k), nCol - 4, str, pszFont, PANGO_ALIGN_RIGHT));
            }
        }
        y += nRow + 1;
    }
    return y - y0;
}

// A PDF's title names the aircraft and the time, as its file name does;
// its keywords hold the whole hash of its line in the record, which
// zarv --verify-record matches it with.
void setMetadata(cairo_t* pCr, const std::string& strPrinted, const std::string& strRecordHash)
{
    if (cairo_surface_t* psurf = cairo_get_target(pCr); cairo_surface_get_type(psurf) == CAIRO_SURFACE_TYPE_PDF) {
        const std::string strReg = txtWithoutDirection(txtOneLine(valGetText(VAL_REGISTRATION), MAX_USER_CHARS));
        const std::string strTitle =
            "Load sheet " + (strReg.empty() ? std::string("\u2013") : strReg) + " " + strPrinted;
        cairo_pdf_surface_set_metadata(psurf, CAIRO_PDF_METADATA_TITLE, strTitle.c_str());
        cairo_pdf_surface_set_metadata(psurf, CAIRO_PDF_METADATA_CREATOR, "Zarv " ZARV_VERSION);
        cairo_pdf_surface_set_metadata(psurf, CAIRO_PDF_METADATA_KEYWORDS, (REC_PDF_KEYWORD + strRecordHash).c_str());
    }
}

// The aircraft heads the sheet: its registration and weighing date, the
// weighing when due, the people and the flight.
void drawHead(_shtPage& page, const _shtPeople& sheet, time_t tPrinted, const std::string& strPrinted,
              const std::string& strRecordHash)
{
    cairo_t* pCr = page.pCr;
    const double nLeft = page.nLeft, nRight = page.nRight, nTextWidth = page.nTextWidth, nHalf = page.nHalf;
    double& y = page.y;
    // The aircraft heads the sheet: its registration and weighing date.
    // The version, and below the aircraft the figures it computed with, so
    // the sheet can be traced to both.
    // Its line in the record of load sheets is found by the hash printed.
    const std::string strMaker = "Zarv " ZARV_VERSION;
    const double nMaker = 150;
    const double nMakerHeight =
        text(pCr, nRight - nMaker, y, nMaker, strMaker, "sans 8", FIT_ONE_LINE, PANGO_ALIGN_RIGHT);
    text(pCr, nRight - nMaker, y + nMakerHeight, nMaker, "record " + strRecordHash.substr(0, REC_HASH_PRINTED),
         "monospace 8", FIT_ONE_LINE, PANGO_ALIGN_RIGHT);
    y += text(pCr, nLeft, y, nTextWidth - nMaker, "Weight and balance load sheet", "sans bold 16") + 4;
    const double nAircraft = nTextWidth * 0.6;
    const std::string strRegistration = valGetText(VAL_REGISTRATION);
    y += std::max(text(pCr, nLeft, y, nAircraft - 6,
                       "Aircraft " + (strRegistration.empty() ? "registration not set" : typed(strRegistration)),
                       "sans bold 12", FIT_ONE_LINE),
                  text(pCr, nLeft + nAircraft, y, nTextWidth - nAircraft, "weighed " + typed(valGetText(VAL_WEIGHED)),
                       "sans bold 12", FIT_ONE_LINE)) +
         4;
    // The fingerprint whole, as the school's office compares it: wrapped,
    // never cut.
    y += text(pCr, nLeft, y, nTextWidth, "figures " + valFingerprint(), "monospace 7") + 2;
    // Due as of the day it was printed.
    GDate today;
    g_date_clear(&today, 1);
    g_date_set_time_t(&today, tPrinted);
    const std::string strDue =
        dateWeighingDueText(dateWeighingDue(valGetText(VAL_WEIGHED), today, m_wbSetup.nWeighingMonths));
    if (!strDue.empty())
        y += text(pCr, nLeft, y, nTextWidth, strDue, "sans bold 10") + 2;
    // The school's aircraft: which of its revisions the sheet was made with.
    if (const std::string strPublished = schPublishedText(); !strPublished.empty()) {
        y += text(pCr, nLeft, y, nTextWidth, "Figures " + typed(strPublished), "sans 10", FIT_ONE_LINE) + 2;
        // The key they were checked with, whole, since a key of anyone's
        // making can bear the school's id; wrapped, never cut.
        if (const std::string strKey = prmGetKeyString(SCH_GROUP, SCH_KEY_KEY); !sgnKeyDigest(strKey).empty())
            y += text(pCr, nLeft, y, nTextWidth, "signed with the school's key SHA-256 " + sgnKeyDigest(strKey),
                      "monospace 7") +
                 2;
    }
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
}

// The fuel at the first take-off of a flight of several legs, in words.
std::string firstTakeOffText(const _shtFlight& flight)
{
    std::vector<_wbLegFuel> fuel;
    for (size_t n = 0; n < flight.legs.size(); n++)
        fuel.push_back({flight.legs[n].loading, flight.legs[n].nTrip, stateLegs()[n].bFuelAsLanded});
    // Figures that cannot be judged advise nothing, as on one leg.
    if (std::any_of(flight.legs.begin(), flight.legs.end(), [](const _wbFlight& f) { return !f.doubts.empty(); }))
        return "";
    return wrdFirstTakeOffText(fuelFirstTakeOff(m_wbSetup, fuel), m_wbSetup, fuel, flight.needs);
}

// The aircraft setup and the loading, in the pilot's units, each seat
// against its limit.
void drawSetupAndLoading(_shtPage& page, const _shtPeople& sheet, const _shtFlight& legs)
{
    const _wbFlight& flight = legs.detail;
    cairo_t* pCr = page.pCr;
    const double nLeft = page.nLeft, nTextWidth = page.nTextWidth, nHalf = page.nHalf;
    double& y = page.y;
    const _wbSetup& s = m_wbSetup;
    const _wbLoading& l = flight.loading;
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
    // The items that differ from the weighing, each as typed.
    std::string strItems;
    for (const auto& [strName, strChange] : wrdItemChanges(s, legs.detailLoad.fitted))
        strItems += (strItems.empty() ? "Equipment: " : "; ") + typed(strName) + " " + strChange;
    if (!strItems.empty())
        y += text(pCr, nLeft, y, nTextWidth, strItems, "sans 9") + 6;
    const char* pszBallast = l.nBallastPosn == BALLAST_FRONT  ? "front"
                             : l.nBallastPosn == BALLAST_REAR ? "rear"
                                                              : "none";
    y += text(pCr, nLeft, y, nTextWidth, legs.legs.empty() ? "Loading" : "Loading, leg 1", "sans bold 11") + 2;
    // Each seat's weight against its limit, and beside it its occupant by
    // name, the commander marked, and a saved person whose saved weight is
    // not the seat's said so.
    auto seat = [&](const char* pszSeat, const char* pszSide, const std::string& strOccupant, double nKg,
                    _wbLimit nLimit) {
        const std::string strMark = seatSavedMark(strOccupant, nKg);
        return std::pair{std::string(pszSeat) + " " + weightIn(nKg) + " (limit " + wrdLimitText(nLimit, s) + ")",
                         "occupant " + typed(strOccupant) + (sheet.strCommander == pszSide ? " (commander)" : "") +
                             (strMark.empty() ? "" : "; " + strMark)};
    };
    const std::array<std::pair<std::string, std::string>, 2> seats = {
        {seat("Left seat", "left", sheet.strLeftOccupant, l.nLSeatWeight, LIMIT_LSEAT),
         seat("Right seat", "right", sheet.strRightOccupant, l.nRSeatWeight, LIMIT_RSEAT)}};
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
    // A flight of one leg states its fuel by the fuel rule beneath.
    if (const _wbFuelNeed need = legs.legs.empty() && !legs.needs.empty() ? legs.needs.front() : _wbFuelNeed{};
        need.bKnown)
        y += text(pCr, nLeft, y, nTextWidth, "Fuel rule: " + fuelMassesText(need) + ". " + wrdFuelNeedText(need, s),
                  "sans 9") +
             6;

    // The advice the page gives, on one line each; for a flight of several
    // legs, the fuel at the first take-off that keeps them all within.
    const _wbFuelPlan plan = wrdFuelPlanOf(flight, s, true);
    std::string strAdvice =
        legs.legs.empty()
            ? wrdFuelAdviceText(flight, plan, s, true, legs.needs.empty() ? _wbFuelNeed{} : legs.needs.front())
            : firstTakeOffText(legs);
    std::replace(strAdvice.begin(), strAdvice.end(), '\n', ' ');
    if (const std::string strBallast = legs.legs.empty() ? wrdBallastAdviceText(flight, plan, s) : "";
        !strBallast.empty())
        strAdvice += (strAdvice.empty() ? "" : ". ") + strBallast;
    // Each leg of several where nothing flies: why, and what would.
    for (size_t n = 0; legs.legs.size() > 1 && n < legs.legs.size(); n++)
        if (std::string strWhy = wrdNothingFliesText(legs.legs[n], s); !strWhy.empty()) {
            std::replace(strWhy.begin(), strWhy.end(), '\n', ' ');
            strAdvice += (strAdvice.empty() ? "" : ". ") + std::string("Leg ") + std::to_string(n + 1) + ": " + strWhy;
        }
    if (!strAdvice.empty())
        y += text(pCr, nLeft, y, nTextWidth, "Fuel advice: " + strAdvice, "sans 9") + 6;
}

// The room the foot of the sheet takes: the acceptance, and above it the
// whole verdict of a flight of several legs.
double acceptRoom(cairo_t* pCr, double nTextWidth, const _shtFlight& legs)
{
    return legs.strAccepted.empty()
               ? ACCEPT_ROOM
               : std::max(ACCEPT_ROOM, textHeight(pCr, nTextWidth, legs.strAccepted, ACCEPTED_FONT));
}

double footHeight(cairo_t* pCr, double nTextWidth, const _shtFlight& legs)
{
    return acceptRoom(pCr, nTextWidth, legs) +
           (legs.legs.empty() ? 0 : textHeight(pCr, nTextWidth, legs.strVerdict, FOOT_VERDICT_FONT) + 4);
}

// Every limit used, and each point against them in words; for a flight of
// several legs, a line for each leg instead, in a font that keeps six of
// them and the chart on the page.
void drawLimitsAndPoints(_shtPage& page, const _shtPeople& sheet, const _shtFlight& legs)
{
    cairo_t* pCr = page.pCr;
    const double nLeft = page.nLeft, nTextWidth = page.nTextWidth;
    double& y = page.y;
    const _wbSetup& s = m_wbSetup;
    const _wbFlight& flight = legs.detail;
    // Every limit used, and both points against them in words.
    y += text(pCr, nLeft, y, nTextWidth, "Limits: " + limSheetText([&](_wbLimit n) { return wrdLimitText(n, s); }),
              "sans 9") +
         4;
    // The school's margins under the limits they lie inside, where it sets any.
    if (const std::string strSchool = wrdSchoolMarginsText(s); !strSchool.empty())
        y += text(pCr, nLeft, y, nTextWidth, strSchool, "sans 9") + 4;
    if (!legs.legs.empty()) {
        const std::vector<std::string> labels = legLabels();
        std::vector<std::string> lines;
        for (size_t n = 0; n < legs.legs.size(); n++) {
            lines.push_back(legLine(sheet, legs, labels, n));
            for (std::string& str : hoverLines(legs, n))
                lines.push_back(std::move(str));
        }
        if (std::string str = hoverChartsLine(legs); !str.empty())
            lines.push_back(std::move(str));
        const double nRoom = page.nBottom - footHeight(pCr, nTextWidth, legs) - 10 - y - 6;
        auto height = [&](const char* pszFont) {
            double n = drawLegPoints(pCr, nLeft, y, nTextWidth, legs, pszFont, false) + 4;
            for (const std::string& str : lines)
                n += textHeight(pCr, nTextWidth, str, pszFont) + 1;
            return n;
        };
        const auto it = std::find_if(LEG_FONTS.begin(), LEG_FONTS.end(),
                                     [&](const char* psz) { return height(psz) + LEG_CHART_ROOM <= nRoom; });
        const char* pszFont = it != LEG_FONTS.end() ? *it : LEG_FONTS.back();
        y += drawLegPoints(pCr, nLeft, y, nTextWidth, legs, pszFont, true) + 4;
        for (const std::string& str : lines)
            y += text(pCr, nLeft, y, nTextWidth, str, pszFont) + 1;
        y += 6;
        return;
    }
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
        // A point not within for hover never reads within.
        std::string strWords = wrdPointVerdictText(flight, v.nPoint, s);
        if (!legs.hover.empty() && v.nPoint != POINT_NO_FUEL)
            strWords = hovPointWords(
                strWords, v.nPoint == POINT_TAKE_OFF ? legs.hover.front().takeOff : legs.hover.front().landing,
                s.nHoverOge != 0, s);
        y += text(pCr, nLeft, y, nTextWidth, std::string(v.pszName) + ": " + strFigures + strWords, "sans bold 10") + 2;
    }
    // Its hover beneath, where the aircraft has charts and the sites their
    // conditions.
    std::vector<std::string> hover = hoverLines(legs, 0);
    if (std::string str = hoverChartsLine(legs); !str.empty())
        hover.push_back(std::move(str));
    for (size_t n = 0; n < hover.size(); n++)
        y += (n == 0 ? 2 : 0) + text(pCr, nLeft, y, nTextWidth, hover[n], "sans 9") + 1;
    y += 8;
}

// The commander's acceptance at the foot of the page, only under a
// flight within limits; the chart in what is left between, drawn by its
// own renderer in vector form and kept to its square.
void drawChartAndAcceptance(_shtPage& page, const _shtFlight& legs)
{
    cairo_t* pCr = page.pCr;
    const double nLeft = page.nLeft, nTextWidth = page.nTextWidth, nBottom = page.nBottom;
    const double y = page.y;
    _chartInput chart = pwbSheetChartInputOf(legs.detail);
    chart.legs = pwbChartLegsOf(legs.legs);
    chart.bWithin = legs.bWithin;
    chart.margins = pwbChartMarginsOf(m_wbSetup);
    cairo_set_source_rgb(pCr, 0, 0, 0);
    const std::string strAccept =
        !legs.bWithin ? "NOT TO BE FLOWN AS LOADED"
        : legs.strAccepted.empty()
            ? "Commander's acceptance of this mass and balance: signature _______________  date _________"
            : legs.strAccepted;
    // A flight of several legs is judged whole just above the acceptance.
    const double nAccept = acceptRoom(pCr, nTextWidth, legs);
    const double nVerdict = footHeight(pCr, nTextWidth, legs) - nAccept;
    const double nSignatureTop = nBottom - nAccept;
    const double nChart = std::min(nTextWidth, nSignatureTop - nVerdict - 10 - y);
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
    if (nVerdict > 0)
        text(pCr, nLeft, std::max(y, nSignatureTop - nVerdict), nTextWidth, legs.strVerdict, FOOT_VERDICT_FONT);
    text(pCr, nLeft, std::max(y + nVerdict, nSignatureTop), nTextWidth, strAccept,
         !legs.bWithin              ? "sans bold 12"
         : legs.strAccepted.empty() ? "sans 10"
                                    : ACCEPTED_FONT);
}

} // namespace

_recEntry shtRecordEntry(const _wbFlight& flight, const _shtPeople& sheet, time_t tPrinted)
{
    _recEntry entry;
    entry.strTime = recTimeText(tPrinted);
    entry.strPilot = txtOneLine(sheet.strPilot, MAX_USER_CHARS);
    entry.strFlight = txtOneLine(sheet.strReference, MAX_USER_CHARS);
    entry.strLeftSeat = txtOneLine(sheet.strLeftOccupant, MAX_USER_CHARS);
    entry.strRightSeat = txtOneLine(sheet.strRightOccupant, MAX_USER_CHARS);
    entry.strCommander = sheet.strCommander;
    entry.strVersion = ZARV_VERSION;
    entry.strFingerprint = valFingerprint();
    entry.strRegistration = valGetText(VAL_REGISTRATION);
    entry.strWeighed = valGetText(VAL_WEIGHED);
    entry.strCopiedFrom = valGetText(VAL_COPIED_FROM);
    entry.setup = m_wbSetup;
    // The first leg in the line's own fields, whichever leg the page shows.
    const std::vector<_wbLoadState>& legs = stateLegs();
    entry.load = legs.front();
    entry.unread = valUnreadTexts(0);
    entry.setup.nFuelDensity = unitFuelDensity(m_wbSetup);
    entry.setup.nWeighingMonths = dateWeighingMonths(m_wbSetup.nWeighingMonths);
    if (entry.setup.nFuelDensity != m_wbSetup.nFuelDensity)
        entry.storedDensity = m_wbSetup.nFuelDensity;
    if (entry.setup.nWeighingMonths != m_wbSetup.nWeighingMonths)
        entry.storedMonths = m_wbSetup.nWeighingMonths;
    // A flight of one leg is recorded from the flight the sheet was drawn
    // from, as it always was; of several, every leg as the sheet judges it.
    const std::vector<_wbFlight> flights = legs.size() == 1 ? std::vector<_wbFlight>{flight} : legCalcAll();
    for (const _wbDoubt& d : flights.front().doubts)
        if (d.pszWhat && std::strcmp(d.pszWhat, LEG_DOUBT) == 0)
            entry.strLegsNotRead = d.strUnread;
    for (size_t n = 1; n < legs.size(); n++) {
        const auto text = [n](_prmValueId nId) {
            return prmGetKeyString(valGroupOf(valValue(nId), n).c_str(), valValue(nId).pszKey);
        };
        entry.legs.push_back({legs[n], txtOneLine(text(VAL_LSEAT_PERSON), MAX_USER_CHARS),
                              txtOneLine(text(VAL_RSEAT_PERSON), MAX_USER_CHARS), text(VAL_COMMANDER),
                              valUnreadTexts(n), recOutputsOf(flights[n], "")});
    }
    const _legVerdict v = legVerdict(m_wbSetup, flights, legs);
    for (size_t n = 1; n < legs.size(); n++) {
        entry.legs[n - 1].outputs.need = v.needs[n];
        entry.legs[n - 1].outputs.hover = v.hover[n];
    }
    entry.outputs = recFlightOutputsOf(flights, v);
    // The charts' revision, where the sheet judged any take-off or landing
    // by them.
    for (const _hovLeg& h : v.hover)
        if (h.takeOff.bShown || h.landing.bShown)
            entry.strHoverRevision = valHoverFingerprint(m_wbSetup.hover);
    return entry;
}

std::string shtPrintedText(time_t tPrinted)
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

bool shtWithin(const _wbFlight& flight)
{
    return flightOf(flight).bWithin;
}

std::string shtInputsHash(const _wbFlight& flight)
{
    return recContentHash(recLine(shtRecordEntry(flight, {}, 0)));
}

std::string shtAcceptedText(const _shtAccepted& a)
{
    g_autoptr(GDateTime) pdt = g_date_time_new_from_unix_utc(a.tAccepted);
    g_autofree gchar* pszWhen = pdt ? g_date_time_format(pdt, "%Y-%m-%d %H:%M UTC") : g_strdup("");
    return std::string(a.strCapacity == REC_INSTRUCTOR ? "Authorised by " : "Accepted by ") + "\u2068" +
           txtOneLine(a.strName, MAX_USER_CHARS) + "\u2069, " + a.strCapacity + ", " + pszWhen + ", key " +
           a.strKeyDigest;
}

std::string shtBindUnits(const std::string& strText)
{
    // A figure, a space and a unit symbol, which may itself be two words:
    // every space after the figure becomes a no-break space.
    g_autoptr(GRegex) pUnit =
        g_regex_new("(?<=[0-9]) ((kg|lb)/(L|US gal|imp gal)|kg|lb|mm|in|L|US gal|imp gal|ft|hPa|\u00b0C)(?![A-Za-z])",
                    G_REGEX_RAW, GRegexMatchFlags(0), nullptr);
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

void shtDrawLoadSheet(cairo_t* pCr, double nWidth, double nHeight, const _shtPeople& people, const _wbFlight& flight,
                      time_t tPrinted)
{
    cairo_save(pCr);
    cairo_set_source_rgb(pCr, 0, 0, 0);
    const double nLeft = MARGIN, nRight = nWidth - MARGIN, nTextWidth = nRight - nLeft;
    _shtPage page = {pCr, nLeft, nRight, nTextWidth, nTextWidth / 2, nHeight - MARGIN, MARGIN};
    const std::string strPrinted = shtPrintedText(tPrinted);
    const std::string strRecordHash = recContentHash(recLine(shtRecordEntry(flight, people, tPrinted)));
    setMetadata(pCr, strPrinted, strRecordHash);
    drawHead(page, people, tPrinted, strPrinted, strRecordHash);
    // The flight's one verdict heads the sheet, from the same judgement as
    // the page's; of a flight of several legs its lead, the whole of it at
    // the foot.
    _shtFlight legs = flightOf(flight);
    if (legs.bWithin)
        for (const _shtAccepted& a : people.accepted)
            legs.strAccepted += (legs.strAccepted.empty() ? "" : "\n") + shtAcceptedText(a);
    page.y +=
        text(pCr, nLeft, page.y, nTextWidth, legs.legs.empty() ? legs.strVerdict : verdictLead(legs), "sans bold 12") +
        8;
    drawSetupAndLoading(page, people, legs);
    if (!legs.legs.empty())
        page.y += text(pCr, nLeft, page.y, nTextWidth, "Table: leg 1", "sans bold 9") + 2;
    page.y += drawTable(pCr, nLeft, page.y, nTextWidth, legs.detail) + 6;
    drawLimitsAndPoints(page, people, legs);
    drawChartAndAcceptance(page, legs);
    cairo_restore(pCr);
}

std::string shtPdf(double nWidth, double nHeight, const _shtPeople& people, const _wbFlight& flight, time_t tPrinted)
{
    std::string strPdf;
    const auto append = [](void* pClosure, const unsigned char* pData, unsigned int nLength) -> cairo_status_t {
        static_cast<std::string*>(pClosure)->append(reinterpret_cast<const char*>(pData), nLength);
        return CAIRO_STATUS_SUCCESS;
    };
    cairo_surface_t* psurf = cairo_pdf_surface_create_for_stream(append, &strPdf, nWidth, nHeight);
    cairo_t* pCr = cairo_create(psurf);
    shtDrawLoadSheet(pCr, nWidth, nHeight, people, flight, tPrinted);
    cairo_destroy(pCr);
    cairo_surface_finish(psurf);
    const bool bMade = cairo_surface_status(psurf) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(psurf);
    return bMade ? strPdf : std::string();
}
