// The plug-in module's exported entry points, compiled into every module
// (and into the test programs that stand for a host loading one). C
// linkage and default visibility: a host finds them by name with dlsym.

#include "framework/audiounit/AUPlugInGlue.h"
#include "framework/audiounit/PluginAU.h"

#define PLUGKIT_EXPORT extern "C" __attribute__((visibility("default")))

// The Audio Component factory: a new plug-in interface record with room for
// the plug-in behind it; null when memory runs out.
PLUGKIT_EXPORT AudioComponentPlugInInterface* Tolvane3_Factory()
{
  return plugkit::NewAUPlugInBlock();
}

// The Component Manager entry: every selector call, with the instance
// storage (the plug-in object) as the second argument.
PLUGKIT_EXPORT ComponentResult Tolvane3_Entry(ComponentParameters* params, void* storage)
{
  return plugkit::PluginAU::ComponentDispatch(params, static_cast<plugkit::PluginAU*>(storage));
}
