// The check of the calculation: every case of the shipped reference set,
// then the operator's own, each an aircraft and a loading as a pilot's
// entries would make them, calculated by pwbCalcWB, twice; each figure compared with the one
// worked by hand; the report kept; the result printed or shown.
#include "app/verify.h"

#include "app/bars.h"
#include "model/room.h"
#include "model/words.h"
#include "store/conf/params.h"
#include "store/conf/state.h"
#include "store/conf/stored.h"
#include "store/flight/legs.h"
#include "sys/errlog.h"
#include "sys/paths.h"
#include "ui/misc.h"
#include "ui/report.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <ctime>

namespace
{

// The loading page's label of the last check and its button, where the
// definition has them.
struct _vfyWindow {
    GtkWidget* pwgtCalcChecked = nullptr;
    GtkWidget* pwgtCheckCalculation = nullptr;
} m_vfy;

// The flight the pages would show for the case's aircraft and loading.
_wbFlight calculate(const _casCase& c)
{
    const _wbLoadState load = {c.loading.nLSeatWeight,
                               c.loading.nRSeatWeight,
                               c.loading.nFuelVolume,
                               c.loading.nBallastPosn,
                               c.nTrip,
                               FALSE,
                               c.fitted};
    return pwbCalcWB(calcWithFixedArms(c.setup), load);
}

// Whether two runs gave the same answers to the last bit.
bool sameBits(const _wbFlight& a, const _wbFlight& b)
{
    auto same = [](double x, double y) { return std::bit_cast<uint64_t>(x) == std::bit_cast<uint64_t>(y); };
    for (int n = 0; n < POINT_COUNT; n++) {
        const _wbPoint &p = a.points[n], &q = b.points[n];
        if (!same(p.nWeight, q.nWeight) || !same(p.nLongMoment, q.nLongMoment) || !same(p.nLatMoment, q.nLatMoment) ||
            !same(p.nLongArm, q.nLongArm) || !same(p.nLatArm, q.nLatArm) ||
            a.judged[n].within() != b.judged[n].within() || a.judged[n].marginsKept() != b.judged[n].marginsKept())
            return false;
        for (int i = 0; i < LIMIT_COUNT; i++)
            if (!same(a.judged[n].limits[i].nMargin, b.judged[n].limits[i].nMargin) ||
                a.judged[n].limits[i].bBeyond != b.judged[n].limits[i].bBeyond)
                return false;
    }
    return a.within() == b.within();
}

std::string shown(_unitKind nKind, double nInternal, const _wbSetup& s)
{
    g_autofree gchar* psz = g_strdup_printf("%.4f %s", unitToShown(nKind, nInternal, s), unitSymbol(nKind, s));
    return psz;
}

// Compares one point of a flight with what the case expects there.
void compare(const char* pszPoint, const _casPoint& want, const _wbFlight& f, _wbFlightPoint nPoint, const _casCase& c,
             const _casFile& file, std::vector<_casFigure>* pFigures)
{
    const _wbPoint& p = f.points[nPoint];
    auto figure = [&](const char* pszWhat, _unitKind nKind, double nWant, double nGot, double nTolerance) {
        pFigures->push_back({std::string(pszPoint) + " " + pszWhat, shown(nKind, nWant, c.setup),
                             shown(nKind, nGot, c.setup), std::fabs(nGot - nWant) <= nTolerance, pszPoint});
    };
    figure("weight", KIND_WEIGHT, want.nWeight, p.nWeight, file.nWeightTolerance);
    figure("longitudinal arm", KIND_ARM, want.nLongArm, p.nLongArm, file.nArmTolerance);
    figure("lateral arm", KIND_ARM, want.nLatArm, p.nLatArm, file.nArmTolerance);
    // Within as the flight is accepted: the school's margins too.
    const bool bWithin = f.judged[nPoint].within() && f.judged[nPoint].marginsKept();
    pFigures->push_back({std::string(pszPoint) + " verdict", want.bWithin ? "within" : "beyond",
                         bWithin ? "within" : "beyond", bWithin == want.bWithin, pszPoint});
}

// How near a computed altitude must be to the one worked by hand, in feet:
// a hand working reads the standard atmosphere's powers to a few digits.
constexpr double ALTITUDE_TOLERANCE = 3;

// A take-off or landing's hover compared with what the case expects there,
// where it does: the altitudes, then each chart's greatest weight, or that
// the chart gives none.
void compareHover(const std::string& strPoint, const _casHover& want, const _hovAt& got, const _casCase& c,
                  const _casFile& file, std::vector<_casFigure>* pFigures)
{
    if (!want.bExpected)
        return;
    const std::string strRow = strPoint + " hover";
    auto feet = [](double n) {
        g_autofree gchar* psz = g_strdup_printf("%.1f ft", n);
        return std::string(psz);
    };
    const char* pszNotJudged = "not judged";
    auto altitude = [&](const char* pszWhat, double nWant, double nGot) {
        pFigures->push_back({strPoint + " " + pszWhat, feet(nWant), got.bShown ? feet(nGot) : pszNotJudged,
                             got.bShown && std::fabs(nGot - nWant) <= ALTITUDE_TOLERANCE, strRow, pszWhat});
    };
    altitude("pressure altitude", want.nPressureAltitude, got.nPressureAltitude);
    altitude("density altitude", want.nDensityAltitude, got.nDensityAltitude);
    constexpr std::array<const char*, HOV_EFFECTS> EFFECTS = {"in ground effect", "out of ground effect"};
    for (size_t e = 0; e < HOV_EFFECTS; e++) {
        if (!want.bChart[e])
            continue;
        const _hovFigure& f = got.figures[e];
        const bool bJudged = got.bShown && got.bChart[e], bBeyond = std::isnan(want.weights[e]);
        const std::string strGot = !bJudged   ? pszNotJudged
                                   : f.bKnown ? shown(KIND_WEIGHT, f.nWeight, c.setup)
                                              : "beyond (" + f.strBeyond + ")";
        const bool bPass =
            bJudged &&
            (bBeyond ? !f.bKnown : f.bKnown && std::fabs(f.nWeight - want.weights[e]) <= file.nWeightTolerance);
        pFigures->push_back({strPoint + " hover " + EFFECTS[e],
                             bBeyond ? "beyond" : shown(KIND_WEIGHT, want.weights[e], c.setup), strGot, bPass, strRow,
                             EFFECTS[e]});
    }
}

// Whether two runs judged the hover the same to the last bit.
bool sameHover(const std::vector<_hovLeg>& a, const std::vector<_hovLeg>& b)
{
    auto same = [](double x, double y) { return std::bit_cast<uint64_t>(x) == std::bit_cast<uint64_t>(y); };
    if (a.size() != b.size())
        return false;
    for (size_t n = 0; n < a.size(); n++)
        for (const auto pAt : {&_hovLeg::takeOff, &_hovLeg::landing}) {
            const _hovAt &x = a[n].*pAt, &y = b[n].*pAt;
            if (x.bShown != y.bShown || !same(x.nPressureAltitude, y.nPressureAltitude) ||
                !same(x.nDensityAltitude, y.nDensityAltitude))
                return false;
            for (size_t e = 0; e < HOV_EFFECTS; e++)
                if (x.figures[e].bKnown != y.figures[e].bKnown || !same(x.figures[e].nWeight, y.figures[e].nWeight))
                    return false;
        }
    return true;
}

// A leg's need compared with what the case expects of it, where it does.
void compareNeed(const std::string& strLeg, const _casNeed& want, const _wbFuelNeed& got, const _casCase& c,
                 std::vector<_casFigure>* pFigures)
{
    if (!want.bExpected)
        return;
    pFigures->push_back({strLeg + "fuel required", shown(KIND_FUEL, want.nRequired, c.setup),
                         got.bKnown ? shown(KIND_FUEL, got.nRequired, c.setup) : "none",
                         got.bKnown && std::fabs(got.nRequired - want.nRequired) <= 0.05});
    const char* pszGot = got.isShort() ? "short" : "enough";
    pFigures->push_back(
        {strLeg + "fuel", want.bEnough ? "enough" : "short", pszGot, got.bKnown && !got.isShort() == want.bEnough});
}

// The legs of a case of several as the window judges a flight: a leg whose
// fuel is as landed takes what the leg before landed with, each judged on
// the case's values alone (none of them was typed, so none is doubted).
std::vector<_wbFlight> calculateLegs(const _casCase& c, std::vector<_wbLoadState>* pLegs)
{
    std::vector<_wbLoadState>& legs = *pLegs;
    legs = {{c.loading.nLSeatWeight, c.loading.nRSeatWeight, c.loading.nFuelVolume, c.loading.nBallastPosn, c.nTrip,
             FALSE, c.fitted}};
    legs.front().nFromElevation = c.takeOffSite.nElevation;
    legs.front().nFromQnh = c.takeOffSite.nQnh;
    legs.front().nFromOat = c.takeOffSite.nOat;
    for (const _casLeg& l : c.legs)
        legs.push_back({l.loading.nLSeatWeight, l.loading.nRSeatWeight, l.loading.nFuelVolume, l.loading.nBallastPosn,
                        l.nTrip, FALSE, l.fitted, l.bAsLanded});
    // Each leg lands where the case says; stateSettle takes each later leg
    // off from where the leg before it landed, as the window does.
    for (size_t n = 0; n < legs.size(); n++) {
        const _hovSite& to = n == 0 ? c.landingSite : c.legs[n - 1].landingSite;
        legs[n].nToElevation = to.nElevation;
        legs[n].nToQnh = to.nQnh;
        legs[n].nToOat = to.nOat;
    }
    stateSettle(legs);
    // A value no leg can have leaves the flight unjudged, as on the page.
    return legJudge(calcWithFixedArms(c.setup), legs, "");
}

// A case of several legs, or with hover charts: each leg's points and its
// hover (the first leg's points are runCase's), then the flight's verdict
// as the sheet words it.
void compareLegs(const _casCase& c, const _casFile& file, _casOutcome* pOutcome)
{
    std::vector<_wbLoadState> legs, again;
    const std::vector<_wbFlight> flights = calculateLegs(c, &legs), second = calculateLegs(c, &again);
    for (size_t n = 0; n < flights.size(); n++)
        pOutcome->bRepeatable = pOutcome->bRepeatable && sameBits(flights[n], second[n]);
    const _legVerdict v = legVerdict(c.setup, flights, legs);
    pOutcome->bRepeatable = pOutcome->bRepeatable && sameHover(v.hover, legHover(c.setup, second, again));
    for (size_t n = 0; n < flights.size(); n++) {
        const std::string strLeg = n == 0 ? "" : "leg " + std::to_string(n + 1) + " ";
        if (n > 0) {
            const _casLeg& l = c.legs[n - 1];
            compare((strLeg + "take-off").c_str(), l.takeOff, flights[n], POINT_TAKE_OFF, c, file, &pOutcome->figures);
            if (l.bLanding)
                compare((strLeg + "landing").c_str(), l.landing, flights[n], POINT_LANDING, c, file,
                        &pOutcome->figures);
        }
        const _hovLeg hover = n < v.hover.size() ? v.hover[n] : _hovLeg{};
        compareHover(strLeg + "take-off", n == 0 ? c.takeOffHover : c.legs[n - 1].takeOffHover, hover.takeOff, c, file,
                     &pOutcome->figures);
        compareHover(strLeg + "landing", n == 0 ? c.landingHover : c.legs[n - 1].landingHover, hover.landing, c, file,
                     &pOutcome->figures);
    }
    compareNeed("", c.need, v.needs.front(), c, &pOutcome->figures);
    for (size_t n = 1; n < flights.size(); n++)
        compareNeed("leg " + std::to_string(n + 1) + " ", c.legs[n - 1].need, v.needs[n], c, &pOutcome->figures);
    // A leg short of fuel is not to be flown, as the sheet says.
    const std::string& strWords = v.strVerdict;
    const bool bWithin = v.bWithin;
    pOutcome->figures.push_back({"flight verdict", c.bFlightWithin ? "within" : "beyond",
                                 std::string(bWithin ? "within" : "beyond") + " (" + strWords + ")",
                                 bWithin == c.bFlightWithin && strWords.starts_with("WITHIN LIMITS") == bWithin});
}

// The room the first leg leaves at each station the case works out, the
// fuel's in litres against the weight's tolerance.
void compareRoom(const _casCase& c, const _casFile& file, std::vector<_casFigure>* pFigures)
{
    if (std::none_of(c.stillFits.begin(), c.stillFits.end(), [](const auto& n) { return n.has_value(); }))
        return;
    std::vector<_wbLoadState> legs;
    const std::vector<_wbFlight> flights = calculateLegs(c, &legs);
    const _wbSetup s = calcWithFixedArms(c.setup);
    const std::vector<_wbLegFuel> fuel = legFuel(s, flights, legs);
    const bool bDoubted =
        std::any_of(flights.begin(), flights.end(), [](const _wbFlight& f) { return !f.doubts.empty(); });
    const _roomLeft r = roomLeft(s, fuel, 0, bDoubted);
    constexpr std::array<const char*, ROOM_STATIONS> names = {"left seat", "right seat", "fuel", "ballast"};
    for (size_t n = 0; n < ROOM_STATIONS; n++) {
        if (!c.stillFits[n])
            continue;
        const _unitKind nKind = n == ROOM_FUEL ? KIND_FUEL : KIND_WEIGHT;
        const double nGot = r.nWhy == ROOM_FITS && r.at[n].bHas ? r.at[n].nRoom : NAN;
        pFigures->push_back({std::string("still fits ") + names[n], shown(nKind, *c.stillFits[n], c.setup),
                             shown(nKind, nGot, c.setup), std::fabs(nGot - *c.stillFits[n]) <= file.nWeightTolerance});
    }
}

_casOutcome runCase(const _casCase& c, const _casFile& file)
{
    const _wbFlight first = calculate(c);
    const _wbFlight second = calculate(c);
    _casOutcome o = {c.strName, {}, sameBits(first, second)};
    compare("take-off", c.takeOff, first, POINT_TAKE_OFF, c, file, &o.figures);
    if (c.bLanding)
        compare("landing", c.landing, first, POINT_LANDING, c, file, &o.figures);
    if (c.bFlightVerdict)
        compareLegs(c, file, &o);
    else
        compareNeed("", c.need, fuelFlightNeeds(c.setup, {first}, {false}).front(), c, &o.figures);
    compareRoom(c, file, &o.figures);
    return o;
}

// Reads every file of cases and runs them, leaving Zarv's state as it was.
// False with *pstrError where a file cannot be read; nothing is run then.
bool runAll(_rptReport* pReport, std::string* pstrError)
{
    *pReport = {wbEtcDir(), time(nullptr), {}, {}};
    std::vector<_casFile> files(1);
    std::vector<std::string> looked;
    const std::string strShipped = vfyShippedCases(&looked);
    if (!g_file_test(strShipped.c_str(), G_FILE_TEST_EXISTS) && looked.size() > 1) {
        // Not found: every place it was looked for, since the one to mend
        // may be any of them.
        *pstrError = "the shipped cases are in none of the places Zarv looks for them:";
        for (const std::string& str : looked)
            *pstrError += " " + str + (&str == &looked.back() ? "" : ",");
        return false;
    }
    if (!casRead(strShipped, &files[0], pstrError))
        return false;
    const std::string strOwn = wbFileSpec("Verification/Cases");
    if (g_file_test(strOwn.c_str(), G_FILE_TEST_EXISTS)) {
        files.emplace_back();
        if (!casRead(strOwn, &files.back(), pstrError))
            return false;
    }
    for (const _casFile& file : files) {
        pReport->caseFiles.push_back(file.strPath);
        for (const _casCase& c : file.cases)
            pReport->outcomes.push_back(runCase(c, file));
    }
    return true;
}

// The last check, as the loading page says it, styled as a caution when due.
void showLastCheck(void)
{
    if (!m_vfy.pwgtCalcChecked)
        return;
    GDate today;
    g_date_clear(&today, 1);
    g_date_set_time_t(&today, time(nullptr));
    const _rptCheckText said = rptCheckText(rptLastCheck(), today);
    gtk_label_set_text(GTK_LABEL(m_vfy.pwgtCalcChecked), said.strText.c_str());
    PangoAttrList* pattr = pango_attr_list_new();
    if (said.bDue) {
        pango_attr_list_insert(pattr, pango_attr_weight_new(PANGO_WEIGHT_BOLD));
        pango_attr_list_insert(pattr, pango_attr_foreground_new(0xa000, 0x5000, 0x0000));
    }
    gtk_label_set_attributes(GTK_LABEL(m_vfy.pwgtCalcChecked), pattr);
    pango_attr_list_unref(pattr);
    gtk_widget_set_visible(m_vfy.pwgtCalcChecked, !said.strText.empty());
}

void vfyOnCheckCalculationClicked(GtkButton*, gpointer)
{
    _rptReport report;
    std::string strError, strFile;
    if (!runAll(&report, &strError)) {
        errPostError(("vfyOnCheckCalculationClicked()\ncasRead() failed\n" + strError).c_str());
        wbShowNotice(("The calculation could not be checked: " + strError).c_str());
        return;
    }
    const bool bWritten = rptWriteReport(report, &strFile, &strError);
    rptKeepUnreported(report, bWritten);
    showLastCheck();
    // Said either way, as zarv --verify says it, with the report to open.
    std::string strSaid =
        "The check of the calculation PASSED: all " + std::to_string(report.outcomes.size()) + " reference loadings";
    if (!report.pass()) {
        std::string strFailed;
        for (const _casOutcome& o : report.outcomes)
            if (!o.pass())
                strFailed += (strFailed.empty() ? "" : ", ") + o.strName;
        errPostError(("vfyOnCheckCalculationClicked()\nthe check of the calculation failed\n" + strFailed).c_str());
        strSaid = "The check of the calculation FAILED (" + strFailed + "): do not use Zarv's figures";
    }
    strSaid += bWritten ? ". Its report is " + strFile : "; " + strError;
    wbShowNotice(strSaid.c_str(), bWritten ? strFile : std::string());
}

} // namespace

std::string vfyShippedCases(std::vector<std::string>* pLooked)
{
    g_autofree gchar* pszExe = g_file_read_link("/proc/self/exe", nullptr);
    g_autofree gchar* pszDir = g_path_get_dirname(pszExe ? pszExe : ".");
    std::vector<std::string> looked;
    for (const char* pszData : {"../share/zarv", ZARV_DATA_FROM_PROGRAM}) {
        g_autofree gchar* pszPath = g_build_filename(pszDir, pszData, "reference-cases", nullptr);
        g_autofree gchar* pszClean = g_canonicalize_filename(pszPath, nullptr);
        // Both places are one where the data lies beside the program.
        if (std::find(looked.begin(), looked.end(), pszClean) == looked.end())
            looked.emplace_back(pszClean);
        if (g_file_test(pszClean, G_FILE_TEST_IS_REGULAR))
            break;
    }
    if (pLooked)
        *pLooked = looked;
    return looked.back();
}

int vfyRunCommandLine(const char* pszEtcDir)
{
    if (pszEtcDir) {
        g_autofree gchar* pszAbsolute = g_canonicalize_filename(pszEtcDir, nullptr);
        wbSetEtcDir(pszAbsolute);
    } else
        wbLocateEtcDir();
    _rptReport report;
    std::string strError, strFile;
    if (!runAll(&report, &strError)) {
        g_printerr("zarv: the cases cannot be read: %s\n", strError.c_str());
        return VFY_EXIT_UNREADABLE;
    }
    for (const _casOutcome& o : report.outcomes) {
        if (o.pass()) {
            g_print("PASS %s\n", o.strName.c_str());
            continue;
        }
        std::string strWhy = "a second run gave other answers";
        for (const _casFigure& f : o.figures)
            if (!f.bPass) {
                strWhy = f.strQuantity + " expected " + f.strExpected + " computed " + f.strComputed;
                break;
            }
        g_print("FAIL %s: %s\n", o.strName.c_str(), strWhy.c_str());
    }
    size_t nFailed = 0;
    for (const _casOutcome& o : report.outcomes)
        nFailed += !o.pass();
    if (nFailed)
        g_print("FAILED: %zu of %zu cases\n", nFailed, report.outcomes.size());
    else
        g_print("PASSED: %zu cases\n", report.outcomes.size());
    const bool bWritten = rptWriteReport(report, &strFile, &strError);
    // Kept where the window reads it, whether or not its report was
    // (Zarv.conf is read only where there may be something to keep or clear).
    if (!bWritten || g_file_test(wbFileSpec("Zarv.conf").c_str(), G_FILE_TEST_EXISTS)) {
        prmLoadKeyFile();
        rptKeepUnreported(report, bWritten);
    }
    if (!bWritten) {
        g_printerr("zarv: %s\n", strError.c_str());
        return report.pass() ? VFY_EXIT_UNREADABLE : VFY_EXIT_FAILED;
    }
    g_print("Report: %s\n", strFile.c_str());
    return report.pass() ? VFY_EXIT_PASSED : VFY_EXIT_FAILED;
}

void vfyInitWindow(GtkBuilder* pBuilder)
{
    m_vfy.pwgtCalcChecked = mscLookUp(pBuilder, "CalculationChecked");
    if (m_vfy.pwgtCalcChecked && !GTK_IS_LABEL(m_vfy.pwgtCalcChecked))
        m_vfy.pwgtCalcChecked = nullptr;
    m_vfy.pwgtCheckCalculation = mscLookUp(pBuilder, "CheckCalculation");
    if (GTK_IS_BUTTON(m_vfy.pwgtCheckCalculation))
        g_signal_connect(m_vfy.pwgtCheckCalculation, "clicked", G_CALLBACK(vfyOnCheckCalculationClicked), nullptr);
    showLastCheck();
}
