#include "zfound/archive.h"
#include "zfound/persistent.h"

#include <map>
#if defined(_MSC_VER)
#include <intrin.h>
#endif
#include <string>
#include <typeindex>

namespace {

struct Registry {
  std::map<std::string, const zc_Instantiator*, std::less<>> byName;
  std::map<std::type_index, const zc_Instantiator*> byType;
};

// Built on first use, so registrations from any library's static constructors work.
Registry& registry() {
  static Registry r;
  return r;
}

}  // namespace

zcMutationObserver::~zcMutationObserver() = default;

zcPersistent::~zcPersistent() = default;

void zcPersistent::reInit() {}

namespace {

// The address this function returns to: the base whose assignment assigns the
// persistent part. Null where the compiler cannot tell.
#if defined(_MSC_VER)
#define ZF_CALLER() _ReturnAddress()
#elif defined(__GNUC__)
#define ZF_CALLER() __builtin_return_address(0)
#else
#define ZF_CALLER() nullptr
#endif

// The last assignment of a tracked object that told its observer, on this thread.
struct TrackedAssignment {
  const zcPersistent* target = nullptr;
  const zcPersistent* source = nullptr;
  const void* through = nullptr;
};
thread_local TrackedAssignment lastTold;

}  // namespace

// Defined here, never inlined, so that the caller is the base that assigns this part.
zcPersistent& zcPersistent::operator=(const zcPersistent& other) {
  if (observer_ == nullptr) return *this;
  const void* through = ZF_CALLER();
  // The same target and source reached through another base: the second path of
  // one assignment (a virtual base is assigned once per path). Through the same
  // base it is a new assignment, and the observer is told again.
  if (lastTold.target == this && lastTold.source == &other && through != nullptr &&
      lastTold.through != through) {
    return *this;
  }
  lastTold = {this, &other, through};
  observer_->mutating(*this);
  return *this;
}

void zcPersistent::loadSimple(zcArchive& archive) {
  if (!archive.isLoading()) throw zcArchive::BadFormat(L"loadSimple needs a loading archive");
  reInit();
  archive || *this;
}

void zcPersistent::dispatchSerialize(zcArchive&) {}

zc_Instantiator::zc_Instantiator(const std::type_info& type, const char* qualifiedName, Factory make)
    : type_(&type), name_(qualifiedName), make_(make) {
  Registry& r = registry();
  r.byName.emplace(qualifiedName, this);
  r.byType.emplace(std::type_index(type), this);
}

zc_Instantiator::~zc_Instantiator() {
  Registry& r = registry();
  auto n = r.byName.find(name_);
  if (n != r.byName.end() && n->second == this) r.byName.erase(n);
  auto t = r.byType.find(std::type_index(*type_));
  if (t != r.byType.end() && t->second == this) r.byType.erase(t);
}

zcPersistent* zc_Instantiator::create(const std::string& qualifiedName) {
  const Registry& r = registry();
  auto it = r.byName.find(qualifiedName);
  return it == r.byName.end() ? nullptr : it->second->make_();
}

const char* zc_Instantiator::nameOf(const std::type_info& type) {
  const Registry& r = registry();
  auto it = r.byType.find(std::type_index(type));
  return it == r.byType.end() ? nullptr : it->second->name_;
}

std::vector<std::string> zc_Instantiator::names() {
  std::vector<std::string> out;
  for (const auto& entry : registry().byName) out.push_back(entry.first);
  return out;
}

const char* zc_Instantiator::nameOf(const zcPersistent& object) {
  return nameOf(typeid(object));
}
