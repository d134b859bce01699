// Fuzz target: splitting a message into the lines of a log entry. The entry
// starts with the stamp, holds at most 20 pieces, indents every piece after
// the first by the stamp's width, and ends with the line feed that closes it.
#include "sys/errlog.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    const std::string strMessage(reinterpret_cast<const char*>(pData), nSize);
    const std::string strStamp = "06-Dec-2026 05:11:17 ";
    const std::string strEntry = errFormatEntry(strStamp.c_str(), strMessage.c_str());
    const std::string strSent = strMessage.c_str(); // what a C caller hands over
    if (strEntry.compare(0, strStamp.size(), strStamp) != 0 || strEntry.back() != '\n')
        abort();
    // Everything of the message is in the entry, in order, line feeds and all.
    size_t nFeedsIn = 0, nFeedsOut = 0;
    for (char c : strSent)
        nFeedsIn += c == '\n';
    for (char c : strEntry)
        nFeedsOut += c == '\n';
    const size_t nPieces = strSent.empty() ? 0 : std::min<size_t>(nFeedsIn + 1, 20);
    // One line feed after each piece, one to end the entry.
    if (nFeedsOut != (strSent.empty() ? 1 : nFeedsIn + 2))
        abort();
    // Each piece behind the stamp or its blanks; the separators between
    // pieces become the pieces' line feeds, plus the entry's closing one.
    const size_t nExpected = nPieces > 0 ? strStamp.size() * nPieces + strSent.size() + 2 : strStamp.size() + 1;
    if (strEntry.size() != nExpected)
        abort();
    return 0;
}
