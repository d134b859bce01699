// A value's change as shown, and the figures changed outside Zarv.
#include "ui/shown.h"

#include "model/texts.h"
#include "store/aircraft/figures.h"
#include "store/conf/state.h"
#include "ui/misc.h"

#include <cmath>

std::pair<std::string, std::string> shwFigureChange(const _prmValue& v, double nOld, double nNew)
{
    const double nShownOld = valShown(v, nOld), nShownNew = valShown(v, nNew);
    // A figure no aircraft has is written short, never hundreds of digits.
    auto wide = [](double n) { return !std::isfinite(n) || std::fabs(n) >= TXT_WIDEST; };
    const std::string strFormat =
        wide(nShownOld) || wide(nShownNew) ? "" : figFormatApart(v.pszFormat, nShownOld, nShownNew);
    const std::string strLabel = unitLabel(v.nUnit, m_wbSetup);
    auto text = [&](double n) {
        return (strFormat.empty() ? txtFixed(n, 0) : mscFormatNumber(strFormat.c_str(), n)) +
               (strLabel.empty() ? "" : " " + strLabel);
    };
    return {text(nShownOld), text(nShownNew)};
}

std::string shwFiguresChanged(void)
{
    const std::vector<std::string> changes = figOutsideChanges();
    if (changes.empty())
        return "";
    const std::string strWhen = figRecordedWhen();
    std::string strWhat;
    // Each change isolated for direction: a name written right to left, or
    // an override in it, cannot reorder the changes after it.
    for (const std::string& str : changes)
        strWhat += (strWhat.empty() ? "" : "; ") + ("\u2068" + str + "\u2069");
    // Without a fingerprint Zarv cannot tell what changed, only that it
    // has nothing to check the figures by.
    return (figRecordedFingerprint().empty()
                ? std::string("Zarv has no record of the aircraft's figures")
                : "The aircraft's figures were changed outside Zarv" + (strWhen.empty() ? "" : " since " + strWhen)) +
           " (" + strWhat + "): check them against the weighing record, then confirm";
}
