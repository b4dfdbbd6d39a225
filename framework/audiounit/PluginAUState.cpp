#include "framework/audiounit/PluginAU.h"

namespace plugkit {

OSStatus PluginAU::GetState(CFMutableDictionaryRef* ppDict)
{
  return coreFoundationUnknownErr;
}

OSStatus PluginAU::SetState(CFDictionaryRef)
{
  return kAudioUnitErr_InvalidPropertyValue;
}

} // namespace plugkit
