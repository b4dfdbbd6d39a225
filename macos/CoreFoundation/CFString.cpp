#include "CoreFoundation/CFString.h"

#include <cinttypes>
#include <cstdarg>
#include <cstdio>
#include <map>
#include <mutex>
#include <string>

#include "CoreFoundation/CFObjects.h"
#include "StandIn/CFObjects.h"

namespace {

// The number of UTF-16 units of valid UTF-8 text, or -1 when the text is
// not valid UTF-8 (bad lead or continuation bytes, overlong forms,
// surrogates, values above U+10FFFF).
CFIndex Utf16LengthOf(const std::string& text)
{
  CFIndex units = 0;
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const size_t n = text.size();
  size_t i = 0;
  while (i < n)
  {
    const unsigned char c = p[i];
    int extra = 0;
    uint32_t cp = 0;
    if (c < 0x80) { cp = c; }
    else if ((c & 0xE0) == 0xC0) { extra = 1; cp = c & 0x1F; }
    else if ((c & 0xF0) == 0xE0) { extra = 2; cp = c & 0x0F; }
    else if ((c & 0xF8) == 0xF0) { extra = 3; cp = c & 0x07; }
    else return -1;
    if (i + static_cast<size_t>(extra) >= n && extra > 0)
      return -1;
    for (int k = 1; k <= extra; ++k)
    {
      const unsigned char cc = p[i + static_cast<size_t>(k)];
      if ((cc & 0xC0) != 0x80)
        return -1;
      cp = (cp << 6) | (cc & 0x3F);
    }
    static const uint32_t kMinForLength[4] = {0, 0x80, 0x800, 0x10000};
    if (cp < kMinForLength[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
      return -1;
    units += cp >= 0x10000 ? 2 : 1;
    i += static_cast<size_t>(extra) + 1;
  }
  return units;
}

const CFStringObject* AsString(CFStringRef s)
{
  return (s && CFGetTypeID(s) == kCFStandInTypeIDString) ? reinterpret_cast<const CFStringObject*>(s) : nullptr;
}

} // namespace

CFStringObject::CFStringObject(std::string text) : mUtf8(std::move(text))
{
  const CFIndex units = Utf16LengthOf(mUtf8);
  mUtf16Length = units < 0 ? static_cast<CFIndex>(mUtf8.size()) : units;
}

CFStringRef NewStandInString(std::string text)
{
  if (!standin::CreationAllowed())
    return nullptr;
  return new CFStringObject(std::move(text));
}

const std::string& StandInStringText(CFStringRef string)
{
  static const std::string kEmpty;
  const CFStringObject* s = AsString(string);
  return s ? s->mUtf8 : kEmpty;
}

CFTypeID CFStringGetTypeID()
{
  return kCFStandInTypeIDString;
}

CFStringRef CFStringMakeConstant(const char* text)
{
  static std::mutex mutex;
  static auto* constants = new std::map<std::string, CFStringRef>; // outlives static destructors
  std::lock_guard<std::mutex> lock(mutex);
  const std::string key = text ? text : "";
  auto found = constants->find(key);
  if (found != constants->end())
    return found->second;
  CFStringRef s = new CFStringObject(key);
  standin::MakePermanent(s);
  constants->emplace(key, s);
  return s;
}

CFStringRef CFStringCreateWithCString(CFAllocatorRef, const char* text, CFStringEncoding encoding)
{
  if (!text)
    return nullptr;
  std::string s(text);
  if (Utf16LengthOf(s) < 0)
    return nullptr;
  if (encoding == kCFStringEncodingASCII)
  {
    for (unsigned char c : s)
      if (c >= 0x80)
        return nullptr;
  }
  else if (encoding != kCFStringEncodingUTF8)
    return nullptr;
  return NewStandInString(std::move(s));
}

CFStringRef CFStringCreateCopy(CFAllocatorRef, CFStringRef string)
{
  const CFStringObject* s = AsString(string);
  return s ? NewStandInString(s->mUtf8) : nullptr;
}

CFStringRef CFCopyDescription(CFTypeRef object)
{
  if (!object)
    return nullptr;
  switch (CFGetTypeID(object))
  {
    case kCFStandInTypeIDString: return CFStringCreateCopy(nullptr, static_cast<CFStringRef>(object));
    case kCFStandInTypeIDNumber:
    {
      const auto* n = static_cast<const CFNumberObject*>(object);
      char text[64];
      if (n->mIsFloat)
        std::snprintf(text, sizeof(text), "%g", n->mFloat);
      else
        std::snprintf(text, sizeof(text), "%" PRId64, n->mInt);
      return NewStandInString(text);
    }
    default: return NewStandInString("<CFType>");
  }
}

CFStringRef CFStringCreateWithFormat(CFAllocatorRef, CFTypeRef, CFStringRef format, ...)
{
  const CFStringObject* f = AsString(format);
  if (!f)
    return nullptr;
  va_list args;
  va_start(args, format);
  std::string out;
  const std::string& fmt = f->mUtf8;
  char number[64];
  for (size_t i = 0; i < fmt.size(); ++i)
  {
    if (fmt[i] != '%' || i + 1 >= fmt.size())
    {
      out += fmt[i];
      continue;
    }
    char c = fmt[++i];
    bool isLong = false;
    if (c == 'l' && i + 1 < fmt.size())
    {
      isLong = true;
      c = fmt[++i];
    }
    switch (c)
    {
      case 'd':
      case 'i':
        if (isLong)
          std::snprintf(number, sizeof(number), "%ld", va_arg(args, long));
        else
          std::snprintf(number, sizeof(number), "%d", va_arg(args, int));
        out += number;
        break;
      case 'u':
        if (isLong)
          std::snprintf(number, sizeof(number), "%lu", va_arg(args, unsigned long));
        else
          std::snprintf(number, sizeof(number), "%u", va_arg(args, unsigned));
        out += number;
        break;
      case 'f':
        std::snprintf(number, sizeof(number), "%f", va_arg(args, double));
        out += number;
        break;
      case 's':
      {
        const char* s = va_arg(args, const char*);
        out += s ? s : "(null)";
        break;
      }
      case '@':
      {
        CFTypeRef object = va_arg(args, CFTypeRef);
        if (!object)
          out += "(null)";
        else if (CFGetTypeID(object) == kCFStandInTypeIDString)
          out += StandInStringText(static_cast<CFStringRef>(object));
        else
        {
          CFStringRef d = CFCopyDescription(object);
          out += StandInStringText(d);
          CFRelease(d);
        }
        break;
      }
      case '%': out += '%'; break;
      default:
        out += '%';
        out += c;
        break;
    }
  }
  va_end(args);
  return NewStandInString(std::move(out));
}

CFIndex CFStringGetLength(CFStringRef string)
{
  const CFStringObject* s = AsString(string);
  return s ? s->mUtf16Length : 0;
}

CFIndex CFStringGetMaximumSizeForEncoding(CFIndex length, CFStringEncoding encoding)
{
  if (length < 0)
    return 0;
  return encoding == kCFStringEncodingUTF8 ? length * 3 : length;
}

Boolean CFStringGetCString(CFStringRef string, char* buffer, CFIndex bufferSize, CFStringEncoding encoding)
{
  const CFStringObject* s = AsString(string);
  if (!s || !buffer || bufferSize <= 0)
    return false;
  if (encoding == kCFStringEncodingASCII)
  {
    for (unsigned char c : s->mUtf8)
      if (c >= 0x80)
        return false;
  }
  else if (encoding != kCFStringEncodingUTF8)
    return false;
  if (static_cast<CFIndex>(s->mUtf8.size()) + 1 > bufferSize)
    return false;
  s->mUtf8.copy(buffer, s->mUtf8.size());
  buffer[s->mUtf8.size()] = '\0';
  return true;
}

const char* CFStringGetCStringPtr(CFStringRef string, CFStringEncoding encoding)
{
  const CFStringObject* s = AsString(string);
  return (s && encoding == kCFStringEncodingUTF8) ? s->mUtf8.c_str() : nullptr;
}

CFComparisonResult CFStringCompare(CFStringRef a, CFStringRef b, CFStringCompareFlags)
{
  const int c = StandInStringText(a).compare(StandInStringText(b));
  return c < 0 ? kCFCompareLessThan : (c > 0 ? kCFCompareGreaterThan : kCFCompareEqualTo);
}
