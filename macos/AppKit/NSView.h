#pragma once

// A view of the window system, as a host embeds it in its own window. The
// platform layer's editor view is one; to the host and the plug-in's view
// factory it is a handle that they pass on and never look into.

#include "Foundation/NSGeometry.h"
#include "Foundation/NSObject.h"

class NSView : public NSObject
{
};
