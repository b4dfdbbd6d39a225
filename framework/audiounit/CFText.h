#pragma once

#include "CoreFoundation/CFString.h"
#include "graphics/PK_String.h"

namespace plugkit {

// The UTF-8 text of a Core Foundation string, converted through a buffer
// sized for the longest UTF-8 form of its length (so text beyond ASCII
// converts), and cut to at most maxBytes bytes on a character boundary
// when maxBytes >= 0. False, with out empty, for null, a non-string or a
// failed conversion.
bool CFStringToUTF8(CFStringRef string, PK_String& out, int maxBytes = -1);

// A new string of UTF-8 text; text that is not valid UTF-8 gives the empty
// string rather than null. Null only when creation fails.
CFStringRef NewCFStringFromUTF8(const char* text);

} // namespace plugkit
