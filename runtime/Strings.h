// String functions with the game language's semantics: positions are 1-based, lengths clamp to
// the text, and Val reads a leading numeric prefix ("12abc" -> 12, "" -> 0, "1e3" -> 1000).
// Text is a byte string (the game's content is ASCII).
#pragma once
#include <string>
#include <string_view>

// Mid: start >= 1 and length >= -1 (-1 = to the end), else VbError 5; a start past the end gives "".
std::string Mid(std::string_view s, long start, long length = -1);
std::string Left(std::string_view s, long n);
std::string Right(std::string_view s, long n);
long InStr(std::string_view s, std::string_view find);               // 0 when absent
long InStr(long start, std::string_view s, std::string_view find);   // start >= 1
long Len(std::string_view s);
std::string LCase(std::string_view s);
std::string UCase(std::string_view s);
std::string Trim(std::string_view s);
std::string LTrim(std::string_view s);
std::string RTrim(std::string_view s);
std::string Replace(std::string_view s, std::string_view find, std::string_view with);
std::string Space(long n);
double Val(std::string_view s);
// Str: 15 significant digits, a leading space for values >= 0 and "-" otherwise; like the game's
// runtime it drops the zero before the point (" .5", "-.25") and writes " 1E+15" for large values.
std::string Str(double v);
std::string CStr(double v);     // no leading space; shortest text that reads back exactly
std::string Chr(int code);      // 0..255, else VbError 5
int Asc(std::string_view s);    // first character; VbError 5 for ""
// Format(v, pattern) for the numeric patterns the game uses ("0", "00", "0000.00", "0.0"):
// '0' a digit always shown, '#' after the point a digit shown when not a trailing zero; halves
// round away from zero, on the value's 15 significant digits.
std::string Format(double v, std::string_view pattern);
bool equalsIgnoreCase(std::string_view a, std::string_view b);
