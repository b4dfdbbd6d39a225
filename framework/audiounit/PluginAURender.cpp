#include "framework/audiounit/PluginAU.h"

// The render road. Until it is built a unit renders nothing: every call is
// refused.

namespace plugkit {

OSStatus PluginAU::Render(AudioUnitRenderActionFlags*, const AudioTimeStamp* inTimeStamp, UInt32, UInt32,
                          AudioBufferList*)
{
  if (inTimeStamp)
    mLastRenderTimeStamp = *inTimeStamp;
  return kAudioUnitErr_CannotDoInCurrentContext;
}

void PluginAU::UpdateHostTimeInfo()
{
}

void PluginAU::OutputSysexFromEditor()
{
}

} // namespace plugkit
