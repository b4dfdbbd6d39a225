// The module's side of the wrapper's link-time hooks: the product is the
// plug-in the module's factory and component entry create. Compiled into
// the module (and into test programs that stand for a host loading it),
// not into the product's library.
#include <new>

#include "framework/audiounit/AUPlugInGlue.h"
#include "plugin/Tolvane3.h"

namespace plugkit {

PluginAU* CreatePluginInstance(void* memory)
{
  PluginInstanceInfo info;
  info.cocoaViewFactoryClassName.Set("Tolvane3_View");
  if (memory)
    return new (memory) tolvane3::Tolvane3(info);
  return new tolvane3::Tolvane3(info);
}

size_t PluginInstanceSize()
{
  return sizeof(tolvane3::Tolvane3);
}

} // namespace plugkit
