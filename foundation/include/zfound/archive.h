// Archives: one bidirectional stream for storing and loading persistent data.
//
//   zcArchive out;                       // storing into memory
//   out || color || width;               // operator|| writes...
//   zcArchive in(out.bytes());           // loading from bytes
//   in || color || width;                // ...and the same code reads
//
// Byte form (little-endian, unaligned):
//   header     8 bytes: "zfAR", format version (1 byte, 1), three zero bytes
//   bool, signed/unsigned char   1 byte (a bool is 0 or 1)
//   int, long, unsigned long     4 bytes (long is 32-bit on every platform)
//   double                       8 bytes IEEE
//   wide string                  u32 count of UTF-16 units, then the units
//   pointer    1 tag byte: 0 null; 1 new object: class name (u8 length, ASCII) and
//              the object's form; 2 back-reference: u32 id (objects numbered from 1
//              in the order they are first written)
//
// A loading archive checks every length and count against the bytes left before it
// reads or allocates, bounds the nesting of objects (zkMaxArchiveDepth), and reports
// malformed input as a zcArchive exception. An object shared by several pointers is
// written once and read back as one object; a reference to an object that is still
// being written or read (a cycle) is refused.
#pragma once

#include "zfound/exception.h"
#include "zfound/export.h"
#include "zfound/persistent.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <typeinfo>
#include <vector>

// Deepest nesting of objects inside one another that a loading archive accepts.
inline constexpr int zkMaxArchiveDepth = 200;

class ZFOUND_API zcArchive {
public:
  // --- Failures -------------------------------------------------------------
  ZC_EXCEPTION_FAMILY_WITH_MESSAGE(ZFOUND_API, zcExceptionWithString)

  // A version byte that the reading class does not know. `where` is the source
  // module (e.g. "dispc/color") with the source line, or a class name with line 0.
  class ZFOUND_API UnknownVersion : public Errors {
  public:
    UnknownVersion() = default;
    UnknownVersion(const std::string& where, long line) : where_(where), line_(line) {}
    UnknownVersion(const UnknownVersion&) = default;
    UnknownVersion& operator=(const UnknownVersion&) = default;
    const std::string& where() const { return where_; }
    long line() const { return line_; }
    ZC_EXCEPTION_PROTOCOL(UnknownVersion)
  protected:
    void message_(std::wostream& out) const override;

  private:
    std::string where_;
    long line_ = 0;
  };

  // The input ends before the value being read.
  ZC_EXCEPTION_CLASS_WITH_MESSAGE(ZFOUND_API, UnexpectedEnd, Errors)
  // Not an archive of this format, or a byte that no valid archive holds there.
  ZC_EXCEPTION_CLASS_WITH_MESSAGE(ZFOUND_API, BadFormat, Errors)
  // An object of a class that no loaded library registered.
  ZC_EXCEPTION_CLASS_WITH_MESSAGE(ZFOUND_API, UnknownClass, Errors)
  // A count larger than the bytes left can hold.
  ZC_EXCEPTION_CLASS_WITH_MESSAGE(ZFOUND_API, BadCount, Errors)
  // Objects nested deeper than zkMaxArchiveDepth.
  ZC_EXCEPTION_CLASS_WITH_MESSAGE(ZFOUND_API, TooDeep, Errors)
  // A back-reference to an object not read yet, or still being read or written.
  ZC_EXCEPTION_CLASS_WITH_MESSAGE(ZFOUND_API, BadReference, Errors)
  // An object of another class than the pointer it is read into can hold.
  ZC_EXCEPTION_CLASS_WITH_MESSAGE(ZFOUND_API, WrongClass, Errors)
  // A value that the archive form cannot hold (a long beyond 32 bits).
  ZC_EXCEPTION_CLASS_WITH_MESSAGE(ZFOUND_API, ValueOutOfRange, Errors)
  // A file could not be opened, read or written.
  ZC_EXCEPTION_CLASS_WITH_MESSAGE(ZFOUND_API, IOError, Errors)

  // --- Construction ---------------------------------------------------------
  // A storing archive over a memory buffer; the header is written at once.
  zcArchive();
  // The size of the header that starts every archive: a reader of files can check
  // those bytes (by loading them) before it reads the rest.
  static constexpr std::size_t headerSize = 8;
  // A loading archive over a copy of the bytes; the header is checked at once.
  zcArchive(const unsigned char* data, std::size_t size);
  explicit zcArchive(const std::vector<unsigned char>& bytes);
  virtual ~zcArchive();
  zcArchive(const zcArchive&) = delete;
  zcArchive& operator=(const zcArchive&) = delete;

  bool isStoring() const { return storing_; }
  bool isLoading() const { return !storing_; }

  // Storing: every byte written so far, header included. Loading: the input.
  const std::vector<unsigned char>& bytes() const { return buffer_; }
  // Loading: the bytes not read yet (0 when storing).
  std::size_t remaining() const { return storing_ ? 0 : buffer_.size() - pos_; }

  // --- Primitives -----------------------------------------------------------
  zcArchive& operator||(bool& value);
  zcArchive& operator||(unsigned char& value);
  zcArchive& operator||(signed char& value);
  zcArchive& operator||(int& value);
  zcArchive& operator||(long& value);
  zcArchive& operator||(unsigned long& value);
  zcArchive& operator||(double& value);
  zcArchive& operator||(std::wstring& value);
  // Bytes as they are, no count.
  void raw(void* data, std::size_t size);

  // Loading: raises BadCount unless `count` items of at least `minBytesEach` bytes
  // can still follow. Storing: does nothing. Call it before allocating for a count.
  void checkCount(unsigned long count, std::size_t minBytesEach);

  // --- Persistent objects ---------------------------------------------------
  // The object's archive form, in place (no class name, no sharing).
  zcArchive& operator||(zcPersistent& object);

  // A polymorphic pointer that may be null and may be shared. On loading the
  // archive creates the object through the class registry; the caller owns it.
  void serializePointer(zcPersistent*& object);

  // The same, for a pointer to a persistent class T: loading raises WrongClass
  // (and frees the object it made) when the object read is not a T.
  template <class T>
  void serializePointer(T*& object) {
    zcPersistent* base = object;
    serializePointer(base);
    if (isLoading()) object = castLoaded<T>(base);
  }

  // The same, except that loading gives null for an object that is not a T: an
  // object made for this pointer is freed (a later back-reference to it or to what
  // was read inside it is refused), one read before is left to its owner.
  template <class T>
  void serializePointerOrNull(T*& object) {
    zcPersistent* base = object;
    serializePointer(base);
    if (isLoading()) {
      object = dynamic_cast<T*>(base);
      if (base && !object) dropLoaded(base);
    }
  }

protected:
  // For archives over other media (files): storing, or loading from the given bytes.
  zcArchive(bool storing, std::vector<unsigned char> bytes);

private:
  template <class T>
  T* castLoaded(zcPersistent* base) {
    if (!base) return nullptr;
    T* typed = dynamic_cast<T*>(base);
    if (!typed) refuseLoaded(base, typeid(T));
    return typed;
  }
  [[noreturn]] void refuseLoaded(zcPersistent* base, const std::type_info& wanted);
  // Frees the object the last pointer load made (when it made one) and forgets it
  // and the objects read inside it.
  void dropLoaded(zcPersistent* base);
  void checkHeader();
  void put(const void* data, std::size_t size);
  void get(void* data, std::size_t size);
  std::uint32_t get32();
  void put32(std::uint32_t value);

  struct Pass;
  struct Tables;
  friend class zcPersistent;
  friend struct Pass;

  bool storing_;
  std::vector<unsigned char> buffer_;
  std::size_t pos_ = 0;
  std::unique_ptr<Tables> tables_;
};

// An archive over a file. Storing collects the bytes and writes them at close();
// loading reads the whole file when constructed.
class ZFOUND_API zcFileArchive : public zcArchive {
public:
  enum zeMode { eLoad, eStore };
  zcFileArchive(const std::string& path, zeMode mode);
  // Closes without reporting errors; call close() to learn of them.
  ~zcFileArchive() override;

  // Storing: writes the file; raises IOError when it cannot. Idempotent.
  void close();

private:
  static std::vector<unsigned char> readFile(const std::string& path);
  std::string path_;
  bool closed_ = false;
};

// One class level of an archive form: skip when visited, version byte (written as
// `current`), the level's body with the version read or written, then the mark.
template <class Body>
void zfSerializeLevel(zcArchive& archive, const void* object, const char* level,
                      unsigned char current, Body&& body) {
  if (zcPersistent::haveVisited(archive, object, level)) return;
  unsigned char version = current;
  archive || version;
  body(version);
  zcPersistent::setVisited(archive, object, level);
}
