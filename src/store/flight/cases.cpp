// Reading the reference loadings of the check of the calculation: a key
// file with one group per case and a group "Tolerance". Every figure of a
// case is in the case's own units; it is held here in kg, mm and litres.
#include "store/flight/cases.h"

#include "store/conf/hovcharts.h"
#include "store/conf/items.h"
#include "store/conf/params.h"
#include "store/conf/state.h"
#include "store/conf/stored.h"

#include <glib.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace
{

constexpr const char* TOLERANCE_GROUP = "Tolerance";

// A case's own keys: the figures it expects and the flight's verdict. Its
// aircraft's and loading's keys are the stored values' (caseKey).
constexpr std::array<const char*, 9> CASE_FIGURE_KEYS = {"FlightVerdict",  "Weight",        "LongArm",
                                                         "LatArm",         "Verdict",       "LandingWeight",
                                                         "LandingLongArm", "LandingLatArm", "LandingVerdict"};
// The room the first leg leaves at each station, in _roomStation's order:
// optional, each in the case's units.
constexpr std::array<const char*, ROOM_STATIONS> STILL_FITS_KEYS = {"StillFitsLeftSeat", "StillFitsRightSeat",
                                                                    "StillFitsFuel", "StillFitsBallast"};

// A stored value's key in a case.
const char* caseKey(_prmValueId nId)
{
    return valValue(nId).pszCaseKey;
}

// What a leg needs by the case's fuel rule ("FuelRequired", in its fuel
// unit) and whether it has it ("FuelEnough", enough or short), a later
// leg's after its own key. The rule itself, the fuel flow and the margins
// are the table's values, each in the case's units.
constexpr std::array<const char*, 2> NEED_KEYS = {"FuelRequired", "FuelEnough"};
constexpr std::array<const char*, 2> ENOUGH = {"enough", "short"};

// The aircraft's hover charts: a temperature line a key, "IGELine1" and up
// in ground effect, "OGELine1" and up out of ground effect, one after
// another, each as Zarv.conf holds a line ("20; 500 8000; 600 6000": the
// temperature in °C, then each point's weight in the case's weight unit
// and its hover ceiling in feet), so that a line is typed as the manual's
// chart is read, point by point along it, and one copied from Zarv.conf
// reads the same in a case in kg.
constexpr std::array<const char*, HOV_EFFECTS> CHART_KEYS = {"IGELine", "OGELine"};
// What a case expects of the hover at a take-off or landing, the figure's
// key after the point's ("TakeOffPressureAltitude", "Leg2LandingHoverOGE"):
// the altitudes in feet, each chart's greatest weight in the case's weight
// unit, or "beyond" where the chart gives none.
constexpr std::array<const char*, 2> HOVER_POINTS = {"TakeOff", "Landing"};
constexpr std::array<const char*, 2 + HOV_EFFECTS> HOVER_FIGURES = {"PressureAltitude", "DensityAltitude", "HoverIGE",
                                                                    "HoverOGE"};
constexpr const char* HOVER_BEYOND = "beyond";
// Whether the operator's rule asks to hover out of ground effect.
constexpr std::array<const char*, 2> HOVER_RULE = {"no", "yes"};
// A site's conditions, taken off and landed at: the keys of the table's.
constexpr std::array<_prmValueId, 3> TAKE_OFF_SITE = {VAL_FROM_ELEVATION, VAL_FROM_QNH, VAL_FROM_OAT};
constexpr std::array<_prmValueId, 3> LANDING_SITE = {VAL_TO_ELEVATION, VAL_TO_QNH, VAL_TO_OAT};

bool isHoverFigureKey(const char* pszKey)
{
    for (const char* pszPoint : HOVER_POINTS)
        for (const char* pszFigure : HOVER_FIGURES)
            if (std::string(pszPoint) + pszFigure == pszKey)
                return true;
    return false;
}

// A chart's line key, written as the reading asks for it: "IGELine1",
// never "IGELine01".
bool isChartKey(const char* pszKey)
{
    for (const char* pszChart : CHART_KEYS) {
        if (!g_str_has_prefix(pszKey, pszChart))
            continue;
        const char* pszDigits = pszKey + strlen(pszChart);
        char* pszEnd = nullptr;
        const long n = strtol(pszDigits, &pszEnd, 10);
        return g_ascii_isdigit(*pszDigits) && !*pszEnd && n >= 1 && n <= static_cast<long>(HOV_MOST_LINES) &&
               std::to_string(n) == pszDigits;
    }
    return false;
}

// Whether a key is one a case may have; any other is a typing error that
// would leave a figure unchecked.
bool isCaseKey(const char* pszKey)
{
    if (isHoverFigureKey(pszKey))
        return true;
    for (const char* psz : NEED_KEYS)
        if (!std::strcmp(psz, pszKey))
            return true;
    for (const _prmValue& v : valValues())
        if (v.pszCaseKey && !std::strcmp(v.pszCaseKey, pszKey))
            return true;
    const auto same = [&](const char* psz) { return !std::strcmp(psz, pszKey); };
    return std::any_of(CASE_FIGURE_KEYS.begin(), CASE_FIGURE_KEYS.end(), same) ||
           std::any_of(STILL_FITS_KEYS.begin(), STILL_FITS_KEYS.end(), same);
}

struct _casReader {
    GKeyFile* pKeyFile;
    std::string strPath, strGroup, strError;

    bool fail(const char* pszKey, const std::string& strWhy)
    {
        if (strError.empty())
            strError = strPath + ": group \"" + strGroup + "\"" +
                       (pszKey ? ", key \"" + std::string(pszKey) + "\"" : "") + ": " + strWhy;
        return false;
    }
    bool has(const char* pszKey) const
    {
        return g_key_file_has_key(pKeyFile, strGroup.c_str(), pszKey, nullptr);
    }
    // A figure; where it is optional and missing, nDefault.
    double number(const char* pszKey, bool bRequired, double nDefault = 0)
    {
        if (!has(pszKey)) {
            if (bRequired)
                fail(pszKey, "is missing");
            return nDefault;
        }
        g_autoptr(GError) pErr = nullptr;
        const double n = g_key_file_get_double(pKeyFile, strGroup.c_str(), pszKey, &pErr);
        // Decimal only: the key file would read "0x190" as 400.
        g_autofree gchar* pszRaw = g_key_file_get_value(pKeyFile, strGroup.c_str(), pszKey, nullptr);
        if (pErr || !std::isfinite(n) || !pszRaw || !prmReadsAsNumber(pszRaw)) {
            fail(pszKey, pErr ? pErr->message : "is no finite decimal number");
            return nDefault;
        }
        return n;
    }
    // One of the words allowed, as its index; where it is optional and
    // missing, the first.
    template <size_t N> int word(const char* pszKey, const std::array<const char*, N>& words, bool bRequired)
    {
        if (!has(pszKey)) {
            if (bRequired)
                fail(pszKey, "is missing");
            return 0;
        }
        g_autofree gchar* psz = g_key_file_get_string(pKeyFile, strGroup.c_str(), pszKey, nullptr);
        for (size_t i = 0; i < N; i++)
            if (psz && std::strcmp(psz, words[i]) == 0)
                return static_cast<int>(i);
        std::string strWords;
        for (const char* pszWord : words)
            strWords += std::string(strWords.empty() ? "" : ", ") + pszWord;
        fail(pszKey, "\"" + std::string(psz ? psz : "") + "\" is none of " + strWords);
        return 0;
    }
};

constexpr std::array<const char*, 2> WEIGHT_UNITS = {"kg", "lb"};
constexpr std::array<const char*, 2> ARM_UNITS = {"mm", "in"};
constexpr std::array<const char*, 3> FUEL_UNITS = {"L", "USgal", "impgal"};
constexpr std::array<const char*, 3> BALLAST_POSITIONS = {"none", "front", "rear"};
constexpr std::array<const char*, 2> VERDICTS = {"within", "beyond"};

// An item of a case: "Item1" and up, one after another, each "name; weight;
// long arm; lat arm; weighed or not weighed; fitted or removed", in the
// case's units.
constexpr const char* ITEM_KEY = "Item";
constexpr std::array<const char*, 2> ITEM_WEIGHED = {"weighed", "not weighed"};
constexpr std::array<const char*, 2> ITEM_FITTED = {"fitted", "removed"};

bool isItemKey(const char* pszKey)
{
    if (!g_str_has_prefix(pszKey, ITEM_KEY))
        return false;
    const char* pszDigits = pszKey + strlen(ITEM_KEY);
    char* pszEnd = nullptr;
    const long n = strtol(pszDigits, &pszEnd, 10);
    // Written as the reading below asks for it: "Item1", never "Item01".
    return g_ascii_isdigit(*pszDigits) && !*pszEnd && n >= 1 && n <= static_cast<long>(ITM_MAX_ITEMS) &&
           std::to_string(n) == pszDigits;
}

// The case's items, into its aircraft and its flight.
bool readItems(_casReader& r, _casCase& c)
{
    for (size_t n = 1; n <= ITM_MAX_ITEMS; n++) {
        const std::string strKey = ITEM_KEY + std::to_string(n);
        if (!r.has(strKey.c_str()))
            break;
        gsize nFields = 0;
        g_auto(GStrv) ppsz =
            g_key_file_get_string_list(r.pKeyFile, r.strGroup.c_str(), strKey.c_str(), &nFields, nullptr);
        std::vector<std::string> fields;
        for (gsize i = 0; ppsz && i < nFields; i++)
            fields.push_back(g_strstrip(ppsz[i]));
        auto numberAt = [&](size_t i, _unitKind nKind) {
            // Decimal only, as every figure of a case: "0x14" is no weight.
            double v = 0;
            if (!prmReadsAsNumber(fields[i].c_str(), &v))
                r.fail(strKey.c_str(), "\"" + fields[i] + "\" is no finite number");
            return unitToInternal(nKind, v, c.setup);
        };
        auto wordAt = [&](size_t i, const std::array<const char*, 2>& words) {
            for (size_t k = 0; k < words.size(); k++)
                if (fields[i] == words[k])
                    return k == 0;
            r.fail(strKey.c_str(), "\"" + fields[i] + "\" is neither " + words[0] + " nor " + words[1]);
            return false;
        };
        if (fields.size() != 6)
            return r.fail(strKey.c_str(), "is not name; weight; long arm; lat arm; weighed; fitted");
        c.setup.items.push_back({fields[0], numberAt(1, KIND_WEIGHT), numberAt(2, KIND_ARM), numberAt(3, KIND_ARM),
                                 wordAt(4, ITEM_WEIGHED)});
        c.fitted.push_back(wordAt(5, ITEM_FITTED));
    }
    // Items are numbered one after another: one after a gap is not read.
    for (size_t n = c.setup.items.size() + 2; n <= ITM_MAX_ITEMS; n++)
        if (r.has((ITEM_KEY + std::to_string(n)).c_str()))
            return r.fail((ITEM_KEY + std::to_string(n)).c_str(), "follows no item before it");
    return r.strError.empty();
}

// A leg after the first: "Leg2" up to "Leg6", one after another, each "left
// seat; right seat; fuel or as landed; trip; ballast none, front or rear"
// and "fitted" or "removed" for each item in turn, in the case's units; and
// its expected figures, the first leg's keys after its own ("Leg2Weight",
// "Leg2LandingVerdict").
constexpr const char* LEG_KEY = "Leg";
constexpr const char* LEG_AS_LANDED = "as landed";
constexpr std::array<const char*, 11> LEG_FIGURES = {"",
                                                     "Weight",
                                                     "LongArm",
                                                     "LatArm",
                                                     "Verdict",
                                                     "LandingWeight",
                                                     "LandingLongArm",
                                                     "LandingLatArm",
                                                     "LandingVerdict",
                                                     "FuelRequired",
                                                     "FuelEnough"};

// The leg a key is of, written as the reading asks for it ("Leg2",
// "Leg2Weight", never "Leg02" nor "Leg1"); 0 for a key of no leg.
size_t legOfKey(const char* pszKey)
{
    if (!g_str_has_prefix(pszKey, LEG_KEY))
        return 0;
    const char* pszDigits = pszKey + strlen(LEG_KEY);
    char* pszEnd = nullptr;
    const long n = strtol(pszDigits, &pszEnd, 10);
    if (!g_ascii_isdigit(*pszDigits) || n < 2 || n > static_cast<long>(STATE_MAX_LEGS) ||
        std::to_string(n) != std::string(pszDigits, static_cast<size_t>(pszEnd - pszDigits)))
        return 0;
    const bool bLanding = std::any_of(LANDING_SITE.begin(), LANDING_SITE.end(),
                                      [&](_prmValueId nId) { return !std::strcmp(caseKey(nId), pszEnd); });
    return bLanding || isHoverFigureKey(pszEnd) ||
                   std::any_of(LEG_FIGURES.begin(), LEG_FIGURES.end(),
                               [&](const char* psz) { return !std::strcmp(psz, pszEnd); })
               ? static_cast<size_t>(n)
               : 0;
}

_casPoint readPoint(_casReader& r, const _wbSetup& s, const char* pszWeight, const char* pszLong, const char* pszLat,
                    const char* pszVerdict)
{
    _casPoint p{};
    p.nWeight = unitToInternal(KIND_WEIGHT, r.number(pszWeight, true), s);
    p.nLongArm = unitToInternal(KIND_ARM, r.number(pszLong, true), s);
    p.nLatArm = unitToInternal(KIND_ARM, r.number(pszLat, true), s);
    p.bWithin = r.word(pszVerdict, VERDICTS, true) == 0;
    return p;
}

// A leg's need, where the case gives it: both keys or neither.
_casNeed readNeed(_casReader& r, const _wbSetup& s, const std::string& strRequired, const std::string& strEnough)
{
    if (!r.has(strRequired.c_str()) && !r.has(strEnough.c_str()))
        return {};
    return {true, unitToInternal(KIND_FUEL, r.number(strRequired.c_str(), true), s),
            r.word(strEnough.c_str(), ENOUGH, true) == 0};
}

// One leg's fields, into the leg.
bool readLegFields(_casReader& r, const std::string& strKey, const _casCase& c, _casLeg* pLeg)
{
    gsize nFields = 0;
    g_auto(GStrv) ppsz = g_key_file_get_string_list(r.pKeyFile, r.strGroup.c_str(), strKey.c_str(), &nFields, nullptr);
    std::vector<std::string> fields;
    for (gsize i = 0; ppsz && i < nFields; i++)
        fields.push_back(g_strstrip(ppsz[i]));
    if (fields.size() != 5 + c.setup.items.size())
        return r.fail(strKey.c_str(),
                      "is not left seat; right seat; fuel or as landed; trip; ballast" +
                          std::string(c.setup.items.empty() ? "" : "; fitted or removed for each item"));
    auto numberAt = [&](size_t i, _unitKind nKind) {
        double v = 0;
        if (!prmReadsAsNumber(fields[i].c_str(), &v))
            r.fail(strKey.c_str(), "\"" + fields[i] + "\" is no finite number");
        return unitToInternal(nKind, v, c.setup);
    };
    _casLeg& l = *pLeg;
    l.loading.nLSeatWeight = numberAt(0, KIND_WEIGHT);
    l.loading.nRSeatWeight = numberAt(1, KIND_WEIGHT);
    l.bAsLanded = fields[2] == LEG_AS_LANDED;
    l.loading.nFuelVolume = l.bAsLanded ? 0 : numberAt(2, KIND_FUEL);
    l.nTrip = numberAt(3, KIND_FUEL);
    const auto ballast = std::find_if(BALLAST_POSITIONS.begin(), BALLAST_POSITIONS.end(),
                                      [&](const char* psz) { return fields[4] == psz; });
    if (ballast == BALLAST_POSITIONS.end())
        r.fail(strKey.c_str(), "\"" + fields[4] + "\" is none of none, front, rear");
    l.loading.nBallastPosn = static_cast<guint>(ballast - BALLAST_POSITIONS.begin());
    for (size_t k = 5; k < fields.size(); k++) {
        if (fields[k] != ITEM_FITTED[0] && fields[k] != ITEM_FITTED[1])
            r.fail(strKey.c_str(), "\"" + fields[k] + "\" is neither fitted nor removed");
        l.fitted.push_back(fields[k] == ITEM_FITTED[0]);
    }
    return r.strError.empty();
}

// The aircraft's charts, into its setup.
bool readCharts(_casReader& r, _casCase& c)
{
    for (size_t e = 0; e < HOV_EFFECTS; e++) {
        _hovChart& chart = c.setup.hover[e];
        for (size_t n = 1; n <= HOV_MOST_LINES; n++) {
            const std::string strKey = CHART_KEYS[e] + std::to_string(n);
            if (!r.has(strKey.c_str()))
                break;
            g_autofree gchar* psz = g_key_file_get_string(r.pKeyFile, r.strGroup.c_str(), strKey.c_str(), nullptr);
            _hovLine line;
            if (const std::string strWhy = hvcLineRead(psz ? psz : "", &line); !strWhy.empty())
                return r.fail(strKey.c_str(), strWhy);
            for (_hovPoint& p : line.points)
                p.nWeight = unitToInternal(KIND_WEIGHT, p.nWeight, c.setup);
            chart.lines.push_back(line);
        }
        // Lines are numbered one after another: one after a gap is not read.
        for (size_t n = chart.lines.size() + 2; n <= HOV_MOST_LINES; n++)
            if (const std::string strKey = CHART_KEYS[e] + std::to_string(n); r.has(strKey.c_str()))
                return r.fail(strKey.c_str(), "follows no line before it");
    }
    return true;
}

// A site's conditions after a leg's key ("" for the first leg's), each
// not given no number; a QNH under 100 is in inHg, as typed on the page.
_hovSite readSite(_casReader& r, const _wbSetup& s, const std::string& strLeg, const std::array<_prmValueId, 3>& ids)
{
    std::array<double, 3> v{};
    for (size_t i = 0; i < ids.size(); i++) {
        const std::string strKey = strLeg + caseKey(ids[i]);
        v[i] = r.has(strKey.c_str()) ? unitToInternal(valValue(ids[i]).nUnit, r.number(strKey.c_str(), true), s) : NAN;
    }
    return {v[0], v[1], v[2]};
}

// What a take-off or landing expects of the hover (strPoint "TakeOff",
// "Leg2Landing"): every figure where the case gives the site's conditions
// and a chart; none where it lacks either, since a figure there would go
// unchecked.
_casHover readHover(_casReader& r, const _casCase& c, const std::string& strPoint, const _hovSite& site)
{
    _casHover h;
    h.bExpected = !hovSiteNotGiven(site) && hvcAny(c.setup.hover);
    const auto key = [&](size_t i) { return strPoint + HOVER_FIGURES[i]; };
    if (!h.bExpected) {
        for (size_t i = 0; i < HOVER_FIGURES.size(); i++)
            if (r.has(key(i).c_str()))
                r.fail(key(i).c_str(), "is a hover figure of a case without charts or of a site without conditions");
        return h;
    }
    h.nPressureAltitude = r.number(key(0).c_str(), true);
    h.nDensityAltitude = r.number(key(1).c_str(), true);
    for (size_t e = 0; e < HOV_EFFECTS; e++) {
        const std::string strKey = key(2 + e);
        h.bChart[e] = !c.setup.hover[e].lines.empty();
        if (!h.bChart[e]) {
            if (r.has(strKey.c_str()))
                r.fail(strKey.c_str(), "is a figure of a chart the case does not give");
            continue;
        }
        g_autofree gchar* psz = g_key_file_get_string(r.pKeyFile, r.strGroup.c_str(), strKey.c_str(), nullptr);
        h.weights[e] = psz && !std::strcmp(psz, HOVER_BEYOND)
                           ? NAN
                           : unitToInternal(KIND_WEIGHT, r.number(strKey.c_str(), true), c.setup);
    }
    return h;
}

// The legs after the first, with the figures each expects, and the
// flight's verdict where there are any.
bool readLegs(_casReader& r, _casCase& c)
{
    for (size_t n = 2; n <= STATE_MAX_LEGS; n++) {
        const std::string strKey = LEG_KEY + std::to_string(n);
        if (!r.has(strKey.c_str()))
            break;
        _casLeg l{};
        if (!readLegFields(r, strKey, c, &l))
            return false;
        const auto key = [&](const char* psz) { return strKey + psz; };
        l.takeOff = readPoint(r, c.setup, key("Weight").c_str(), key("LongArm").c_str(), key("LatArm").c_str(),
                              key("Verdict").c_str());
        l.bLanding = l.nTrip > 0;
        if (l.bLanding)
            l.landing = readPoint(r, c.setup, key("LandingWeight").c_str(), key("LandingLongArm").c_str(),
                                  key("LandingLatArm").c_str(), key("LandingVerdict").c_str());
        else if (r.has(key("LandingWeight").c_str()) || r.has(key("LandingLongArm").c_str()) ||
                 r.has(key("LandingLatArm").c_str()) || r.has(key("LandingVerdict").c_str()))
            return r.fail(strKey.c_str(), "expects a landing but plans no trip");
        l.need = readNeed(r, c.setup, key("FuelRequired"), key("FuelEnough"));
        // It takes off where the leg before it landed.
        l.landingSite = readSite(r, c.setup, strKey, LANDING_SITE);
        l.takeOffHover = readHover(r, c, key("TakeOff"), c.legs.empty() ? c.landingSite : c.legs.back().landingSite);
        l.landingHover = readHover(r, c, key("Landing"), l.landingSite);
        c.legs.push_back(l);
    }
    // A leg's key after a gap, or of a leg the case does not fly, would
    // leave its figures unchecked.
    g_auto(GStrv) ppszKeys = g_key_file_get_keys(r.pKeyFile, r.strGroup.c_str(), nullptr, nullptr);
    for (gchar** ppsz = ppszKeys; ppsz && *ppsz; ppsz++)
        if (const size_t n = legOfKey(*ppsz); n > c.legs.size() + 1)
            return r.fail(*ppsz, "is of a leg that follows no leg before it");
    // A flight of one leg has a verdict of its own where the hover may
    // decide it.
    c.bFlightVerdict = !c.legs.empty() || hvcAny(c.setup.hover);
    if (!c.bFlightVerdict && r.has("FlightVerdict"))
        return r.fail("FlightVerdict", "is a verdict of legs the case does not fly, nor of hover charts");
    c.bFlightWithin = c.bFlightVerdict && r.word("FlightVerdict", VERDICTS, true) == 0;
    return r.strError.empty();
}

bool readCase(_casReader& r, _casCase* pCase)
{
    g_auto(GStrv) ppszKeys = g_key_file_get_keys(r.pKeyFile, r.strGroup.c_str(), nullptr, nullptr);
    for (gchar** ppsz = ppszKeys; ppsz && *ppsz; ppsz++)
        if (!isCaseKey(*ppsz) && !isItemKey(*ppsz) && !isChartKey(*ppsz) && !legOfKey(*ppsz))
            return r.fail(*ppsz, "is no key of a case");
    _casCase& c = *pCase;
    c = {};
    c.strName = r.strGroup;
    _wbSetup& s = c.setup;
    s.nUnitWt = static_cast<_unitWt>(r.word(caseKey(VAL_UNIT_WEIGHT), WEIGHT_UNITS, false));
    s.nUnitArm = static_cast<_unitLen>(r.word(caseKey(VAL_UNIT_ARM), ARM_UNITS, false));
    s.nUnitFuel = static_cast<_unitFuel>(r.word(caseKey(VAL_UNIT_FUEL), FUEL_UNITS, false));
    s.nBasicWeight = unitToInternal(KIND_WEIGHT, r.number(caseKey(VAL_BASIC_WEIGHT), true), s);
    s.nBasicLongArm = unitToInternal(KIND_ARM, r.number(caseKey(VAL_BASIC_LONG_ARM), true), s);
    s.nBasicLatArm = unitToInternal(KIND_ARM, r.number(caseKey(VAL_BASIC_LAT_ARM), true), s);
    s.nBallastWt = unitToInternal(KIND_WEIGHT, r.number(caseKey(VAL_BALLAST_WEIGHT), false), s);
    s.nBallastFrontLongArm = unitToInternal(KIND_ARM, r.number(caseKey(VAL_BALLAST_FRONT_LONG_ARM), false), s);
    s.nBallastFrontLatArm = unitToInternal(KIND_ARM, r.number(caseKey(VAL_BALLAST_FRONT_LAT_ARM), false), s);
    s.nBallastRearLongArm = unitToInternal(KIND_ARM, r.number(caseKey(VAL_BALLAST_REAR_LONG_ARM), false), s);
    s.nFuelDensity = unitToInternal(KIND_DENSITY, r.number(caseKey(VAL_FUEL_DENSITY), false), s);
    // The fuel flow, the operator's fuel rule and margins: a key the case
    // lacks reads as Zarv.conf reads it.
    for (const _prmValue& v : valValues())
        if (const auto* pn = std::get_if<gdouble _wbSetup::*>(&v.field);
            pn && v.pszCaseKey && (v.bRule || v.nId == VAL_FUEL_FLOW))
            s.** pn = unitToInternal(v.nUnit, r.number(v.pszCaseKey, false, unitToShown(v.nUnit, v.nMissing, s)), s);
    c.need = readNeed(r, s, NEED_KEYS[0], NEED_KEYS[1]);
    c.loading.nLSeatWeight = unitToInternal(KIND_WEIGHT, r.number(caseKey(VAL_LSEAT), true), s);
    c.loading.nRSeatWeight = unitToInternal(KIND_WEIGHT, r.number(caseKey(VAL_RSEAT), true), s);
    c.loading.nFuelVolume = unitToInternal(KIND_FUEL, r.number(caseKey(VAL_FUEL), true), s);
    c.loading.nBallastPosn = static_cast<guint>(r.word(caseKey(VAL_BALLAST_POSN), BALLAST_POSITIONS, false));
    c.nTrip = unitToInternal(KIND_FUEL, r.number(caseKey(VAL_TRIP), false), s);
    if (!readItems(r, c) || !readCharts(r, c))
        return false;
    s.nHoverOge = static_cast<guint>(r.word(caseKey(VAL_HOVER_OGE), HOVER_RULE, false));
    c.takeOffSite = readSite(r, s, "", TAKE_OFF_SITE);
    c.landingSite = readSite(r, s, "", LANDING_SITE);
    c.takeOffHover = readHover(r, c, HOVER_POINTS[0], c.takeOffSite);
    c.landingHover = readHover(r, c, HOVER_POINTS[1], c.landingSite);
    for (size_t n = 0; n < STILL_FITS_KEYS.size(); n++)
        if (r.has(STILL_FITS_KEYS[n]))
            c.stillFits[n] =
                unitToInternal(n == ROOM_FUEL ? KIND_FUEL : KIND_WEIGHT, r.number(STILL_FITS_KEYS[n], true), s);
    c.takeOff = readPoint(r, s, "Weight", "LongArm", "LatArm", "Verdict");
    c.bLanding = c.nTrip > 0;
    if (c.bLanding)
        c.landing = readPoint(r, s, "LandingWeight", "LandingLongArm", "LandingLatArm", "LandingVerdict");
    else if (r.has("LandingWeight") || r.has("LandingLongArm") || r.has("LandingLatArm") || r.has("LandingVerdict"))
        return r.fail(nullptr, "expects a landing but plans no trip");
    return r.strError.empty() && readLegs(r, c);
}

} // namespace

bool casRead(const std::string& strPath, _casFile* pFile, std::string* pstrError)
{
    *pFile = {};
    pFile->strPath = strPath;
    g_autoptr(GKeyFile) pKeyFile = g_key_file_new();
    g_autoptr(GError) pErr = nullptr;
    // Another program may put anything in its place: it is read only as a
    // file, never through a link, and never waited on.
    std::string strData;
    if (!prmReadFile(strPath, &strData, &pErr) ||
        !g_key_file_load_from_data(pKeyFile, strData.data(), strData.size(), G_KEY_FILE_NONE, &pErr)) {
        *pstrError = strPath + ": " + pErr->message;
        return false;
    }
    _casReader r = {pKeyFile, strPath, TOLERANCE_GROUP, {}};
    // A key in a language ("Item1[de]") is one the reading never asks for,
    // and the key file does not list: refused here, where it stands.
    g_auto(GStrv) ppszLines = g_strsplit(strData.c_str(), "\n", -1);
    for (gchar** ppsz = ppszLines; *ppsz && r.strError.empty(); ppsz++) {
        const gchar* pszLine = g_strchug(*ppsz);
        if (*pszLine == '[')
            r.strGroup = std::string(pszLine + 1, strcspn(pszLine + 1, "]"));
        else if (const char* pszEq = strchr(pszLine, '=');
                 *pszLine != '#' && pszEq && memchr(pszLine, '[', static_cast<size_t>(pszEq - pszLine))) {
            g_autofree gchar* pszKey = g_strndup(pszLine, static_cast<gsize>(pszEq - pszLine));
            r.fail(g_strstrip(pszKey), "is no key of a case");
        }
    }
    // Written twice, a figure would be read as its later value alone.
    if (const std::string strTwice = prmWrittenTwice(strData); !strTwice.empty() && r.strError.empty())
        r.fail(nullptr, strTwice + " is written twice");
    r.strGroup = TOLERANCE_GROUP;
    if (g_key_file_has_group(pKeyFile, TOLERANCE_GROUP)) {
        pFile->nWeightTolerance = r.number("Weight", false, pFile->nWeightTolerance);
        pFile->nArmTolerance = r.number("Arm", false, pFile->nArmTolerance);
        if (r.strError.empty() && !(pFile->nWeightTolerance >= 0 && pFile->nArmTolerance >= 0))
            r.fail(nullptr, "a tolerance is below 0");
    }
    g_auto(GStrv) ppszGroups = g_key_file_get_groups(pKeyFile, nullptr);
    for (gchar** ppsz = ppszGroups; ppsz && *ppsz && r.strError.empty(); ppsz++) {
        if (!std::strcmp(*ppsz, TOLERANCE_GROUP))
            continue;
        r.strGroup = *ppsz;
        _casCase c;
        if (readCase(r, &c))
            pFile->cases.push_back(c);
    }
    if (r.strError.empty() && pFile->cases.empty())
        r.strError = strPath + ": holds no case";
    *pstrError = r.strError;
    return r.strError.empty();
}
