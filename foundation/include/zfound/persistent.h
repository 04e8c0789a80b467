// Persistence: the virtual base of every class that is written to and read from an
// archive, and the registry through which an archive creates objects by class name.
//
// A persistent class derives virtually from zcPersistent, overrides dispatchSerialize
// and writes, per class level, one version byte, its base part, then its own fields,
// all through the archive's bidirectional operator||. zfSerializeLevel (archive.h)
// does the bookkeeping of one level. A class that an archive may create registers a factory
// with a static zc_Instantiator named sExemplar under its spelled-out qualified name.
#pragma once

#include "zfound/export.h"

#include <string>
#include <typeinfo>
#include <vector>

class zcArchive;
class zcPersistent;

// Told before a tracked object changes (see zcPersistent::track).
class ZFOUND_API zcMutationObserver {
public:
  virtual ~zcMutationObserver();
  virtual void mutating(const zcPersistent& object) = 0;
};

class ZFOUND_API zcPersistent {
public:
  virtual ~zcPersistent();

protected:
  // The archive form of this object; the archive calls it for storing and loading.
  // zcPersistent's own level is empty. Declared right after the destructor, so that it
  // takes the slot before reInit and loadSimple.
  virtual void dispatchSerialize(zcArchive& archive);

public:
  // Puts the object into the state in which loading starts; the default does nothing.
  virtual void reInit();

  // Loads this object in place from a loading archive: reInit(), then the object's
  // archive form as written by `archive || object`. Raises zcArchive::BadFormat when
  // the archive is storing. The object is left partly read if loading fails.
  virtual void loadSimple(zcArchive& archive);

  // Tracking: while an observer is set, every mutating member tells it first.
  // Copies are never tracked; the observer must outlive the tracking.
  void track(zcMutationObserver* observer) { observer_ = observer; }
  bool isTracked() const { return observer_ != nullptr; }

  // Visited marks of the current archive pass, keyed by object and class level
  // (the level's qualified class name). They keep a shared virtual base from being
  // written twice; they are cleared when the outermost object of a pass is done.
  static bool haveVisited(zcArchive& archive, const void* object, const char* level);
  static void setVisited(zcArchive& archive, const void* object, const char* level);

protected:
  zcPersistent() = default;
  zcPersistent(const zcPersistent&) : observer_(nullptr) {}
  // Assignment is a mutation: it calls the hook and copies nothing (the observer
  // stays with its object). So a derived class defaults its own assignment, whose
  // base part comes first and tells the observer before any field changes. A class
  // that reaches this virtual base through two bases has it assigned once through
  // each; the observer is told at the first of them only.
  zcPersistent& operator=(const zcPersistent& other);

  // The mutation hook: every mutating member calls it before it changes anything.
  void mutating_() const {
    if (observer_) observer_->mutating(*this);
  }

  friend class zcArchive;

private:
  zcMutationObserver* observer_ = nullptr;
};

// Registration of a persistent class: type identity, stable qualified name and a
// factory that builds a default object. Built at load time as `sExemplar`; removed
// when destroyed (library unload).
class ZFOUND_API zc_Instantiator {
public:
  using Factory = zcPersistent* (*)();

  zc_Instantiator(const std::type_info& type, const char* qualifiedName, Factory make);
  ~zc_Instantiator();
  zc_Instantiator(const zc_Instantiator&) = delete;
  zc_Instantiator& operator=(const zc_Instantiator&) = delete;

  const char* name() const { return name_; }

  // A new default object of the named class, or null when no class has that name.
  static zcPersistent* create(const std::string& qualifiedName);
  // The registered name of an object's dynamic class, or null when unregistered.
  static const char* nameOf(const zcPersistent& object);
  static const char* nameOf(const std::type_info& type);
  // Every registered name, in increasing order: for callers that mirror the classes
  // elsewhere (the Python package builds its exception classes from it).
  static std::vector<std::string> names();

private:
  const std::type_info* type_;
  const char* name_;
  Factory make_;
};
