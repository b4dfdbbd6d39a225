#include "framework/PresetSource.h"

#include <cstdio>
#include <cstring>

#include "framework/NumberText.h"

namespace plugkit {

namespace {

const char* CurrentName(const PluginBase& plugin)
{
  const IPreset* preset = plugin.GetPreset(plugin.GetCurrentPresetIdx());
  return preset ? preset->mName : "";
}

// The name as the inside of a string literal.
void AppendQuoted(PK_String& out, const char* text)
{
  out.Append("\"");
  for (const char* c = text; *c; ++c)
  {
    const unsigned char u = static_cast<unsigned char>(*c);
    if (*c == '"' || *c == '\\')
    {
      const char escaped[3] = {'\\', *c, '\0'};
      out.Append(escaped);
    }
    else if (u < 0x20)
      out.AppendFormatted(8, "\\%03o", u);
    else
      out.Append(c, 1);
  }
  out.Append("\"");
}

// "%d" of the value cut toward zero for whole-number types, true or false
// for switches, six decimals for the rest.
void AppendValueText(PK_String& out, const IParam& param)
{
  const double v = param.Value();
  switch (param.Type())
  {
    case IParam::kTypeBool: out.Append(v >= 0.5 ? "true" : "false"); break;
    case IParam::kTypeInt:
    case IParam::kTypeEnum:
    {
      const double cut = v >= 2147483647.0 ? 2147483647.0 : (v <= -2147483648.0 ? -2147483648.0 : v);
      out.AppendFormatted(16, "%d", v == v ? static_cast<int>(cut) : 0);
      break;
    }
    default: AppendFixed(out, v, 6); break;
  }
}

bool AppendToFile(const char* path, const PK_String& text)
{
  if (!path || !path[0])
    return false;
  std::FILE* f = std::fopen(path, "a");
  if (!f)
    return false;
  const size_t n = static_cast<size_t>(text.GetLength());
  const bool written = std::fwrite(text.Get(), 1, n, f) == n;
  return (std::fclose(f) == 0) && written;
}

const char kBase64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

void AppendBase64(PK_String& out, const uint8_t* data, int size)
{
  char quad[5] = {};
  for (int i = 0; i < size; i += 3)
  {
    const int left = size - i;
    const uint32_t b = (uint32_t(data[i]) << 16) | (left > 1 ? uint32_t(data[i + 1]) << 8 : 0) |
                       (left > 2 ? uint32_t(data[i + 2]) : 0);
    quad[0] = kBase64[(b >> 18) & 63];
    quad[1] = kBase64[(b >> 12) & 63];
    quad[2] = left > 1 ? kBase64[(b >> 6) & 63] : '=';
    quad[3] = left > 2 ? kBase64[b & 63] : '=';
    out.Append(quad);
  }
}

} // namespace

bool WritePresetSource(const PluginBase& plugin, const char* path)
{
  PK_String text("MakePreset(");
  AppendQuoted(text, CurrentName(plugin));
  text.Append(", {");
  for (int i = 0; i < plugin.NParams(); ++i)
  {
    if (i > 0)
      text.Append(", ");
    AppendValueText(text, *plugin.GetParam(i));
  }
  text.Append("});\n");
  return AppendToFile(path, text);
}

bool WriteNamedPresetSource(const PluginBase& plugin, const char* path, const char* const* paramEnumNames,
  int nNames)
{
  const int n = plugin.NParams();
  if (!paramEnumNames || nNames < n)
    return false;
  PK_String text("  MakePresetFromNamedParams(");
  AppendQuoted(text, CurrentName(plugin));
  text.Append(", {");
  for (int i = 0; i < n; ++i)
  {
    text.Append(i > 0 ? ",\n    {" : "\n    {");
    text.Append(paramEnumNames[i] ? paramEnumNames[i] : "");
    text.Append(", ");
    AppendValueText(text, *plugin.GetParam(i));
    text.Append("}");
  }
  text.Append("});\n");
  return AppendToFile(path, text);
}

bool WritePresetBlobSource(const PluginBase& plugin, const char* path)
{
  const IPreset* preset = plugin.GetPreset(plugin.GetCurrentPresetIdx());
  if (!preset)
    return false;
  PK_String text("MakePresetFromBlob(");
  AppendQuoted(text, preset->mName);
  text.Append(", \"");
  // Written whole, however long: a statement cut short would not compile.
  AppendBase64(text, preset->mChunk.GetData(), preset->mChunk.Size());
  text.AppendFormatted(32, "\", %i);\n", preset->mChunk.Size());
  return AppendToFile(path, text);
}

} // namespace plugkit
