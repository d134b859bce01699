// The report of a check of the calculation, laid out on one A4 page with
// Pango and cairo and kept as PDF in "Verification" beside Zarv.conf; and
// the last check found there, as the loading page says it.
#include "ui/report.h"

#include "model/date.h"
#include "model/freename.h"
#include "store/conf/params.h"
#include "store/conf/stored.h"
#include "store/record/filing.h"
#include "sys/errlog.h"
#include "sys/paths.h"
#include "ui/sheet.h"

#include <pango/pangocairo.h>

#include <algorithm>
#include <array>
#include <cairo-pdf.h>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

constexpr double PAGE_WIDTH = 595.276, PAGE_HEIGHT = 841.89; // A4, points
constexpr double MARGIN = 42;
constexpr const char* REPORT_STEM = "Calculation check ";
constexpr _fnmNumbering REPORT_NUMBERING = {" (", ")", 2, true};

// Writes text at (nX, nY), wrapped within nWidth, or only measures it;
// returns its height.
double text(cairo_t* pCr, double nX, double nY, double nWidth, const std::string& strText, const std::string& strFont,
            bool bDraw = true)
{
    g_autoptr(PangoLayout) ppngLayout = pango_cairo_create_layout(pCr);
    pango_cairo_context_set_resolution(pango_layout_get_context(ppngLayout), 72);
    pango_layout_context_changed(ppngLayout);
    PangoFontDescription* pfont = pango_font_description_from_string(strFont.c_str());
    pango_layout_set_font_description(ppngLayout, pfont);
    pango_font_description_free(pfont);
    pango_layout_set_width(ppngLayout, static_cast<int>(nWidth * PANGO_SCALE));
    pango_layout_set_wrap(ppngLayout, PANGO_WRAP_WORD_CHAR);
    pango_layout_set_text(ppngLayout, shtBindUnits(strText).c_str(), -1);
    if (bDraw) {
        cairo_move_to(pCr, nX, nY);
        pango_cairo_show_layout(pCr, ppngLayout);
    }
    int nW = 0, nH = 0;
    pango_layout_get_size(ppngLayout, &nW, &nH);
    return static_cast<double>(nH) / PANGO_SCALE;
}

std::string dayOf(time_t t)
{
    struct tm tmLocal;
    localtime_r(&t, &tmLocal);
    char sz[16];
    strftime(sz, sizeof sz, "%Y-%m-%d", &tmLocal);
    return sz;
}

// The cases from y down, one row a point in a font of nSize points: the
// result, the case, the point, each figure expected and computed, and the
// verdict; a point's hover in a row of its own, each figure named; every
// other figure (the fuel, the room left, the flight's verdict) a line of
// its own across the figures' columns. Each row as high as its highest
// cell, so that nothing is cut. Returns where they end; bDraw false only
// measures.
double drawCases(cairo_t* pCr, double y, double nTextWidth, double nSize, const _rptReport& report, bool bDraw)
{
    g_autofree gchar* pszSize = g_strdup_printf(" %.2fpx", nSize);
    const std::string strFont = std::string("sans") + pszSize, strBold = std::string("sans bold") + pszSize;
    constexpr std::array<double, 7> COLUMNS = {0, 0.055, 0.255, 0.315, 0.49, 0.68, 0.86}; // of the width
    // bWide: the point's cell runs across the figures' columns.
    auto row = [&](const std::array<std::string, 7>& cells, bool bBold, bool bWide = false) {
        double nTallest = 0;
        for (size_t i = 0; i < (bWide ? 3 : cells.size()); i++) {
            const double nRight = i + 1 < COLUMNS.size() && !(bWide && i == 2) ? COLUMNS[i + 1] : 1.0;
            nTallest = std::max(nTallest,
                                text(pCr, MARGIN + COLUMNS[i] * nTextWidth, y, (nRight - COLUMNS[i]) * nTextWidth - 3,
                                     cells[i], bBold || i == 0 ? strBold : strFont, bDraw));
        }
        y += nTallest + nSize * 0.15;
    };
    row({"", "Case", "Point", "Weight", "Longitudinal arm", "Lateral arm", "Verdict"}, true);
    // "605.5400 = 605.5400 kg": the unit once, after the computed figure.
    auto cell = [](const _casFigure& f) {
        const std::string strWant = f.strExpected.substr(0, f.strExpected.find(' '));
        return strWant + (f.bPass ? " = " : " \u2260 ") + f.strComputed;
    };
    for (const _casOutcome& o : report.outcomes) {
        const std::vector<_casFigure>& figures = o.figures;
        for (size_t i = 0; i < figures.size();) {
            std::array<std::string, 7> cells = {i == 0 ? (o.pass() ? "PASS" : "FAIL") : "", i == 0 ? o.strName : ""};
            const std::string& strRow = figures[i].strRow;
            if (strRow.empty()) {
                cells[2] = figures[i].strQuantity + ": " + cell(figures[i]);
                row(cells, false, true);
                i++;
                continue;
            }
            cells[2] = strRow;
            for (size_t k = 3; k < cells.size() && i < figures.size() && figures[i].strRow == strRow; k++, i++)
                cells[k] = (figures[i].strColumn.empty() ? "" : figures[i].strColumn + " ") + cell(figures[i]);
            row(cells, false);
        }
        if (!o.bRepeatable)
            row({"", "", "", "a second run gave other answers", "", "", ""}, false);
    }
    y += nSize / 2;
    y += text(pCr, MARGIN, y, nTextWidth,
              "Each figure as worked by hand, = (or \u2260) as computed, in the case's units. Each case runs twice "
              "and must give the same answers to the last bit.",
              strFont, bDraw);
    return y;
}

} // namespace

bool _rptReport::pass() const
{
    return !outcomes.empty() &&
           std::all_of(outcomes.begin(), outcomes.end(), [](const _casOutcome& o) { return o.pass(); });
}

void rptDrawReport(cairo_t* pCr, double nWidth, double nHeight, const _rptReport& report)
{
    const double nTextWidth = nWidth - 2 * MARGIN;
    cairo_save(pCr);
    cairo_set_source_rgb(pCr, 0, 0, 0);
    double y = MARGIN;
    y += text(pCr, MARGIN, y, nTextWidth, "Zarv: check of the calculation", "sans bold 16") + 6;
    const std::string strHead = std::string("Zarv ") + ZARV_VERSION + ", checked " + shtPrintedText(report.tChecked) +
                                "\nEtc directory: " + report.strEtcDir;
    y += text(pCr, MARGIN, y, nTextWidth, strHead, "sans 9") + 4;
    std::string strFiles = "Cases read from:";
    for (const std::string& str : report.caseFiles)
        strFiles += "\n  " + str;
    y += text(pCr, MARGIN, y, nTextWidth, strFiles, "sans 8") + 8;
    size_t nPassed = 0;
    for (const _casOutcome& o : report.outcomes)
        nPassed += o.pass();
    const std::string strResult = std::string(report.pass() ? "PASSED" : "FAILED") + ": " + std::to_string(nPassed) +
                                  " of " + std::to_string(report.outcomes.size()) + " cases passed";
    y += text(pCr, MARGIN, y, nTextWidth, strResult, "sans bold 12") + 8;

    // The cases in the largest font that fits them all on the page.
    double nSize = 7.5;
    while (nSize > 3 && drawCases(pCr, y, nTextWidth, nSize, report, false) > nHeight - MARGIN)
        nSize -= 0.25;
    drawCases(pCr, y, nTextWidth, nSize, report, true);
    cairo_restore(pCr);
}

std::string rptFolder(void)
{
    return wbFileSpec("Verification");
}

namespace
{

// Opens the folder of reports, made where bCreate and it is missing: never
// through a link, and only the user's own that no one else may write in.
// -1 otherwise, with why in *pstrWhy (and errno set).
int openReports(bool bCreate, std::string* pstrWhy)
{
    const std::string strDir = rptFolder();
    constexpr int DIR_FLAGS = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
    int fd = open(strDir.c_str(), DIR_FLAGS);
    if (fd < 0 && errno == ENOENT && bCreate) {
        if (mkdir(strDir.c_str(), 0700) != 0 && errno != EEXIST) {
            *pstrWhy = g_strerror(errno);
            return -1;
        }
        fd = open(strDir.c_str(), DIR_FLAGS);
    }
    struct stat st;
    if (fd < 0) {
        const int nErr = errno;
        *pstrWhy = nErr == ELOOP || nErr == ENOTDIR ? "it is not a folder but a link or a file" : g_strerror(nErr);
        errno = nErr;
        return -1;
    }
    if (fstat(fd, &st) != 0 || st.st_uid != geteuid() || (st.st_mode & 0022)) {
        close(fd);
        *pstrWhy = "it is not a folder of your own that only you may write in";
        errno = EPERM;
        return -1;
    }
    return fd;
}

} // namespace

void rptKeepUnreported(const _rptReport& report, bool bWritten)
{
    const _prmValue& u = valValue(VAL_UNREPORTED);
    if (bWritten) {
        if (!valGetText(VAL_UNREPORTED).empty())
            prmEdit([&](GKeyFile* pkf) { g_key_file_remove_key(pkf, u.pszGroup, u.pszKey, nullptr); });
        return;
    }
    g_autoptr(GDateTime) pdt = g_date_time_new_from_unix_local(report.tChecked);
    g_autofree gchar* pszWhen = pdt ? g_date_time_format(pdt, "%Y-%m-%dT%H:%M:%S%:z") : g_strdup("");
    const std::string strValue = std::string(pszWhen) + (report.pass() ? " passed" : " FAILED");
    prmEdit([&](GKeyFile* pkf) { g_key_file_set_string(pkf, u.pszGroup, u.pszKey, strValue.c_str()); });
}

bool rptWriteReport(const _rptReport& report, std::string* pstrFile, std::string* pstrError)
{
    const std::string strDir = rptFolder();
    std::string strCall = "open", strPath = strDir, strWhy;
    int nErr = 0;
    int fdDir = openReports(true, &strWhy);
    if (fdDir < 0)
        nErr = errno;
    // The temporary has a name no report can have, so a report cut short
    // never passes for one.
    std::string strTemp = ".report-XXXXXX";
    if (!nErr) {
        g_autofree gchar* pszTemp = g_strdup((strDir + "/" + strTemp).c_str());
        const int fd = g_mkstemp_full(pszTemp, O_WRONLY | O_CLOEXEC, 0600);
        strTemp = pszTemp + strDir.size() + 1;
        strCall = "open", strPath = pszTemp;
        if (fd < 0)
            nErr = errno;
        else {
            strCall = "write";
            _filSink sink = {fd, 0};
            cairo_surface_t* psurf = cairo_pdf_surface_create_for_stream(filWriteToFd, &sink, PAGE_WIDTH, PAGE_HEIGHT);
            cairo_pdf_surface_set_metadata(psurf, CAIRO_PDF_METADATA_TITLE, "Zarv: check of the calculation");
            cairo_pdf_surface_set_metadata(psurf, CAIRO_PDF_METADATA_CREATOR, "Zarv " ZARV_VERSION);
            cairo_t* pCr = cairo_create(psurf);
            rptDrawReport(pCr, PAGE_WIDTH, PAGE_HEIGHT, report);
            cairo_destroy(pCr);
            cairo_surface_finish(psurf);
            const cairo_status_t nStatus = cairo_surface_status(psurf);
            cairo_surface_destroy(psurf);
            nErr = sink.nErr ? sink.nErr : nStatus != CAIRO_STATUS_SUCCESS ? EIO : 0;
            if (!nErr && fsync(fd) != 0)
                strCall = "fsync", nErr = errno;
            if (close(fd) != 0 && !nErr)
                strCall = "close", nErr = errno;
        }
        // A name of its own, never replacing another report.
        if (!nErr) {
            const std::string strStem = REPORT_STEM + dayOf(report.tChecked) + (report.pass() ? " passed" : " FAILED");
            nErr = fnmFirstFree(
                strStem, ".pdf", REPORT_NUMBERING,
                [&](const std::string& strFinal) {
                    strCall = "link", strPath = strDir + "/" + strFinal;
                    int nResult = linkat(fdDir, strTemp.c_str(), fdDir, strFinal.c_str(), 0);
                    if (nResult != 0 && (errno == EPERM || errno == EOPNOTSUPP || errno == ENOSYS))
                        nResult = renameat2(fdDir, strTemp.c_str(), fdDir, strFinal.c_str(), RENAME_NOREPLACE);
                    return nResult == 0 ? 0 : errno;
                },
                pstrFile);
            if (!nErr && fsync(fdDir) != 0)
                strCall = "fsync", strPath = strDir, nErr = errno;
        }
        unlinkat(fdDir, strTemp.c_str(), 0);
    }
    if (fdDir >= 0)
        close(fdDir);
    if (!nErr) {
        *pstrFile = strDir + "/" + *pstrFile;
        return true;
    }
    g_autofree gchar* pszMsg =
        g_strdup_printf("rptWriteReport()\n%s(%s) failed\n%s", strCall.c_str(), strPath.c_str(), g_strerror(nErr));
    errPostError(pszMsg);
    *pstrError = "the report could not be written in " + strDir + ": " + (strWhy.empty() ? g_strerror(nErr) : strWhy);
    return false;
}

_rptLastCheck rptLastCheck(void)
{
    _rptLastCheck last = {false, {}};
    // A check whose report could not be written counts as one of its time.
    const std::string strUnreported = valGetText(VAL_UNREPORTED);
    struct timespec tNewest = {0, 0};
    const size_t nSpace = strUnreported.rfind(' ');
    g_autoptr(GTimeZone) ptz = g_time_zone_new_local();
    g_autoptr(GDateTime) pdt = nSpace == std::string::npos
                                   ? nullptr
                                   : g_date_time_new_from_iso8601(strUnreported.substr(0, nSpace).c_str(), ptz);
    // A check cannot have been made later than now.
    if (pdt && g_date_time_to_unix(pdt) <= time(nullptr) + 60) {
        last.bAny = true;
        last.bUnreported = true;
        last.strLastIso = strUnreported.substr(0, 10);
        last.bLastFailed = strUnreported.find(" FAILED") != std::string::npos;
        if (!last.bLastFailed)
            last.strPassedIso = last.strLastIso;
        tNewest.tv_sec = g_date_time_to_unix(pdt);
    }
    std::string strWhy;
    const int fdDir = openReports(false, &strWhy);
    if (fdDir < 0) {
        if (errno != ENOENT)
            last.strUntrusted = rptFolder() + ": " + strWhy;
        return last;
    }
    DIR* pDir = fdopendir(fdDir);
    if (!pDir) {
        close(fdDir);
        return last;
    }
    g_autoptr(GRegex) pReportName =
        g_regex_new("^Calculation check ([0-9]{4}-[0-9]{2}-[0-9]{2}) (passed|FAILED)( \\([0-9]+\\))?\\.pdf$",
                    GRegexCompileFlags(G_REGEX_RAW | G_REGEX_DOLLAR_ENDONLY), GRegexMatchFlags(0), nullptr);
    while (const struct dirent* pEnt = readdir(pDir)) {
        g_autoptr(GMatchInfo) pInfo = nullptr;
        struct stat st;
        if (!g_regex_match(pReportName, pEnt->d_name, GRegexMatchFlags(0), &pInfo) ||
            fstatat(dirfd(pDir), pEnt->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode) ||
            st.st_size == 0)
            continue;
        g_autofree gchar* pszIso = g_match_info_fetch(pInfo, 1);
        g_autofree gchar* pszOutcome = g_match_info_fetch(pInfo, 2);
        const bool bPassed = strcmp(pszOutcome, "passed") == 0;
        last.bAny = true;
        if (bPassed && pszIso > last.strPassedIso)
            last.strPassedIso = pszIso;
        const struct timespec& t = st.st_mtim;
        if (t.tv_sec > tNewest.tv_sec || (t.tv_sec == tNewest.tv_sec && t.tv_nsec >= tNewest.tv_nsec)) {
            tNewest = t;
            last.bLastFailed = !bPassed;
            last.bUnreported = false;
            last.strLastIso = pszIso;
        }
    }
    closedir(pDir);
    return last;
}

_rptCheckText rptCheckText(const _rptLastCheck& last, const GDate& today)
{
    if (!last.strUntrusted.empty() && !last.bAny)
        return {"The reports of the calculation's checks are not used: " + last.strUntrusted, true};
    if (!last.bAny)
        return {"", false};
    if (last.bLastFailed)
        return {"The last check of the calculation, on " + dateShow(last.strLastIso) + ", FAILED" +
                    (last.bUnreported ? "; its report could not be written" : "") +
                    ": do not use Zarv's figures until a check passes (zarv --verify)",
                true};
    if (last.strPassedIso.empty())
        return {"The calculation has not passed a check: check it again (zarv --verify)", true};
    const _dateWeighing due = dateWeighingDue(last.strPassedIso, today, RPT_CHECK_MONTHS);
    const std::string strDay = dateShow(last.strPassedIso);
    if (due.bJudged && !due.bDue)
        return {"Calculation last checked on " + strDay, false};
    return {"The calculation was last checked on " + strDay + ": check it again (zarv --verify)", true};
}
