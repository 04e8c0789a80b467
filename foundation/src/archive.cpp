#include "zfound/archive.h"

#include "zfound/strings.h"

#include <cstdint>
#include <cstring>
#include <fstream>
#include <limits>
#include <set>
#include <string>
#include <unordered_map>
#include <utility>

namespace {

constexpr unsigned char kMagic[4] = {'z', 'f', 'A', 'R'};
constexpr unsigned char kFormatVersion = 1;

enum PointerTag : unsigned char { eNull = 0, eNewObject = 1, eBackReference = 2 };

std::wstring widen(const std::string& s) { return zfConvertString(s); }

}  // namespace

// Object tables of one archive: ids of shared objects, objects in progress (to refuse
// cycles), visited marks of the current pass and the nesting depth.
struct zcArchive::Tables {
  std::unordered_map<const void*, std::uint32_t> writtenIds;
  std::set<const void*> inProgress;
  std::vector<zcPersistent*> loaded;  // by id - 1; null once refused
  std::vector<bool> complete;
  std::set<std::pair<const void*, std::string>> visited;
  int depth = 0;
  bool lastLoadWasNew = false;
  std::size_t lastNewIndex = 0;  // its entry in `loaded` (objects read inside it follow)
  bool broken = false;  // loading an object failed: the rest cannot be trusted
};

// One level of object nesting; the outermost level's end closes the pass.
struct zcArchive::Pass {
  explicit Pass(zcArchive& a) : archive(a) {
    if (archive.tables_->depth >= zkMaxArchiveDepth)
      throw zcArchive::TooDeep(L"objects nested deeper than the archive allows");
    ++archive.tables_->depth;
  }
  ~Pass() {
    if (--archive.tables_->depth == 0) archive.tables_->visited.clear();
  }
  Pass(const Pass&) = delete;
  Pass& operator=(const Pass&) = delete;
  zcArchive& archive;
};

// --- Failures ---------------------------------------------------------------

ZC_EXCEPTION_FAMILY_SERIALIZE(zcArchive::Errors, zcExceptionWithString, "zcArchive::Errors")
ZC_EXCEPTION_DEFINE(zcArchive::UnknownVersion, Errors, "zcArchive::UnknownVersion", 0x10000401, {
  std::wstring where = zfConvertString(where_);
  archive || where || line_;
  if (archive.isLoading()) where_ = zfConvertString(where);
})
ZC_EXCEPTION_DEFINE(zcArchive::UnexpectedEnd, Errors, "zcArchive::UnexpectedEnd", 0x10000402)
ZC_EXCEPTION_DEFINE(zcArchive::BadFormat, Errors, "zcArchive::BadFormat", 0x10000403)
ZC_EXCEPTION_DEFINE(zcArchive::UnknownClass, Errors, "zcArchive::UnknownClass", 0x10000404)
ZC_EXCEPTION_DEFINE(zcArchive::BadCount, Errors, "zcArchive::BadCount", 0x10000405)
ZC_EXCEPTION_DEFINE(zcArchive::TooDeep, Errors, "zcArchive::TooDeep", 0x10000406)
ZC_EXCEPTION_DEFINE(zcArchive::BadReference, Errors, "zcArchive::BadReference", 0x10000407)
ZC_EXCEPTION_DEFINE(zcArchive::WrongClass, Errors, "zcArchive::WrongClass", 0x10000408)
ZC_EXCEPTION_DEFINE(zcArchive::ValueOutOfRange, Errors, "zcArchive::ValueOutOfRange", 0x10000409)
ZC_EXCEPTION_DEFINE(zcArchive::IOError, Errors, "zcArchive::IOError", 0x1000040A)

void zcArchive::UnknownVersion::message_(std::wostream& out) const {
  out << L"unknown version in " << widen(where_);
  if (line_ != 0) out << L" line " << line_;
}

// --- Construction -------------------------------------------------------------

zcArchive::zcArchive() : zcArchive(true, {}) {}

zcArchive::zcArchive(const unsigned char* data, std::size_t size)
    : zcArchive(false, std::vector<unsigned char>(data, data + size)) {}

zcArchive::zcArchive(const std::vector<unsigned char>& bytes) : zcArchive(false, bytes) {}

zcArchive::zcArchive(bool storing, std::vector<unsigned char> bytes)
    : storing_(storing), tables_(std::make_unique<Tables>()) {
  if (storing_) {
    put(kMagic, sizeof kMagic);
    const unsigned char rest[4] = {kFormatVersion, 0, 0, 0};
    put(rest, sizeof rest);
  } else {
    buffer_ = std::move(bytes);
    checkHeader();
  }
}

zcArchive::~zcArchive() = default;

void zcArchive::checkHeader() {
  if (buffer_.size() < headerSize || std::memcmp(buffer_.data(), kMagic, sizeof kMagic) != 0)
    throw BadFormat(L"not an archive of this format");
  if (buffer_[4] != kFormatVersion) throw UnknownVersion("zfound/archive", __LINE__);
  if (buffer_[5] != 0 || buffer_[6] != 0 || buffer_[7] != 0)
    throw BadFormat(L"reserved header bytes are not zero");
  pos_ = headerSize;
}

// --- Bytes ----------------------------------------------------------------------

// Zero-size transfers may come with a null pointer (an empty buffer's data()); memcpy
// must not see one.
void zcArchive::put(const void* data, std::size_t size) {
  if (size == 0) return;
  const auto* p = static_cast<const unsigned char*>(data);
  buffer_.insert(buffer_.end(), p, p + size);
}

void zcArchive::get(void* data, std::size_t size) {
  if (size > buffer_.size() - pos_) throw UnexpectedEnd(L"the archive ends inside a value");
  if (size == 0) return;
  std::memcpy(data, buffer_.data() + pos_, size);
  pos_ += size;
}

void zcArchive::put32(std::uint32_t value) {
  const unsigned char b[4] = {static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8),
                              static_cast<unsigned char>(value >> 16), static_cast<unsigned char>(value >> 24)};
  put(b, 4);
}

std::uint32_t zcArchive::get32() {
  unsigned char b[4];
  get(b, 4);
  return std::uint32_t(b[0]) | std::uint32_t(b[1]) << 8 | std::uint32_t(b[2]) << 16 | std::uint32_t(b[3]) << 24;
}

void zcArchive::raw(void* data, std::size_t size) {
  if (storing_)
    put(data, size);
  else
    get(data, size);
}

void zcArchive::checkCount(unsigned long count, std::size_t minBytesEach) {
  if (storing_) return;
  if (minBytesEach == 0) minBytesEach = 1;
  if (count > remaining() / minBytesEach) throw BadCount(L"a count exceeds what is left of the archive");
}

// --- Primitives -------------------------------------------------------------------

zcArchive& zcArchive::operator||(bool& value) {
  unsigned char b = value ? 1 : 0;
  raw(&b, 1);
  if (isLoading()) {
    if (b > 1) throw BadFormat(L"a boolean byte is neither 0 nor 1");
    value = b == 1;
  }
  return *this;
}

zcArchive& zcArchive::operator||(unsigned char& value) {
  raw(&value, 1);
  return *this;
}

zcArchive& zcArchive::operator||(signed char& value) {
  raw(&value, 1);
  return *this;
}

zcArchive& zcArchive::operator||(int& value) {
  if (storing_) {
    put32(static_cast<std::uint32_t>(value));
  } else {
    value = static_cast<int>(static_cast<std::int32_t>(get32()));
  }
  return *this;
}

zcArchive& zcArchive::operator||(long& value) {
  if (storing_) {
    if (value < std::numeric_limits<std::int32_t>::min() || value > std::numeric_limits<std::int32_t>::max())
      throw ValueOutOfRange(L"a long beyond 32 bits");
    put32(static_cast<std::uint32_t>(value));
  } else {
    value = static_cast<std::int32_t>(get32());
  }
  return *this;
}

zcArchive& zcArchive::operator||(unsigned long& value) {
  if (storing_) {
    if (value > std::numeric_limits<std::uint32_t>::max()) throw ValueOutOfRange(L"an unsigned long beyond 32 bits");
    put32(static_cast<std::uint32_t>(value));
  } else {
    value = get32();
  }
  return *this;
}

zcArchive& zcArchive::operator||(double& value) {
  std::uint64_t bits = 0;
  if (storing_) {
    std::memcpy(&bits, &value, 8);
    put32(static_cast<std::uint32_t>(bits));
    put32(static_cast<std::uint32_t>(bits >> 32));
  } else {
    bits = get32();
    bits |= std::uint64_t(get32()) << 32;
    std::memcpy(&value, &bits, 8);
  }
  return *this;
}

zcArchive& zcArchive::operator||(std::wstring& value) {
  if (storing_) {
    const std::u16string units = zfToUtf16(value);
    if (units.size() > std::numeric_limits<std::uint32_t>::max()) throw ValueOutOfRange(L"a string too long");
    put32(static_cast<std::uint32_t>(units.size()));
    for (char16_t u : units) {
      const unsigned char b[2] = {static_cast<unsigned char>(u), static_cast<unsigned char>(u >> 8)};
      put(b, 2);
    }
  } else {
    const std::uint32_t count = get32();
    checkCount(count, 2);
    std::u16string units(count, u'\0');
    for (auto& u : units) {
      unsigned char b[2];
      get(b, 2);
      u = static_cast<char16_t>(b[0] | b[1] << 8);
    }
    value = zfFromUtf16(units);
  }
  return *this;
}

// --- Persistent objects -----------------------------------------------------------

bool zcPersistent::haveVisited(zcArchive& archive, const void* object, const char* level) {
  return archive.tables_->visited.count({object, level}) != 0;
}

void zcPersistent::setVisited(zcArchive& archive, const void* object, const char* level) {
  archive.tables_->visited.emplace(object, level);
}

zcArchive& zcArchive::operator||(zcPersistent& object) {
  if (isLoading() && tables_->broken) throw BadFormat(L"the archive failed earlier");
  Pass pass(*this);
  try {
    object.dispatchSerialize(*this);
  } catch (...) {
    if (isLoading()) tables_->broken = true;
    throw;
  }
  return *this;
}

void zcArchive::serializePointer(zcPersistent*& object) {
  Tables& t = *tables_;
  if (storing_) {
    if (!object) {
      put("\0", 1);
      return;
    }
    const void* key = dynamic_cast<const void*>(object);
    if (auto it = t.writtenIds.find(key); it != t.writtenIds.end()) {
      if (t.inProgress.count(key)) throw BadReference(L"an object refers to itself through its parts");
      const unsigned char tag = eBackReference;
      put(&tag, 1);
      put32(it->second);
      return;
    }
    const char* name = zc_Instantiator::nameOf(*object);
    if (!name) throw UnknownClass(L"an object of an unregistered class");
    const std::size_t length = std::strlen(name);
    if (length > 255) throw ValueOutOfRange(L"a class name longer than 255 characters");
    Pass pass(*this);
    t.writtenIds.emplace(key, static_cast<std::uint32_t>(t.writtenIds.size() + 1));
    t.inProgress.insert(key);
    const unsigned char head[2] = {eNewObject, static_cast<unsigned char>(length)};
    put(head, 2);
    put(name, length);
    object->dispatchSerialize(*this);
    t.inProgress.erase(key);
    return;
  }

  if (t.broken) throw BadFormat(L"the archive failed earlier");
  t.lastLoadWasNew = false;
  unsigned char tag = 0;
  get(&tag, 1);
  if (tag == eNull) {
    object = nullptr;
    return;
  }
  if (tag == eBackReference) {
    const std::uint32_t id = get32();
    if (id == 0 || id > t.loaded.size() || !t.complete[id - 1] || !t.loaded[id - 1])
      throw BadReference(L"a reference to an object that is not (completely) read");
    object = t.loaded[id - 1];
    return;
  }
  if (tag != eNewObject) throw BadFormat(L"an unknown pointer tag");

  unsigned char length = 0;
  get(&length, 1);
  std::string name(length, '\0');
  get(name.data(), length);
  Pass pass(*this);
  zcPersistent* made = zc_Instantiator::create(name);
  if (!made) throw UnknownClass(L"no class is registered as " + widen(name));
  const std::size_t index = t.loaded.size();
  t.loaded.push_back(made);
  t.complete.push_back(false);
  try {
    made->dispatchSerialize(*this);
  } catch (...) {
    t.loaded[index] = nullptr;
    t.broken = true;
    delete made;
    throw;
  }
  t.complete[index] = true;
  t.lastLoadWasNew = true;
  t.lastNewIndex = index;
  object = made;
}

void zcArchive::refuseLoaded(zcPersistent* base, const std::type_info&) {
  const char* name = zc_Instantiator::nameOf(*base);
  std::wstring text = L"an object of class " + widen(name ? name : "?") + L" where another class is expected";
  dropLoaded(base);
  throw WrongClass(text);
}

void zcArchive::dropLoaded(zcPersistent* base) {
  Tables& t = *tables_;
  if (!t.lastLoadWasNew) return;
  t.lastLoadWasNew = false;
  // The objects read inside it go with it: no back-reference may reach them either.
  for (std::size_t i = t.lastNewIndex; i < t.loaded.size(); ++i) t.loaded[i] = nullptr;
  delete base;
}

// --- Files --------------------------------------------------------------------------

std::vector<unsigned char> zcFileArchive::readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) throw IOError(L"cannot open " + widen(path));
  const std::streamoff size = in.tellg();
  if (size < 0) throw IOError(L"cannot read " + widen(path));
  std::vector<unsigned char> bytes(static_cast<std::size_t>(size));
  in.seekg(0);
  if (!in.read(reinterpret_cast<char*>(bytes.data()), size)) throw IOError(L"cannot read " + widen(path));
  return bytes;
}

zcFileArchive::zcFileArchive(const std::string& path, zeMode mode)
    : zcArchive(mode == eStore, mode == eLoad ? readFile(path) : std::vector<unsigned char>{}), path_(path) {}

zcFileArchive::~zcFileArchive() {
  try {
    close();
  } catch (const zcException&) {
    // A destructor cannot report; callers who care call close() themselves.
  }
}

void zcFileArchive::close() {
  if (closed_ || isLoading()) {
    closed_ = true;
    return;
  }
  std::ofstream out(path_, std::ios::binary | std::ios::trunc);
  const auto& data = bytes();
  if (!out || !out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size())) ||
      !out.flush())
    throw IOError(L"cannot write " + widen(path_));
  closed_ = true;
}
