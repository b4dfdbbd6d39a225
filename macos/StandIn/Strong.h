#pragma once

// A strong reference to a stand-in object, as automatic reference counting
// keeps one on the platform: it retains what it is given (or adopts a +1
// reference from a `new...` method) and releases it when it lets go.
// Copying retains, moving transfers. Safe on any thread, since retain and
// release are.

#include <cstddef>
#include <utility>

#include "CoreFoundation/CFBase.h"

template <class T>
class Strong
{
public:
  Strong() = default;
  Strong(std::nullptr_t) {}
  // Retains `object`.
  explicit Strong(T* object) : mObject(object) { CFRetain(object); }
  // Takes over a reference the caller already owns (the result of `new`).
  static Strong Adopt(T* object)
  {
    Strong s;
    s.mObject = object;
    return s;
  }
  Strong(const Strong& other) : mObject(other.mObject) { CFRetain(mObject); }
  Strong(Strong&& other) noexcept : mObject(std::exchange(other.mObject, nullptr)) {}
  template <class U>
  Strong(const Strong<U>& other) : mObject(other.get()) { CFRetain(mObject); }
  ~Strong() { CFRelease(mObject); }
  Strong& operator=(Strong other) noexcept
  {
    std::swap(mObject, other.mObject);
    return *this;
  }
  T* get() const { return mObject; }
  T* operator->() const { return mObject; }
  T& operator*() const { return *mObject; }
  explicit operator bool() const { return mObject != nullptr; }
  bool operator==(const Strong& other) const { return mObject == other.mObject; }

private:
  T* mObject = nullptr;
};

// Makes a new object with one reference, owned by the result.
template <class T, class... Args>
Strong<T> MakeStrong(Args&&... args)
{
  return Strong<T>::Adopt(new T(std::forward<Args>(args)...));
}
