// Figures in the pilot's unit, typed text as one line, and names as read.
#include "model/texts.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

std::string txtNumber(const char* pszFormat, double n)
{
    g_autofree gchar* psz = g_strdup_printf(pszFormat, n);
    // A figure that rounds to nothing has no side: an empty seat's lateral
    // moment is no "-0.00".
    const std::string_view str = psz;
    if (std::signbit(n) && str.find_first_of("123456789") == std::string_view::npos) {
        g_autofree gchar* pszZero = g_strdup_printf(pszFormat, 0.0);
        return pszZero;
    }
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

std::string txtRounded(double n, _txtRound nRound, int nDecimals)
{
    return txtFixed(txtRound(n, nRound, nDecimals), nDecimals);
}

double txtRound(double n, _txtRound nRound, int nDecimals)
{
    // The nearest is as printf rounds it, the entries' way.
    if (nRound == ROUND_NEAREST || !std::isfinite(n) || std::fabs(n) >= TXT_WIDEST)
        return n;
    // A millionth of the last digit is the arithmetic's, not the figure's.
    constexpr double HAIR = 1e-6;
    const double nScale = std::pow(10.0, nDecimals), x = n * nScale;
    double nSteps = 0;
    switch (nRound) {
    case ROUND_MARGIN:
    case ROUND_LIMIT_MOST:
        nSteps = std::floor(x + HAIR);
        break;
    case ROUND_LIMIT_LEAST:
        nSteps = std::ceil(x - HAIR);
        break;
    case ROUND_BREACH:
        nSteps = std::max(std::ceil(x - HAIR), 1.0);
        break;
    case ROUND_NEAREST:
        break;
    }
    return nSteps / nScale;
}

int txtDecimalsApart(double a, _txtRound nA, double b, _txtRound nB, int nDecimals)
{
    for (int d = nDecimals; d <= nDecimals + TXT_MORE_DECIMALS; d++)
        if (txtRounded(a, nA, d) != txtRounded(b, nB, d))
            return d;
    return -1;
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

namespace
{

// Greek and Cyrillic letters a reader takes for Latin ones, by what they
// look like: a small Greek eta reads as n, though its capital reads as H.
constexpr std::array<std::pair<gunichar, char>, 66> LOOKALIKES = {{
    {0x0391, 'A'}, {0x0392, 'B'}, {0x0395, 'E'}, {0x0396, 'Z'}, {0x0397, 'H'}, {0x0399, 'I'}, {0x039a, 'K'},
    {0x039c, 'M'}, {0x039d, 'N'}, {0x039f, 'O'}, {0x03a1, 'P'}, {0x03a4, 'T'}, {0x03a5, 'Y'}, {0x03a7, 'X'},
    {0x03b1, 'A'}, {0x03b2, 'B'}, {0x03b3, 'Y'}, {0x03b5, 'E'}, {0x03b6, 'Z'}, {0x03b7, 'N'}, {0x03b9, 'I'},
    {0x03ba, 'K'}, {0x03bc, 'U'}, {0x03bd, 'V'}, {0x03bf, 'O'}, {0x03c1, 'P'}, {0x03c4, 'T'}, {0x03c5, 'U'},
    {0x03c7, 'X'}, {0x03f2, 'C'}, {0x03f9, 'C'}, {0x0405, 'S'}, {0x0406, 'I'}, {0x0408, 'J'}, {0x0410, 'A'},
    {0x0412, 'B'}, {0x0415, 'E'}, {0x041a, 'K'}, {0x041c, 'M'}, {0x041d, 'H'}, {0x041e, 'O'}, {0x0420, 'P'},
    {0x0421, 'C'}, {0x0422, 'T'}, {0x0423, 'Y'}, {0x0425, 'X'}, {0x0430, 'A'}, {0x0432, 'B'}, {0x0435, 'E'},
    {0x043a, 'K'}, {0x043c, 'M'}, {0x043d, 'H'}, {0x043e, 'O'}, {0x0440, 'P'}, {0x0441, 'C'}, {0x0442, 'T'},
    {0x0443, 'Y'}, {0x0445, 'X'}, {0x0455, 'S'}, {0x0456, 'I'}, {0x0458, 'J'}, {0x04ae, 'Y'}, {0x04af, 'Y'},
    {0x04c0, 'I'}, {0x051a, 'Q'}, {0x051c, 'W'},
}};

// A dash of whatever kind, or a mark drawn as one.
bool isDash(gunichar c)
{
    return g_unichar_type(c) == G_UNICODE_DASH_PUNCTUATION || c == 0x02d7 || c == 0x2043 || c == 0x2212 ||
           c == 0x23af || c == 0x2500 || c == 0x2501 || c == 0x2796 || c == 0x30fc;
}

// What takes no room, or leaves a gap with nothing in it.
bool isUnseen(gunichar c)
{
    const GUnicodeType t = g_unichar_type(c);
    return g_unichar_isspace(c) || t == G_UNICODE_CONTROL || t == G_UNICODE_FORMAT || t == G_UNICODE_SPACE_SEPARATOR ||
           t == G_UNICODE_LINE_SEPARATOR || t == G_UNICODE_PARAGRAPH_SEPARATOR || c == 0x034f ||
           (c >= 0xfe00 && c <= 0xfe0f) || (c >= 0xe0100 && c <= 0xe01ef) || c == 0x115f || c == 0x1160 ||
           c == 0x2800 || c == 0x3164 || c == 0xffa0;
}

} // namespace

std::string txtAsRead(const std::string& strText)
{
    g_autofree gchar* pszValid = g_utf8_make_valid(strText.c_str(), static_cast<gssize>(strText.size()));
    g_autofree gchar* pszPlain = g_utf8_normalize(pszValid, -1, G_NORMALIZE_NFKC);
    std::string str;
    for (const gchar* p = pszPlain ? pszPlain : ""; *p; p = g_utf8_next_char(p)) {
        const gunichar c = g_utf8_get_char(p);
        if (isUnseen(c) || isDash(c))
            continue;
        const auto it = std::find_if(LOOKALIKES.begin(), LOOKALIKES.end(), [c](const auto& l) { return l.first == c; });
        gchar sz[8] = {};
        if (it != LOOKALIKES.end())
            str += it->second;
        else
            str.append(sz, static_cast<size_t>(g_unichar_to_utf8(g_unichar_toupper(c), sz)));
    }
    return str;
}
