#include "zfound/handle.h"

#include <atomic>

long zfInterlockedIncrement(long* target) {
  return std::atomic_ref<long>(*target).fetch_add(1) + 1;
}

long zfInterlockedDecrement(long* target) {
  return std::atomic_ref<long>(*target).fetch_sub(1) - 1;
}

zcRepBase::~zcRepBase() = default;

long zcRepBase::refCount() const {
  return std::atomic_ref<long>(count_).load();
}
