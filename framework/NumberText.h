#pragma once

#include <cstddef>

class PK_String;

namespace plugkit {

// Number formatting and parsing that ignore the process locale: a host may
// run with a comma as its decimal mark, yet display texts, the JSON
// description and typed-in values always use a point.

// Fixed-point text of value with the given number of decimals, as "%.*f"
// writes it in the "C" locale (a negative precision means 6). With
// forceSign a non-negative value gets a leading "+". Appended to out.
void AppendFixed(PK_String& out, double value, int precision, bool forceSign = false);

// The value rounded to a whole number (halves away from zero) and saturated
// to the 32-bit range; NaN gives 0. Never undefined, whatever the input.
int SaturatedRound(double value);

// Reads the leading number of text as atof does in the "C" locale: leading
// blanks, an optional sign, decimal or hexadecimal digits with an optional
// exponent, "inf" and "nan". Text that starts with no number gives 0.0;
// null gives 0.0.
double ParseLeadingDouble(const char* text);

// Copies text into a fixed, zero-terminated field of fieldSize bytes, cut to
// fieldSize - 1 bytes; a UTF-8 character that would be split there is left
// out whole, and text that is not UTF-8 is cut at the limit. Null text gives
// the empty field.
void CopyToField(char* field, size_t fieldSize, const char* text);

} // namespace plugkit
