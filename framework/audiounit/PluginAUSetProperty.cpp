#include "framework/audiounit/PluginAU.h"

namespace plugkit {

OSStatus PluginAU::SetProperty(AudioUnitPropertyID, AudioUnitScope, AudioUnitElement, UInt32, const void*)
{
  return kAudioUnitErr_InvalidProperty;
}

} // namespace plugkit
