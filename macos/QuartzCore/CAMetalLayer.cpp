#include "QuartzCore/CAMetalLayer.h"

#include <chrono>

#include "StandIn/Gpu.h"

CAMetalDrawable::CAMetalDrawable(CAMetalLayer* layer, int slot, MTLTexture* texture)
  : mLayer(layer), mSlot(slot), mTexture(texture) {}

CAMetalDrawable::~CAMetalDrawable()
{
  if (!mReturned)
    mLayer->Return(mSlot);
}

void CAMetalDrawable::present()
{
  if (mReturned)
    return;
  mReturned = true;
  mLayer->Present(mSlot, mTexture.get());
}

MTLDevice* CAMetalLayer::device() const
{
  std::lock_guard<std::mutex> lock(mMutex);
  return mDevice.get();
}

void CAMetalLayer::setDevice(MTLDevice* device)
{
  std::lock_guard<std::mutex> lock(mMutex);
  mDevice = Strong<MTLDevice>(device);
}

MTLPixelFormat CAMetalLayer::pixelFormat() const
{
  std::lock_guard<std::mutex> lock(mMutex);
  return mPixelFormat;
}

void CAMetalLayer::setPixelFormat(MTLPixelFormat format)
{
  std::lock_guard<std::mutex> lock(mMutex);
  if (format == MTLPixelFormatBGRA8Unorm || format == MTLPixelFormatRGBA8Unorm)
    mPixelFormat = format;
}

double CAMetalLayer::drawableWidth() const
{
  std::lock_guard<std::mutex> lock(mMutex);
  return mWidth;
}

double CAMetalLayer::drawableHeight() const
{
  std::lock_guard<std::mutex> lock(mMutex);
  return mHeight;
}

void CAMetalLayer::setDrawableSize(double width, double height)
{
  std::lock_guard<std::mutex> lock(mMutex);
  mWidth = width > 0 ? width : 0;
  mHeight = height > 0 ? height : 0;
}

bool CAMetalLayer::isOpaque() const
{
  std::lock_guard<std::mutex> lock(mMutex);
  return mOpaque;
}

void CAMetalLayer::setOpaque(bool opaque)
{
  std::lock_guard<std::mutex> lock(mMutex);
  mOpaque = opaque;
}

bool CAMetalLayer::presentsWithTransaction() const
{
  std::lock_guard<std::mutex> lock(mMutex);
  return mTransaction;
}

void CAMetalLayer::setPresentsWithTransaction(bool transaction)
{
  std::lock_guard<std::mutex> lock(mMutex);
  mTransaction = transaction;
}

void CAMetalLayer::withholdDrawables(bool withheld)
{
  std::lock_guard<std::mutex> lock(mMutex);
  mWithheld = withheld;
}

Strong<CAMetalDrawable> CAMetalLayer::nextDrawable()
{
  std::unique_lock<std::mutex> lock(mMutex);
  NSUInteger w = static_cast<NSUInteger>(mWidth), h = static_cast<NSUInteger>(mHeight);
  if (mWithheld || !mDevice || w == 0 || h == 0)
    return nullptr;
  int slot = -1;
  auto free = [&] {
    for (int i = 0; i < kDrawableCount; ++i)
      if (!mInUse[i])
        return slot = i, true;
    return false;
  };
  if (!mFreed.wait_for(lock, std::chrono::seconds(1), free))
    return nullptr;
  Strong<MTLTexture>& t = mTextures[slot];
  if (!t || t->width() != w || t->height() != h || t->pixelFormat() != mPixelFormat)
  {
    MTLTextureDescriptor d = MTLTextureDescriptor::texture2DDescriptorWithPixelFormat(mPixelFormat, w, h, false);
    d.usage = MTLTextureUsageRenderTarget;
    t = mDevice->newTextureWithDescriptor(d);
    if (!t)
      return nullptr;
  }
  mInUse[slot] = true;
  return MakeStrong<CAMetalDrawable>(this, slot, t.get());
}

void CAMetalLayer::Present(int slot, MTLTexture* texture)
{
  int w = static_cast<int>(texture->width()), h = static_cast<int>(texture->height());
  // The buffer shown before is written again rather than a fresh one
  // allocated: a frame's image is megabytes of new pages otherwise.
  std::vector<uint8_t> pixels;
  {
    std::lock_guard<std::mutex> lock(mMutex);
    pixels.swap(mSpare);
  }
  pixels.resize(static_cast<size_t>(w) * h * 4);
  {
    std::lock_guard<std::mutex> memory(standin::GpuMemoryLock());
    const uint8_t* p = texture->levelData(0);
    bool bgra = texture->pixelFormat() == MTLPixelFormatBGRA8Unorm;
    const int red = bgra ? 2 : 0, blue = bgra ? 0 : 2;
    uint8_t* out = pixels.data();
    for (size_t i = 0, n = pixels.size(); i < n; i += 4)
    {
      out[i + 0] = p[i + red];
      out[i + 1] = p[i + 1];
      out[i + 2] = p[i + blue];
      out[i + 3] = p[i + 3];
    }
  }
  {
    std::lock_guard<std::mutex> lock(mMutex);
    mSpare.swap(mShown);
    mShown = std::move(pixels);
    mShownWidth = w;
    mShownHeight = h;
    ++mPresents;
    mInUse[slot] = false;
  }
  mFreed.notify_all();
}

void CAMetalLayer::Return(int slot)
{
  {
    std::lock_guard<std::mutex> lock(mMutex);
    mInUse[slot] = false;
  }
  mFreed.notify_all();
}

std::vector<uint8_t> CAMetalLayer::lastPresentedImage(int* width, int* height) const
{
  std::lock_guard<std::mutex> lock(mMutex);
  if (width)
    *width = mShownWidth;
  if (height)
    *height = mShownHeight;
  return mShown;
}

int CAMetalLayer::presentCount() const
{
  std::lock_guard<std::mutex> lock(mMutex);
  return mPresents;
}
