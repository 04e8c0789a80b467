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
