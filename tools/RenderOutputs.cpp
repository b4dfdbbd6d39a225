#include "tools/RenderOutputs.h"

#include <iterator>

namespace auhost {

namespace {

// A file the render names, and the role it plays there.
struct Named
{
  const char* role;
  const std::string& path;
};

// Writes `text` as a side file's temporary, finished; null with `error`
// set.
std::unique_ptr<FileReplacement> WriteSideFile(const std::string& path, const std::string& text, std::string& error)
{
  auto side = FileReplacement::Begin(path, error);
  if (!side || !side->Write(text, error) || !side->Finish(error))
    return nullptr;
  return side;
}

} // namespace

RenderOutputs::RenderOutputs(const RenderOptions& options) : mOptions(options) {}

bool RenderOutputs::Check(std::string& error) const
{
  const Named outputs[] = {
    {"the output", mOptions.output},
    {"--save-preset", mOptions.presetOut},
    {"--automation-out", mOptions.automationOut},
  };
  // The audio output may replace an input, which is read before anything
  // is committed; a side file replacing an input would leave no audio.
  const Named sideFiles[] = {outputs[1], outputs[2]};
  const Named inputs[] = {{"the input", mOptions.input}, {"the side-chain", mOptions.sidechain}};
  for (const Named& output : outputs)
    if (!output.path.empty() && !CheckReplaceable(output.path, error))
      return false;
  for (size_t i = 0; i < std::size(outputs); ++i)
    for (size_t j = i + 1; j < std::size(outputs); ++j)
    {
      const Named &a = outputs[i], &b = outputs[j];
      if (!a.path.empty() && !b.path.empty() && SameFile(a.path, b.path))
      {
        error = std::string(b.role) + " " + b.path + " and " + a.role + " " + a.path +
                " are one file; each output needs a file of its own";
        return false;
      }
    }
  for (const Named& side : sideFiles)
    for (const Named& input : inputs)
      if (!side.path.empty() && !input.path.empty() && SameFile(side.path, input.path))
      {
        error = std::string(side.role) + " " + side.path + " is " + input.role + " " + input.path +
                ", which it would replace; give it a file of its own";
        return false;
      }
  return true;
}

AudioFileWriter* RenderOutputs::BeginAudio(int channels, double sampleRate, long expectedFrames, std::string& error)
{
  mAudio = AudioFileWriter::Open(mOptions.output, channels, sampleRate, mOptions.format, expectedFrames, error);
  return mAudio.get();
}

bool RenderOutputs::Finish(const std::string& preset, const std::string& lane, std::string& error)
{
  if (!mAudio || !mAudio->Finish(error))
    return false;
  if (!mOptions.presetOut.empty() && !(mPreset = WriteSideFile(mOptions.presetOut, preset, error)))
    return false;
  if (!mOptions.automationOut.empty() && !(mLane = WriteSideFile(mOptions.automationOut, lane, error)))
    return false;
  return true;
}

bool RenderOutputs::Commit(std::string& error)
{
  if (!mAudio || !mAudio->Commit(error))
    return false;
  for (const auto* side : {&mPreset, &mLane})
    if (*side && !(*side)->Commit(error))
      return false;
  return true;
}

std::vector<std::string> RenderOutputs::Warnings() const
{
  std::vector<std::string> warnings;
  if (mAudio && !mAudio->Warning().empty())
    warnings.push_back(mAudio->Warning());
  for (const auto* side : {&mPreset, &mLane})
    if (*side && !(*side)->Warning().empty())
      warnings.push_back((*side)->Warning());
  return warnings;
}

} // namespace auhost
