// Display text, parsing and the JSON description of a parameter. None of it
// runs on the audio thread: it writes into growable strings.

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "framework/IParam.h"
#include "framework/NumberText.h"

namespace plugkit {

namespace {

constexpr int kDisplayLimit = 32;

// Escapes a text for a JSON string: quote, backslash and control characters.
// Bytes of 0x80 and above (UTF-8) pass as they are.
void AppendJSONEscaped(PK_String& json, const char* text)
{
  std::string out;
  for (const char* p = text; *p; ++p)
  {
    const auto c = static_cast<unsigned char>(*p);
    switch (c)
    {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\b': out += "\\b"; break;
      case '\f': out += "\\f"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20)
        {
          char buf[8];
          std::snprintf(buf, sizeof(buf), "\\u%04x", c);
          out += buf;
        }
        else
          out += static_cast<char>(c);
    }
  }
  json.Append(out.c_str());
}

} // namespace

const char* IParam::GetDisplayTextAtIdx(int idx, double* pValue) const
{
  if (idx < 0 || idx >= NDisplayTexts())
    return "";
  const DisplayTextEntry& entry = mDisplayTexts.Get()[idx];
  if (pValue)
    *pValue = entry.mValue;
  return entry.mText;
}

const char* IParam::GetDisplayTextForValue(double value) const
{
  const int n = NDisplayTexts();
  const DisplayTextEntry* entries = mDisplayTexts.Get();
  for (int i = 0; i < n; ++i)
  {
    if (entries[i].mValue == value)
      return entries[i].mText;
  }
  return "";
}

bool IParam::MapDisplayText(const char* text, double* pValue) const
{
  if (!text)
    return false;
  const int n = NDisplayTexts();
  const DisplayTextEntry* entries = mDisplayTexts.Get();
  for (int i = 0; i < n; ++i)
  {
    if (std::strcmp(entries[i].mText, text) == 0)
    {
      if (pValue)
        *pValue = entries[i].mValue;
      return true;
    }
  }
  return false;
}

void IParam::GetDisplay(double value, bool normalized, PK_String& display, bool withDisplayText) const
{
  if (normalized)
    value = FromNormalized(value);

  if (mDisplayFunction)
  {
    mDisplayFunction(value, display);
    return;
  }

  if (withDisplayText)
  {
    const char* text = GetDisplayTextForValue(value);
    if (*text)
    {
      display.Set(text, kDisplayLimit);
      return;
    }
  }

  if (mFlags & kFlagNegateDisplay)
    value = -value;
  if (value == 0.0)
    value = 0.0; // -0.0 shows as 0

  PK_String text;
  if (mDisplayPrecision == 0)
  {
    char buf[16];
    std::snprintf(buf, sizeof(buf), "%d", SaturatedRound(value));
    text.Set(buf);
  }
  else if ((mFlags & kFlagSignDisplay) && value != 0.0)
  {
    AppendFixed(text, value, mDisplayPrecision, true);
  }
  else
  {
    if (mDisplayMapping == kDisplayMappingLinearRange)
    {
      value = value * (mDisplayMax - mDisplayMin) + mDisplayMin;
    }
    else if (mDisplayMapping == kDisplayMappingSignedScale)
    {
      if (value > 0.0)
        value *= std::fabs(mDisplayMax);
      else
      {
        value *= std::fabs(mDisplayMin);
        if (value <= mDisplayFloor)
        {
          display.Set("-inf ");
          return;
        }
      }
    }
    AppendFixed(text, value, mDisplayPrecision);
  }
  display.Set(text.Get(), kDisplayLimit);
}

double IParam::ParseNumber(const char* text)
{
  if (!text)
    return 0.0;
  std::string copy = text;
  size_t k = copy.find('k');
  if (k == std::string::npos)
    k = copy.find('K');
  if (k == std::string::npos)
    return ParseLeadingDouble(copy.c_str());
  copy[k] = '.';
  return ParseLeadingDouble(copy.c_str()) * 1000.0;
}

double IParam::StringToValue(const char* text) const
{
  double value = 0.0;
  if (MapDisplayText(text, &value))
    return value;
  if (mType == kTypeBool || mType == kTypeEnum)
    return 0.0;

  value = ParseNumber(text);
  if (mFlags & kFlagNegateDisplay)
    value = -value;

  if (mDisplayMapping == kDisplayMappingLinearRange)
  {
    const double span = mDisplayMax - mDisplayMin;
    value = span != 0.0 ? (value - mDisplayMin) / span : 0.0;
  }
  else if (mDisplayMapping == kDisplayMappingSignedScale)
  {
    const double divisor = value > 0.0 ? std::fabs(mDisplayMax) : std::fabs(mDisplayMin);
    value = divisor != 0.0 ? value / divisor : 0.0;
  }
  return Constrain(value);
}

namespace {

// JSON has no infinity and no NaN: a value that is not finite is null.
void AppendJSONNumber(PK_String& json, double value)
{
  if (std::isfinite(value))
    AppendFixed(json, value, 6);
  else
    json.Append("null");
}

} // namespace

void IParam::GetJSON(PK_String& json, int paramIdx) const
{
  static const char* const kTypeNames[] = {nullptr, "bool", "int", "enum", "float"};

  json.Append("{");
  json.AppendFormatted(8192, "\"id\":%i, ", paramIdx);
  json.Append("\"name\":\"");
  AppendJSONEscaped(json, mName);
  json.Append("\", ");
  if (mType >= kTypeBool && mType <= kTypeDouble)
    json.AppendFormatted(8192, "\"type\":\"%s\", ", kTypeNames[mType]);
  json.Append("\"min\":");
  AppendJSONNumber(json, mMin);
  json.Append(", \"max\":");
  AppendJSONNumber(json, mMax);
  json.Append(", \"default\":");
  AppendJSONNumber(json, mDefault);
  json.Append(", \"rate\":\"control\"");
  json.Append("}");
}

} // namespace plugkit
