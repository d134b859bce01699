// Text as Zarv writes it wherever it is read: a figure in the pilot's unit
// ("181.6 lb"), a text the pilot typed made one line, a name freed of the
// controls of direction, a text from a file made safe to show, and a name
// as a person reads it.
#pragma once

#include "model/units.h"

#include <string>
#include <string_view>

// The decimals the entries show an amount to: 2 for an arm, 1 otherwise.
int txtDecimals(_unitKind nAmount);

// A number by a printf format, in the process locale.
std::string txtNumber(const char* pszFormat, double n);

// A figure to nDecimals in the process locale; from TXT_WIDEST on in
// exponent form ("1.000e+308"), and "no number" for an infinity or none.
// Neither gives a figure that rounds to nothing a sign ("-0.00").
constexpr double TXT_WIDEST = 1e9;
std::string txtFixed(double n, int nDecimals);

// Which way a figure in words goes to its last digit, so that none reads
// better than it is: a value as the entries show it (the nearest); a
// margin down; a limit inward, one at most down and one at least up, so the
// figure shown is itself within; a breach up, and never to nothing.
enum _txtRound { ROUND_NEAREST, ROUND_MARGIN, ROUND_LIMIT_MOST, ROUND_LIMIT_LEAST, ROUND_BREACH };

// The digits past the entries' a figure in words may take to read apart
// from another: beyond them two figures are told apart in words.
constexpr int TXT_MORE_DECIMALS = 2;

// A figure rounded its way to nDecimals, and as text in the process
// locale. A figure a hair from its step (a limit written in inches, back
// from millimetres) is that step.
double txtRound(double n, _txtRound nRound, int nDecimals);
std::string txtRounded(double n, _txtRound nRound, int nDecimals);

// The fewest decimals from nDecimals to TXT_MORE_DECIMALS more at which a
// and b, each rounded its way, read apart; -1 where they read alike at all
// of them.
int txtDecimalsApart(double a, _txtRound nA, double b, _txtRound nB, int nDecimals);

// The amount in the pilot's unit with its symbol, to nDecimals (the
// entries' decimals where negative): "181.6 lb".
std::string txtAmount(_unitKind nAmount, double nInternal, const _wbSetup& u, int nDecimals = -1);

// Text as one line of at most nMaxChars characters: not valid UTF-8 with
// replacement characters, line breaks, tabs and other control characters
// as spaces, and a longer text cut with an ellipsis.
std::string txtOneLine(const std::string& strText, size_t nMaxChars);

// Text without the controls of direction, which would show a name reordered
// where it stands alone (a file name, a title).
std::string txtWithoutDirection(const std::string& strText);

// A free text (a registration) fit to be part of a file's name: one line of
// at most nMaxChars characters without controls of direction, no
// separators of paths, and not hidden by a leading dot; "" where nothing of
// it is left.
std::string txtFileName(const std::string& strText, size_t nMaxChars);

// A text from a folder or a record made safe to show on a terminal or in a
// label, each unsafe part written out where it stood, so nothing of it is
// lost or hidden: controls ("\x1b", "\n"), the controls of direction and
// the line separators ("\u202e"), bytes that are no UTF-8 ("\xff"), and the
// backslash itself ("\\"), so an escape can never be forged by the text.
std::string txtEscaped(std::string_view text);

// A name (a registration) as a person reads it, to tell a look-alike from
// the name it imitates: its compatibility forms as plain letters (full
// width "Ｇ" as "G"), white space, dashes and what is not seen left out,
// Greek and Cyrillic letters that look like Latin ones as those, and all of
// it in capitals. "g–zarv " and "G-ΖARV" (a Greek Zeta) both read "GZARV".
std::string txtAsRead(const std::string& strText);
