#include "dsp/CMGain6Ch.h"

#include <cstring>

#include "dsp/BufferHelpers.h"

CMGain6Ch::CMGain6Ch()
{
  ResetGains();
}

CMGain6Ch::~CMGain6Ch() = default;

void CMGain6Ch::ResetGains()
{
  mGains.assign(kNumGains, 1.0);
}

void CMGain6Ch::Process(double** inputs, double** outputs, int32_t frames)
{
  const int32_t n = static_cast<int32_t>(NumInputs);
  for (int32_t k = 0; k < kNumGains && k < n; ++k)
    ApplyGain(&mGains[static_cast<size_t>(k)], inputs[k], outputs[k], frames);
}

void CMGain6Ch::SetParam(int32_t index, double db)
{
  if (index < 0 || index >= kNumGains)
    return;
  DbToGain(&mGains[static_cast<size_t>(index)], db);
}

void CMGain6Ch::SetGainDbAt(int32_t index, double db)
{
  if (index < 0 || index >= static_cast<int32_t>(mGains.size()))
    return;
  DbToGain(&mGains[static_cast<size_t>(index)], db);
}

bool CMGain6Ch::GetName(char* buffer)
{
  std::memcpy(buffer, "MGain6Ch", sizeof("MGain6Ch"));
  return true;
}

// --- ProcessorList ---------------------------------------------------------

namespace
{
void DeleteProcessor(CPluginProcessor* p)
{
  delete p;
}
}  // namespace

ProcessorList::ProcessorList() : mDisposer(&DeleteProcessor) {}

ProcessorList::~ProcessorList()
{
  for (CPluginProcessor* p : mElements)
  {
    if (mOwnership == 2 && mDisposer != nullptr)
      mDisposer(p);
    else if (mOwnership == 1)
      delete p;
  }
}

int32_t ProcessorList::Append(CPluginProcessor* element)
{
  mElements.push_back(element);
  mCursor = static_cast<int32_t>(mElements.size()) - 1;
  return static_cast<int32_t>(mElements.size());
}

CPluginProcessor* ProcessorList::Get(int32_t index)
{
  if (mCursor < 0)
    return nullptr;
  const int32_t last = static_cast<int32_t>(mElements.size()) - 1;
  while (mCursor < index && mCursor < last)
    ++mCursor;
  while (mCursor > index && mCursor > 0)
    --mCursor;
  return mElements[static_cast<size_t>(mCursor)];
}

// --- ProcessorChain --------------------------------------------------------

void ProcessorChain::SetFormat(int32_t inputs, int32_t outputs, double sampleRate)
{
  mInputs = inputs;
  mOutputs = outputs;
  mSampleRate = sampleRate;
  for (int32_t k = 0; k < mList.Count(); ++k)
  {
    CPluginProcessor* p = mList.Get(k);
    p->SetNumInputs(static_cast<uint32_t>(inputs));
    p->SetNumOutputs(static_cast<uint32_t>(outputs));
    p->SetSampleRate(sampleRate);
  }
}

void ProcessorChain::Process(double** inputs, double** outputs, int32_t frames)
{
  if (frames < 1)
    return;
  const int32_t channels = mInputs > 0 ? mInputs : 0;
  if (mList.Count() == 0)
  {
    CopyChannelBuffers(inputs, outputs, frames, channels, 0);
    return;
  }
  if (static_cast<int32_t>(mScratch.size()) < channels)
    mScratch.resize(static_cast<size_t>(channels));
  mScratchPointers.resize(static_cast<size_t>(channels));
  for (int32_t c = 0; c < channels; ++c)
  {
    std::vector<double>& b = mScratch[static_cast<size_t>(c)];
    if (static_cast<int32_t>(b.size()) < frames)
      b.resize(static_cast<size_t>(frames));
    mScratchPointers[static_cast<size_t>(c)] = b.data();
  }
  double** scratch = mScratchPointers.data();
  CopyChannelBuffers(inputs, scratch, frames, channels, 0);
  for (int32_t k = 0; k < mList.Count(); ++k)
  {
    CPluginProcessor* p = mList.Get(k);
    if (!p->GetOptionA())
      continue;
    p->Process(scratch, outputs, frames);
    CopyChannelBuffers(outputs, scratch, frames, channels, 0);
  }
}
