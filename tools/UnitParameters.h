// A unit's parameters as a host reads them: the list, each one's
// information and value texts, and values set by name and text the way a
// user types them ("-20", "SideChain2", "1.2k").
#pragma once

#include <string>
#include <vector>

#include "AudioUnit/AudioUnit.h"

namespace auhost {

struct ParameterDescription
{
  AudioUnitParameterID id = 0;
  std::string name, unitLabel;
  UInt32 unit = 0, flags = 0;
  float minValue = 0, maxValue = 0, defaultValue = 0;
  std::vector<std::string> valueTexts; // for indexed parameters
};

// Every parameter of the unit's global scope, in the unit's order.
std::vector<ParameterDescription> ReadParameters(AudioUnit unit);
// The parameter named `name`; null when there is none.
const ParameterDescription* FindParameter(const std::vector<ParameterDescription>& params, const std::string& name);
// The unit's text for a value of a parameter.
std::string ValueText(AudioUnit unit, const ParameterDescription& p, float value);
// True when `number` (typed as `text`) lies in the parameter's range; false
// with `error` naming the range as the unit shows values otherwise.
bool WithinRange(AudioUnit unit, const ParameterDescription& p, double number, const std::string& text,
                 std::string& error);
// Turns `text` into a value: one of the value texts for an indexed
// parameter, else a number (with an optional "k" for thousands and the
// parameter's unit) inside the range, converted by the unit itself. False
// with `error` set otherwise.
bool ValueFromText(AudioUnit unit, const ParameterDescription& p, const std::string& text, float& value,
                   std::string& error);
// Parses "NAME=VALUE", looks the name up and sets the value. False with
// `error` set for an unknown name or value text.
bool SetParameterFromAssignment(AudioUnit unit, const std::vector<ParameterDescription>& params,
                                const std::string& assignment, std::string& error);
// A short name of a parameter unit ("dB", "Hz", "indexed").
const char* UnitName(UInt32 unit);

} // namespace auhost
