#pragma once

// The shared workspace opens URLs and files and reveals files. The stand-in
// opens nothing: it records each request, in order, and answers as scripted
// (yes unless set).

#include <string>
#include <vector>

class NSURL;

class NSWorkspace
{
public:
  static NSWorkspace& sharedWorkspace();
  bool openURL(const NSURL* url);
  bool openFile(const std::string& path);
  bool selectFile(const std::string& path, const std::string& rootedAtPath);
};

namespace standin {
// "openURL <absolute string>", "openFile <path>", "selectFile <path> in <root>".
std::vector<std::string> WorkspaceRequests();
void SetWorkspaceAnswer(bool answer);
void ResetWorkspace();
} // namespace standin
