#include "tools/EditorScript.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <map>
#include <sstream>

#include "AppKit/NSEvent.h"
#include "tools/TextFile.h"

namespace auhost {

namespace {

bool Number(const std::string& token, double& value)
{
  if (token.empty())
    return false;
  char* end = nullptr;
  value = std::strtod(token.c_str(), &end);
  return end && *end == '\0' && std::isfinite(value);
}

// Escapes let a script type what a line cannot hold.
bool Unescape(const std::string& in, std::string& out)
{
  out.clear();
  for (size_t i = 0; i < in.size(); ++i)
  {
    if (in[i] != '\\')
    {
      out += in[i];
      continue;
    }
    if (++i >= in.size())
      return false;
    switch (in[i])
    {
      case 'r': out += '\r'; break;
      case 't': out += '\t'; break;
      case 'e': out += '\x1b'; break;
      case 's': out += ' '; break;
      case '\\': out += '\\'; break;
      case 'x':
      {
        const std::string hex = in.substr(i + 1, 2);
        char* end = nullptr;
        const long v = std::strtol(hex.c_str(), &end, 16);
        if (hex.size() != 2 || *end != '\0')
          return false;
        out += static_cast<char>(v);
        i += 2;
        break;
      }
      default: return false;
    }
  }
  return true;
}

// What the platform's key events carry for keys that type no letter, so a
// script may leave the text out: Return, Tab, Delete, Escape, keypad
// Enter, forward Delete and the arrows (the last two as the platform's
// private-use function-key characters, in UTF-8).
std::string PlatformKeyText(int keyCode)
{
  switch (keyCode)
  {
    case 36: return "\r";
    case 48: return "\t";
    case 51: return "\x7f";
    case 53: return "\x1b";
    case 76: return "\x03";
    case 117: return "\xef\x9c\xa8"; // U+F728
    case 123: return "\xef\x9c\x82"; // U+F702 left
    case 124: return "\xef\x9c\x83"; // U+F703 right
    case 125: return "\xef\x9c\x81"; // U+F701 down
    case 126: return "\xef\x9c\x80"; // U+F700 up
    default: return "";
  }
}

const std::map<std::string, uint64_t>& Modifiers()
{
  static const std::map<std::string, uint64_t> modifiers = {{"shift", NSEventModifierFlagShift},
    {"cmd", NSEventModifierFlagCommand}, {"alt", NSEventModifierFlagOption}, {"ctrl", NSEventModifierFlagControl}};
  return modifiers;
}

// One line's event; false with the reason.
bool ParseLine(std::vector<std::string> t, EditorEvent& e, std::string& why)
{
  while (!t.empty() && Modifiers().count(t.back()))
  {
    e.modifiers |= Modifiers().at(t.back());
    t.pop_back();
  }
  if (t.size() < 2 || !Number(t[0], e.timeMs) || e.timeMs < 0)
  {
    why = "a time in milliseconds and an event kind expected";
    return false;
  }
  if (e.timeMs > kLatestEventMs)
  {
    why = "a time past a day (" + std::to_string(static_cast<long>(kLatestEventMs)) +
          " ms); times count from the first frame";
    return false;
  }
  const std::string kind = t[1];
  const std::vector<std::string> args(t.begin() + 2, t.end());
  auto point = [&](size_t n) {
    return args.size() == n && Number(args[0], e.x) && Number(args[1], e.y);
  };
  static const std::map<std::string, EditorEvent::Kind> pointKinds = {{"move", EditorEvent::kMove},
    {"down", EditorEvent::kDown}, {"drag", EditorEvent::kDrag}, {"up", EditorEvent::kUp},
    {"rdown", EditorEvent::kRightDown}, {"rup", EditorEvent::kRightUp}};
  if (auto it = pointKinds.find(kind); it != pointKinds.end())
  {
    e.kind = it->second;
    if (kind == "down" && args.size() == 4 && args[2] == "clicks")
    {
      double clicks = 0;
      if (!Number(args[3], clicks) || clicks < 1 || clicks != std::floor(clicks) || !point(4))
        return why = "down X Y clicks N expected", false;
      e.clicks = static_cast<long>(clicks);
      return true;
    }
    if (!point(2))
      return why = kind + " X Y expected", false;
    return true;
  }
  if (kind == "wheel")
  {
    e.kind = EditorEvent::kWheel;
    if (!point(3) || !Number(args[2], e.value))
      return why = "wheel X Y DY expected", false;
    return true;
  }
  if (kind == "key")
  {
    double code = 0;
    if (args.size() < 2 || args.size() > 3 || (args[0] != "down" && args[0] != "up") || !Number(args[1], code) ||
        code < 0 || code > 127 || code != std::floor(code))
      return why = "key down|up CODE [TEXT] expected, CODE 0 to 127", false;
    e.kind = args[0] == "down" ? EditorEvent::kKeyDown : EditorEvent::kKeyUp;
    e.keyCode = static_cast<int>(code);
    if (args.size() == 3 && !Unescape(args[2], e.text))
      return why = "a bad escape in the key's text", false;
    if (args.size() == 2)
      e.text = PlatformKeyText(e.keyCode);
    return true;
  }
  if (kind == "drop")
  {
    e.kind = EditorEvent::kDrop;
    if (args.size() != 3 || !Number(args[0], e.x) || !Number(args[1], e.y))
      return why = "drop X Y PATH expected", false;
    e.text = args[2];
    return true;
  }
  if (kind == "focus")
  {
    e.kind = EditorEvent::kFocusLost;
    if (args.size() != 1 || args[0] != "lost")
      return why = "focus lost expected", false;
    return true;
  }
  if (kind == "scale")
  {
    e.kind = EditorEvent::kScale;
    if (args.size() != 1 || !Number(args[0], e.value) || (e.value != 1 && e.value != 2))
      return why = "scale 1 or scale 2 expected", false;
    return true;
  }
  if (kind == "snapshot")
  {
    e.kind = EditorEvent::kSnapshot;
    if (args.size() != 1)
      return why = "snapshot FILE expected", false;
    e.text = args[0];
    return true;
  }
  why = "unknown event \"" + Excerpt(kind) + "\"";
  return false;
}

// The line without its comment, which starts at a '#' at the line's start
// or after a blank: a '#' inside a word (a file named take#2.png) is the
// word's.
std::string WithoutComment(const std::string& line)
{
  for (size_t at = line.find('#'); at != std::string::npos; at = line.find('#', at + 1))
    if (at == 0 || std::isspace(static_cast<unsigned char>(line[at - 1])))
      return line.substr(0, at);
  return line;
}

} // namespace

bool ParseEditorScript(const std::string& script, std::vector<EditorEvent>& events, std::string& error)
{
  events.clear();
  const std::vector<std::string> lines = TextLines(script);
  double lastTime = 0;
  for (size_t number = 1; number <= lines.size(); ++number)
  {
    const std::string line = WithoutComment(lines[number - 1]);
    std::istringstream words(line);
    std::vector<std::string> tokens;
    for (std::string w; words >> w;)
      tokens.push_back(w);
    if (tokens.empty())
      continue;
    EditorEvent e;
    std::string why;
    if (!ParseLine(tokens, e, why))
    {
      error = "line " + std::to_string(number) + ": " + why;
      events.clear();
      return false;
    }
    if (e.timeMs < lastTime)
    {
      error = "line " + std::to_string(number) + ": the time goes back";
      events.clear();
      return false;
    }
    lastTime = e.timeMs;
    events.push_back(e);
  }
  return true;
}

} // namespace auhost
