// The weighing date: read as the pilot types it, shown as ISO 8601.
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
    // Four digits of the year always: the year 21 is "0021", never "21".
    g_autofree gchar* psz = g_strdup_printf("%04u-%02u-%02u", g_date_get_year(&date),
                                            static_cast<unsigned>(g_date_get_month(&date)), g_date_get_day(&date));
    return psz;
}

// A date in the locale's order as a pilot types it: three numbers and
// nothing but separators (no word, which the parser would pass over and
// complete with a day never typed), the year the one of four digits. Its
// numbers, the year last; false otherwise.
bool localeNumbers(const char* pszText, unsigned* pnNumbers)
{
    int nFound = 0, nYears = 0;
    unsigned n[3] = {};
    for (const char* p = pszText; *p;) {
        if (g_ascii_isalpha(*p) || static_cast<unsigned char>(*p) >= 0x80)
            return false;
        if (!g_ascii_isdigit(*p)) {
            p++;
            continue;
        }
        const char* pStart = p;
        unsigned nValue = 0;
        while (g_ascii_isdigit(*p))
            nValue = nValue * 10 + static_cast<unsigned>(*p++ - '0') % 100000;
        if (nFound == 3 || p - pStart > 4)
            return false;
        if (p - pStart == 4) {
            nYears++;
            pnNumbers[2] = nValue;
        } else {
            n[nFound - nYears] = nValue;
        }
        nFound++;
    }
    if (nFound != 3 || nYears != 1)
        return false;
    pnNumbers[0] = n[0], pnNumbers[1] = n[1];
    return true;
}

} // namespace

_dateReading dateRead(const std::string& strText, const GDate& today)
{
    g_autofree gchar* pszText = g_strstrip(g_strdup(strText.c_str()));
    if (!*pszText)
        return {false, {}, {}};
    GDate date;
    g_date_clear(&date, 1);
    // ISO 8601 always; the locale's own order only with the year in four
    // digits, the one form no reader can take for another day.
    unsigned n[3] = {};
    if (!readIso(pszText, &date) && localeNumbers(pszText, n)) {
        // The day the parser makes of it must be the one typed, number for
        // number.
        g_date_set_parse(&date, pszText);
        const unsigned nDay = g_date_valid(&date) ? g_date_get_day(&date) : 0;
        const unsigned nMonth = g_date_valid(&date) ? g_date_get_month(&date) : 0;
        if (!g_date_valid(&date) || g_date_get_year(&date) != n[2] ||
            !((nDay == n[0] && nMonth == n[1]) || (nDay == n[1] && nMonth == n[0])))
            g_date_clear(&date, 1);
    }
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
    return readIso(strStored, &date) ? isoOf(date) : strStored;
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
