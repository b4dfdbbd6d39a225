#include "AppKit/NSPasteboard.h"

#include "AppKit/NSWorkspace.h"
#include "Foundation/NSURL.h"

NSPasteboard& NSPasteboard::generalPasteboard()
{
  static NSPasteboard pasteboard;
  return pasteboard;
}

long NSPasteboard::clearContents()
{
  mStrings.clear();
  return ++mChangeCount;
}

bool NSPasteboard::setString(const std::string& text, const std::string& type)
{
  if (type.empty())
    return false;
  mStrings[type] = text;
  return true;
}

bool NSPasteboard::stringForType(const std::string& type, std::string& text) const
{
  auto it = mStrings.find(type);
  if (it == mStrings.end())
    return false;
  text = it->second;
  return true;
}

namespace {
struct WorkspaceRecord
{
  std::vector<std::string> requests;
  bool answer = true;
};
WorkspaceRecord& Record()
{
  static WorkspaceRecord record;
  return record;
}
} // namespace

NSWorkspace& NSWorkspace::sharedWorkspace()
{
  static NSWorkspace workspace;
  return workspace;
}

bool NSWorkspace::openURL(const NSURL* url)
{
  if (!url)
    return false;
  Record().requests.push_back("openURL " + url->absoluteString());
  return Record().answer;
}

bool NSWorkspace::openFile(const std::string& path)
{
  Record().requests.push_back("openFile " + path);
  return Record().answer;
}

bool NSWorkspace::selectFile(const std::string& path, const std::string& root)
{
  Record().requests.push_back("selectFile " + path + " in " + root);
  return Record().answer;
}

namespace standin {
std::vector<std::string> WorkspaceRequests()
{
  return Record().requests;
}
void SetWorkspaceAnswer(bool answer)
{
  Record().answer = answer;
}
void ResetWorkspace()
{
  Record() = WorkspaceRecord();
}
} // namespace standin
