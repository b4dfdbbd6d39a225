#pragma once

#include <cstring>
#include <functional>
#include <memory>
#include <string_view>

#include "graphics/PK_Mutex.h"
#include "graphics/PK_PtrList.h"
#include "graphics/PK_String.h"
#include "graphics/SVG.h"

namespace plugkit::gfx {

// The text a cache item is hashed by: the name followed by "-<scale>x" with
// one decimal ("knob.png-2.0x"), at most strlen(name) + 6 characters. The
// decimal point never follows the process locale.
PK_String StaticStorageKey(const char* name, double scale);

// A process-wide cache of loaded resources by name and scale, shared by
// every graphics context of the process: they count themselves in and out
// (Retain, Release) and the last one out empties it.
//
// Owns its items. Every call is made with Lock() held by the caller; the
// lock is recursive, so a caller that holds it may call code that takes it
// again. Main thread, but several editors of one process share it.
template <class T>
class StaticStorage
{
public:
  struct DataKey
  {
    size_t hash = 0;
    PK_String name;
    double scale = 1.0;
    std::unique_ptr<T> data;
  };

  StaticStorage() = default;
  ~StaticStorage() { Clear(); }
  StaticStorage(const StaticStorage&) = delete;
  StaticStorage& operator=(const StaticStorage&) = delete;

  PK_Mutex& Lock() { return mMutex; }

  // The first item, in insertion order, of that name and exactly that
  // scale; null when none.
  T* Find(const char* name, double scale = 1.0)
  {
    name = name ? name : "";
    const size_t hash = Hash(name, scale);
    for (int i = 0; i < mDatas.GetSize(); ++i)
    {
      DataKey* key = mDatas.Get(i);
      if (key->hash == hash && key->scale == scale && strcmp(key->name.Get(), name) == 0)
        return key->data.get();
    }
    return nullptr;
  }

  // Takes the data and appends it; false when the list cannot grow, and the
  // data then stays with the caller.
  bool Add(T* data, const char* name, double scale = 1.0)
  {
    name = name ? name : "";
    auto key = std::make_unique<DataKey>();
    key->hash = Hash(name, scale);
    key->name.Set(name);
    key->scale = scale;
    if (!mDatas.Add(key.get()))
      return false;
    key->data.reset(data);
    key.release();
    return true;
  }

  // Deletes the first item holding that data.
  void Remove(const T* data)
  {
    for (int i = 0; i < mDatas.GetSize(); ++i)
    {
      if (mDatas.Get(i)->data.get() == data)
      {
        mDatas.Delete(i, true);
        return;
      }
    }
  }

  // Deletes every item, last first.
  void Clear() { mDatas.Empty(true); }

  int Size() const { return mDatas.GetSize(); }
  // The number of graphics contexts that use the cache.
  int Count() const { return mCount; }
  void Retain() { ++mCount; }
  // Counts a context out; the last one empties the cache.
  void Release()
  {
    if (--mCount <= 0)
    {
      mCount = 0;
      Clear();
    }
  }

private:
  static size_t Hash(const char* name, double scale)
  {
    const PK_String key = StaticStorageKey(name, scale);
    return std::hash<std::string_view>()(std::string_view(key.Get()));
  }

  PK_Mutex mMutex{true};
  PK_PtrList<DataKey> mDatas{4096};
  int mCount = 0;
};

// An SVG image in the cache; deleting the holder frees the image.
class SVGHolder
{
public:
  explicit SVGHolder(NSVGimage* image) : mImage(image) {}
  ~SVGHolder() { nsvgDelete(mImage); }
  SVGHolder(const SVGHolder&) = delete;
  SVGHolder& operator=(const SVGHolder&) = delete;

  NSVGimage* Image() const { return mImage; }

private:
  NSVGimage* mImage;
};

class APIBitmap;

// The two caches of the graphics core, alive until the module unloads.
StaticStorage<APIBitmap>& BitmapStorage();
StaticStorage<SVGHolder>& SVGStorage();

// Counts a graphics context in on both caches while it lives: the bitmap
// cache's lock is taken first, the SVG cache's inside it.
class ResourceCacheUse
{
public:
  ResourceCacheUse();
  ~ResourceCacheUse();
  ResourceCacheUse(const ResourceCacheUse&) = delete;
  ResourceCacheUse& operator=(const ResourceCacheUse&) = delete;
};

} // namespace plugkit::gfx
