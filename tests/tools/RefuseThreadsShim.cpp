// Preloaded (LD_PRELOAD) into a program under test to play a task limit:
// pthread_create fails with EAGAIN, as a container's or `ulimit -u` limit
// makes it, for the thread creations REFUSE_THREADS lists by number ("2,3":
// the second and third of the process), or for every one ("all").
#include <dlfcn.h>
#include <pthread.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

bool Refused(int creation)
{
  const char* list = std::getenv("REFUSE_THREADS");
  if (!list)
    return false;
  if (std::strcmp(list, "all") == 0)
    return true;
  for (const char* at = list; *at;)
  {
    char* end = nullptr;
    const long number = std::strtol(at, &end, 10);
    if (end == at)
      return false;
    if (number == creation)
      return true;
    at = *end == ',' ? end + 1 : end;
  }
  return false;
}

} // namespace

extern "C" int pthread_create(pthread_t* thread, const pthread_attr_t* attributes, void* (*start)(void*),
                              void* argument)
{
  static std::atomic<int> creations{0};
  if (Refused(++creations))
    return EAGAIN;
  using Create = int (*)(pthread_t*, const pthread_attr_t*, void* (*)(void*), void*);
  static const auto real = reinterpret_cast<Create>(dlsym(RTLD_NEXT, "pthread_create"));
  return real(thread, attributes, start, argument);
}
