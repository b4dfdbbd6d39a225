#include <cmath>
#include <cstring>
#include <limits>

#include "CoreFoundation/CFData.h"
#include "CoreFoundation/CFNumber.h"
#include "CoreFoundation/CFObjects.h"
#include "StandIn/CFObjects.h"

namespace {

const CFNumberObject* AsNumber(CFNumberRef n)
{
  return (n && CFGetTypeID(n) == kCFStandInTypeIDNumber) ? reinterpret_cast<const CFNumberObject*>(n) : nullptr;
}

const CFDataObject* AsData(CFDataRef d)
{
  return (d && CFGetTypeID(d) == kCFStandInTypeIDData) ? reinterpret_cast<const CFDataObject*>(d) : nullptr;
}

template <typename T>
bool StoreInt(int64_t v, void* out)
{
  const T t = static_cast<T>(v);
  std::memcpy(out, &t, sizeof(T));
  return v >= std::numeric_limits<T>::min() && v <= std::numeric_limits<T>::max();
}

} // namespace

bool CFNumberObject::Equals(const CFObject& other) const
{
  const auto& o = static_cast<const CFNumberObject&>(other);
  const double a = mIsFloat ? mFloat : static_cast<double>(mInt);
  const double b = o.mIsFloat ? o.mFloat : static_cast<double>(o.mInt);
  return (mIsFloat || o.mIsFloat) ? a == b : mInt == o.mInt;
}

CFTypeID CFNumberGetTypeID()
{
  return kCFStandInTypeIDNumber;
}

CFNumberRef CFNumberCreate(CFAllocatorRef, CFNumberType type, const void* value)
{
  if (!value || type < kCFNumberSInt8Type || type > kCFNumberFloat64Type || !standin::CreationAllowed())
    return nullptr;
  auto* n = new CFNumberObject;
  n->mType = type;
  switch (type)
  {
    case kCFNumberSInt8Type: { int8_t v; std::memcpy(&v, value, sizeof v); n->mInt = v; break; }
    case kCFNumberSInt16Type: { int16_t v; std::memcpy(&v, value, sizeof v); n->mInt = v; break; }
    case kCFNumberSInt32Type: { int32_t v; std::memcpy(&v, value, sizeof v); n->mInt = v; break; }
    case kCFNumberSInt64Type: { int64_t v; std::memcpy(&v, value, sizeof v); n->mInt = v; break; }
    case kCFNumberFloat32Type: { float v; std::memcpy(&v, value, sizeof v); n->mFloat = v; n->mIsFloat = true; break; }
    default: { double v; std::memcpy(&v, value, sizeof v); n->mFloat = v; n->mIsFloat = true; break; }
  }
  return n;
}

CFNumberType CFNumberGetType(CFNumberRef number)
{
  const CFNumberObject* n = AsNumber(number);
  return n ? n->mType : 0;
}

Boolean CFNumberGetValue(CFNumberRef number, CFNumberType type, void* value)
{
  const CFNumberObject* n = AsNumber(number);
  if (!n || !value)
    return false;
  if (type == kCFNumberFloat32Type || type == kCFNumberFloat64Type)
  {
    const double d = n->mIsFloat ? n->mFloat : static_cast<double>(n->mInt);
    if (type == kCFNumberFloat32Type)
    {
      const float f = static_cast<float>(d);
      std::memcpy(value, &f, sizeof f);
      return static_cast<double>(f) == d || std::isnan(d);
    }
    std::memcpy(value, &d, sizeof d);
    return n->mIsFloat || static_cast<int64_t>(d) == n->mInt;
  }
  int64_t v = n->mInt;
  bool exact = true;
  if (n->mIsFloat)
  {
    const double d = n->mFloat;
    exact = std::isfinite(d) && std::trunc(d) == d && std::fabs(d) < 9.2e18;
    v = (std::isfinite(d) && std::fabs(d) < 9.2e18) ? static_cast<int64_t>(d) : 0;
  }
  bool fits = false;
  switch (type)
  {
    case kCFNumberSInt8Type: fits = StoreInt<int8_t>(v, value); break;
    case kCFNumberSInt16Type: fits = StoreInt<int16_t>(v, value); break;
    case kCFNumberSInt32Type: fits = StoreInt<int32_t>(v, value); break;
    case kCFNumberSInt64Type: fits = StoreInt<int64_t>(v, value); break;
    default: return false;
  }
  return fits && exact;
}

CFTypeID CFDataGetTypeID()
{
  return kCFStandInTypeIDData;
}

CFDataRef CFDataCreate(CFAllocatorRef, const uint8_t* bytes, CFIndex length)
{
  if (length < 0 || (length > 0 && !bytes) || !standin::CreationAllowed())
    return nullptr;
  auto* d = new CFDataObject;
  if (length > 0)
    d->mBytes.assign(bytes, bytes + length);
  return d;
}

CFDataRef CFDataCreateCopy(CFAllocatorRef allocator, CFDataRef data)
{
  const CFDataObject* d = AsData(data);
  if (!d)
    return nullptr;
  return CFDataCreate(allocator, d->mBytes.data(), static_cast<CFIndex>(d->mBytes.size()));
}

CFIndex CFDataGetLength(CFDataRef data)
{
  const CFDataObject* d = AsData(data);
  return d ? static_cast<CFIndex>(d->mBytes.size()) : 0;
}

const uint8_t* CFDataGetBytePtr(CFDataRef data)
{
  const CFDataObject* d = AsData(data);
  return (d && !d->mBytes.empty()) ? d->mBytes.data() : nullptr;
}
