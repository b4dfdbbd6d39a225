// The auhost program run as a user runs it, from the tools tests.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>

namespace toolstest {

struct ProgramRun
{
  int status;
  std::string output; // standard output and error
};

// `shell` runs before the program, in the shell that starts it.
inline ProgramRun Auhost(const std::string& args, const std::string& shell = "")
{
  const std::string command = shell + std::string(AUHOST_EXE) + " " + args + " 2>&1";
  ProgramRun run{-1, {}};
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe)
    return run;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
    run.output.append(buffer, n);
  const int raw = pclose(pipe);
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return run;
}

inline bool Exists(const std::string& path)
{
  return access(path.c_str(), F_OK) == 0;
}

} // namespace toolstest
