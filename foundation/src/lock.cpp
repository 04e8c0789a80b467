#include "zfound/lock.h"

zcMutex::zcMutex() = default;
zcMutex::~zcMutex() = default;

zcMutex& zcMutex::global() {
  static zcMutex instance;
  return instance;
}
