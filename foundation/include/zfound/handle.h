// Sharing: reference-counted representations and the handles that share them.
//
//   zcPtrHandle<zcShape> h(new zcCircle(...));   // count 1
//   zcPtrHandle<zcShape> g = h;                   // count 2, one object
//   // the object is deleted when the last handle lets go
//
// A zcRepBase starts with count 0; the first handle takes it to 1. Counts change
// atomically, but the objects themselves are used by one thread at a time.
#pragma once

#include "zfound/archive.h"
#include "zfound/exception.h"
#include "zfound/export.h"

#include <cstddef>
#include <type_traits>
#include <utility>

ZFOUND_API long zfInterlockedIncrement(long* target);
ZFOUND_API long zfInterlockedDecrement(long* target);

class ZFOUND_API zcRepBase {
public:
  long refCount() const;
  void addRef() const { zfInterlockedIncrement(&count_); }
  // Deletes the object when the last reference goes.
  void release() const {
    if (zfInterlockedDecrement(&count_) == 0) delete this;
  }

protected:
  zcRepBase() = default;
  // A copy is a new object: it starts unshared.
  zcRepBase(const zcRepBase&) {}
  zcRepBase& operator=(const zcRepBase&) { return *this; }
  virtual ~zcRepBase();

  // Gives up one reference without deleting at zero: for handing a new object that
  // a handle made to a caller who owns it by pointer.
  void dropReference_() const { zfInterlockedDecrement(&count_); }

private:
  mutable long count_ = 0;
};

namespace zc_handle {
// Shared machinery of the two handle kinds; P is T* or const T*.
template <class P>
class Holder {
public:
  Holder() = default;
  Holder(P rep) : rep_(rep) {
    if (rep_) rep_->addRef();
  }
  Holder(const Holder& other) : Holder(other.rep_) {}
  Holder(Holder&& other) noexcept : rep_(std::exchange(other.rep_, nullptr)) {}
  Holder& operator=(Holder other) noexcept {
    std::swap(rep_, other.rep_);
    return *this;
  }
  ~Holder() {
    if (rep_) rep_->release();
  }

  P rep() const { return rep_; }
  explicit operator bool() const { return rep_ != nullptr; }
  // Dereferencing an empty handle raises zcBadPointer instead of crashing.
  P operator->() const { return checked(); }
  decltype(*P()) operator*() const { return *checked(); }

private:
  P checked() const {
    if (!rep_) throw zcBadPointer(L"empty handle");
    return rep_;
  }
  P rep_ = nullptr;
};
}  // namespace zc_handle

template <class T>
class zcPtrHandle : public zc_handle::Holder<T*> {
  using Base = zc_handle::Holder<T*>;

public:
  zcPtrHandle() = default;
  zcPtrHandle(T* rep) : Base(rep) {}
  template <class U, class = std::enable_if_t<std::is_convertible_v<U*, T*>>>
  zcPtrHandle(const zcPtrHandle<U>& other) : Base(other.rep()) {}
};

template <class T>
class zcPtrHandle_const : public zc_handle::Holder<const T*> {
  using Base = zc_handle::Holder<const T*>;

public:
  zcPtrHandle_const() = default;
  zcPtrHandle_const(const T* rep) : Base(rep) {}
  template <class U, class = std::enable_if_t<std::is_convertible_v<const U*, const T*>>>
  zcPtrHandle_const(const zcPtrHandle<U>& other) : Base(other.rep()) {}
  template <class U, class = std::enable_if_t<std::is_convertible_v<const U*, const T*>>>
  zcPtrHandle_const(const zcPtrHandle_const<U>& other) : Base(other.rep()) {}
};

template <class A, class B>
bool operator==(const zc_handle::Holder<A>& a, const zc_handle::Holder<B>& b) {
  return a.rep() == b.rep();
}

// Archive form of a handle to a persistent representation: a shared pointer.
template <class T>
zcArchive& operator||(zcArchive& archive, zcPtrHandle<T>& handle) {
  T* rep = handle.rep();
  archive.serializePointer(rep);
  if (archive.isLoading()) handle = zcPtrHandle<T>(rep);
  return archive;
}

template <class T>
zcArchive& operator||(zcArchive& archive, zcPtrHandle_const<T>& handle) {
  T* rep = const_cast<T*>(handle.rep());  // storing does not change the object
  archive.serializePointer(rep);
  if (archive.isLoading()) handle = zcPtrHandle_const<T>(rep);
  return archive;
}
