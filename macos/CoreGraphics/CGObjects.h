#pragma once

// The layouts of the CoreGraphics stand-in objects, private to the layer.

#include <cstdint>
#include <vector>

#include "CoreFoundation/CFBase.h"
#include "CoreGraphics/CGDataProvider.h"
#include "CoreGraphics/CGFont.h"

enum : CFTypeID
{
  kCGStandInTypeIDDataProvider = 301,
  kCGStandInTypeIDFont = 302,
};

struct CGDataProviderObject : CFObject
{
  ~CGDataProviderObject() override;
  CFTypeID TypeID() const override { return kCGStandInTypeIDDataProvider; }
  // Bytes read from a file are owned; lent bytes are only pointed at.
  std::vector<uint8_t> mOwned;
  const uint8_t* mBytes = nullptr;
  size_t mSize = 0;
  void* mInfo = nullptr;
  CGDataProviderReleaseDataCallback mRelease = nullptr;
  CFURLRef mURL = nullptr;
};

struct CGFontObject : CFObject
{
  ~CGFontObject() override;
  CFTypeID TypeID() const override { return kCGStandInTypeIDFont; }
  CGDataProviderRef mProvider = nullptr;
};
