#include "AudioToolbox/AudioUnitUtilities.h"

#include <mutex>

#include "StandIn/AudioUnitEvents.h"

namespace {

struct EventLog
{
  std::mutex mutex;
  std::vector<AudioUnitEvent> events;
};

EventLog& Log()
{
  static EventLog* log = new EventLog; // outlives static destructors
  return *log;
}

} // namespace

OSStatus AUEventListenerNotify(AUEventListenerRef, void*, const AudioUnitEvent* inEvent)
{
  if (!inEvent)
    return -50;
  EventLog& log = Log();
  std::lock_guard<std::mutex> lock(log.mutex);
  log.events.push_back(*inEvent);
  return 0;
}

namespace standin {

std::vector<AudioUnitEvent> RecordedAudioUnitEvents()
{
  EventLog& log = Log();
  std::lock_guard<std::mutex> lock(log.mutex);
  return log.events;
}

void ClearRecordedAudioUnitEvents()
{
  EventLog& log = Log();
  std::lock_guard<std::mutex> lock(log.mutex);
  log.events.clear();
}

} // namespace standin
