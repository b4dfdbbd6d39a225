#pragma once

// The stand-in objects' layouts, shared by the layer's own sources only.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "CoreFoundation/CFArray.h"
#include "CoreFoundation/CFBase.h"
#include "CoreFoundation/CFData.h"
#include "CoreFoundation/CFDictionary.h"
#include "CoreFoundation/CFNumber.h"
#include "CoreFoundation/CFString.h"
#include "CoreFoundation/CFURL.h"

struct CFStringObject : CFObject
{
  explicit CFStringObject(std::string text);
  CFTypeID TypeID() const override { return kCFStandInTypeIDString; }
  bool Equals(const CFObject& other) const override
  {
    return mUtf8 == static_cast<const CFStringObject&>(other).mUtf8;
  }
  std::string mUtf8;
  CFIndex mUtf16Length = 0;
};

struct CFNumberObject : CFObject
{
  CFTypeID TypeID() const override { return kCFStandInTypeIDNumber; }
  bool Equals(const CFObject& other) const override;
  CFNumberType mType = kCFNumberSInt32Type;
  bool mIsFloat = false;
  int64_t mInt = 0;
  double mFloat = 0.0;
};

struct CFDataObject : CFObject
{
  CFTypeID TypeID() const override { return kCFStandInTypeIDData; }
  bool Equals(const CFObject& other) const override
  {
    return mBytes == static_cast<const CFDataObject&>(other).mBytes;
  }
  std::vector<uint8_t> mBytes;
};

struct CFArrayObject : CFObject
{
  ~CFArrayObject() override;
  CFTypeID TypeID() const override { return kCFStandInTypeIDArray; }
  CFAllocatorRef mAllocator = nullptr;
  CFArrayCallBacks mCallBacks = {};
  std::vector<const void*> mValues;
};

struct CFDictionaryObject : CFObject
{
  ~CFDictionaryObject() override;
  CFTypeID TypeID() const override { return kCFStandInTypeIDDictionary; }
  CFDictionaryKeyCallBacks mKeyCallBacks = {};
  CFDictionaryValueCallBacks mValueCallBacks = {};
  std::vector<std::pair<const void*, const void*>> mEntries;
};

struct CFURLObject : CFObject
{
  CFTypeID TypeID() const override { return kCFStandInTypeIDURL; }
  bool Equals(const CFObject& other) const override
  {
    return mPath == static_cast<const CFURLObject&>(other).mPath;
  }
  std::string mPath;
};

// A new string holding the text, unchecked; null when creation fails.
CFStringRef NewStandInString(std::string text);
// The UTF-8 text of a string, or "" for null.
const std::string& StandInStringText(CFStringRef string);
