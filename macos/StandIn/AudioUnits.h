#pragma once

// How a host on Linux makes unit handles: what the Audio Component and
// Component Manager registries do on macOS. A handle knows the unit's
// plug-in interface record (Audio Component road) or its component entry
// (Component Manager road), and keeps the instance storage.

#include <initializer_list>

#include "AudioUnit/AUComponent.h"

namespace standin {

// A handle for a unit whose plug-in interface record the host already has
// (from the module's factory). The host opens it with the record's Open.
AudioComponentInstance NewAudioComponentInstance(AudioComponentPlugInInterface* plugIn);
// A handle for a unit reached through its component entry; storage null.
ComponentInstance NewComponentInstance(ComponentRoutine entry);
// Forgets the handle (the unit must be closed first).
void DisposeComponentInstance(ComponentInstance instance);

// Calls a component's entry: a record with the selector and the words
// given (word 0 first), the instance's storage as the second argument.
ComponentResult CallComponent(ComponentInstance instance, int16_t selector, std::initializer_list<uint64_t> words);

} // namespace standin
