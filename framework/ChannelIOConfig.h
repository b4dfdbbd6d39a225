#pragma once

#include "graphics/PK_PtrList.h"

namespace plugkit {

enum EChannelDirection : int
{
  kInput = 0,
  kOutput = 1,
};

// One bus of a channel layout. A count of kWildcardChannels stands for "*":
// any number of channels.
struct IChannelIOBus
{
  static constexpr int kWildcardChannels = -64;

  EChannelDirection mDirection = kInput;
  int mNChans = 0;
};

// One legal channel layout: its input buses and its output buses, owned.
class IChannelIOConfig
{
public:
  IChannelIOConfig() = default;
  ~IChannelIOConfig();
  IChannelIOConfig(const IChannelIOConfig&) = delete;
  IChannelIOConfig& operator=(const IChannelIOConfig&) = delete;

  // Appends a bus; false when the list cannot grow.
  bool AddBusInfo(EChannelDirection direction, int nChans);
  // The bus at busIdx of that side; null outside the list.
  const IChannelIOBus* GetBusInfo(EChannelDirection direction, int busIdx) const;
  int NBuses(EChannelDirection direction) const;
  // The sum of the bus counts of that side; a "*" bus adds -64.
  int GetTotalNChannels(EChannelDirection direction) const;
  bool ContainsWildcard(EChannelDirection direction) const;

private:
  const PK_PtrList<IChannelIOBus>& Buses(EChannelDirection direction) const
  {
    return direction == kInput ? mInputBuses : mOutputBuses;
  }

  PK_PtrList<IChannelIOBus> mInputBuses{4096};
  PK_PtrList<IChannelIOBus> mOutputBuses{4096};
};

// Parses a channel-I/O string such as "1-1 1.1-1 2-2": configurations
// separated by blanks, each "inputs-outputs", each side buses separated by
// "." ("*" for any number). Runs of separators count as one. A bus that is
// no number counts 0 and adds no bus; a configuration without both sides is
// skipped. Appends the configurations to configs and returns how many the
// list then holds; the four maxima start at 0 and are raised to the largest
// channel totals and bus numbers seen.
int ParseChannelIOStr(const char* str, PK_PtrList<IChannelIOConfig>& configs, int& maxNInChans, int& maxNOutChans,
                      int& maxNInBuses, int& maxNOutBuses);

} // namespace plugkit
