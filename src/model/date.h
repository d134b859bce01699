// The weighing date: ISO 8601 as stored and shown, with four digits of the
// year; typed as ISO, or in the locale's own order with a four-digit year.
// Pure: the day of today is given.
#pragma once

#include <glib.h>

#include <string>

// The weighing date as the pilot typed it: ISO 8601 ("2026-03-01"), or the
// locale's own form of a date with the year in four digits ("01/03/2026");
// a two-digit year is read in no order. bDate when it is one, then strIso is the day
// as stored; strProblem says what to flag: text that is no date (kept as
// typed), or a day after today. Empty text is no date and no problem.
struct _dateReading {
    bool bDate;
    std::string strIso;
    std::string strProblem;
};
_dateReading dateRead(const std::string& strText, const GDate& today);

// A stored weighing date as the pilot reads it: an ISO day as ISO, with
// four digits of the year ("0021-01-01"), any other text as it stands.
std::string dateShow(const std::string& strStored);

// An aircraft is reweighed every DATE_WEIGHING_MONTHS unless its own
// interval is a whole number of months from 1 to DATE_MAX_WEIGHING_MONTHS.
constexpr int DATE_WEIGHING_MONTHS = 48, DATE_MAX_WEIGHING_MONTHS = 240;
int dateWeighingMonths(double nMonths);

// Whether the weighing stored (an ISO day) is due today: it falls due the
// same day of the month the interval later and stays due from that day on.
// bJudged is false for a stored text that is no ISO day (nothing is said).
struct _dateWeighing {
    bool bJudged;
    bool bDue;
    std::string strDueIso;
    int nMonths;
};
_dateWeighing dateWeighingDue(const std::string& strStored, const GDate& today, double nMonths);

// The pilot's words for a weighing due, "" when it is not.
std::string dateWeighingDueText(const _dateWeighing& w);
