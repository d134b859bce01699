// Figures in the pilot's unit, and typed text as one line.
#include "model/texts.h"

#include <cmath>

std::string txtNumber(const char* pszFormat, double n)
{
    g_autofree gchar* psz = g_strdup_printf(pszFormat, n);
    return psz;
}

int txtDecimals(_unitKind nAmount)
{
    return nAmount == KIND_ARM ? 2 : 1;
}

std::string txtFixed(double n, int nDecimals)
{
    // A sentence has no room for a figure of hundreds of digits, and no
    // use for "inf" or "nan".
    if (!std::isfinite(n))
        return "no number";
    if (std::fabs(n) >= TXT_WIDEST)
        return txtNumber("%.3e", n);
    return txtNumber(("%1." + std::to_string(nDecimals) + "f").c_str(), n);
}

std::string txtAmount(_unitKind nAmount, double nInternal, const _wbSetup& u, int nDecimals)
{
    return txtFixed(unitToShown(nAmount, nInternal, u), nDecimals < 0 ? txtDecimals(nAmount) : nDecimals) + " " +
           unitSymbol(nAmount, u);
}

std::string txtOneLine(const std::string& strText, size_t nMaxChars)
{
    g_autofree gchar* pszValid = g_utf8_make_valid(strText.c_str(), static_cast<gssize>(strText.size()));
    std::string str;
    size_t nChars = 0;
    for (const gchar* p = pszValid; *p && nChars <= nMaxChars; p = g_utf8_next_char(p), nChars++) {
        const gunichar c = g_utf8_get_char(p);
        if (nChars == nMaxChars) {
            str += "\u2026";
            break;
        }
        if (g_unichar_iscntrl(c) || c == 0x2028 || c == 0x2029)
            str += ' ';
        else
            str.append(p, static_cast<size_t>(g_utf8_next_char(p) - p));
    }
    return str;
}

std::string txtWithoutDirection(const std::string& strText)
{
    std::string str;
    for (const gchar* p = strText.c_str(); *p; p = g_utf8_next_char(p)) {
        const gunichar c = g_utf8_get_char(p);
        if (c != 0x061c && c != 0x200e && c != 0x200f && !(c >= 0x202a && c <= 0x202e) && !(c >= 0x2066 && c <= 0x2069))
            str.append(p, static_cast<size_t>(g_utf8_next_char(p) - p));
    }
    return str;
}

std::string txtFileName(const std::string& strText, size_t nMaxChars)
{
    std::string str = txtWithoutDirection(txtOneLine(strText, nMaxChars));
    for (char& c : str)
        if (c == '/' || c == '\\' || c == ':')
            c = '-';
    while (!str.empty() && (str.front() == '.' || str.front() == ' '))
        str.erase(0, 1);
    return str;
}

std::string txtEscaped(std::string_view text)
{
    std::string str;
    str.reserve(text.size());
    auto escape = [&str](const char* pszFormat, unsigned n) {
        char sz[12];
        g_snprintf(sz, sizeof sz, pszFormat, n);
        str += sz;
    };
    const char* p = text.data();
    const char* const pEnd = p + text.size();
    while (p < pEnd) {
        const unsigned char b = static_cast<unsigned char>(*p);
        if (b < 0x80) {
            if (b == '\\')
                str += "\\\\";
            else if (b == '\n')
                str += "\\n";
            else if (b == '\t')
                str += "\\t";
            else if (b == '\r')
                str += "\\r";
            else if (b < 0x20 || b == 0x7f)
                escape("\\x%02x", b);
            else
                str += static_cast<char>(b);
            p++;
            continue;
        }
        // One character at a time: a byte that starts none (or one cut
        // short, or written longer than it needs) is shown as that byte.
        const gunichar c = g_utf8_get_char_validated(p, pEnd - p);
        if (c == static_cast<gunichar>(-1) || c == static_cast<gunichar>(-2)) {
            escape("\\x%02x", b);
            p++;
            continue;
        }
        const char* pNext = g_utf8_next_char(p);
        if ((c >= 0x80 && c <= 0x9f) || c == 0x061c || c == 0x200e || c == 0x200f || c == 0x2028 || c == 0x2029 ||
            (c >= 0x202a && c <= 0x202e) || (c >= 0x2066 && c <= 0x2069))
            escape("\\u%04x", c);
        else
            str.append(p, static_cast<size_t>(pNext - p));
        p = pNext;
    }
    return str;
}
