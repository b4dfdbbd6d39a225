#pragma once

#include "CoreGraphics/CGDataProvider.h"
#include "CoreGraphics/CGFont.h"
