#pragma once

#include "CoreText/CTFont.h"
#include "CoreText/CTFontDescriptor.h"
