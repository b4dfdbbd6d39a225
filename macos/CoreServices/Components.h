#pragma once

// The Component Manager's side of a component: the call record a host
// passes to a component's entry, instance storage, and its status codes.
//
// A call record carries its arguments in 8-byte words. One encoding for
// every word, used by hosts and components alike (the helpers below):
// - an integer of up to 32 bits sits in the low 32 bits, sign-extended for
//   signed types and zero-extended for unsigned ones, and is read back by
//   keeping the low 32 bits;
// - a pointer (or a function) sits as its address;
// - a 32-bit float sits as its IEEE bit pattern in the low 32 bits, the
//   upper 32 bits zero.
// Word 0 holds the selector asked about for kComponentCanDoSelect and the
// component instance for the Audio Unit calls, whose arguments follow in
// words 1, 2, 3 ... in the order of the call; open finds the new component
// instance in word 1.

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "CoreFoundation/CFBase.h"

typedef int32_t ComponentResult;
typedef struct ComponentInstanceRecord* ComponentInstance;

enum : int16_t
{
  kComponentOpenSelect = -1,
  kComponentCloseSelect = -2,
  kComponentCanDoSelect = -3,
  kComponentVersionSelect = -4,
};

constexpr ComponentResult badComponentSelector = static_cast<ComponentResult>(0x80008002u);

struct ComponentParameters
{
  static constexpr int kMaxWords = 8;
  uint8_t flags;
  uint8_t paramSize; // bytes of argument words the call uses
  int16_t what;      // the selector
  uint32_t padding;
  uint64_t params[kMaxWords];
};
static_assert(offsetof(ComponentParameters, params) == 8, "argument words start at byte 8");

typedef ComponentResult (*ComponentRoutine)(ComponentParameters* params, void* storage);

// The word encoding described above.
inline uint64_t ComponentWordFromInt(int32_t v)
{
  return static_cast<uint64_t>(static_cast<int64_t>(v));
}
inline uint64_t ComponentWordFromUInt(uint32_t v)
{
  return static_cast<uint64_t>(v);
}
inline uint64_t ComponentWordFromPointer(const void* p)
{
  return static_cast<uint64_t>(reinterpret_cast<uintptr_t>(p));
}
inline uint64_t ComponentWordFromFloat(float f)
{
  uint32_t bits;
  std::memcpy(&bits, &f, sizeof bits);
  return bits;
}
inline int32_t IntFromComponentWord(uint64_t w)
{
  return static_cast<int32_t>(static_cast<uint32_t>(w));
}
inline uint32_t UIntFromComponentWord(uint64_t w)
{
  return static_cast<uint32_t>(w);
}
template <typename T = void>
inline T* PointerFromComponentWord(uint64_t w)
{
  return reinterpret_cast<T*>(static_cast<uintptr_t>(w));
}
inline float FloatFromComponentWord(uint64_t w)
{
  const uint32_t bits = static_cast<uint32_t>(w);
  float f;
  std::memcpy(&f, &bits, sizeof f);
  return f;
}

// The object a component keeps per instance; null until it stores one.
void SetComponentInstanceStorage(ComponentInstance instance, void* storage);
void* GetComponentInstanceStorage(ComponentInstance instance);
