#include "StandIn/Shaders.h"

#include <map>
#include <mutex>

namespace standin {
namespace {

struct Registry
{
  std::mutex mutex;
  std::map<std::string, ShaderFunction> functions; // nodes never move
};

Registry& Shaders()
{
  static Registry* registry = new Registry;
  return *registry;
}

} // namespace

bool RegisterShaderFunction(const std::string& name, ShaderFunction function)
{
  std::lock_guard<std::mutex> lock(Shaders().mutex);
  Shaders().functions[name] = function;
  return true;
}

const ShaderFunction* FindShaderFunction(const std::string& name)
{
  std::lock_guard<std::mutex> lock(Shaders().mutex);
  auto it = Shaders().functions.find(name);
  return it == Shaders().functions.end() ? nullptr : &it->second;
}

std::vector<uint8_t> MakeShaderLibraryBlob(const std::vector<std::string>& names)
{
  std::vector<uint8_t> blob = {'M', 'T', 'L', 'B'};
  for (const std::string& name : names)
  {
    blob.insert(blob.end(), name.begin(), name.end());
    blob.push_back(0);
  }
  return blob;
}

} // namespace standin
