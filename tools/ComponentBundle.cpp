#include "tools/ComponentBundle.h"

#include <dlfcn.h>
#include <link.h>

#include "CoreFoundation/CFString.h"
#include "StandIn/AudioUnits.h"
#include "StandIn/Bundles.h"
#include "tools/PropertyList.h"
#include "tools/TextFile.h"

namespace auhost {

namespace {

std::string StringAt(const PlistValue* dict, const char* key)
{
  const PlistValue* v = dict ? dict->Find(key) : nullptr;
  return v && v->kind == PlistValue::Kind::String ? v->text : std::string();
}

} // namespace

std::unique_ptr<ComponentBundle> ComponentBundle::Load(const std::string& root, std::string& error)
{
  const std::string plistPath = root + "/Contents/Info.plist";
  std::string text, why;
  if (!ReadTextFile(plistPath, kMaxPlistBytes, text, why))
  {
    error = "no Audio Unit bundle at " + root + " (" + why + ")";
    return nullptr;
  }
  const auto plist = ParsePlist(text, why);
  if (!plist || plist->kind != PlistValue::Kind::Dict)
  {
    error = plistPath + ": " + (plist ? "the root is not a dictionary" : why);
    return nullptr;
  }
  std::unique_ptr<ComponentBundle> bundle(new ComponentBundle);
  bundle->mRoot = root;
  ComponentIdentity& id = bundle->mIdentity;
  id.name = StringAt(&*plist, "CFBundleName");
  id.bundleId = StringAt(&*plist, "CFBundleIdentifier");
  id.version = StringAt(&*plist, "CFBundleVersion");
  const std::string executable = StringAt(&*plist, "CFBundleExecutable");
  const PlistValue* components = plist->Find("AudioComponents");
  const PlistValue* first =
    components && components->kind == PlistValue::Kind::Array && !components->array.empty() ? &components->array[0]
                                                                                              : nullptr;
  id.factory = StringAt(first, "factoryFunction");
  id.type = StringAt(first, "type");
  id.subtype = StringAt(first, "subtype");
  id.manufacturer = StringAt(first, "manufacturer");
  if (executable.empty() || id.factory.empty() || executable.find('/') != std::string::npos)
  {
    error = plistPath + ": no executable or factory function named";
    return nullptr;
  }

  const std::string modulePath = root + "/Contents/MacOS/" + executable;
  void* module = dlopen(modulePath.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!module)
  {
    error = std::string("cannot load ") + modulePath + ": " + dlerror();
    return nullptr;
  }
  // A name is looked up through the libraries the module uses too: one of
  // theirs (malloc) is no factory, and called as one it crashes the host.
  void* factory = dlsym(module, id.factory.c_str());
  Dl_info found{};
  link_map* foundIn = nullptr;
  link_map* own = nullptr;
  if (!factory || dladdr1(factory, &found, reinterpret_cast<void**>(&foundIn), RTLD_DL_LINKMAP) == 0 ||
      dlinfo(module, RTLD_DI_LINKMAP, &own) != 0 || foundIn != own)
  {
    error = factory ? modulePath + " does not define its factory " + id.factory + ": the name is a library's it uses"
                    : modulePath + " exports no factory " + id.factory;
    return nullptr;
  }
  bundle->mFactory = reinterpret_cast<AudioComponentPlugInInterface* (*)()>(factory);
  // The module stays loaded for the life of the process, as in most hosts.
  standin::RegisterBundle({id.bundleId, id.version, root, executable});
  standin::SetMainBundle({"com.kestrova.auhost", "1.0.0", "", ""});
  return bundle;
}

std::unique_ptr<OpenedUnit> OpenedUnit::Open(const ComponentBundle& bundle, std::string& error)
{
  std::unique_ptr<OpenedUnit> unit(new OpenedUnit);
  unit->mRecord = bundle.NewRecord();
  if (!unit->mRecord)
  {
    error = "the component's factory gave no instance";
    return nullptr;
  }
  unit->mUnit = standin::NewAudioComponentInstance(unit->mRecord);
  const OSStatus status = unit->mRecord->Open(unit->mRecord, unit->mUnit);
  if (status != noErr)
  {
    error = "the component failed to open (status " + std::to_string(status) + ")";
    unit->mRecord->Close(unit->mRecord);
    standin::DisposeComponentInstance(unit->mUnit);
    unit->mRecord = nullptr;
    unit->mUnit = nullptr;
    return nullptr;
  }
  return unit;
}

OpenedUnit::~OpenedUnit()
{
  if (!mRecord)
    return;
  mRecord->Close(mRecord);
  standin::DisposeComponentInstance(mUnit);
}

std::string TextOf(CFStringRef string)
{
  if (!string)
    return {};
  const CFIndex size = CFStringGetMaximumSizeForEncoding(CFStringGetLength(string), kCFStringEncodingUTF8) + 1;
  std::string text(static_cast<size_t>(size), '\0');
  if (!CFStringGetCString(string, text.data(), size, kCFStringEncodingUTF8))
    return {};
  text.resize(std::char_traits<char>::length(text.c_str()));
  return text;
}

std::string CodeText(UInt32 code)
{
  std::string text;
  for (int shift = 24; shift >= 0; shift -= 8)
  {
    const char c = static_cast<char>((code >> shift) & 0xFF);
    text += (c >= 32 && c < 127) ? c : '?';
  }
  return text;
}

} // namespace auhost
