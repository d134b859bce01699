// The weighing date: read as the pilot types it, shown in the locale's form.
#include "model/date.h"

#include <cstdio>

namespace
{

// A day written as ISO 8601, YYYY-MM-DD, or false.
bool readIso(const std::string& str, GDate* pdate)
{
    unsigned nYear = 0, nMonth = 0, nDay = 0;
    char cEnd = 0;
    if (str.size() != 10 || sscanf(str.c_str(), "%4u-%2u-%2u%c", &nYear, &nMonth, &nDay, &cEnd) != 3 ||
        !g_date_valid_dmy(static_cast<GDateDay>(nDay), static_cast<GDateMonth>(nMonth), static_cast<GDateYear>(nYear)))
        return false;
    g_date_set_dmy(pdate, static_cast<GDateDay>(nDay), static_cast<GDateMonth>(nMonth), static_cast<GDateYear>(nYear));
    return true;
}

// Whether a text names a day, month and year: three numbers, or two and a
// word (the month's name).
bool namesADay(const char* pszText)
{
    int nNumbers = 0;
    bool bWord = false;
    for (const char* p = pszText; *p;) {
        if (g_ascii_isdigit(*p)) {
            nNumbers++;
            while (g_ascii_isdigit(*p))
                p++;
        } else if (g_unichar_isalpha(g_utf8_get_char_validated(p, -1))) {
            bWord = true;
            p = g_utf8_next_char(p);
        } else {
            p = g_utf8_next_char(p);
        }
    }
    return nNumbers >= 3 || (nNumbers == 2 && bWord);
}

std::string isoOf(const GDate& date)
{
    char sz[16];
    g_date_strftime(sz, sizeof sz, "%Y-%m-%d", &date);
    return sz;
}

} // namespace

_dateReading dateRead(const std::string& strText, const GDate& today)
{
    g_autofree gchar* pszText = g_strstrip(g_strdup(strText.c_str()));
    if (!*pszText)
        return {false, {}, {}};
    GDate date;
    g_date_clear(&date, 1);
    if (!readIso(pszText, &date))
        g_date_set_parse(&date, pszText);
    // Only a whole date counts: a lone number or a month name is no date,
    // and neither is a month or a year alone ("March 2026", "2026-03"),
    // which the parser would complete to a day never typed.
    if (!g_date_valid(&date) || g_date_get_year(&date) < 1900 || !namesADay(pszText))
        return {false, {}, std::string("\u201c") + pszText + "\u201d is no date: it is kept as typed."};
    const std::string strIso = isoOf(date);
    if (g_date_compare(&date, &today) > 0)
        return {true, strIso, strIso + " lies in the future."};
    return {true, strIso, {}};
}

std::string dateShow(const std::string& strStored)
{
    GDate date;
    g_date_clear(&date, 1);
    if (!readIso(strStored, &date))
        return strStored;
    char sz[64];
    if (g_date_strftime(sz, sizeof sz, "%x", &date) == 0)
        return strStored;
    GDate back;
    g_date_clear(&back, 1);
    g_date_set_parse(&back, sz);
    return g_date_valid(&back) && g_date_compare(&back, &date) == 0 ? sz : strStored;
}

int dateWeighingMonths(double nMonths)
{
    return nMonths >= 1 && nMonths <= DATE_MAX_WEIGHING_MONTHS && nMonths == static_cast<int>(nMonths)
               ? static_cast<int>(nMonths)
               : DATE_WEIGHING_MONTHS;
}

_dateWeighing dateWeighingDue(const std::string& strStored, const GDate& today, double nMonths)
{
    const int nInterval = dateWeighingMonths(nMonths);
    GDate due;
    g_date_clear(&due, 1);
    if (!readIso(strStored, &due))
        return {false, false, {}, nInterval};
    g_date_add_months(&due, static_cast<guint>(nInterval));
    return {true, g_date_compare(&today, &due) >= 0, isoOf(due), nInterval};
}

std::string dateWeighingDueText(const _dateWeighing& w)
{
    if (!w.bDue)
        return {};
    return "Weighing due since " + dateShow(w.strDueIso) + " (every " + std::to_string(w.nMonths) +
           " months): have the aircraft reweighed.";
}
