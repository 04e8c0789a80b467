#include "zfound/archive.h"
#include "zfound/handle.h"

#include "checks.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <string>
#include <tuple>

namespace {

// A persistent, shared node of an object graph.
class Node : public virtual zcPersistent, public zcRepBase {
public:
  std::wstring name;
  long value = 0;
  zcPtrHandle<Node> left, right;

  static const zc_Instantiator sExemplar;

protected:
  void dispatchSerialize(zcArchive& archive) override {
    zfSerializeLevel(archive, this, "test::Node", 0, [&](unsigned char version) {
      if (version != 0) throw zcArchive::UnknownVersion("test::Node", 0);
      zcPersistent::dispatchSerialize(archive);
      archive || name || value || left || right;
    });
  }

private:
  static zcPersistent* make() { return new Node; }
};
const zc_Instantiator Node::sExemplar(typeid(Node), "test::Node", &Node::make);

// A diamond over a virtual base with data: the base must be written once.
class Base : public virtual zcPersistent {
public:
  long baseValue = 0;

protected:
  void dispatchSerialize(zcArchive& archive) override {
    zfSerializeLevel(archive, this, "test::Base", 0, [&](unsigned char) {
      zcPersistent::dispatchSerialize(archive);
      archive || baseValue;
    });
  }
};
// The two sides of the diamond, each with a value of its own.
template <int kRight>
class Side : public virtual Base {
public:
  long value = 0;

protected:
  void dispatchSerialize(zcArchive& archive) override {
    zfSerializeLevel(archive, this, kRight ? "test::Right" : "test::Left", 0, [&](unsigned char) {
      Base::dispatchSerialize(archive);
      archive || value;
    });
  }
};
using Left = Side<0>;
using Right = Side<1>;
class Diamond : public Left, public Right {
protected:
  void dispatchSerialize(zcArchive& archive) override {
    zfSerializeLevel(archive, this, "test::Diamond", 0, [&](unsigned char) {
      Left::dispatchSerialize(archive);
      Right::dispatchSerialize(archive);
    });
  }
};

constexpr std::size_t kHeader = 8;
using zc_test::Bytes;
using zc_test::withByte;

// The header and then `tail`.
Bytes archiveOf(const Bytes& tail) {
  Bytes bytes = zcArchive().bytes();
  bytes.insert(bytes.end(), tail.begin(), tail.end());
  return bytes;
}

// The pointer form of a Node with no name, value 0 and null children, under `name`.
Bytes nodeForm(const std::string& name) {
  Bytes bytes = {1, static_cast<unsigned char>(name.size())};  // tag: a new object, then its class
  bytes.insert(bytes.end(), name.begin(), name.end());
  bytes.resize(bytes.size() + 11);  // version, empty name, value 0, two null pointers
  return bytes;
}

// Everything a sample archive holds; the same code writes and reads it.
struct Sample {
  bool b = true;
  unsigned char uc = 0xFE;
  signed char sc = -3;
  int i = INT_MIN;
  long l = -123456789;
  unsigned long ul = 0xFFFFFFFFul;
  double d = -0.1;
  std::wstring text = L"grau \u00fc \U0001F600 end";
  zcPtrHandle<Node> root;
  zcPtrHandle<Node> again;

  void serialize(zcArchive& a) { a || b || uc || sc || i || l || ul || d || text || root || again; }
  auto values() const { return std::tie(b, uc, sc, i, l, ul, d, text); }
};

Sample makeSample() {
  Sample s;
  zcPtrHandle<Node> shared(new Node);
  shared->name = L"shared";
  shared->value = 7;
  s.root = new Node;
  s.root->name = L"root";
  s.root->left = shared;
  s.root->right = new Node;
  s.root->right->left = shared;  // shared twice below the root
  s.again = shared;              // and once more at the top level
  return s;
}

// The vtable slot of a virtual member of zcPersistent. A pointer to a virtual member
// holds 1 plus the member's byte offset in the vtable (the Itanium C++ ABI).
struct SlotOf : zcPersistent {
  template <class Member>
  static std::ptrdiff_t of(Member member) {
    struct {
      std::ptrdiff_t ptr, adj;
    } raw;
    static_assert(sizeof member == sizeof raw);
    std::memcpy(&raw, &member, sizeof raw);
    return raw.ptr & 1 ? (raw.ptr - 1) / std::ptrdiff_t(sizeof(void*)) : -1;
  }
  static auto all() {
    return std::make_tuple(of(&SlotOf::dispatchSerialize), of(&zcPersistent::reInit), of(&zcPersistent::loadSimple));
  }
};

}  // namespace

TEST(ArchiveObjects, AGraphWithSharingAndNullsRoundTripsAndEveryCutFails) {
  Sample s = makeSample();
  zcArchive out;
  s.serialize(out);

  Sample r;
  r.b = false, r.uc = 0, r.sc = 0, r.i = 0, r.l = 0, r.ul = 0, r.d = 0, r.text.clear();
  zcArchive in(out.bytes());
  r.serialize(in);
  EXPECT_EQ(in.remaining(), 0u);
  EXPECT_EQ(r.values(), s.values());
  ASSERT_TRUE(r.root);
  EXPECT_EQ(r.root->name, L"root");
  ASSERT_TRUE(r.root->left && r.root->right);
  EXPECT_FALSE(r.root->right->right);
  EXPECT_EQ(r.root->left->name, L"shared");
  EXPECT_EQ(r.root->left->value, 7);
  // One object read back, referenced three times.
  EXPECT_EQ(r.root->left.rep(), r.root->right->left.rep());
  EXPECT_EQ(r.again.rep(), r.root->left.rep());
  EXPECT_EQ(r.again->refCount(), 3);
  EXPECT_FALSE(r.root->left->left);

  // The shared node is written once: a second copy of it would add its name again.
  const std::string bytes(out.bytes().begin(), out.bytes().end());
  std::size_t count = 0;
  for (std::size_t p = bytes.find("test::Node"); p != std::string::npos; p = bytes.find("test::Node", p + 1)) ++count;
  EXPECT_EQ(count, 3u);  // root, right child, shared node

  // Every cut fails cleanly (with zcArchive and foundation failures only); flipping a
  // payload byte (a value, a character) still reads, flipping framing does not.
  auto read = [](const Bytes& bytes) {
    try {
      zcArchive in(bytes);
      Sample r;
      r.serialize(in);
      return true;
    } catch (const zcException&) {
      return false;
    }
  };
  const Bytes& good = out.bytes();
  ASSERT_TRUE(read(good));
  for (std::size_t n = 0; n < good.size(); ++n)
    EXPECT_FALSE(read(Bytes(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(n)))) << "cut at " << n;
  std::size_t accepted = 0;
  for (std::size_t k = 0; k < good.size(); ++k) accepted += read(withByte(good, k, good[k] ^ 0xFF));
  EXPECT_GT(accepted, 0u);
  EXPECT_LT(accepted, good.size());
}

// Fixed widths, little-endian; out-of-range values and zero-size raw transfers (found
// by fuzzing: an empty pel buffer hands raw() a null pointer) write nothing.
TEST(ArchivePrimitives, ByteFormAndRefusedValues) {
  zcArchive out;
  for (long v : {static_cast<long>(INT_MAX) + 1, static_cast<long>(INT_MIN) - 1})
    EXPECT_THROW(out || v, zcArchive::ValueOutOfRange) << v;
  unsigned long ubig = 0x100000000ul;
  EXPECT_THROW(out || ubig, zcArchive::ValueOutOfRange);
  out.raw(nullptr, 0);
  long l = 0x01020304;
  unsigned long ul = 0xA0B0C0D0ul;
  double d = 1.0;  // 0x3FF0000000000000
  std::wstring w = L"A\U0001F600";
  bool t = true;
  out || l || ul || d || w || t;
  const Bytes expected = {
      'z', 'f', 'A', 'R', 1, 0, 0, 0,                  // the header
      0x04, 0x03, 0x02, 0x01,                          // long: 4 bytes
      0xD0, 0xC0, 0xB0, 0xA0,                          // unsigned long: 4 bytes
      0, 0, 0, 0, 0, 0, 0xF0, 0x3F,                    // double
      3, 0, 0, 0, 0x41, 0, 0x3D, 0xD8, 0x00, 0xDE,      // UTF-16 count 3: 'A', surrogate pair
      1};                                              // bool
  EXPECT_EQ(out.bytes(), expected);
  zcArchive in(zcArchive().bytes());
  in.raw(nullptr, 0);
  EXPECT_EQ(in.remaining(), 0u);
}

TEST(ArchiveObjects, SharedVirtualBaseIsWrittenOnce) {
  Diamond d;
  d.baseValue = 11;
  d.Left::value = 22;
  d.Right::value = 33;
  zcArchive out;
  out || d;
  // Diamond, Left, Base, Right versions (1 byte each) and three longs.
  EXPECT_EQ(out.bytes().size(), kHeader + 4 + 3 * 4);

  Diamond r;
  zcArchive in(out.bytes());
  in || r;
  EXPECT_EQ(r.baseValue, 11);
  EXPECT_EQ(r.Left::value, 22);
  EXPECT_EQ(r.Right::value, 33);

  // In place, without the pointer machinery.
  Diamond simple;
  zcArchive again(out.bytes());
  simple.loadSimple(again);
  EXPECT_EQ(simple.baseValue, 11);
  EXPECT_THROW(simple.loadSimple(out), zcArchive::BadFormat);  // not a loading archive
  // Slots: the destructor (two entries), dispatchSerialize, reInit, loadSimple.
  EXPECT_EQ(SlotOf::all(), std::make_tuple(2, 3, 4));

  // A second object of a pass is written whole again: the marks belong to the pass.
  out || d;
  EXPECT_EQ(out.bytes().size(), kHeader + 2 * (4 + 3 * 4));
}

TEST(ArchiveObjects, CyclesDeepNestingAndMalformedFormsAreRefused) {
  zcPtrHandle<Node> a(new Node);
  a->left = new Node;
  a->left->left = a;  // a cycle
  zcArchive out;
  EXPECT_THROW(out || a, zcArchive::BadReference);
  a->left->left = zcPtrHandle<Node>();  // break it so the nodes are freed

  zcPtrHandle<Node> head(new Node);
  zcPtrHandle<Node> tail = head;
  for (int i = 0; i < zkMaxArchiveDepth + 5; ++i) {
    tail->left = new Node;
    tail = tail->left;
  }
  EXPECT_THROW(out || head, zcArchive::TooDeep);
  // Break the chain iteratively so that freeing it does not recurse deeply.
  while (head) head = zcPtrHandle<Node>(head->left);

  // Reading refuses malformed object forms.
  Bytes renamed = nodeForm("test::Node");
  renamed[2 + 6] = 'X';  // "test::Xode"
  zcArchive other;
  zcPersistent* o = new zcShapesError::BadParams(L"x");  // registered, but not a Node
  other.serializePointer(o);
  delete o;
  // A child that refers back to its parent (object 1) while the parent is read.
  Bytes parent = nodeForm("test::Node");
  parent.resize(parent.size() - 2);
  for (unsigned char c : {2, 1, 0, 0, 0, 0}) parent.push_back(c);
  Bytes deep;  // each node opens a new left child
  for (int i = 0; i < zkMaxArchiveDepth + 5; ++i) {
    const Bytes node = nodeForm("test::Node");
    deep.insert(deep.end(), node.begin(), node.end() - 2);
  }
  const std::pair<Bytes, std::string> rows[] = {
      {archiveOf({9}), "zcArchive::BadFormat"},               // no such tag
      {archiveOf({2, 1, 0, 0, 0}), "zcArchive::BadReference"},  // an object not read yet
      {archiveOf(renamed), "zcArchive::UnknownClass"},
      {other.bytes(), "zcArchive::WrongClass"},  // and the object it made is freed
      {archiveOf(parent), "zcArchive::BadReference"},
      {archiveOf(deep), "zcArchive::TooDeep"}};
  for (const auto& [bytes, error] : rows) {
    zcArchive in(bytes);
    zcPtrHandle<Node> r;
    try {
      in || r;
      ADD_FAILURE() << "accepted; expected " << error;
    } catch (const zcException& e) {
      EXPECT_EQ(zc_Instantiator::nameOf(e), error);
    }
    EXPECT_FALSE(r);
  }
}

TEST(ArchiveFiles, StoreThenLoad) {
  const std::string path = ::testing::TempDir() + "archive_test.zfar";
  {
    zcFileArchive out(path, zcFileArchive::eStore);
    long v = 42;
    std::wstring w = L"file";
    out || v || w;
    out.close();
  }
  zcFileArchive in(path, zcFileArchive::eLoad);
  long v = 0;
  std::wstring w;
  in || v || w;
  EXPECT_EQ(v, 42);
  EXPECT_EQ(w, L"file");
  std::remove(path.c_str());

  EXPECT_THROW(zcFileArchive("/nonexistent/dir/x.zfar", zcFileArchive::eLoad), zcArchive::IOError);
  zcFileArchive bad("/nonexistent/dir/x.zfar", zcFileArchive::eStore);
  EXPECT_THROW(bad.close(), zcArchive::IOError);
}
