#pragma once

#include <pthread.h>

// The framework's lock: a pthread mutex, recursive when asked for, so that a
// thread that holds a cache lock may take it again. Not copyable.
class PK_Mutex
{
public:
  explicit PK_Mutex(bool recursive = false)
  {
    pthread_mutexattr_t attr;
    pthread_mutexattr_init(&attr);
    if (recursive)
      pthread_mutexattr_settype(&attr, PTHREAD_MUTEX_RECURSIVE);
    pthread_mutex_init(&m_mutex, &attr);
    pthread_mutexattr_destroy(&attr);
  }
  ~PK_Mutex() { pthread_mutex_destroy(&m_mutex); }
  PK_Mutex(const PK_Mutex&) = delete;
  PK_Mutex& operator=(const PK_Mutex&) = delete;

  void Enter() { pthread_mutex_lock(&m_mutex); }
  void Leave() { pthread_mutex_unlock(&m_mutex); }
  bool TryEnter() { return pthread_mutex_trylock(&m_mutex) == 0; }

  // Scoped lock: enters on construction, leaves on destruction.
  class Scope
  {
  public:
    explicit Scope(PK_Mutex& mutex) : m_m(mutex) { m_m.Enter(); }
    ~Scope() { m_m.Leave(); }
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;

  private:
    PK_Mutex& m_m;
  };

private:
  pthread_mutex_t m_mutex;
};
