// Locking: the process-wide mutex and a scoped lock. The library takes the global
// mutex only for one-time set-up of process-wide state.
#pragma once

#include "zfound/export.h"

#include <mutex>

class ZFOUND_API zcMutex {
public:
  zcMutex();
  ~zcMutex();
  zcMutex(const zcMutex&) = delete;
  zcMutex& operator=(const zcMutex&) = delete;

  // The one mutex shared by every library of the process; recursive.
  static zcMutex& global();

  void lock() { mutex_.lock(); }
  void unlock() { mutex_.unlock(); }

private:
  std::recursive_mutex mutex_;
};

// Holds a mutex for the lifetime of the scope.
class ZFOUND_API zcLock {
public:
  explicit zcLock(zcMutex& mutex) : mutex_(mutex) { mutex_.lock(); }
  ~zcLock() { mutex_.unlock(); }
  zcLock(const zcLock&) = delete;
  zcLock& operator=(const zcLock&) = delete;

private:
  zcMutex& mutex_;
};
