// Exceptions of the foundation layer and the protocol every exception class follows.
//
// Every failure is one class, nested in the class (or holder) that raises it, with a
// fixed error number. Exceptions are persistent: they can be written to an archive
// and created again by class name. A concrete class X declares its protocol with
// ZC_EXCEPTION_PROTOCOL(X) and defines it with ZC_EXCEPTION_DEFINE (see the end of
// this file); its archive form is one version byte 0, then its base's form.
//
// Catch by the class, by its family's Errors class, or by zcException:
//   try { ... } catch (const zcException& e) { std::cerr << e.what() << '\n'; }
#pragma once

#include "zfound/export.h"
#include "zfound/persistent.h"

#include <iosfwd>
#include <string>

class ZFOUND_API zcException : public virtual zcPersistent {
public:
  ~zcException() override;

  virtual long errorNumber() const = 0;

  // Throws a copy of this heap-allocated exception by value and frees this object.
  // The caller gives up ownership (used for objects from make() or an archive).
  virtual void suicideAndRethrow() = 0;

  // The text for people: qualified class name, error number, and message if any.
  std::string what() const;
  // The message alone (empty for classes without one).
  std::wstring message() const;

protected:
  zcException() = default;
  zcException(const zcException&) = default;
  zcException& operator=(const zcException&) = default;

  virtual void message_(std::wostream& out) const;
  void dispatchSerialize(zcArchive& archive) override;
};

// An exception that carries a wide message.
class ZFOUND_API zcExceptionWithString : public zcException {
public:
  ~zcExceptionWithString() override;
  const std::wstring& messageString() const { return message_text_; }

protected:
  explicit zcExceptionWithString(const std::wstring& message = std::wstring())
      : message_text_(message) {}
  zcExceptionWithString(const zcExceptionWithString&) = default;
  zcExceptionWithString& operator=(const zcExceptionWithString&) = default;

  void message_(std::wostream& out) const override;
  void dispatchSerialize(zcArchive& archive) override;

private:
  std::wstring message_text_;
};

// The protocol members of a concrete exception class (inside the class body).
#define ZC_EXCEPTION_PROTOCOL(Class)                                  \
public:                                                               \
  ~Class() override = default;                                        \
  long errorNumber() const override;                                  \
  void suicideAndRethrow() override;                                  \
  static const zc_Instantiator sExemplar;                             \
                                                                      \
protected:                                                            \
  void dispatchSerialize(zcArchive& archive) override;                \
  void serialize_(zcArchive& archive, unsigned char version);         \
                                                                      \
private:                                                              \
  static zcPersistent* make();                                        \
                                                                      \
public:

// A whole exception class without data: default and copy construction, assignment
// (the base part, whose persistent part calls the mutation hook) and the protocol.
#define ZC_EXCEPTION_CLASS(API, Class, Base)                         \
  class API Class : public Base {                                    \
  public:                                                            \
    Class() = default;                                               \
    Class(const Class&) = default;                                   \
    Class& operator=(const Class&) = default;                        \
    ZC_EXCEPTION_PROTOCOL(Class)                                     \
  };

// The same for a class that carries a message (empty by default).
#define ZC_EXCEPTION_CLASS_WITH_MESSAGE(API, Class, Base)            \
  class API Class : public Base {                                    \
  public:                                                            \
    explicit Class(const std::wstring& message = std::wstring())     \
        : Base(message) {}                                           \
    Class(const Class&) = default;                                   \
    Class& operator=(const Class&) = default;                        \
    ZC_EXCEPTION_PROTOCOL(Class)                                     \
  };

// Definitions of the protocol of a concrete class (at namespace scope, in its .cpp).
// QualifiedName is the registered name and the text of zcArchive::UnknownVersion for
// a bad version byte. The optional trailing statements serialize the class's own
// fields through `archive`, after its base part.
#define ZC_EXCEPTION_DEFINE(Class, Base, QualifiedName, Number, ...)                  \
  long Class::errorNumber() const { return static_cast<long>(Number); }              \
  void Class::suicideAndRethrow() {                                                  \
    Class copy(*this);                                                               \
    delete this;                                                                     \
    throw copy;                                                                      \
  }                                                                                  \
  zcPersistent* Class::make() { return new Class; }                                 \
  const zc_Instantiator Class::sExemplar(typeid(Class), QualifiedName, &Class::make); \
  void Class::dispatchSerialize(zcArchive& archive) {                                \
    zfSerializeLevel(archive, this, QualifiedName, 0,                                \
                     [&](unsigned char v) { serialize_(archive, v); });              \
  }                                                                                  \
  void Class::serialize_(zcArchive& archive, unsigned char version) {                \
    if (version != 0) throw zcArchive::UnknownVersion(QualifiedName, 0);             \
    Base::dispatchSerialize(archive);                                                \
    __VA_ARGS__                                                                      \
  }

// The archive form of an abstract family base ("Errors"): version byte 0, then its base.
#define ZC_EXCEPTION_FAMILY_SERIALIZE(Class, Base, QualifiedName)                    \
  void Class::dispatchSerialize(zcArchive& archive) {                                \
    zfSerializeLevel(archive, this, QualifiedName, 0,                                \
                     [&](unsigned char v) { serialize_(archive, v); });              \
  }                                                                                  \
  void Class::serialize_(zcArchive& archive, unsigned char version) {                \
    if (version != 0) throw zcArchive::UnknownVersion(QualifiedName, 0);             \
    Base::dispatchSerialize(archive);                                                \
  }

// The members of an abstract family base class.
#define ZC_EXCEPTION_FAMILY_PROTOCOL()                                \
protected:                                                            \
  void dispatchSerialize(zcArchive& archive) override;                \
  void serialize_(zcArchive& archive, unsigned char version);         \
                                                                      \
public:

// An abstract family base named Errors (inside the family's holder class); its
// archive form is defined with ZC_EXCEPTION_FAMILY_SERIALIZE.
#define ZC_EXCEPTION_FAMILY(API, Base)                                \
  class API Errors : public Base {                                    \
  public:                                                             \
    ~Errors() override = default;                                     \
    ZC_EXCEPTION_FAMILY_PROTOCOL()                                    \
  protected:                                                          \
    Errors() = default;                                               \
    Errors(const Errors&) = default;                                  \
    Errors& operator=(const Errors&) = default;                       \
  };

// The same for a family whose failures carry a message.
#define ZC_EXCEPTION_FAMILY_WITH_MESSAGE(API, Base)                   \
  class API Errors : public Base {                                    \
  public:                                                             \
    ~Errors() override = default;                                     \
    ZC_EXCEPTION_FAMILY_PROTOCOL()                                    \
  protected:                                                          \
    explicit Errors(const std::wstring& message = std::wstring())     \
        : Base(message) {}                                            \
    Errors(const Errors&) = default;                                  \
    Errors& operator=(const Errors&) = default;                       \
  };

// A pointer that must not be null was null.
ZC_EXCEPTION_CLASS_WITH_MESSAGE(ZFOUND_API, zcBadPointer, zcExceptionWithString)

// Bytes from outside (a graphics list's records) that break their documented layout.
ZC_EXCEPTION_CLASS_WITH_MESSAGE(ZFOUND_API, zcMalformedData, zcExceptionWithString)

// A status code that zfThrowExceptionOnFailure has no class for.
class ZFOUND_API zcFailedStatus : public zcException {
public:
  explicit zcFailedStatus(long status = -1) : status_(status) {}
  zcFailedStatus(const zcFailedStatus&) = default;
  zcFailedStatus& operator=(const zcFailedStatus&) = default;
  long status() const { return status_; }
  ZC_EXCEPTION_PROTOCOL(zcFailedStatus)
protected:
  void message_(std::wostream& out) const override;

private:
  long status_;
};

// Failures of shapes: invalid geometry, degenerate shapes, queries that do not apply.
class ZFOUND_API zcShapesError {
public:
  ZC_EXCEPTION_FAMILY_WITH_MESSAGE(ZFOUND_API, zcExceptionWithString)
  ZC_EXCEPTION_CLASS_WITH_MESSAGE(ZFOUND_API, BadGeom, Errors)
  ZC_EXCEPTION_CLASS_WITH_MESSAGE(ZFOUND_API, DegenerateShape, Errors)
  ZC_EXCEPTION_CLASS_WITH_MESSAGE(ZFOUND_API, BadParams, Errors)
  ZC_EXCEPTION_CLASS_WITH_MESSAGE(ZFOUND_API, BadRadius, Errors)
  ZC_EXCEPTION_CLASS_WITH_MESSAGE(ZFOUND_API, BadCoef, Errors)
  ZC_EXCEPTION_CLASS_WITH_MESSAGE(ZFOUND_API, EmptyShape, Errors)
  ZC_EXCEPTION_CLASS_WITH_MESSAGE(ZFOUND_API, NoTangent, Errors)
  ZC_EXCEPTION_CLASS_WITH_MESSAGE(ZFOUND_API, NotOpenContour, Errors)
  ZC_EXCEPTION_CLASS_WITH_MESSAGE(ZFOUND_API, NotRegion, Errors)
  ZC_EXCEPTION_CLASS_WITH_MESSAGE(ZFOUND_API, SampleOverflow, Errors)
};

// Failures of numeric operations.
class ZFOUND_API zcMathError {
public:
  ZC_EXCEPTION_FAMILY(ZFOUND_API, zcException)
  // A matrix or transform without an inverse.
  ZC_EXCEPTION_CLASS(ZFOUND_API, Singular, Errors)
};

// Failures of pel buffers.
class ZFOUND_API zcPel {
public:
  ZC_EXCEPTION_FAMILY(ZFOUND_API, zcException)
  // An operation that needs pixels on a buffer that has none.
  ZC_EXCEPTION_CLASS(ZFOUND_API, UnboundWindow, Errors)
  // A pel coordinate outside the buffer's window.
  ZC_EXCEPTION_CLASS(ZFOUND_API, BadCoord, Errors)
};

// Raises the exception that a failed status names (the table of zfound/status.h, -1
// to -13); does nothing for a status >= 0. Any other negative status raises
// zcFailedStatus carrying the status.
ZFOUND_API void zfThrowExceptionOnFailure(long status);
