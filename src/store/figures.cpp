// The aircraft's figures under change control: the history of amendments
// and the recorded fingerprint, both values of the aircraft in the table of
// stored values, so the fleet moves them with it.
#include "store/figures.h"

#include "store/params.h"

#include <variant>

namespace
{

// Separates the fields of a history line; the reason comes last.
constexpr char HISTORY_SEPARATOR = '|';
constexpr int HISTORY_FIELDS = 5;

std::string now(void)
{
    g_autoptr(GDateTime) pdt = g_date_time_new_now_local();
    g_autofree gchar* psz = g_date_time_format(pdt, "%Y-%m-%d %H:%M:%S %z");
    return psz ? psz : "";
}

// A number as Zarv.conf holds it, to the last digit.
std::string fileNumber(double n)
{
    char sz[G_ASCII_DTOSTR_BUF_SIZE];
    return g_ascii_dtostr(sz, sizeof sz, n);
}

std::string figureName(const _prmValue& v)
{
    return std::string(v.pszGroup) + "/" + v.pszKey;
}

void appendHistory(GKeyFile* pkf, const _prmAmendment& a)
{
    const _prmValue& v = prmValue(VAL_HISTORY);
    g_auto(GStrv) ppszOld = g_key_file_get_string_list(pkf, v.pszGroup, v.pszKey, nullptr, nullptr);
    GStrvBuilder* pbuilder = g_strv_builder_new();
    if (ppszOld)
        g_strv_builder_addv(pbuilder, const_cast<const char**>(ppszOld));
    const std::string strLine = prmHistoryLine(a);
    g_strv_builder_add(pbuilder, strLine.c_str());
    g_auto(GStrv) ppszNew = g_strv_builder_end(pbuilder);
    g_strv_builder_unref(pbuilder);
    g_key_file_set_string_list(pkf, v.pszGroup, v.pszKey, ppszNew, g_strv_length(ppszNew));
}

void recordFingerprint(GKeyFile* pkf, const std::string& strWhen)
{
    const _prmValue& v = prmValue(VAL_FINGERPRINT);
    g_key_file_set_string(pkf, v.pszGroup, v.pszKey, (prmFingerprint() + " " + strWhen).c_str());
}

} // namespace

std::string prmHistoryLine(const _prmAmendment& a)
{
    const std::string s(1, HISTORY_SEPARATOR);
    return a.strWhen + s + a.strFigure + s + a.strOld + s + a.strNew + s + a.strReason;
}

_prmAmendment prmHistoryRead(const std::string& strLine)
{
    g_auto(GStrv) ppsz = g_strsplit(strLine.c_str(), std::string(1, HISTORY_SEPARATOR).c_str(), HISTORY_FIELDS);
    if (g_strv_length(ppsz) != HISTORY_FIELDS)
        return {"", "", "", "", strLine};
    return {ppsz[0], ppsz[1], ppsz[2], ppsz[3], ppsz[4]};
}

std::vector<_prmAmendment> prmHistory(void)
{
    const _prmValue& v = prmValue(VAL_HISTORY);
    std::vector<_prmAmendment> history;
    g_auto(GStrv) ppsz = g_key_file_get_string_list(m_pkeyFile, v.pszGroup, v.pszKey, nullptr, nullptr);
    for (int i = 0; ppsz && ppsz[i]; i++)
        if (*ppsz[i])
            history.push_back(prmHistoryRead(ppsz[i]));
    return history;
}

bool prmUnderControl(void)
{
    // The figures that name the aircraft are those a new aircraft starts
    // without.
    for (const _prmValue& v : prmValues())
        if (v.bFigure && v.bStartsEmpty && prmGetText(v.nId).empty())
            return false;
    return true;
}

bool prmAsksAmend(_prmValueId nId)
{
    const _prmValue& v = prmValue(nId);
    return v.bFigure && !v.bStartsEmpty && prmUnderControl();
}

std::string prmRecordedFingerprint(void)
{
    const std::string str = prmGetText(VAL_FINGERPRINT);
    return str.substr(0, str.find(' '));
}

std::string prmRecordedWhen(void)
{
    const std::string str = prmGetText(VAL_FINGERPRINT);
    const size_t nAt = str.find(' ');
    return nAt == std::string::npos ? "" : str.substr(nAt + 1);
}

bool prmFiguresChangedOutside(void)
{
    const std::string strRecorded = prmRecordedFingerprint();
    return !strRecorded.empty() && strRecorded != prmFingerprint();
}

void prmStoreFigure(_prmValueId nId, double nValue, const std::string& strReason)
{
    const _prmValue& v = prmValue(nId);
    const auto* pp = std::get_if<gdouble*>(&v.field);
    if (!pp)
        return prmStoreValue(nId, nValue);
    const bool bRecord = !strReason.empty() || !prmFiguresChangedOutside();
    const _prmAmendment a = {now(), figureName(v), fileNumber(**pp), fileNumber(nValue), strReason};
    **pp = nValue;
    prmEdit([&](GKeyFile* pkf) {
        g_key_file_set_double(pkf, v.pszGroup, v.pszKey, nValue);
        if (!strReason.empty())
            appendHistory(pkf, a);
        if (bRecord)
            recordFingerprint(pkf, a.strWhen);
    });
}

void prmStoreFigureText(_prmValueId nId, const char* pszText)
{
    const _prmValue& v = prmValue(nId);
    const bool bRecord = !prmFiguresChangedOutside();
    prmEdit([&](GKeyFile* pkf) {
        g_key_file_set_string(pkf, v.pszGroup, v.pszKey, pszText);
        if (bRecord)
            recordFingerprint(pkf, now());
    });
}

void prmConfirmFigures(void)
{
    const std::string strWhen = now();
    prmEdit([&](GKeyFile* pkf) {
        appendHistory(pkf, {strWhen, "", "", "", "confirmed after an outside change"});
        recordFingerprint(pkf, strWhen);
    });
}
