#pragma once

// How a host on Linux makes bundles known to the process: what macOS learns
// from the bundle folders themselves.

#include <string>

class NSBundle;

namespace standin {

struct BundleDescription
{
  std::string identifier; // e.g. "com.kestrova.audiounit.Tolvane3"
  std::string version;    // e.g. "3.0.28"
  std::string root;       // the bundle folder, e.g. ".../Tolvane3.component"; may be empty
  std::string executable; // file name under Contents/MacOS; may be empty
};

// Registers (or replaces) the bundle with that identifier; returns it, or
// null for an empty identifier.
NSBundle* RegisterBundle(const BundleDescription& description);
void UnregisterBundle(const std::string& identifier);
// Sets the host's main bundle (registered like any other); an empty
// identifier means the host has none.
void SetMainBundle(const BundleDescription& description);
// Forgets every bundle and the main bundle.
void ResetBundles();

} // namespace standin
