#pragma once

#include "CoreGraphics/CGDataProvider.h"
#include "CoreGraphics/CGFont.h"
#include "CoreGraphics/CGDisplay.h"
