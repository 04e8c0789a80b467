#include "zfound/handle.h"

#include <gtest/gtest.h>

namespace {

class Counted : public zcRepBase {
public:
  explicit Counted(int* deaths) : deaths_(deaths) {}
  ~Counted() override { ++*deaths_; }
  int value = 0;

private:
  int* deaths_;
};

class Derived : public Counted {
public:
  using Counted::Counted;
};

}  // namespace

TEST(Handles, LastHandleDeletesTheRepresentation) {
  int deaths = 0;
  {
    zcPtrHandle<Counted> a(new Counted(&deaths));
    EXPECT_EQ(a->refCount(), 1);
    {
      zcPtrHandle<Counted> b = a;
      zcPtrHandle_const<Counted> c = a;
      EXPECT_EQ(a->refCount(), 3);
      EXPECT_TRUE(b == a);
      b->value = 5;
      EXPECT_EQ(c->value, 5);
    }
    EXPECT_EQ(a->refCount(), 1);
    zcPtrHandle<Counted> unshared(new Counted(*a));  // a copy of the representation starts unshared
    EXPECT_EQ(unshared->refCount(), 1);
    zcPtrHandle<Counted> moved = std::move(a);
    EXPECT_FALSE(a);
    EXPECT_EQ(moved->refCount(), 1);
    EXPECT_EQ(deaths, 0);
  }
  EXPECT_EQ(deaths, 2);
}

TEST(Handles, ConversionsAssignmentAndEmptyHandles) {
  int deaths = 0;
  zcPtrHandle<Derived> d(new Derived(&deaths));
  zcPtrHandle<Counted> base = d;
  zcPtrHandle_const<Counted> constBase = d;
  EXPECT_EQ(base.rep(), d.rep());
  EXPECT_EQ(d->refCount(), 3);

  zcPtrHandle<Counted> other(new Counted(&deaths));
  base = other;  // d keeps its object; nothing is freed yet
  EXPECT_EQ(deaths, 0);
  other = zcPtrHandle<Counted>();
  base = base;  // self-assignment keeps the object
  EXPECT_EQ(base->refCount(), 1);
  base = zcPtrHandle<Counted>();
  EXPECT_EQ(deaths, 1);

  zcPtrHandle<Counted> empty;
  EXPECT_THROW(empty->value = 1, zcBadPointer);
  EXPECT_THROW(*empty, zcBadPointer);
}
