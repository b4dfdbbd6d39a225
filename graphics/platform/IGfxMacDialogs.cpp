// The context's dialogs and its exchanges with the rest of the system:
// alerts, file and folder prompts, the clipboard, URLs and revealing files.
#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "AppKit/AppKit.h"
#include "graphics/platform/IGfxMac.h"

namespace plugkit::gfx {

namespace {

bool IsUTF8(const std::string& s)
{
  for (size_t i = 0; i < s.size();)
  {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    const size_t extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : 9;
    if (extra == 9 || i + extra >= s.size() + (extra ? 0 : 1))
      return false;
    for (size_t k = 1; k <= extra; ++k)
      if ((static_cast<unsigned char>(s[i + k]) >> 6) != 2)
        return false;
    i += extra + 1;
  }
  return true;
}

// Text for a panel: UTF-8 as it is, anything else read as ASCII.
std::string PanelText(const char* text)
{
  std::string s = text ? text : "";
  if (IsUTF8(s))
    return s;
  for (char& c : s)
    if (static_cast<unsigned char>(c) >= 0x80)
      c = '?';
  return s;
}

std::string FolderOf(const std::string& path)
{
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

struct AlertButtons
{
  const char* defaultButton;
  const char* alternateButton;
  const char* otherButton;
  EMsgBoxResult onDefault, onAlternate, onOther;
};

// The buttons of each message-box type; type 2 has no panel here.
bool ButtonsOf(EMsgBoxType type, AlertButtons& b)
{
  switch (type)
  {
    case kMB_OK: b = {"OK", "", "", kOK, kOK, kOK}; return true;
    case kMB_OKCANCEL: b = {"OK", "Cancel", "", kOK, kCANCEL, kCANCEL}; return true;
    case kMB_YESNOCANCEL: b = {"Yes", "Cancel", "No", kYES, kCANCEL, kNO}; return true;
    case kMB_YESNO: b = {"Yes", "No", "", kYES, kNO, kNO}; return true;
    case kMB_RETRYCANCEL: b = {"Retry", "Cancel", "", kRETRY, kCANCEL, kCANCEL}; return true;
    default: return false;
  }
}

bool StartsWithNoCase(const char* text, const char* prefix)
{
  for (; *prefix; ++text, ++prefix)
    if (std::tolower(static_cast<unsigned char>(*text)) != *prefix)
      return false;
  return true;
}

} // namespace

EMsgBoxResult IGfxMac::ShowMessageBox(const char* text, const char* caption, EMsgBoxType type,
  IMsgBoxCompletionHandlerFunc completionHandler)
{
  ReleaseMouseCapture();
  EMsgBoxResult result = kCANCEL;
  AlertButtons b;
  if (ButtonsOf(type, b))
  {
    NSAlertPanel alert{PanelText(caption), PanelText(text), b.defaultButton, b.alternateButton, b.otherButton};
    const long pressed = alert.runModal();
    result = pressed == NSAlertDefaultReturn ? b.onDefault : pressed == NSAlertOtherReturn ? b.onOther : b.onAlternate;
  }
  if (completionHandler)
    completionHandler(result);
  return result;
}

void IGfxMac::PromptForFile(PK_String& fileName, PK_String& path, EFileDialogAction action, const char* extensions)
{
  if (!mView)
  {
    fileName.Set("");
    return;
  }
  NSSavePanel panel;
  panel.fileName = fileName.Get();
  panel.directory = path.Get();
  fileName.Set("");
  if (extensions && *extensions)
  {
    std::string list = extensions;
    for (size_t start = 0; start <= list.size();)
    {
      const size_t blank = std::min(list.find(' ', start), list.size());
      if (blank > start)
        panel.allowedFileTypes.push_back(list.substr(start, blank - start));
      start = blank + 1;
    }
  }
  panel.floating = true;
  if (action == kFileSave)
    panel.allowsOtherFileTypes = false;
  else
  {
    panel.isOpenPanel = true;
    panel.canChooseFiles = true;
    panel.canChooseDirectories = false;
    panel.resolvesAliases = true;
  }
  if (panel.runModal() != NSModalResponseOK)
    return;
  const std::string chosen = panel.URLPath();
  fileName.Set(chosen.c_str());
  path.Set((FolderOf(chosen) + "/").c_str());
}

void IGfxMac::PromptForDirectory(PK_String& path)
{
  if (path.GetLength() == 0)
    path.Set("~/Desktop");
  NSSavePanel panel;
  panel.isOpenPanel = true;
  panel.title = "Choose a Directory";
  panel.canChooseFiles = false;
  panel.canChooseDirectories = true;
  panel.resolvesAliases = true;
  panel.canCreateDirectories = true;
  panel.directory = path.Get(); // as a file URL: the tilde stays as it is
  if (panel.runModal() == NSModalResponseOK)
    path.Set((panel.URLPath() + "/").c_str());
  else
    path.Set("");
}

bool IGfxMac::GetTextFromClipboard(PK_String& str)
{
  std::string text;
  if (!NSPasteboard::generalPasteboard().stringForType(NSPasteboardTypeString, text))
  {
    str.Set("");
    return false;
  }
  str.Set(text.c_str());
  return true;
}

bool IGfxMac::SetTextInClipboard(const char* str)
{
  NSPasteboard& pasteboard = NSPasteboard::generalPasteboard();
  pasteboard.clearContents();
  return pasteboard.setString(str ? str : "", NSPasteboardTypeString);
}

bool IGfxMac::OpenURL(const char* url, const char*, const char*, const char*)
{
  if (!url)
    return false;
  // Only a scheme at the start makes a web address: a file whose path
  // merely contains "http" (".../httpdocs/manual.pdf") is still a file.
  const bool web = StartsWithNoCase(url, "http:") || StartsWithNoCase(url, "https:");
  NSURL* nsURL = web ? NSURL::newURLWithString(url) : NSURL::newFileURLWithPath(url);
  if (!nsURL)
    return false;
  const bool opened = NSWorkspace::sharedWorkspace().openURL(nsURL);
  nsURL->release();
  return opened;
}

bool IGfxMac::RevealPath(const PK_String& path, bool select)
{
  NSAutoreleasePool pool;
  const std::string p = path.Get();
  if (p.empty() || !NSFileManager::fileExistsAtPath(p))
    return false;
  NSWorkspace& workspace = NSWorkspace::sharedWorkspace();
  if (!select)
    return workspace.openFile(p);
  const std::string folder = FolderOf(p);
  if (folder.empty() || !workspace.openFile(folder))
    return false;
  return workspace.selectFile(p, folder);
}

} // namespace plugkit::gfx
