#pragma once

// The stand-in Metal layer: a software GPU (see MTLDevice.h).

#include "Metal/MTLBlitCommandEncoder.h"
#include "Metal/MTLCommandQueue.h"
#include "Metal/MTLDevice.h"
#include "Metal/MTLLibrary.h"
#include "Metal/MTLRenderCommandEncoder.h"
#include "Metal/MTLResource.h"
#include "Metal/MTLTypes.h"
