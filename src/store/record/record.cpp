// The record of load sheets: the line of JSON each sheet appends, its
// durable append, and the reading of it back into the model's structs. The
// writer and the reader are Zarv's own and small: objects, strings, numbers
// and true/false, which is all a line holds.
#include "store/record/record.h"

#include "model/hover.h"
#include "store/conf/hovcharts.h"
#include "store/conf/params.h"
#include "store/conf/stored.h"
#include "sys/errlog.h"
#include "sys/sign.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <variant>

namespace
{

// The names of the points in the record (the limits' are their rows').
constexpr std::array<const char*, POINT_COUNT> POINT_NAMES = {"takeOff", "landing", "noFuel"};
constexpr std::array<const char*, POINT_COUNT> POINT_WORDS = {"take-off", "landing", "no fuel"};
// A later leg's flag in its inputs, and the text of the legs not read.
constexpr const char* LEG_FUEL_AS_LANDED = "fuelAsLanded";
constexpr const char* LEGS_NOT_READ = "notRead";
// Each leg's needs by the fuel rule, written only where the aircraft had a
// fuel flow; the rule itself is among the line's inputs.
constexpr const char* FUEL_NEEDS = "fuelNeeds";
struct _recNeedField {
    const char* pszKey;
    double _wbFuelNeed::*pField;
};
constexpr std::array<_recNeedField, 7> NEED_FIELDS = {{{"taxi", &_wbFuelNeed::nTaxi},
                                                       {"trip", &_wbFuelNeed::nTrip},
                                                       {"contingency", &_wbFuelNeed::nContingency},
                                                       {"reserve", &_wbFuelNeed::nReserve},
                                                       {"required", &_wbFuelNeed::nRequired},
                                                       {"onBoard", &_wbFuelNeed::nOnBoard},
                                                       {"landing", &_wbFuelNeed::nLanding}}};
// The filed sheet's SHA-256 in a line's chain, and its acceptances.
constexpr const char* REC_KEY_SHEET_SHA256 = "sheetSha256";
constexpr const char* REC_KEY_ACCEPTED = "accepted";
// An aircraft's hover charts, as a CSV, and what of them was not read.
constexpr const char* REC_KEY_HOVER = "hoverCharts";
constexpr const char* REC_KEY_HOVER_NOT_READ = "hoverNotRead";
// The lines of an acceptance's text, in their order.
constexpr std::array<std::pair<const char*, std::string _recAcceptance::*>, 6> ACCEPTED_FIELDS = {
    {{"capacity", &_recAcceptance::strCapacity},
     {"name", &_recAcceptance::strName},
     {"time", &_recAcceptance::strTime},
     {"record", &_recAcceptance::strRecord},
     {"sheet", &_recAcceptance::strSheet},
     {"key", &_recAcceptance::strKey}}};
constexpr const char* ACCEPTED_HEAD = "Zarv load sheet accepted";

// ---- Writing ---------------------------------------------------------------

std::string quoted(const std::string& strText)
{
    // A registration is the pilot's text: made valid UTF-8, every control
    // escaped, so the line stays one line.
    g_autofree gchar* pszValid = g_utf8_make_valid(strText.c_str(), static_cast<gssize>(strText.size()));
    std::string str = "\"";
    for (const char* p = pszValid; *p; p++) {
        const unsigned char c = static_cast<unsigned char>(*p);
        if (c == '"' || c == '\\')
            str += '\\', str += static_cast<char>(c);
        else if (c < 0x20 || c == 0x7f) {
            char sz[8];
            g_snprintf(sz, sizeof sz, "\\u%04x", c);
            str += sz;
        } else
            str += static_cast<char>(c);
    }
    return str + "\"";
}

// A number that reads back to the same double; one without a value (the
// arms of an aircraft that weighs nothing) as a string JSON can hold.
std::string number(double n)
{
    if (std::isnan(n))
        return "\"NaN\"";
    if (std::isinf(n))
        return n > 0 ? "\"Infinity\"" : "\"-Infinity\"";
    char sz[G_ASCII_DTOSTR_BUF_SIZE];
    return g_ascii_formatd(sz, sizeof sz, "%.17g", n);
}

// An object being written: "key": value, in the order given.
struct Object {
    std::string str;
    Object& add(const char* pszKey, const std::string& strValue)
    {
        str += (str.empty() ? "{" : ",") + quoted(pszKey) + ":" + strValue;
        return *this;
    }
    Object& add(const char* pszKey, double n)
    {
        return add(pszKey, number(n));
    }
    Object& flag(const char* pszKey, bool b)
    {
        return add(pszKey, std::string(b ? "true" : "false"));
    }
    std::string text() const
    {
        return str.empty() ? "{}" : str + "}";
    }
};

// ---- Reading ---------------------------------------------------------------

struct Value;
using Members = std::map<std::string, Value>;
struct Value {
    std::variant<std::monostate, bool, double, std::string, std::shared_ptr<Members>> v;
};

// A recursive descent over one line; throws nothing, fails with a reason.
struct Parser {
    const std::string& s;
    size_t i = 0;
    std::string strError;

    bool fail(const char* pszWhat)
    {
        if (strError.empty())
            strError = std::string(pszWhat) + " at column " + std::to_string(i + 1);
        return false;
    }
    void blanks()
    {
        while (i < s.size() && (s[i] == ' ' || s[i] == '\t' || s[i] == '\r'))
            i++;
    }
    bool literal(const char* psz)
    {
        if (s.compare(i, strlen(psz), psz) != 0)
            return false;
        i += strlen(psz);
        return true;
    }
    bool hex4(unsigned* pn)
    {
        if (i + 4 > s.size())
            return fail("a \\u escape cut short");
        *pn = 0;
        for (int k = 0; k < 4; k++) {
            const int d = g_ascii_xdigit_value(s[i++]);
            if (d < 0)
                return fail("a \\u escape that is no hex");
            *pn = *pn * 16 + static_cast<unsigned>(d);
        }
        return true;
    }
    bool string(std::string* pstr)
    {
        if (i >= s.size() || s[i] != '"')
            return fail("no string");
        i++;
        while (i < s.size() && s[i] != '"') {
            const unsigned char c = static_cast<unsigned char>(s[i++]);
            if (c < 0x20)
                return fail("a control character in a string");
            if (c != '\\') {
                *pstr += static_cast<char>(c);
                continue;
            }
            if (i >= s.size())
                break;
            const char e = s[i++];
            const char* pszFrom = "\"\\/bfnrt";
            const char* pszTo = "\"\\/\b\f\n\r\t";
            if (const char* p = e ? strchr(pszFrom, e) : nullptr) {
                *pstr += pszTo[p - pszFrom];
                continue;
            }
            if (e != 'u')
                return fail("an unknown escape");
            unsigned n = 0, nLow = 0;
            if (!hex4(&n))
                return false;
            if (n >= 0xd800 && n < 0xdc00) {
                if (!literal("\\u") || !hex4(&nLow) || nLow < 0xdc00 || nLow >= 0xe000)
                    return fail("half a surrogate pair");
                n = 0x10000 + ((n - 0xd800) << 10) + (nLow - 0xdc00);
            } else if (n >= 0xdc00 && n < 0xe000)
                return fail("half a surrogate pair");
            char sz[8];
            sz[g_unichar_to_utf8(n, sz)] = 0;
            *pstr += sz;
        }
        if (i >= s.size())
            return fail("a string cut short");
        i++;
        return true;
    }
    bool numberValue(double* pn)
    {
        // JSON's own grammar, then the C library's locale-independent reading.
        const size_t nStart = i;
        auto digits = [&] {
            const size_t n0 = i;
            while (i < s.size() && g_ascii_isdigit(s[i]))
                i++;
            return i > n0;
        };
        if (i < s.size() && s[i] == '-')
            i++;
        if (i < s.size() && s[i] == '0')
            i++;
        else if (!digits())
            return fail("no number");
        if (i < s.size() && s[i] == '.' && (i++, !digits()))
            return fail("a number without digits after its point");
        if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
            i++;
            if (i < s.size() && (s[i] == '+' || s[i] == '-'))
                i++;
            if (!digits())
                return fail("a number without digits in its exponent");
        }
        const std::string strNumber = s.substr(nStart, i - nStart);
        *pn = g_ascii_strtod(strNumber.c_str(), nullptr);
        return true;
    }
    bool value(Value* pv, int nDepth)
    {
        blanks();
        if (i >= s.size())
            return fail("a line cut short");
        if (nDepth > 8)
            return fail("objects nested too deep");
        if (s[i] == '{') {
            auto pmembers = std::make_shared<Members>();
            i++;
            blanks();
            if (i < s.size() && s[i] == '}')
                i++;
            else
                for (;;) {
                    std::string strKey;
                    blanks();
                    if (!string(&strKey))
                        return false;
                    blanks();
                    if (!literal(":"))
                        return fail("no colon");
                    // A key given twice would let the later one stand for
                    // the earlier, out of what its hash was taken of.
                    if (pmembers->count(strKey))
                        return fail(("\"" + strKey + "\" given twice").c_str());
                    if (!value(&(*pmembers)[strKey], nDepth + 1))
                        return false;
                    blanks();
                    if (literal("}"))
                        break;
                    if (!literal(","))
                        return fail("no comma");
                }
            pv->v = pmembers;
            return true;
        }
        if (s[i] == '"') {
            std::string str;
            if (!string(&str))
                return false;
            pv->v = str;
            return true;
        }
        if (literal("true") || literal("false")) {
            pv->v = s[i - 1] == 'e' && s[i - 2] == 'u';
            return true;
        }
        double n = 0;
        if (!numberValue(&n))
            return false;
        pv->v = n;
        return true;
    }
};

// The members of a line, read with its reasons for failing.
struct Reader {
    std::string strError;

    const Members* object(const Members& m, const char* pszKey)
    {
        const auto it = m.find(pszKey);
        if (it != m.end())
            if (const auto* pp = std::get_if<std::shared_ptr<Members>>(&it->second.v))
                return pp->get();
        note(pszKey, "an object");
        return nullptr;
    }
    void note(const char* pszKey, const char* pszWhat)
    {
        if (strError.empty())
            strError = std::string("\"") + pszKey + "\" is not " + pszWhat;
    }
    double number(const Members* pm, const char* pszKey)
    {
        if (!pm)
            return 0;
        const auto it = pm->find(pszKey);
        if (it != pm->end()) {
            if (const double* pn = std::get_if<double>(&it->second.v))
                return *pn;
            if (const std::string* pstr = std::get_if<std::string>(&it->second.v)) {
                if (*pstr == "NaN")
                    return NAN;
                if (*pstr == "Infinity" || *pstr == "-Infinity")
                    return *pstr == "Infinity" ? INFINITY : -INFINITY;
            }
        }
        note(pszKey, "a number");
        return 0;
    }
    bool flag(const Members* pm, const char* pszKey)
    {
        if (pm)
            if (const auto it = pm->find(pszKey); it != pm->end())
                if (const bool* pb = std::get_if<bool>(&it->second.v))
                    return *pb;
        note(pszKey, "true or false");
        return false;
    }
    // A text that lines written by an older Zarv do not have.
    std::string optionalText(const Members* pm, const char* pszKey)
    {
        return pm && pm->count(pszKey) ? text(pm, pszKey) : std::string();
    }
    std::string text(const Members* pm, const char* pszKey)
    {
        if (pm)
            if (const auto it = pm->find(pszKey); it != pm->end())
                if (const std::string* pstr = std::get_if<std::string>(&it->second.v))
                    return *pstr;
        note(pszKey, "a string");
        return {};
    }
    // A whole number of the kind a choice is stored as.
    template <typename T> T choice(const Members* pm, const char* pszKey)
    {
        const double n = number(pm, pszKey);
        if (!(n >= INT32_MIN && n <= INT32_MAX) || n != std::floor(n))
            note(pszKey, "a whole number");
        return strError.empty() ? static_cast<T>(static_cast<int64_t>(n)) : T{};
    }
};

// The numbers of the record's inputs, for writing and reading alike: the
// recorded rows of the table of stored values, the loading's first and
// then the aircraft's, each in the table's order, as the lines have always
// held them; a leg after the first keeps the loading's.
struct _recNumberField {
    const char* pszKey;
    double _wbSetup::*pSetup;
    double _wbLoadState::*pLoad;
    bool bLater; // lines written before it was recorded lack it
    // What a line without it held (0, or the reserve the rules ask for):
    // written only where it differs, so a line stands as before the value
    // was recorded until the pilot sets it.
    double nMissing = 0;
};

// The rear ballast's lateral arm is the aircraft's fixed one, which
// Zarv.conf does not hold; the line keeps it after the rear one's
// longitudinal arm.
constexpr _recNumberField REAR_LAT_ARM = {"ballastRearLatArm", &_wbSetup::nBallastRearLatArm, nullptr, false};

const std::vector<_recNumberField>& numberFields(void)
{
    static const std::vector<_recNumberField> fields = [] {
        std::vector<_recNumberField> v;
        for (const _prmOwner nOwner : {PRM_OF_LOADING, PRM_OF_SETUP})
            for (const _prmValue& r : valValues()) {
                if (r.nOwner != nOwner || !r.pszRecordName || !valIsNumber(r))
                    continue;
                const auto* ppSetup = std::get_if<gdouble _wbSetup::*>(&r.field);
                const auto* ppLoad = std::get_if<gdouble _wbLoadState::*>(&r.field);
                v.push_back({r.pszRecordName, ppSetup ? *ppSetup : nullptr, ppLoad ? *ppLoad : nullptr,
                             r.bRecordedLater, r.nMissing});
                if (r.nId == VAL_BALLAST_REAR_LONG_ARM)
                    v.push_back(REAR_LAT_ARM);
            }
        return v;
    }();
    return fields;
}

// A row's name in the record.
const char* nameOf(_prmValueId nId)
{
    return valValue(nId).pszRecordName;
}

// Whether a number is what a line without it reads it as (a condition not
// given is no number).
bool missing(const _recNumberField& f, double n)
{
    return n == f.nMissing || (std::isnan(n) && std::isnan(f.nMissing));
}

// Whether a line leaves a site's condition out: one not given, or any
// where the line has no hover chart to judge it by, so that a flight
// without charts is recorded as it always was.
bool conditionLeftOut(const _recNumberField& f, double n, const _wbSetup& s)
{
    return std::isnan(f.nMissing) && (std::isnan(n) || !hvcAny(s.hover));
}

// The hover charts' revision the sheet printed.
constexpr const char* REC_KEY_HOVER_REVISION = "hoverRevision";

// Whether the operator's rule asked to hover out of ground effect.
constexpr const char* REC_KEY_HOVER_OGE = "hoverOGE";

// A number of a line's inputs: one recorded later reads as 0 from a line
// written before it.
double readNumber(Reader& rd, const Members* pin, const _recNumberField& f)
{
    return f.bLater && pin && !pin->count(f.pszKey) ? f.nMissing : rd.number(pin, f.pszKey);
}

} // namespace

_recOutputs recFlightOutputsOf(const std::vector<_wbFlight>& legs, const _legVerdict& verdict)
{
    _recOutputs out = recOutputsOf(legs.empty() ? _wbFlight{} : legs.front(), verdict.strVerdict);
    out.bWithin = verdict.bWithin;
    if (!verdict.needs.empty())
        out.need = verdict.needs.front();
    if (!verdict.hover.empty())
        out.hover = verdict.hover.front();
    return out;
}

_recOutputs recOutputsOf(const _wbFlight& flight, const std::string& strVerdict)
{
    _recOutputs out;
    for (size_t n = 0; n < POINT_COUNT; n++) {
        const _wbPoint& p = flight.points[n];
        out.points[n] = {p.nWeight, p.nLongArm, p.nLatArm, {}};
        for (size_t k = 0; k < LIMIT_COUNT; k++)
            out.points[n].bBeyond[k] = flight.judged[n].limits[k].bBeyond;
    }
    out.bLanding = flight.hasPoint(POINT_LANDING);
    out.bWithin = flight.within();
    out.strVerdict = strVerdict;
    return out;
}

std::string recNumberText(double n)
{
    return number(n);
}

std::string recTimeText(time_t t)
{
    g_autoptr(GDateTime) pdt = g_date_time_new_from_unix_local(t);
    if (!pdt)
        return "";
    g_autofree gchar* psz = g_date_time_format(pdt, "%Y-%m-%dT%H:%M:%S%:z");
    return psz ? psz : "";
}

namespace
{

std::string unreadText(const std::vector<std::pair<std::string, std::string>>& texts)
{
    Object unread;
    for (const auto& [strPath, strText] : texts)
        unread.add(strPath.c_str(), quoted(strText));
    return unread.text();
}

// A leg's take-off and landing judged for hover, each where shown: its
// pressure and density altitude and each chart's figure, or why there is
// none.
constexpr const char* REC_KEY_HOVER_AT = "hover";
constexpr std::array<const char*, HOV_EFFECTS> HOVER_EFFECT_KEYS = {"inGroundEffect", "outOfGroundEffect"};
constexpr std::array<std::pair<const char*, _hovAt _hovLeg::*>, 2> HOVER_POINTS = {
    {{"takeOff", &_hovLeg::takeOff}, {"landing", &_hovLeg::landing}}};

std::string hoverText(const _hovLeg& leg)
{
    Object hover;
    for (const auto& [pszKey, pAt] : HOVER_POINTS) {
        const _hovAt& at = leg.*pAt;
        if (!at.bShown)
            continue;
        Object o;
        o.add("pressureAltitude", at.nPressureAltitude).add("densityAltitude", at.nDensityAltitude);
        for (size_t e = 0; e < HOV_EFFECTS; e++)
            if (at.bChart[e])
                o.add(HOVER_EFFECT_KEYS[e],
                      at.figures[e].bKnown ? number(at.figures[e].nWeight) : quoted(at.figures[e].strBeyond));
        hover.add(pszKey, o.text());
    }
    return hover.text();
}

// A leg's points, the landing only with a trip, each with every limit.
void addPoints(Object& o, const _recOutputs& out)
{
    for (size_t n = 0; n < POINT_COUNT; n++) {
        if (n == POINT_LANDING && !out.bLanding)
            continue;
        const _recPoint& p = out.points[n];
        Object limits;
        for (size_t k = 0; k < LIMIT_COUNT; k++)
            limits.add(LIM_ROWS[k].pszRecordName, quoted(p.bBeyond[k] ? "beyond" : "within"));
        o.add(POINT_NAMES[n], Object()
                                  .add("weight", p.nWeight)
                                  .add("longArm", p.nLongArm)
                                  .add("latArm", p.nLatArm)
                                  .add("limits", limits.text())
                                  .text());
    }
    if (out.hover.takeOff.bShown || out.hover.landing.bShown)
        o.add(REC_KEY_HOVER_AT, hoverText(out.hover));
    if (out.need.bKnown) {
        Object need;
        for (const _recNeedField& f : NEED_FIELDS)
            need.add(f.pszKey, out.need.*f.pField);
        need.flag("enough", out.need.bEnough).flag("keepsReserve", out.need.bKeepsReserve);
        o.add(FUEL_NEEDS, need.text());
    }
}

// The legs after the first, "2" and up, each as the line holds the first:
// its own inputs, the aircraft's items as it took them, its people, its
// texts not read and its points.
std::string legsText(const _recEntry& e)
{
    Object legs;
    for (size_t n = 0; n < e.legs.size(); n++) {
        const _recLeg& l = e.legs[n];
        Object inputs, leg;
        for (const _recNumberField& f : numberFields())
            if (f.pLoad && !conditionLeftOut(f, l.load.*f.pLoad, e.setup))
                inputs.add(f.pszKey, l.load.*f.pLoad);
        inputs.add(nameOf(VAL_BALLAST_POSN), static_cast<double>(static_cast<gint>(l.load.nBallastPosn)))
            .flag(LEG_FUEL_AS_LANDED, l.load.bFuelAsLanded);
        leg.add("inputs", inputs.text());
        if (!e.setup.items.empty()) {
            Object fitted;
            for (size_t k = 0; k < e.setup.items.size(); k++)
                fitted.flag(std::to_string(k + 1).c_str(), calcItemFitted(e.setup, l.load.fitted, k));
            leg.add("fitted", fitted.text());
        }
        for (const auto& [pszKey, pstr] :
             {std::pair{nameOf(VAL_LSEAT_PERSON), &l.strLeftSeat}, std::pair{nameOf(VAL_RSEAT_PERSON), &l.strRightSeat},
              std::pair{nameOf(VAL_COMMANDER), &l.strCommander}})
            if (!pstr->empty())
                leg.add(pszKey, quoted(*pstr));
        leg.add("unread", unreadText(l.unread));
        addPoints(leg, l.outputs);
        legs.add(std::to_string(n + 2).c_str(), leg.text());
    }
    if (!e.strLegsNotRead.empty())
        legs.add(LEGS_NOT_READ, quoted(e.strLegsNotRead));
    return legs.text();
}

} // namespace

std::string recLine(const _recEntry& e)
{
    Object inputs;
    for (const _recNumberField& f : numberFields())
        if (const double n = f.pSetup ? e.setup.*f.pSetup : e.load.*f.pLoad;
            !conditionLeftOut(f, n, e.setup) && (!f.bLater || !missing(f, n)))
            inputs.add(f.pszKey, n); // one recorded later is left out at 0, which it reads as
    inputs.add(nameOf(VAL_BALLAST_POSN), static_cast<double>(static_cast<gint>(e.load.nBallastPosn)))
        .flag(nameOf(VAL_SHOW_BURN_OFF), e.load.bShowBurnOff != FALSE)
        .add(nameOf(VAL_UNCONFIRMED), static_cast<double>(e.setup.nUnconfirmed))
        .add(nameOf(VAL_UNIT_WEIGHT), static_cast<double>(e.setup.nUnitWt))
        .add(nameOf(VAL_UNIT_ARM), static_cast<double>(e.setup.nUnitArm))
        .add(nameOf(VAL_UNIT_FUEL), static_cast<double>(e.setup.nUnitFuel));
    // Only where the operator's rule asks to hover out of ground effect,
    // of an aircraft with a chart.
    if (e.setup.nHoverOge != 0 && hvcAny(e.setup.hover))
        inputs.flag(REC_KEY_HOVER_OGE, true);
    Object line;
    line.add("time", quoted(e.strTime))
        .add("version", quoted(e.strVersion))
        .add("fingerprint", quoted(e.strFingerprint))
        .add(nameOf(VAL_REGISTRATION), quoted(e.strRegistration))
        .add(nameOf(VAL_WEIGHED), quoted(e.strWeighed));
    if (!e.strCopiedFrom.empty())
        line.add(nameOf(VAL_COPIED_FROM), quoted(e.strCopiedFrom));
    // Only where the sheet names them: a line that names neither is written
    // as an older Zarv wrote it.
    if (!e.strPilot.empty())
        line.add(nameOf(VAL_PILOT), quoted(e.strPilot));
    if (!e.strFlight.empty())
        line.add("flight", quoted(e.strFlight));
    for (const auto& [pszKey, pstr] :
         {std::pair{nameOf(VAL_LSEAT_PERSON), &e.strLeftSeat}, std::pair{nameOf(VAL_RSEAT_PERSON), &e.strRightSeat},
          std::pair{nameOf(VAL_COMMANDER), &e.strCommander}})
        if (!pstr->empty())
            line.add(pszKey, quoted(*pstr));
    line.add("inputs", inputs.text());
    // Only for an aircraft with removable items: a line without is written
    // as an older Zarv wrote it.
    if (!e.setup.items.empty()) {
        Object items;
        for (size_t n = 0; n < e.setup.items.size(); n++) {
            const _wbItem& i = e.setup.items[n];
            Object item;
            item.add("name", quoted(i.strName))
                .add("weight", i.nWeight)
                .add("longArm", i.nLongArm)
                .add("latArm", i.nLatArm)
                .flag("weighed", i.bWeighed)
                .flag("fitted", calcItemFitted(e.setup, e.load.fitted, n));
            // What of it was not read, so the check judges it as the sheet did.
            if (!i.strUnread.empty())
                item.add("unread", quoted(i.strUnread));
            items.add(std::to_string(n + 1).c_str(), item.text());
        }
        line.add("items", items.text());
    }
    // Only for an aircraft with hover charts, which its fingerprint covers:
    // as the CSV a person imports, every figure reading back to the same
    // double; and what of them was not read, so the check judges as the
    // sheet did.
    if (hvcAny(e.setup.hover))
        line.add(REC_KEY_HOVER, quoted(hovCsvText(e.setup.hover)));
    if (!e.strHoverRevision.empty())
        line.add(REC_KEY_HOVER_REVISION, quoted(e.strHoverRevision));
    if (!e.setup.strHoverNotRead.empty())
        line.add(REC_KEY_HOVER_NOT_READ, quoted(e.setup.strHoverNotRead));
    if (e.storedDensity || e.storedMonths) {
        Object stored;
        if (e.storedDensity)
            stored.add(nameOf(VAL_FUEL_DENSITY), *e.storedDensity);
        if (e.storedMonths)
            stored.add(nameOf(VAL_WEIGHING_MONTHS), *e.storedMonths);
        line.add("stored", stored.text());
    }
    // Written always, even empty: it marks a line whose verdict judged the
    // values themselves.
    line.add("unread", unreadText(e.unread));
    addPoints(line, e.outputs);
    // Only for a flight of several legs, or one whose legs were not all
    // read: a line of one leg is written as it always was.
    if (!e.legs.empty() || !e.strLegsNotRead.empty())
        line.add("legs", legsText(e));
    line.flag("within", e.outputs.bWithin).add("verdict", quoted(e.outputs.strVerdict));
    // A line an older Zarv wrote kept no form: read back, it is written so.
    if (e.outputs.nVerdictForm > 0)
        line.add("verdictForm", static_cast<double>(e.outputs.nVerdictForm));
    return line.text() + "\n";
}

std::string recContentHash(const std::string& strLine)
{
    const std::string str = strLine.substr(0, strLine.find_last_not_of('\n') + 1);
    g_autofree gchar* psz = g_compute_checksum_for_string(G_CHECKSUM_SHA256, str.c_str(), str.size());
    return psz;
}

std::string recAcceptedText(const std::string& strCapacity, const std::string& strName, const std::string& strTime,
                            const std::string& strRecord, const std::string& strSheet, const std::string& strKey)
{
    const _recAcceptance a = {strCapacity, strName, strTime, strRecord, strSheet, strKey, "", ""};
    std::string str = std::string(ACCEPTED_HEAD) + "\n";
    for (const auto& [pszName, pField] : ACCEPTED_FIELDS)
        str += std::string(pszName) + ": " + a.*pField + "\n";
    return str;
}

bool recReadAcceptedText(const std::string& strText, _recAcceptance* pa)
{
    std::vector<std::string> lines;
    for (size_t n = 0; n < strText.size();) {
        const size_t nEnd = strText.find('\n', n);
        if (nEnd == std::string::npos)
            return false; // every line ends, the last too
        lines.push_back(strText.substr(n, nEnd - n));
        n = nEnd + 1;
    }
    if (lines.size() != ACCEPTED_FIELDS.size() + 1 || lines[0] != ACCEPTED_HEAD)
        return false;
    for (size_t n = 0; n < ACCEPTED_FIELDS.size(); n++) {
        const std::string strPrefix = std::string(ACCEPTED_FIELDS[n].first) + ": ";
        const std::string& strLine = lines[n + 1];
        if (strLine.compare(0, strPrefix.size(), strPrefix) != 0 || strLine.size() == strPrefix.size() ||
            strLine.find('\r') != std::string::npos)
            return false;
        pa->*ACCEPTED_FIELDS[n].second = strLine.substr(strPrefix.size());
    }
    pa->strText = strText;
    return true;
}

std::string recAcceptedTrusted(const _recAcceptance& a)
{
    return std::string(a.strCapacity == REC_INSTRUCTOR ? "Zarv: authorised by " : "Zarv: accepted by ") + a.strName +
           ", " + a.strCapacity + ", " + a.strTime + ", record " + a.strRecord.substr(0, REC_HASH_PRINTED);
}

std::string recAcceptanceWhy(const _recRead& r, const _recAcceptance& a)
{
    const std::string strWho = "the " + a.strCapacity + "'s acceptance";
    const _sgnVerified v = sgnVerify(a.strText, a.strSignature, a.strKey);
    if (!v.bGood)
        return strWho + " is forged: " + v.strWhy;
    if (v.strTrusted != recAcceptedTrusted(a))
        return strWho + " is forged: its signed comment is not the acceptance's";
    if (a.strRecord != r.strContentHash)
        return "changed after it was accepted: its content is not the one " + strWho + " signed";
    if (!r.strSheetSha256.empty() && a.strSheet != r.strSheetSha256)
        return strWho + " is of another sheet than the one its line filed";
    return {};
}

std::string recAcceptedJson(const std::vector<_recAcceptance>& accepted)
{
    // By capacity, as a reader's object holds them, so that the text read
    // back is the text written.
    std::vector<const _recAcceptance*> sorted;
    for (const _recAcceptance& a : accepted)
        sorted.push_back(&a);
    std::sort(sorted.begin(), sorted.end(),
              [](const _recAcceptance* pa, const _recAcceptance* pb) { return pa->strCapacity < pb->strCapacity; });
    Object o;
    for (const _recAcceptance* pa : sorted)
        o.add(pa->strCapacity.c_str(),
              Object().add("signature", quoted(pa->strSignature)).add("text", quoted(pa->strText)).text());
    return accepted.empty() ? "" : o.text();
}

std::string recSheetSha256(std::string_view pdf)
{
    g_autofree gchar* psz =
        g_compute_checksum_for_data(G_CHECKSUM_SHA256, reinterpret_cast<const guchar*>(pdf.data()), pdf.size());
    return psz;
}

std::string recChain(const std::string& strBefore, const std::string& strHash, const std::string& strSheet,
                     const _recPlace& place, const std::string& strSheetSha256, const std::string& strAccepted)
{
    std::string str = strBefore + "\n" + strHash + "\n" + strSheet;
    if (place.nSequence > 0)
        str += "\n" + place.strMachine + "\n" + std::to_string(place.nSequence);
    // Marked, so that it can never be read as a place.
    if (!strSheetSha256.empty())
        str += "\nsha256:" + strSheetSha256;
    if (!strAccepted.empty())
        str += "\naccepted:" + strAccepted;
    g_autofree gchar* psz = g_compute_checksum_for_string(G_CHECKSUM_SHA256, str.c_str(), str.size());
    return psz;
}

namespace
{

// The end of a line: its hash, sheet, the sheet's SHA-256 and place where
// it has them, and chain.
std::string closingText(const std::string& strHash, const std::string& strSheet, const std::string& strSheetSha256,
                        const _recPlace& place, const std::string& strAccepted, const std::string& strChain,
                        const std::string& strSignature)
{
    std::string str = ",\"hash\":" + quoted(strHash) + ",\"sheet\":" + quoted(strSheet);
    if (!strSheetSha256.empty())
        str += ",\"" + std::string(REC_KEY_SHEET_SHA256) + "\":" + quoted(strSheetSha256);
    if (place.nSequence > 0)
        str += ",\"machine\":" + quoted(place.strMachine) + ",\"sequence\":" + std::to_string(place.nSequence);
    if (!strAccepted.empty())
        str += ",\"" + std::string(REC_KEY_ACCEPTED) + "\":" + strAccepted;
    str += ",\"chain\":" + quoted(strChain);
    if (!strSignature.empty())
        str += ",\"signature\":" + quoted(strSignature);
    return str + "}";
}

} // namespace

std::string recSignedText(const std::string& strHash, const std::string& strSheet, const std::string& strSheetSha256,
                          const _recPlace& place, const std::string& strChain, const std::string& strAccepted)
{
    // A line without acceptances signs what it always did.
    const std::string strAcceptedLine = strAccepted.empty() ? "" : "accepted " + recContentHash(strAccepted) + "\n";
    return "Zarv record\nhash " + strHash + "\nsheet " + strSheet + "\nsheetSha256 " + strSheetSha256 + "\nmachine " +
           place.strMachine + "\nsequence " + std::to_string(place.nSequence) + "\n" + strAcceptedLine + "chain " +
           strChain + "\n";
}

std::string recSignedTextOf(const _recRead& r)
{
    return recSignedText(r.strHash, r.strSheet, r.strSheetSha256, r.place, r.strChain, r.strAccepted);
}

std::string recChainedLine(const std::string& strContent, const std::string& strSheet, const std::string& strBefore,
                           const _recPlace& place, const std::string& strSheetSha256, const std::string& strSecret,
                           const std::string& strAccepted)
{
    const std::string strHash = recContentHash(strContent);
    const std::string strChain = recChain(strBefore, strHash, strSheet, place, strSheetSha256, strAccepted);
    const std::string strSignature =
        strSecret.empty()
            ? ""
            : sgnSignLine(recSignedText(strHash, strSheet, strSheetSha256, place, strChain, strAccepted), strSecret);
    if (!strSecret.empty() && strSignature.empty())
        return {}; // a line its machine cannot sign is not written
    return strContent.substr(0, strContent.find_last_not_of('\n')) +
           closingText(strHash, strSheet, strSheetSha256, place, strAccepted, strChain, strSignature) + "\n";
}

namespace
{

// What the next line's chain continues from in the record open as fd, of
// nSize bytes: the last whole line that is a record ("" where none is).
std::string chainBefore(int fd, off_t nSize, int* pnErr)
{
    const off_t nTail = std::min<off_t>(nSize, 2 * static_cast<off_t>(REC_MAX_LINE) + 2);
    std::string strTail(static_cast<size_t>(nTail), '\0');
    if (nTail > 0 && pread(fd, strTail.data(), strTail.size(), nSize - nTail) != nTail) {
        *pnErr = errno ? errno : EIO;
        return {};
    }
    // A last line with no end is no line: the chain goes on from before it.
    size_t nEnd = strTail.rfind('\n');
    while (nEnd != std::string::npos && nEnd > 0) {
        const size_t nStart = strTail.rfind('\n', nEnd - 1);
        if (nStart == std::string::npos && nTail < nSize)
            break; // the line starts before the tail read: too long to be a record
        const size_t nFrom = nStart == std::string::npos ? 0 : nStart + 1;
        const _recRead r = recReadLine(strTail.substr(nFrom, nEnd - nFrom), 0, false);
        if (r.strError.empty())
            return r.strChainOf;
        if (nFrom == 0)
            break;
        nEnd = nFrom - 1;
    }
    return {};
}

} // namespace

std::string recAppend(int fdDir, const std::string& strContent, const std::string& strSheet,
                      const std::string& strSheetSha256, const std::string& strAccepted)
{
    std::string strCall = "openat(" + std::string(REC_FILE_NAME) + ")";
    int nErr = 0;
    const int fd = openat(fdDir, REC_FILE_NAME, O_RDWR | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        nErr = errno;
    else {
        struct stat st;
        std::string str;
        char cLast = '\n';
        const bool bStat = fstat(fd, &st) == 0;
        if (!bStat)
            strCall = "fstat()", nErr = errno;
        else if (!S_ISREG(st.st_mode) || st.st_uid != geteuid())
            strCall = "fstat()", nErr = EPERM;
        else if ((st.st_mode & 07777) != 0600 && fchmod(fd, 0600) != 0)
            strCall = "fchmod()", nErr = errno;
        else if (st.st_size > 0) {
            const ssize_t nRead = pread(fd, &cLast, 1, st.st_size - 1);
            if (nRead != 1)
                strCall = "pread()", nErr = nRead < 0 ? errno : EIO;
        }
        std::string strBefore;
        if (!nErr)
            strBefore = chainBefore(fd, st.st_size, &nErr);
        if (nErr && strCall.rfind("openat", 0) == 0)
            strCall = "pread()";
        if (!nErr) {
            str = recChainedLine(strContent, strSheet, strBefore, {}, strSheetSha256, "", strAccepted);
            // A line a crash cut short ends here, so this one starts afresh.
            if (cLast != '\n')
                str.insert(0, "\n");
            ssize_t n;
            do
                n = prmFileOps().pfuncWrite(fd, str.data(), str.size());
            while (n < 0 && errno == EINTR);
            if (n != static_cast<ssize_t>(str.size())) {
                strCall = "write()", nErr = n < 0 ? errno : ENOSPC;
                // Half a line would join the next one: it is taken back.
                if (n > 0 && ftruncate(fd, st.st_size) != 0)
                    strCall = "write() and ftruncate()";
            } else if (prmFileOps().pfuncFsync(fd) != 0)
                strCall = "fsync()", nErr = errno;
            else if (st.st_size == 0 && fsync(fdDir) != 0)
                strCall = "fsync(Load sheets)", nErr = errno; // the new file's name
        }
        if (close(fd) != 0 && !nErr)
            strCall = "close()", nErr = errno;
        // A record this write created and left empty is not left behind.
        if (nErr && bStat && st.st_size == 0 && S_ISREG(st.st_mode))
            unlinkat(fdDir, REC_FILE_NAME, 0);
    }
    if (!nErr)
        return {};
    g_autofree gchar* pszMsg =
        g_strdup_printf("recAppend()\n%s failed for the record of load sheets\n%s", strCall.c_str(), g_strerror(nErr));
    errPostError(pszMsg);
    return std::string("its line in the record (") + REC_FILE_NAME + ") could not be written: " + g_strerror(nErr);
}

namespace
{

// The points of a line's outputs, each with every limit it records.
void readPoints(Reader& rd, const Members& m, _recOutputs* pOutputs)
{
    pOutputs->bLanding = m.count(POINT_NAMES[POINT_LANDING]) != 0;
    for (size_t n = 0; n < POINT_COUNT; n++) {
        if (n == POINT_LANDING && !pOutputs->bLanding)
            continue;
        const Members* pp = rd.object(m, POINT_NAMES[n]);
        _recPoint& p = pOutputs->points[n];
        p.nWeight = rd.number(pp, "weight");
        p.nLongArm = rd.number(pp, "longArm");
        p.nLatArm = rd.number(pp, "latArm");
        const Members* plim = pp ? rd.object(*pp, "limits") : nullptr;
        for (size_t k = 0; k < LIMIT_COUNT; k++) {
            // A line an older Zarv wrote knows fewer limits.
            if (plim && !plim->count(LIM_ROWS[k].pszRecordName)) {
                p.bUnrecorded[k] = true;
                continue;
            }
            const std::string str = rd.text(plim, LIM_ROWS[k].pszRecordName);
            if (str != "within" && str != "beyond")
                rd.note(LIM_ROWS[k].pszRecordName, "\"within\" or \"beyond\"");
            p.bBeyond[k] = str == "beyond";
        }
    }
    if (m.count(REC_KEY_HOVER_AT))
        if (const Members* ph = rd.object(m, REC_KEY_HOVER_AT))
            for (const auto& [pszKey, pAt] : HOVER_POINTS) {
                if (!ph->count(pszKey))
                    continue;
                _hovAt& at = pOutputs->hover.*pAt;
                const Members* pp = rd.object(*ph, pszKey);
                at.bShown = true;
                at.nPressureAltitude = rd.number(pp, "pressureAltitude");
                at.nDensityAltitude = rd.number(pp, "densityAltitude");
                for (size_t e = 0; e < HOV_EFFECTS; e++) {
                    if (!pp || !pp->count(HOVER_EFFECT_KEYS[e]))
                        continue;
                    at.bChart[e] = true;
                    at.figures[e].bKnown = !std::holds_alternative<std::string>(pp->at(HOVER_EFFECT_KEYS[e]).v);
                    if (at.figures[e].bKnown)
                        at.figures[e].nWeight = rd.number(pp, HOVER_EFFECT_KEYS[e]);
                    else
                        at.figures[e].strBeyond = rd.text(pp, HOVER_EFFECT_KEYS[e]);
                }
            }
    if (m.count(FUEL_NEEDS)) {
        const Members* pn = rd.object(m, FUEL_NEEDS);
        _wbFuelNeed& need = pOutputs->need;
        need.bKnown = true;
        for (const _recNeedField& f : NEED_FIELDS)
            need.*f.pField = rd.number(pn, f.pszKey);
        need.bEnough = rd.flag(pn, "enough");
        need.bKeepsReserve = rd.flag(pn, "keepsReserve");
    }
}

std::vector<std::pair<std::string, std::string>> readUnread(Reader& rd, const Members* pu)
{
    std::vector<std::pair<std::string, std::string>> texts;
    if (pu)
        for (const auto& [strPath, value] : *pu)
            texts.emplace_back(strPath, rd.text(pu, strPath.c_str()));
    return texts;
}

// A leg after the first, as legsText writes it.
_recLeg readLeg(Reader& rd, const Members& m, const _wbSetup& setup)
{
    _recLeg l;
    const Members* pin = rd.object(m, "inputs");
    for (const _recNumberField& f : numberFields())
        if (f.pLoad)
            l.load.*f.pLoad = readNumber(rd, pin, f);
    l.load.nBallastPosn = rd.choice<guint>(pin, nameOf(VAL_BALLAST_POSN));
    l.load.bFuelAsLanded = rd.flag(pin, LEG_FUEL_AS_LANDED);
    if (!setup.items.empty()) {
        const Members* pf = rd.object(m, "fitted");
        for (size_t k = 0; k < setup.items.size(); k++)
            l.load.fitted.push_back(rd.flag(pf, std::to_string(k + 1).c_str()));
    }
    l.strLeftSeat = rd.optionalText(&m, nameOf(VAL_LSEAT_PERSON));
    l.strRightSeat = rd.optionalText(&m, nameOf(VAL_RSEAT_PERSON));
    l.strCommander = rd.optionalText(&m, nameOf(VAL_COMMANDER));
    l.unread = readUnread(rd, rd.object(m, "unread"));
    readPoints(rd, m, &l.outputs);
    return l;
}

// The legs after the first: "2" and up, one after another, at most the
// flight's six, and nothing else but the legs not read; a leg missing or
// numbered another way would be judged as no leg at all.
void readLegs(Reader& rd, const Members& m, _recEntry* pe)
{
    if (!m.count("legs"))
        return;
    const Members* pl = rd.object(m, "legs");
    if (!pl)
        return;
    for (size_t n = 2; n <= STATE_MAX_LEGS && pl->count(std::to_string(n)); n++)
        if (const Members* pleg = rd.object(*pl, std::to_string(n).c_str()))
            pe->legs.push_back(readLeg(rd, *pleg, pe->setup));
    if (pl->count(LEGS_NOT_READ))
        pe->strLegsNotRead = rd.text(pl, LEGS_NOT_READ);
    if (pl->size() != pe->legs.size() + pl->count(LEGS_NOT_READ) || pl->empty())
        rd.note("legs", "legs 2 to 6 in order");
}

// A line's acceptances, by capacity: each the text it signed, which names
// that capacity, and its signature.
void readAccepted(Reader& rd, const Members* pm, _recRead* pr)
{
    if (!pm)
        return;
    for (const auto& [strCapacity, value] : *pm) {
        _recAcceptance a;
        const Members* pa = rd.object(*pm, strCapacity.c_str());
        a.strSignature = rd.text(pa, "signature");
        const std::string strText = rd.text(pa, "text");
        if (!rd.strError.empty())
            return;
        if ((strCapacity != REC_COMMANDER && strCapacity != REC_INSTRUCTOR) || pa->size() != 2 ||
            !recReadAcceptedText(strText, &a) || a.strCapacity != strCapacity) {
            rd.note(REC_KEY_ACCEPTED, "an acceptance as Zarv writes it");
            return;
        }
        pr->accepted.push_back(a);
    }
    pr->strAccepted = recAcceptedJson(pr->accepted);
}

// The chain that closes a line: its content is what stands before it.
void readChain(Reader& rd, const Members& m, const std::string& strLine, _recRead* pr)
{
    _recRead& r = *pr;
    r.bChained = m.count("chain") != 0;
    if (r.bChained) {
        r.strHash = rd.text(&m, "hash");
        r.strSheet = rd.text(&m, "sheet");
        r.strChain = rd.text(&m, "chain");
        // A line written with its sheet filed, by a Zarv that keeps it.
        if (m.count(REC_KEY_SHEET_SHA256)) {
            r.strSheetSha256 = rd.text(&m, REC_KEY_SHEET_SHA256);
            if (r.strSheetSha256.size() != 64 ||
                r.strSheetSha256.find_first_not_of("0123456789abcdef") != std::string::npos)
                rd.note(REC_KEY_SHEET_SHA256, "64 hex digits");
        }
        // A line of a shared folder says which machine wrote it, and its
        // number there.
        if (m.count("machine") || m.count("sequence")) {
            r.place.strMachine = rd.text(&m, "machine");
            r.place.nSequence = rd.choice<int>(&m, "sequence");
            if (r.place.nSequence < 1)
                rd.note("sequence", "a number from 1");
        }
        if (m.count(REC_KEY_ACCEPTED))
            readAccepted(rd, rd.object(m, REC_KEY_ACCEPTED), &r);
        if (m.count("signature"))
            r.strSignature = rd.text(&m, "signature");
        // The chain closes the line as Zarv writes it, and nothing follows.
        const size_t nAt = strLine.rfind(",\"hash\":");
        const bool bClosed =
            nAt != std::string::npos && strLine.compare(nAt, std::string::npos,
                                                        closingText(r.strHash, r.strSheet, r.strSheetSha256, r.place,
                                                                    r.strAccepted, r.strChain, r.strSignature)) == 0;
        r.strContentHash = bClosed ? recContentHash(strLine.substr(0, nAt) + "}") : "";
        r.bHashMatches = !r.strContentHash.empty() && r.strContentHash == r.strHash;
        r.strChainOf = r.strChain;
    } else {
        r.strContentHash = r.strChainOf = recContentHash(strLine);
    }
}

} // namespace

_recRead recReadLine(const std::string& strLine, int nLine, bool bTorn)
{
    _recRead r;
    r.nLine = nLine;
    if (bTorn) {
        r.bTorn = true;
        r.strError = "cut short (no end of line): not a whole record";
        return r;
    }
    if (strLine.size() > REC_MAX_LINE) {
        r.strError = "not a record: longer than any record";
        return r;
    }
    Parser parser{strLine, 0, {}};
    Value root;
    const Members* pm = nullptr;
    if (parser.value(&root, 0)) {
        parser.blanks();
        if (parser.i != strLine.size())
            parser.fail("text after the record");
        else if (const auto* pp = std::get_if<std::shared_ptr<Members>>(&root.v))
            pm = pp->get();
        else
            parser.fail("no object");
    }
    if (!pm) {
        r.strError = "not a record: " + parser.strError;
        return r;
    }
    Reader rd;
    _recEntry& e = r.entry;
    e.strTime = rd.text(pm, "time");
    e.strVersion = rd.text(pm, "version");
    e.strFingerprint = rd.text(pm, "fingerprint");
    e.strRegistration = rd.text(pm, nameOf(VAL_REGISTRATION));
    e.strWeighed = rd.text(pm, nameOf(VAL_WEIGHED));
    e.strCopiedFrom = rd.optionalText(pm, nameOf(VAL_COPIED_FROM));
    e.strPilot = rd.optionalText(pm, nameOf(VAL_PILOT));
    e.strFlight = rd.optionalText(pm, "flight");
    e.strLeftSeat = rd.optionalText(pm, nameOf(VAL_LSEAT_PERSON));
    e.strRightSeat = rd.optionalText(pm, nameOf(VAL_RSEAT_PERSON));
    e.strCommander = rd.optionalText(pm, nameOf(VAL_COMMANDER));
    const Members* pin = rd.object(*pm, "inputs");
    for (const _recNumberField& f : numberFields())
        (f.pSetup ? e.setup.*f.pSetup : e.load.*f.pLoad) = readNumber(rd, pin, f);
    e.load.nBallastPosn = rd.choice<guint>(pin, nameOf(VAL_BALLAST_POSN));
    e.load.bShowBurnOff = rd.flag(pin, nameOf(VAL_SHOW_BURN_OFF));
    e.setup.nUnconfirmed = rd.choice<guint>(pin, nameOf(VAL_UNCONFIRMED));
    e.setup.nUnitWt = rd.choice<_unitWt>(pin, nameOf(VAL_UNIT_WEIGHT));
    e.setup.nUnitArm = rd.choice<_unitLen>(pin, nameOf(VAL_UNIT_ARM));
    e.setup.nUnitFuel = rd.choice<_unitFuel>(pin, nameOf(VAL_UNIT_FUEL));
    e.setup.nHoverOge = pin && pin->count(REC_KEY_HOVER_OGE) && rd.flag(pin, REC_KEY_HOVER_OGE);
    if (pm->count("items"))
        if (const Members* pit = rd.object(*pm, "items"))
            for (size_t n = 1; pit->count(std::to_string(n)); n++) {
                const Members* pi = rd.object(*pit, std::to_string(n).c_str());
                e.setup.items.push_back({rd.text(pi, "name"), rd.number(pi, "weight"), rd.number(pi, "longArm"),
                                         rd.number(pi, "latArm"), rd.flag(pi, "weighed"),
                                         rd.optionalText(pi, "unread")});
                e.load.fitted.push_back(rd.flag(pi, "fitted"));
            }
    if (pm->count(REC_KEY_HOVER)) {
        std::string strWhy;
        if (!hovReadCsv(rd.text(pm, REC_KEY_HOVER), &e.setup.hover, &strWhy, false))
            rd.note(REC_KEY_HOVER, "hover charts as Zarv writes them");
    }
    e.setup.strHoverNotRead = rd.optionalText(pm, REC_KEY_HOVER_NOT_READ);
    e.strHoverRevision = rd.optionalText(pm, REC_KEY_HOVER_REVISION);
    if (pm->count("stored")) {
        const Members* pst = rd.object(*pm, "stored");
        const char* pszDensity = nameOf(VAL_FUEL_DENSITY);
        const char* pszMonths = nameOf(VAL_WEIGHING_MONTHS);
        if (pst && pst->count(pszDensity))
            e.storedDensity = rd.number(pst, pszDensity);
        if (pst && pst->count(pszMonths))
            e.storedMonths = rd.number(pst, pszMonths);
    }
    e.bValuesJudged = pm->count("unread") != 0;
    if (e.bValuesJudged)
        e.unread = readUnread(rd, rd.object(*pm, "unread"));
    readPoints(rd, *pm, &e.outputs);
    readLegs(rd, *pm, &e);
    e.outputs.bWithin = rd.flag(pm, "within");
    e.outputs.strVerdict = rd.text(pm, "verdict");
    // A form this Zarv cannot name is none it wrote.
    const double nForm = pm->count("verdictForm") ? rd.number(pm, "verdictForm") : 0;
    e.outputs.nVerdictForm = nForm >= 0 && nForm <= WRD_VERDICT_FORM ? static_cast<int>(nForm) : -1;
    readChain(rd, *pm, strLine, &r);
    if (!rd.strError.empty())
        r.strError = "not a record: " + rd.strError;
    return r;
}

std::vector<_recRead> recReadText(const std::string& strText)
{
    std::vector<_recRead> lines;
    size_t nStart = 0;
    for (int nLine = 1; nStart < strText.size(); nLine++) {
        const size_t nEnd = strText.find('\n', nStart);
        const bool bTorn = nEnd == std::string::npos;
        lines.push_back(recReadLine(strText.substr(nStart, bTorn ? nEnd : nEnd - nStart), nLine, bTorn));
        nStart = bTorn ? strText.size() : nEnd + 1;
    }
    return lines;
}

std::vector<std::string> recDifferences(const _recOutputs& was, const _recOutputs& now, size_t nLeg)
{
    std::vector<std::string> diffs;
    const std::string strLeg = nLeg == 0 ? "" : "leg " + std::to_string(nLeg + 1) + " ";
    auto differ = [&](const std::string& strWhat, const std::string& strWas, const std::string& strNow) {
        if (strWas != strNow)
            diffs.push_back(strLeg + strWhat + ": recorded " + strWas + " recomputed " + strNow);
    };
    auto yesNo = [](bool b) { return std::string(b ? "yes" : "no"); };
    differ("landing", yesNo(was.bLanding), yesNo(now.bLanding));
    for (size_t n = 0; n < POINT_COUNT; n++) {
        if (n == POINT_LANDING && !(was.bLanding && now.bLanding))
            continue;
        const _recPoint &a = was.points[n], &b = now.points[n];
        const std::string strPoint = POINT_WORDS[n];
        // Compared as written, so that no arms of an aircraft that weighs
        // nothing match, and every bit of a figure counts.
        differ(strPoint + " weight", number(a.nWeight), number(b.nWeight));
        differ(strPoint + " longitudinal arm", number(a.nLongArm), number(b.nLongArm));
        differ(strPoint + " lateral arm", number(a.nLatArm), number(b.nLatArm));
        for (size_t k = 0; k < LIMIT_COUNT; k++)
            if (!a.bUnrecorded[k] && !b.bUnrecorded[k])
                differ(strPoint + " " + LIM_ROWS[k].pszRecordName + " limit", a.bBeyond[k] ? "beyond" : "within",
                       b.bBeyond[k] ? "beyond" : "within");
    }
    // The needs, each part as written; a line without them needs nothing.
    differ("fuel needed", yesNo(was.need.bKnown), yesNo(now.need.bKnown));
    if (was.need.bKnown && now.need.bKnown) {
        for (const _recNeedField& f : NEED_FIELDS)
            differ(std::string("fuel needed ") + f.pszKey, number(was.need.*f.pField), number(now.need.*f.pField));
        differ("fuel enough", yesNo(was.need.bEnough), yesNo(now.need.bEnough));
        differ("fuel reserve at landing", yesNo(was.need.bKeepsReserve), yesNo(now.need.bKeepsReserve));
    }
    // Each hover figure, as written: the sheet's against the charts' now.
    for (const auto& [pszKey, pAt] : HOVER_POINTS) {
        const _hovAt &a = was.hover.*pAt, &b = now.hover.*pAt;
        const std::string strAt = std::string("hover at ") + (pAt == &_hovLeg::takeOff ? "take-off" : "landing");
        differ(strAt, yesNo(a.bShown), yesNo(b.bShown));
        if (!a.bShown || !b.bShown)
            continue;
        differ(strAt + " pressure altitude", number(a.nPressureAltitude), number(b.nPressureAltitude));
        differ(strAt + " density altitude", number(a.nDensityAltitude), number(b.nDensityAltitude));
        for (size_t e = 0; e < HOV_EFFECTS; e++) {
            const auto figure = [e](const _hovAt& at) {
                return !at.bChart[e]          ? std::string("no chart")
                       : at.figures[e].bKnown ? number(at.figures[e].nWeight)
                                              : quoted(at.figures[e].strBeyond);
            };
            differ(strAt + " " + HOVER_EFFECT_KEYS[e], figure(a), figure(b));
        }
    }
    if (nLeg != 0)
        return diffs;
    differ("within limits", yesNo(was.bWithin), yesNo(now.bWithin));
    // Words another Zarv wrote are checked by what they say of the flight.
    if (was.nVerdictForm == now.nVerdictForm)
        differ("verdict", quoted(was.strVerdict), quoted(now.strVerdict));
    else
        differ("verdict", quoted(wrdVerdictKind(was.strVerdict)), quoted(wrdVerdictKind(now.strVerdict)));
    return diffs;
}
