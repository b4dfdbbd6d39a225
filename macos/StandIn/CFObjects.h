#pragma once

// What tests need of the Core Foundation objects beyond macOS: a count of
// the objects alive (every object handed to a host must come back released;
// the plug-in leaks none), fault injection for the creation functions, and a
// property-list round trip as a host's save and load would make it.

#include "CoreFoundation/CFBase.h"

namespace standin {

// Objects created and not yet destroyed, plus allocator blocks not given
// back; constant strings and bundle strings live for the process and are
// not counted. Note that run-loop timers are objects too.
long LiveObjectCount();

// From now on only `count` more creations succeed (objects and allocator
// blocks); every later one gives null. -1 lets all succeed again.
void FailCreationsAfter(long count);
// Array creation fails while set.
void FailArrayCreation(bool fail);

// Used by the layer itself: whether the next creation may succeed (and
// counts it), whether arrays may be created, and marking an object that
// lives as long as the process.
bool CreationAllowed();
bool ArrayCreationAllowed();
void MakePermanent(CFTypeRef object);

// A new dictionary as a property-list save and load gives it back: every
// integer number becomes a 64-bit number, data and strings are fresh
// copies, nested dictionaries and arrays are copied the same way. Null
// when given null.
CFTypeRef PropertyListRoundTrip(CFTypeRef plist);

} // namespace standin
