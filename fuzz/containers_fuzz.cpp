// Drives PK_String and PK_PtrList with arbitrary operation sequences: under
// AddressSanitizer any write outside a block is caught.
#include <cstddef>
#include <cstdint>
#include <string>

#include "graphics/PK_PtrList.h"
#include "graphics/PK_String.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  PK_String text;
  PK_PtrList<int> list;
  static int item = 0;
  size_t pos = 0;
  while (pos + 2 <= size)
  {
    const uint8_t op = data[pos];
    const int arg = static_cast<int8_t>(data[pos + 1]);
    pos += 2;
    const size_t take = std::min<size_t>(size - pos, static_cast<size_t>(arg & 31));
    const std::string chunk(reinterpret_cast<const char*>(data + pos), take);
    pos += take;
    switch (op % 8)
    {
      case 0: text.Set(chunk.c_str(), arg); break;
      case 1: text.Append(chunk.c_str(), arg); break;
      case 2: text.SetLen(arg); break;
      case 3: text.SetFormatted(arg, "%s", chunk.c_str()); break;
      case 4: text.AppendFormatted(arg, "%s-%d", chunk.c_str(), arg); break;
      case 5: // appending to itself doubles the text: keep it bounded
        if (text.GetLength() < 4096)
          text.Append(text.Get() + (arg & 0x7f) % (text.GetLength() + 1));
        break;
      case 6: list.Add(&item); break;
      case 7: list.Delete(arg); (void)list.Get(arg); break;
    }
    if (static_cast<int>(std::string(text.Get()).size()) != text.GetLength())
      __builtin_trap();
  }
  list.Empty();
  return 0;
}
