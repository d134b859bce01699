// A free name for a file that must never replace another.
#include "model/freename.h"

#include <cerrno>

std::string fnmCandidate(const std::string& strStem, const std::string& strExt, const _fnmNumbering& numbering,
                         int i)
{
    if (numbering.bBareFirst && i == 0)
        return strStem + strExt;
    const int n = numbering.nFirst + i - (numbering.bBareFirst ? 1 : 0);
    return strStem + numbering.pszBefore + std::to_string(n) + numbering.pszAfter + strExt;
}

int fnmFirstFree(const std::string& strStem, const std::string& strExt, const _fnmNumbering& numbering,
                 const std::function<int(const std::string&)>& funcTry, std::string* pstrName)
{
    int nErr = EEXIST;
    for (int i = 0; i < FNM_TRIES && nErr == EEXIST; i++) {
        const std::string strName = fnmCandidate(strStem, strExt, numbering, i);
        if (pstrName)
            *pstrName = strName;
        nErr = funcTry(strName);
    }
    return nErr;
}
