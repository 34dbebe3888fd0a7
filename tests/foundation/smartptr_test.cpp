// tSmartPtr and tSmartPtrVector: random copies, moves, reassignments and resets keep every count
// equal to the number of pointers holding the object; out-parameters and named interfaces.
#include <gtest/gtest.h>

#include <random>
#include <utility>

#include "orvutil/foundation.h"

using Orv::tSmartPtr;
using Orv::tSmartPtrVector;

namespace {

struct ICounted {
  virtual unsigned long AddRef() = 0;
  virtual unsigned long Release() = 0;
};

// Counts references without ever deleting itself, so that tests can read the count at the end.
class CCounted : public ICounted {
 public:
  unsigned long AddRef() override {
    ++adds;
    return ++refs;
  }
  unsigned long Release() override {
    ++releases;
    return --refs;
  }
  long refs = 0;
  int adds = 0;
  int releases = 0;
};

class CDerived : public CCounted {};

// Two interfaces, each with its own count: the second template argument picks one.
struct IOther {
  virtual unsigned long AddRef() = 0;
  virtual unsigned long Release() = 0;
};
class CTwoFaced : public CCounted, public IOther {
 public:
  unsigned long AddRef() override { return CCounted::AddRef(); }
  unsigned long Release() override { return CCounted::Release(); }
};

}  // namespace

TEST(SmartPtr, CountsEqualTheHoldersAfterRandomAssignments) {
  std::mt19937 random(17u);
  CCounted objects[3];
  {
    tSmartPtr<CCounted> slots[5];
    for (int step = 0; step < 3000; ++step) {
      tSmartPtr<CCounted>& a = slots[random() % 5];
      tSmartPtr<CCounted>& b = slots[random() % 5];
      CCounted* object = random() % 4 ? &objects[random() % 3] : nullptr;
      switch (random() % 6) {
        case 0: a = b; break;
        case 1: a = std::move(b); break;
        case 2: a = object; break;
        case 3: a.Reset(); break;
        case 4: a = tSmartPtr<CCounted>(object); break;
        case 5: a = a.Get(); break;
      }
      for (CCounted& o : objects) {
        long holders = 0;
        for (const tSmartPtr<CCounted>& slot : slots) holders += slot.Get() == &o;
        ASSERT_EQ(holders, o.refs) << "step " << step;
      }
    }
  }
  for (CCounted& o : objects) EXPECT_EQ(0, o.refs);
}

TEST(SmartPtr, OutParametersAndNamedInterfaces) {
  CCounted object;
  object.AddRef();  // a reference the test owns
  tSmartPtr<CCounted> p;
  p.Attach(&object);
  CCounted* raw = p.Detach();
  EXPECT_EQ(nullptr, p.Get());
  tSmartPtr<CCounted> holder(&object);
  CCounted** slot = holder.Receive();  // releases what it held, for a creator to fill
  EXPECT_EQ(1, object.refs);
  *slot = raw;
  CCounted* copy = nullptr;
  EXPECT_TRUE(holder.CopyTo(&copy));
  EXPECT_FALSE(holder.CopyTo(nullptr));
  EXPECT_EQ(2, object.refs);
  copy->Release();
  holder.Reset();
  EXPECT_EQ(0, object.refs);

  CTwoFaced two;
  CDerived derived;
  {
    tSmartPtr<CTwoFaced, IOther> q(&two), r = q;
    tSmartPtr<CDerived> d(&derived);
    tSmartPtr<ICounted> base(d);
    EXPECT_EQ(2, two.refs);
    EXPECT_EQ(2, derived.refs);
    tSmartPtrVector<CCounted, 2> vector;
    for (int i = 0; i < 20; ++i) vector.PushBack(tSmartPtr<CCounted>(&object));
    vector.Erase(0, 5);
    tSmartPtrVector<CCounted, 2> more(vector);
    EXPECT_EQ(30, object.refs);
  }
  EXPECT_EQ(0, two.refs);
  EXPECT_EQ(0, derived.refs);
  EXPECT_EQ(0, object.refs);
}
