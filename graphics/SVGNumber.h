#pragma once

// The number grammar of SVG attributes and path data, read without the
// process locale: an optional sign, digits with an optional fraction, an
// optional exponent. A number ends where the grammar does, so "1.5.5" is 1.5
// then .5, "1e-3" is one number and "10em" is 10 followed by the unit.

namespace plugkit::gfx::svg {

enum class NumberResult
{
  kNone,      // no number starts at the position
  kOk,
  kNotFinite  // the text is a number, but too large for a double
};

// Reads one number starting exactly at p (no leading blanks), never past
// end. On kOk and kNotFinite p moves past the number's text; on kNone it
// stays. Values too small for a double read as 0.
NumberResult ReadNumber(const char*& p, const char* end, double& value);

// Skips blanks (space, tab, CR, LF) and at most one comma between them.
void SkipSeparators(const char*& p, const char* end);

inline bool IsBlank(char c)
{
  return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

} // namespace plugkit::gfx::svg
