#pragma once

// A layer whose contents a Metal device renders: it hands out drawables
// (textures of its drawable size and pixel format) from a pool of three,
// and shows the last one presented.
//
// nextDrawable waits at most a second for a free drawable, then answers
// null, as does a layer without device or with an empty drawable size. A
// drawable goes back to the pool when presented or dropped unpresented;
// its texture is reused and keeps its pixels until the size or format
// changes. Safe to present from the GPU's thread.

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <vector>

#include "CoreFoundation/CFBase.h"
#include "Metal/MTLDevice.h"
#include "StandIn/Strong.h"

class CAMetalLayer;

class CAMetalDrawable : public CFObject
{
public:
  CAMetalDrawable(CAMetalLayer* layer, int slot, MTLTexture* texture);
  ~CAMetalDrawable() override;
  MTLTexture* texture() const { return mTexture.get(); }
  CAMetalLayer* layer() const { return mLayer.get(); }
  // Shows the texture's contents on the layer; once only.
  void present();

private:
  Strong<CAMetalLayer> mLayer;
  int mSlot;
  Strong<MTLTexture> mTexture;
  bool mReturned = false;
};

class CAMetalLayer : public CFObject
{
public:
  static constexpr int kDrawableCount = 3;

  MTLDevice* device() const;
  void setDevice(MTLDevice* device);
  MTLPixelFormat pixelFormat() const;
  // BGRA8Unorm or RGBA8Unorm; others are ignored.
  void setPixelFormat(MTLPixelFormat format);
  double drawableWidth() const;
  double drawableHeight() const;
  void setDrawableSize(double width, double height);
  bool isOpaque() const;
  void setOpaque(bool opaque);
  bool presentsWithTransaction() const;
  void setPresentsWithTransaction(bool transaction);

  Strong<CAMetalDrawable> nextDrawable();

  // What the screen shows: the last presented image as RGBA rows, its size
  // and how many presents there were.
  std::vector<uint8_t> lastPresentedImage(int* width, int* height) const;
  int presentCount() const;
  // Stand-in control: while withheld, nextDrawable answers null at once,
  // as when the window is off screen.
  void withholdDrawables(bool withheld);

private:
  friend class CAMetalDrawable;
  void Present(int slot, MTLTexture* texture);
  void Return(int slot);

  mutable std::mutex mMutex;
  std::condition_variable mFreed;
  Strong<MTLDevice> mDevice;
  MTLPixelFormat mPixelFormat = MTLPixelFormatBGRA8Unorm;
  double mWidth = 0, mHeight = 0;
  bool mOpaque = true;
  bool mTransaction = false;
  bool mWithheld = false;
  Strong<MTLTexture> mTextures[kDrawableCount];
  bool mInUse[kDrawableCount] = {};
  std::vector<uint8_t> mShown;
  std::vector<uint8_t> mSpare; // the image shown before, reused for the next
  int mShownWidth = 0, mShownHeight = 0;
  int mPresents = 0;
};
