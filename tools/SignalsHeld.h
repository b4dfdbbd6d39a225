// Holds the asynchronous signals (a stop, a hang-up, a timer) off the
// calling thread for as long as it exists, and lets them in after. The
// signals a fault raises on the thread itself stay open, so a crash is
// still reported as one.
#pragma once

#include <pthread.h>
#include <signal.h>

namespace auhost {

class SignalsHeld
{
public:
  SignalsHeld()
  {
    sigset_t held;
    sigfillset(&held);
    for (const int fault : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGTRAP, SIGABRT, SIGSYS})
      sigdelset(&held, fault);
    pthread_sigmask(SIG_BLOCK, &held, &mBefore);
  }
  ~SignalsHeld() { pthread_sigmask(SIG_SETMASK, &mBefore, nullptr); }
  SignalsHeld(const SignalsHeld&) = delete;
  SignalsHeld& operator=(const SignalsHeld&) = delete;

private:
  sigset_t mBefore;
};

} // namespace auhost
