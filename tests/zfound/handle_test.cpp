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
  zcPtrHandle<Counted> empty;
  EXPECT_THROW(empty->value = 1, zcBadPointer);
  EXPECT_THROW(*empty, zcBadPointer);
}
