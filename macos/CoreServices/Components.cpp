#include "CoreServices/Components.h"

#include "AudioUnit/AUComponent.h"
#include "CoreServices/ComponentInstanceRecord.h"
#include "StandIn/AudioUnits.h"

void SetComponentInstanceStorage(ComponentInstance instance, void* storage)
{
  if (instance)
    instance->storage = storage;
}

void* GetComponentInstanceStorage(ComponentInstance instance)
{
  return instance ? instance->storage : nullptr;
}

namespace standin {

AudioComponentInstance NewAudioComponentInstance(AudioComponentPlugInInterface* plugIn)
{
  auto* instance = new ComponentInstanceRecord;
  instance->plugIn = plugIn;
  return instance;
}

ComponentInstance NewComponentInstance(ComponentRoutine entry)
{
  auto* instance = new ComponentInstanceRecord;
  instance->entry = entry;
  return instance;
}

void DisposeComponentInstance(ComponentInstance instance)
{
  delete instance;
}

ComponentResult CallComponent(ComponentInstance instance, int16_t selector, std::initializer_list<uint64_t> words)
{
  if (!instance || !instance->entry || words.size() > ComponentParameters::kMaxWords)
    return badComponentSelector;
  ComponentParameters params{};
  params.what = selector;
  params.paramSize = static_cast<uint8_t>(words.size() * sizeof(uint64_t));
  int i = 0;
  for (uint64_t w : words)
    params.params[i++] = w;
  return instance->entry(&params, instance->storage);
}

} // namespace standin
