#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "AudioUnit/AudioUnit.h"
#include "CoreFoundation/CoreFoundation.h"
#include "framework/PluginAPIBase.h"
#include "framework/PluginProcessor.h"
#include "framework/audiounit/MidiPacketListBuffer.h"
#include "graphics/PK_PtrList.h"
#include "graphics/PK_String.h"
#include "graphics/PK_TypedBuf.h"

namespace plugkit {

// What the product tells the wrapper beside its configuration.
struct PluginInstanceInfo
{
  // The Cocoa class a host instantiates to get the editor view.
  PK_String cocoaViewFactoryClassName;
};

// How an input bus gets its audio.
enum EAUInputKind : int32_t
{
  eNotConnected = 0,
  eDirectFastProc = 1,   // an upstream unit's own render entry
  eDirectNoFastProc = 2, // an upstream unit, through AudioUnitRender
  eRenderCallback = 3,   // the host's input callback
};

// "NotConnected", "DirectFastProc", "DirectNoFastProc", "RenderCallback";
// "" for other values.
const char* InputKindName(EAUInputKind kind);

// One bus of one direction.
struct IAUBus
{
  bool mConnected = false;
  // -1 while the host has set no stream format for the bus.
  int32_t mNHostChannels = -1;
  // The most channels any channel layout gives this bus; the host may
  // never use more.
  int32_t mNPlugChannels = 0;
  // The bus's first channel in the processor's channel list of its side.
  int32_t mPlugChannelStartIdx = 0;
};

// Where an input bus's audio comes from; all zero when not connected.
struct IAUInputConnection
{
  void* mUpstreamObj = nullptr; // the upstream unit's instance storage
  AudioUnit mUpstreamUnit = nullptr;
  uint32_t mUpstreamBusIdx = 0;
  AudioUnitRenderProc mUpstreamRenderProc = nullptr;
  AURenderCallback mCallbackProc = nullptr;
  void* mCallbackRefCon = nullptr;
  EAUInputKind mInputType = eNotConnected;
};

struct IAUPropertyListener
{
  AudioUnitPropertyID mPropID = 0;
  AudioUnitPropertyListenerProc mListenerProc = nullptr;
  void* mProcArgs = nullptr;
  // Removed by the host during a notification: no longer called, and
  // deleted when the outermost notification ends.
  bool mRemoved = false;
};

struct IAURenderNotify
{
  AURenderCallback mFunc = nullptr;
  void* mFuncArgs = nullptr;
};

// The plug-in base that speaks the Audio Unit (version 2) interface. A host
// reaches it through the module's exported factory (the plug-in interface
// record, AUPlugInGlue.h) or its component entry (ComponentDispatch); both
// roads end in the operations below. The product class derives from it
// first, and its module defines the two link-time hooks of AUPlugInGlue.h
// (CreatePluginInstance, PluginInstanceSize) and links the entry points
// (target plugkit_au_entry, or tolvane3_add_au_bundle for the bundle).
//
// Owns: its bus and connection records, the property listeners and render
// notifications the host added, the input and output scratch buffers (block
// size x channels of each side, 32-bit float). Objects it hands to the host
// (dictionaries, arrays, strings) belong to the host.
//
// Threads: the dispatch, properties and state run on the host's main
// thread; Render, parameter sets and scheduled parameters may run on its
// audio thread. Nothing here locks: the host is relied on not to change
// formats, the block size, connections, callbacks or listener lists while
// it renders. Parameter values are atomic.
//
// Bad input: every host-given pointer, size, id and index is checked before
// use. Status codes: -10879 unknown property or wrong scope, -10878 bad
// parameter id, -10877 bad element (or parameter id inside a property),
// -10866 bad scope, -10851 bad value, size or record, -10850 bad clump id,
// badComponentSelector for selectors that are not served. A refused write
// changes nothing, and property listeners hear only of writes that took
// effect (after the change, with the write's scope and element).
//
// The idle timer does not start in the constructor: whoever builds the
// plug-in for a host (the module's Open) calls CreateTimer once the
// product's constructor has finished, so no tick runs idle work on a
// half-built object; tear-down goes through DestroyPlugin (or StopTimer
// first), so none runs on a half-destroyed one.
class PluginAU : public PluginAPIBase, public PluginProcessor
{
public:
  static constexpr int kDefaultBlockSize = 512;
  // The largest block a host may announce; more would only exhaust memory.
  static constexpr int kMaxBlockSize = 1 << 17;
  // Below this a sample rate is not audio.
  static constexpr double kMinSampleRate = 200.0;
  // Twice the highest rate a real file uses: the DSP's delay lines and
  // meters hold seconds of audio each, so more would only exhaust memory.
  static constexpr double kMaxSampleRate = 1536000.0;
  // The private property through which the view factory finds the plug-in
  // object behind a unit (8 bytes: its address).
  static constexpr AudioUnitPropertyID kPrivatePropertyPluginObject = static_cast<AudioUnitPropertyID>(-101);

  PluginAU(const PluginInstanceInfo& info, const PluginConfig& config);
  ~PluginAU() override;

  // The Component Manager road. `self` is the instance storage (null for
  // open, which creates the plug-in through CreatePluginInstance and stores
  // it). Arguments are read from the record's words as Components.h fixes.
  static ComponentResult ComponentDispatch(ComponentParameters* params, PluginAU* self);

  // Selector operations ---------------------------------------------------------
  // Identifies the host (once), checks the buses' channel counts against the
  // channel layouts (badComponentSelector, nothing changed, when none fits),
  // runs the parameter-change handler for every parameter, activates and
  // resets.
  OSStatus Initialize();
  void Uninitialize();
  OSStatus GetParameter(AudioUnitParameterID id, AudioUnitScope scope, AudioUnitElement element,
                        AudioUnitParameterValue* outValue);
  // Steps and clamps the value into the parameter; the editor is sent the
  // value as the host gave it. Audio thread: no allocation.
  OSStatus SetParameter(AudioUnitParameterID id, AudioUnitScope scope, AudioUnitElement element,
                        AudioUnitParameterValue value, UInt32 bufferOffset);
  // Applies the immediate events in order (ramps are skipped); stops at the
  // first event that is refused, keeping those before it.
  OSStatus ScheduleParameters(const AudioUnitParameterEvent* events, UInt32 nEvents);
  OSStatus Reset(AudioUnitScope scope, AudioUnitElement element);
  // One record per (id, function); a second add with other user data is
  // ignored.
  OSStatus AddPropertyListener(AudioUnitPropertyID id, AudioUnitPropertyListenerProc proc, void* userData);
  OSStatus RemovePropertyListener(AudioUnitPropertyID id, AudioUnitPropertyListenerProc proc);
  OSStatus RemovePropertyListenerWithUserData(AudioUnitPropertyID id, AudioUnitPropertyListenerProc proc,
                                              void* userData);
  // Duplicates allowed; remove takes the first with that function.
  OSStatus AddRenderNotify(AURenderCallback proc, void* userData);
  OSStatus RemoveRenderNotify(AURenderCallback proc, void* userData);
  // Instruments and MIDI effects; badComponentSelector without MIDI input.
  OSStatus MIDIEvent(UInt32 status, UInt32 data1, UInt32 data2, UInt32 offsetSampleFrame);
  OSStatus SysEx(const UInt8* data, UInt32 length);
  OSStatus StartNote(MusicDeviceInstrumentID instrument, MusicDeviceGroupID group, NoteInstanceID* outNoteID,
                     UInt32 offsetSampleFrame, const MusicDeviceNoteParams* params);

  // Properties ----------------------------------------------------------------------
  // Answers the information call (pData null: the size and writability
  // only) and the read. pDataSize and pWriteable must be valid; on a read
  // *pDataSize holds the room the host gave and receives the size written.
  OSStatus GetProperty(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element, UInt32* pDataSize,
                       Boolean* pWriteable, void* pData);
  // The host's read call: GetProperty with a writable flag of its own. A
  // host that passes no size (it may: the size is in/out) has room for the
  // property's own size, as it would have had for an information call.
  OSStatus ReadProperty(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element, UInt32* pDataSize,
                        void* pData);
  OSStatus SetProperty(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element, UInt32 dataSize,
                       const void* pData);
  // The channel layout tags of a bus: their count when tags is null,
  // otherwise written (room for the count) and 1 returned.
  int GetChannelLayoutTags(AudioUnitScope scope, AudioUnitElement element, AudioChannelLayoutTag* tags) const;
  // Whether the bus may take nChannels beside the other buses' current
  // counts: some channel layout must give every bus with a known count
  // exactly that count (the other direction counts once initialised), and
  // no bus may take more than its plug channels.
  bool CheckLegalIO(AudioUnitScope scope, int busIdx, int nChannels) const;
  // Turns the connection records into connected buses and channels.
  void AssessInputConnections();

  // State ----------------------------------------------------------------------------
  // A new ClassInfo dictionary ("version", "type", "subtype",
  // "manufacturer", "name", "data"); the caller owns it. 0, or
  // coreFoundationUnknownErr when it could not be made.
  virtual OSStatus GetState(CFMutableDictionaryRef* ppDict);
  // Restores a ClassInfo dictionary: every key, its type, the component
  // codes and the state bytes are checked before anything changes. The
  // product's state reader is given the "data" bytes from position 0 and
  // answers the start position when no container is there, -1 for every
  // failure after the container tag matched, and a position after the data
  // on success; anything but success gives -10851 with the plug-in's state
  // (values, current preset) as it was.
  virtual OSStatus SetState(CFDictionaryRef pDict);

  // Render road --------------------------------------------------------------------
  OSStatus Render(AudioUnitRenderActionFlags* ioActionFlags, const AudioTimeStamp* inTimeStamp, UInt32 outputBusIdx,
                  UInt32 nFrames, AudioBufferList* pBufferList);
  void UpdateHostTimeInfo();
  void OutputSysexFromEditor();

  // Host notifications and MIDI output -------------------------------------------
  void NotifyHostGestureBegin(int paramIdx) override;
  void NotifyHostParamValue(int paramIdx, double normalizedValue) override;
  void NotifyHostGestureEnd(int paramIdx) override;
  void NotifyPresetChange() override;
  void NotifyHostParamInfoChange() override;
  void SetLatency(int samples) override;
  bool SendMidiMsg(const IMidiMsg& msg) override;
  bool SendMidiMsgs(std::span<const IMidiMsg> msgs) override;
  bool SendSysEx(const ISysExMsg& msg) override;

  // Glue and inspection ---------------------------------------------------------------
  AudioComponentInstance GetComponentInstance() const { return mCI; }
  void SetComponentInstance(AudioComponentInstance ci) { mCI = ci; }
  bool IsInitialized() const { return mActive; }
  const char* GetCocoaViewClassName() const { return mCocoaViewFactoryClassName.Get(); }
  int NInBuses() const { return mInBuses.GetSize(); }
  int NOutBuses() const { return mOutBuses.GetSize(); }
  const IAUBus* GetBus(AudioUnitScope scope, int busIdx) const;
  const IAUInputConnection* GetInputConnection(int busIdx) const { return mInputConnections.Get(busIdx); }
  int NPropertyListeners() const { return mPropertyListeners.GetSize(); }
  int NRenderNotify() const { return mRenderNotify.GetSize(); }
  // The clump (1-based) of a parameter group: every distinct group in
  // parameter order; 0 for an empty group.
  UInt32 ClumpIDOfGroup(const char* group);
  const char* ClumpName(UInt32 clumpID);

protected:
  // Calls the listeners of that property id, in the order added: those
  // registered when the call began and not removed since.
  void InformListeners(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element = 0);
  // Deletes the listener record at idx, or marks it removed while a
  // notification runs.
  void RemoveListenerAt(int idx);
  void DeleteRemovedListeners();
  IAUBus* GetBusMutable(AudioUnitScope scope, int busIdx);
  // The sum of the host channel counts that are known (0 or more); -1 when
  // none is known. excludeIdx leaves one bus out.
  static int NHostChannelsConnected(const PK_PtrList<IAUBus>& buses, int excludeIdx = -1);
  // Whether some channel layout gives every bus with a known count (0 or
  // more; -1 is unknown) exactly that count; a bus the layout lacks fits
  // only 0, a wildcard bus any count.
  bool IsLegalBusCounts(const std::vector<int>& inCounts, const std::vector<int>& outCounts) const;
  // The host channel counts of a side's buses.
  static std::vector<int> HostCounts(const PK_PtrList<IAUBus>& buses);
  // Resizes and zeroes the scratch buffers for the processor's block size.
  void ResizeScratchBuffers();
  // Rebuilds the clump names when the parameter list changed.
  void FillClumpNames();
  // Steps of the render road: pulls every connected input bus (a source's
  // failure is returned at once), marks and attaches one output bus's
  // buffers, finds the last bus of the leading run of connected output
  // buses (-1 when none), and processes (or passes through) the block.
  OSStatus PullInputs(const AudioTimeStamp* inTimeStamp, UInt32 nFrames);
  void AttachOutputBuffers(IAUBus& bus, AudioBufferList* pBufferList, UInt32 nFrames);
  int LastConnectedOutputBus() const;
  void ProcessSlice(int outputBusIdx, int nFrames);
  // Hands a packet list to the host's MIDI output callback with the last
  // render time stamp; false without a callback or when it fails.
  bool SendPacketList(const MIDIPacketList* list);

  bool mActive = false; // initialised
  double mLastRenderSampleTime = -1.0;
  PK_String mCocoaViewFactoryClassName{nullptr, 0};
  AudioComponentInstance mCI = nullptr;
  HostCallbackInfo mHostCallbacks = {};
  AUMIDIOutputCallback mMidiCallback = nullptr;
  void* mMidiCallbackUserData = nullptr;
  PK_PtrList<IAUBus> mInBuses{4096};
  PK_PtrList<IAUBus> mOutBuses{4096};
  PK_PtrList<IAUInputConnection> mInputConnections{4096};
  PK_PtrList<IAUPropertyListener> mPropertyListeners{4096};
  // Notifications under way (a listener may cause another).
  int mNotifyDepth = 0;
  PK_PtrList<IAURenderNotify> mRenderNotify{4096};
  PK_TypedBuf<float> mInScratchBuf{4096};
  PK_TypedBuf<float> mOutScratchBuf{4096};
  AudioTimeStamp mLastRenderTimeStamp = {};
  // The sys-ex entry being sent by OutputSysexFromEditor.
  SysExData mSysExScratch;
  // MIDI and sys-ex output go out through these, so the render thread never
  // allocates: room for 255 messages of distinct sample offsets, and for a
  // whole sys-ex record in packets of 256 bytes.
  MidiPacketListBuffer<4096> mMidiOutList;
  MidiPacketListBuffer<1024> mSysExOutList;
  // Distinct parameter groups in parameter order (not owned: they point
  // into the parameters), and the parameter count they were made for.
  std::vector<const char*> mClumpNames;
  int mClumpNamesForNParams = -1;
  // ParameterStringFromValue formats into this.
  PK_String mDisplayScratch;
};

} // namespace plugkit
