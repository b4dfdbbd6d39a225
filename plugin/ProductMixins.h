// The small bases the product class mixes in beside the Audio Unit plug-in
// base: its folders, the latency it wants reported, the preset-file and
// state-document roles, and a message box waiting for the main thread.
#pragma once

#include <atomic>
#include <cstdint>

#include "graphics/PK_String.h"
#include "plugin/PluginFolders.h"

namespace tolvane3 {

// The data and preset folders (see PluginFolders.h), and a text buffer the
// update check formats its address into.
class IMPlugPaths
{
protected:
  PluginFolders mFolders;
  PK_String mPathText;
};

// The latency the plug-in wants the host to compensate, in samples. Written
// by the parameter-change handler and the reset, read by block processing
// and the idle work on other threads.
class IExtPDCHandler
{
protected:
  std::atomic<int32_t> mLatencyWanted{0};
};

// Preset files carry the plug-in's own name and version: nothing to hold.
class IXMLPreset
{
};

// The state document in memory: operations only (XMLPresets.h).
class IXMLParameters
{
};

// A message for the user, shown by the idle work on the main thread.
class ICMessageBox
{
protected:
  PK_String mMessageText;
  PK_String mMessageCaption;
  std::atomic<bool> mMessagePending{false};
};

} // namespace tolvane3
