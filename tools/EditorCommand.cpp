#include "tools/EditorCommand.h"

#include <cstdio>

#include "tools/EditorScript.h"
#include "tools/EditorSession.h"
#include "tools/PngFile.h"
#include "tools/RenderInterruption.h"
#include "tools/TextFile.h"

namespace auhost {

namespace {

int Fail(const std::string& message)
{
  std::fprintf(stderr, "auhost: %s\n", message.c_str());
  return 1;
}

} // namespace

bool ParseEditorOptions(const std::vector<std::string>& args, EditorOptions& options, std::string& error)
{
  for (size_t i = 0; i < args.size(); ++i)
  {
    const std::string& a = args[i];
    if (i + 1 >= args.size())
      return error = "editor: " + a + " wants a value", false;
    const std::string& v = args[++i];
    if (a == "--snapshot")
      options.snapshot = v;
    else if (a == "--events")
      options.events = v;
    else if (a == "--scale" && (v == "1" || v == "2"))
      options.scale = v == "1" ? 1.0 : 2.0;
    else if (a == "--scale")
      return error = "editor: --scale is 1 or 2", false;
    else
      return error = "editor: unknown option " + a, false;
  }
  if (options.snapshot.empty())
    return error = "editor wants --snapshot OUT.png", false;
  return true;
}

int RunEditor(const ComponentBundle& bundle, const EditorOptions& options)
{
  // A stop removes the temporary of a picture being replaced, as it does a
  // render's: each picture is whole, or the old one is left as it was; it
  // says how many the script had written.
  RenderInterruption interruption;
  std::vector<EditorEvent> events;
  if (!options.events.empty())
  {
    std::string text, error;
    if (!ReadTextFile(options.events, kMaxEditorScriptBytes, text, error))
      return Fail(error);
    if (!ParseEditorScript(text, events, error))
      return Fail(options.events + ", " + error);
  }

  std::string error;
  auto opened = OpenedUnit::Open(bundle, error);
  if (!opened)
    return Fail(error);
  auto session = EditorSession::Open(opened->Unit(), options.scale, error);
  if (!session)
    return Fail(error);
  for (const EditorEvent& e : events)
  {
    if (!session->Play(e, error))
      return Fail(error);
    if (e.kind == EditorEvent::kSnapshot)
      interruption.OutputKept();
  }
  const standin::WindowImage image = session->Snapshot();
  if (!WritePng(options.snapshot, image.width, image.height, image.rgba, error))
    return Fail(error);
  interruption.OutputKept();
  return 0;
}

} // namespace auhost
