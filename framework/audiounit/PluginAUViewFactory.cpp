#include "framework/audiounit/PluginAUViewFactory.h"

#include "framework/audiounit/PluginAU.h"

namespace plugkit {

NSView* PluginAUViewFactory::uiViewForAudioUnit(AudioUnit unit, NSSize)
{
  PluginAU* plug = nullptr;
  UInt32 size = sizeof(plug);
  if (AudioUnitGetProperty(unit, PluginAU::kPrivatePropertyPluginObject, kAudioUnitScope_Global, 0, &plug, &size) !=
        noErr ||
      size != sizeof(plug))
    return nullptr;
  mPlug = plug;
  if (!mPlug || !mPlug->HasUI())
    return nullptr;
  return static_cast<NSView*>(mPlug->OpenWindow(nullptr));
}

CFStringRef PluginAUViewFactory::description()
{
  return CFStringCreateWithCString(kCFAllocatorDefault, mDescription.c_str(), kCFStringEncodingUTF8);
}

namespace {

// The class this module made known. It is forgotten when the module unloads
// (this object's destructor runs then), since the code that makes its
// instances goes with the module.
struct ViewClassRegistration
{
  std::string name;
  ~ViewClassRegistration()
  {
    if (!name.empty())
      NSUnregisterClass(name);
  }
};

} // namespace

void RegisterAUViewFactoryClass(const char* className, const char* pluginName)
{
  static ViewClassRegistration registration;
  if (!registration.name.empty() || !className || !*className)
    return;
  std::string description = std::string(pluginName ? pluginName : "") + " View";
  if (NSRegisterClass(className, [description] { return new PluginAUViewFactory(description); }))
    registration.name = className;
}

} // namespace plugkit
