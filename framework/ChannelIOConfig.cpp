#include "framework/ChannelIOConfig.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace plugkit {

namespace {

// Splits text at any of the separator characters; runs of separators count
// as one, leading and trailing ones are ignored.
std::vector<std::string> Split(const std::string& text, const char* separators)
{
  std::vector<std::string> parts;
  size_t pos = text.find_first_not_of(separators);
  while (pos != std::string::npos)
  {
    const size_t end = text.find_first_of(separators, pos);
    parts.push_back(text.substr(pos, end == std::string::npos ? std::string::npos : end - pos));
    pos = text.find_first_not_of(separators, end == std::string::npos ? text.size() : end);
  }
  return parts;
}

// A bus piece: "*" is any number; otherwise the leading integer, 0 when
// there is none; kept inside the int range.
int ChannelCount(const std::string& piece)
{
  if (piece == "*")
    return IChannelIOBus::kWildcardChannels;
  errno = 0;
  const long count = std::strtol(piece.c_str(), nullptr, 10);
  return static_cast<int>(std::clamp<long>(count, INT_MIN / 2, INT_MAX / 2));
}

int ClampToInt(int64_t value)
{
  return static_cast<int>(std::clamp<int64_t>(value, INT_MIN, INT_MAX));
}

} // namespace

IChannelIOConfig::~IChannelIOConfig()
{
  mInputBuses.Empty(true);
  mOutputBuses.Empty(true);
}

bool IChannelIOConfig::AddBusInfo(EChannelDirection direction, int nChans)
{
  auto* bus = new IChannelIOBus{direction, nChans};
  PK_PtrList<IChannelIOBus>& list = direction == kInput ? mInputBuses : mOutputBuses;
  if (!list.Add(bus))
  {
    delete bus;
    return false;
  }
  return true;
}

const IChannelIOBus* IChannelIOConfig::GetBusInfo(EChannelDirection direction, int busIdx) const
{
  return Buses(direction).Get(busIdx);
}

int IChannelIOConfig::NBuses(EChannelDirection direction) const
{
  return Buses(direction).GetSize();
}

int IChannelIOConfig::GetTotalNChannels(EChannelDirection direction) const
{
  int64_t total = 0;
  const int n = NBuses(direction);
  for (int i = 0; i < n; ++i)
    total += GetBusInfo(direction, i)->mNChans;
  return ClampToInt(total);
}

bool IChannelIOConfig::ContainsWildcard(EChannelDirection direction) const
{
  const int n = NBuses(direction);
  for (int i = 0; i < n; ++i)
  {
    if (GetBusInfo(direction, i)->mNChans < 0)
      return true;
  }
  return false;
}

int ParseChannelIOStr(const char* str, PK_PtrList<IChannelIOConfig>& configs, int& maxNInChans, int& maxNOutChans,
                      int& maxNInBuses, int& maxNOutBuses)
{
  maxNInChans = maxNOutChans = maxNInBuses = maxNOutBuses = 0;
  const std::string text = str ? str : "";

  for (const std::string& token : Split(text, " \t"))
  {
    const std::vector<std::string> sides = Split(token, "-");
    if (sides.size() < 2)
      continue;

    auto* config = new IChannelIOConfig;
    const EChannelDirection directions[2] = {kInput, kOutput};
    for (int side = 0; side < 2; ++side)
    {
      for (const std::string& piece : Split(sides[static_cast<size_t>(side)], "."))
      {
        const int nChans = ChannelCount(piece);
        if (nChans != 0)
          config->AddBusInfo(directions[side], nChans);
      }
    }

    maxNInChans = std::max(maxNInChans, config->GetTotalNChannels(kInput));
    maxNOutChans = std::max(maxNOutChans, config->GetTotalNChannels(kOutput));
    maxNInBuses = std::max(maxNInBuses, config->NBuses(kInput));
    maxNOutBuses = std::max(maxNOutBuses, config->NBuses(kOutput));

    if (!configs.Add(config))
      delete config;
  }
  return configs.GetSize();
}

} // namespace plugkit
