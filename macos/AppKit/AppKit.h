#pragma once

#include "AppKit/NSView.h"
#include "Foundation/NSGeometry.h"
#include "Foundation/NSObject.h"
