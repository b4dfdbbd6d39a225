// A six-channel gain block, and the processor list and chain that run DSP
// blocks one after another.
#pragma once

#include <cstdint>
#include <vector>

#include "dsp/CPluginProcessor.h"

class CMGain6Ch : public CPluginProcessor
{
public:
  static constexpr int32_t kNumGains = 6;

  CMGain6Ch();
  ~CMGain6Ch() override;

  // outputs[k][i] = inputs[k][i] × gain k, for k below both six and the
  // input channel count.
  void Process(double** inputs, double** outputs, int32_t frames) override;
  void SetNumInputs(uint32_t count) override { NumInputs = count; }
  void SetNumOutputs(uint32_t count) override { NumOutputs = count; }
  void SetSampleRate(double rate) override { SampleRate = rate; }
  int32_t GetNumParams() override { return kNumGains; }
  // Gain index (0..5) = e^(0.11512925464970228 × dB) when dB > -144, else 0.
  void SetParam(int32_t index, double db) override;
  double GetParam(int32_t) override { return 0.0; }
  bool GetName(char* buffer) override;

  // The second form of the setter: any index of the gain list.
  void SetGainDbAt(int32_t index, double db);
  // Six gains of 1.0 again.
  void ResetGains();
  double Gain(int32_t index) const { return mGains[static_cast<size_t>(index)]; }

private:
  std::vector<double> mGains;
};

// A list of processors with a cursor (the cursor index is -1 while the list
// is empty). Ownership mode 2 hands each element to the disposer, mode 1
// deletes it directly, any other mode leaves the elements alone.
class ProcessorList
{
public:
  using Disposer = void (*)(CPluginProcessor*);

  ProcessorList();
  ~ProcessorList();
  ProcessorList(const ProcessorList&) = delete;
  ProcessorList& operator=(const ProcessorList&) = delete;

  // Adds at the end; the cursor moves to the new element. Returns the count.
  int32_t Append(CPluginProcessor* element);
  // Moves the cursor toward index one step at a time, stopping at either end;
  // returns the element under the cursor, or null when there is none.
  CPluginProcessor* Get(int32_t index);
  int32_t Count() const { return static_cast<int32_t>(mElements.size()); }
  int32_t CursorIndex() const { return mCursor; }
  void SetOwnershipMode(int32_t mode) { mOwnership = mode; }
  void SetDisposer(Disposer d) { mDisposer = d; }

private:
  std::vector<CPluginProcessor*> mElements;
  int32_t mCursor = -1;
  int32_t mOwnership = 2;
  Disposer mDisposer;
};

// Runs the enabled processors (option flag A set) of its list one after
// another, each on the previous one's result.
class ProcessorChain
{
public:
  // Takes ownership of the processors appended.
  void Append(CPluginProcessor* processor) { mList.Append(processor); }
  ProcessorList& List() { return mList; }

  // Stores the format and hands it to every processor in list order.
  void SetFormat(int32_t inputs, int32_t outputs, double sampleRate);
  // With an empty list the inputs are copied to the outputs; otherwise the
  // inputs go into scratch buffers, and each enabled processor processes
  // the scratch into the outputs, which are then copied back. The scratch
  // grows only when a longer block or more channels arrive.
  void Process(double** inputs, double** outputs, int32_t frames);

private:
  int32_t mInputs = 2;
  int32_t mOutputs = 2;
  double mSampleRate = 44100.0;
  ProcessorList mList;
  std::vector<std::vector<double>> mScratch;
  std::vector<double*> mScratchPointers;
};
