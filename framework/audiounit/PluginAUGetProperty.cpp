#include <cstring>

#include "framework/audiounit/PluginAU.h"

namespace plugkit {

OSStatus PluginAU::GetProperty(AudioUnitPropertyID id, AudioUnitScope, AudioUnitElement, UInt32* pDataSize,
                               Boolean*, void* pData)
{
  if (id == kPrivatePropertyPluginObject)
  {
    *pDataSize = sizeof(void*);
    if (pData)
    {
      PluginAU* self = this;
      std::memcpy(pData, &self, sizeof(self));
    }
    return noErr;
  }
  return kAudioUnitErr_InvalidProperty;
}

int PluginAU::GetChannelLayoutTags(AudioUnitScope, AudioUnitElement, AudioChannelLayoutTag*) const
{
  return 0;
}

} // namespace plugkit
