// tSmartPtr and tSmartPtrVector: random copies, moves, reassignments, resets and out-parameters
// keep every count equal to the number of pointers holding the object, also from derived classes.
#include <gtest/gtest.h>

#include <random>
#include <utility>

#include "orvutil/foundation.h"

using Orv::tSmartPtr;

namespace {

// Counts references without ever deleting itself, so that tests can read the count at the end.
class CCounted {
 public:
  unsigned long AddRef() { return ++refs; }
  unsigned long Release() { return --refs; }
  long refs = 0;
};

class CDerived : public CCounted {};

}  // namespace

TEST(SmartPtr, CountsEqualTheHoldersAfterRandomAssignments) {
  std::mt19937 random(17u);
  CDerived objects[3];  // held through pointers to their base
  {
    tSmartPtr<CCounted> slots[5];
    for (int step = 0; step < 3000; ++step) {
      tSmartPtr<CCounted>& a = slots[random() % 5];
      tSmartPtr<CCounted>& b = slots[random() % 5];
      CDerived* object = random() % 4 ? &objects[random() % 3] : nullptr;
      CCounted* raw = nullptr;
      switch (random() % 10) {
        case 0: a = b; break;
        case 1: a = std::move(b); break;
        case 2: a = object; break;
        case 3: a.Reset(); break;
        case 4: a = tSmartPtr<CCounted>(tSmartPtr<CDerived>(object)); break;  // from a derived class
        case 5: a = a.Get(); break;
        case 6: if (object) object->AddRef(); a.Attach(object); break;  // a reference the caller owned
        case 7: raw = a.Detach(); b.Attach(raw); break;
        case 8: *a.Receive() = object; if (object) object->AddRef(); break;  // a creator filling it
        case 9: ASSERT_TRUE(a.CopyTo(&raw)); if (raw) raw->Release(); break;
      }
      for (CCounted& o : objects) {
        long holders = 0;
        for (const tSmartPtr<CCounted>& slot : slots) holders += slot.Get() == &o;
        ASSERT_EQ(holders, o.refs) << "step " << step;
      }
    }
    EXPECT_FALSE(slots[0].CopyTo(nullptr));
  }
  for (CCounted& o : objects) EXPECT_EQ(0, o.refs);
}

TEST(SmartPtr, VectorsHoldOneReferencePerElement) {
  CCounted object;
  {
    Orv::tSmartPtrVector<CCounted, 2> vector;
    for (int i = 0; i < 20; ++i) vector.PushBack(tSmartPtr<CCounted>(&object));
    vector.Erase(0, 5);
    Orv::tSmartPtrVector<CCounted, 2> more(vector);
    EXPECT_EQ(30, object.refs);
  }
  EXPECT_EQ(0, object.refs);
}
