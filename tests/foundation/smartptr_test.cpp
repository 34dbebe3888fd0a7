// tSmartPtr and tSmartPtrVector: every copy, move, reassignment and release keeps the reference
// count of a counting fake interface exact.
#include <gtest/gtest.h>

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

TEST(SmartPtr, ConstructionAddsAndDestructionReleases) {
  CCounted object;
  {
    tSmartPtr<CCounted> p(&object);
    EXPECT_EQ(1, object.refs);
    EXPECT_EQ(&object, p.Get());
    EXPECT_EQ(&object, static_cast<CCounted*>(p));
  }
  EXPECT_EQ(0, object.refs);
  tSmartPtr<CCounted> empty;
  EXPECT_EQ(nullptr, empty.Get());
  tSmartPtr<CCounted> fromNull(nullptr);
  EXPECT_TRUE(fromNull == nullptr);
}

TEST(SmartPtr, CopyAddsAReference) {
  CCounted object;
  tSmartPtr<CCounted> a(&object);
  {
    tSmartPtr<CCounted> b(a);
    EXPECT_EQ(2, object.refs);
    tSmartPtr<CCounted> c;
    c = b;
    EXPECT_EQ(3, object.refs);
    EXPECT_TRUE(a == c);
  }
  EXPECT_EQ(1, object.refs);
}

TEST(SmartPtr, MoveTransfersWithoutCounting) {
  CCounted object;
  tSmartPtr<CCounted> a(&object);
  tSmartPtr<CCounted> b(std::move(a));
  EXPECT_EQ(1, object.refs);
  EXPECT_EQ(1, object.adds);
  EXPECT_EQ(nullptr, a.Get());
  EXPECT_EQ(&object, b.Get());
  tSmartPtr<CCounted> c;
  c = std::move(b);
  EXPECT_EQ(1, object.refs);
  EXPECT_EQ(0, object.releases);
  EXPECT_EQ(nullptr, b.Get());
  CCounted other;
  tSmartPtr<CCounted> d(&other);
  d = std::move(c);  // the object d held is released
  EXPECT_EQ(0, other.refs);
  EXPECT_EQ(1, object.refs);
}

TEST(SmartPtr, ReassignReleasesTheOldObject) {
  CCounted first, second;
  tSmartPtr<CCounted> p(&first);
  p = &second;
  EXPECT_EQ(0, first.refs);
  EXPECT_EQ(1, second.refs);
  p = nullptr;
  EXPECT_EQ(0, second.refs);
  p = nullptr;  // releasing nothing is fine
  EXPECT_EQ(1, second.releases);
}

TEST(SmartPtr, SelfAssignmentKeepsTheCount) {
  CCounted object;
  tSmartPtr<CCounted> p(&object);
  tSmartPtr<CCounted>& alias = p;
  p = alias;
  EXPECT_EQ(1, object.refs);
  EXPECT_EQ(&object, p.Get());
  p = std::move(alias);
  EXPECT_EQ(1, object.refs);
  EXPECT_EQ(&object, p.Get());
  p = p.Get();
  EXPECT_EQ(1, object.refs);
}

TEST(SmartPtr, AttachDetachReceiveCopyTo) {
  CCounted object;
  object.AddRef();  // a reference the test owns
  tSmartPtr<CCounted> p;
  p.Attach(&object);
  EXPECT_EQ(1, object.refs);
  CCounted* raw = p.Detach();
  EXPECT_EQ(&object, raw);
  EXPECT_EQ(1, object.refs);
  EXPECT_EQ(nullptr, p.Get());

  tSmartPtr<CCounted> holder(&object);  // refs 2
  CCounted** slot = holder.Receive();   // released for the out-parameter
  EXPECT_EQ(1, object.refs);
  EXPECT_EQ(nullptr, *slot);
  *slot = raw;  // a creator hands out its reference this way
  EXPECT_EQ(&object, holder.Get());

  CCounted* copy = nullptr;
  EXPECT_TRUE(holder.CopyTo(&copy));
  EXPECT_EQ(&object, copy);
  EXPECT_EQ(2, object.refs);
  EXPECT_FALSE(holder.CopyTo(nullptr));
  EXPECT_EQ(2, object.refs);
  copy->Release();
  holder.Reset();
  EXPECT_EQ(0, object.refs);
}

TEST(SmartPtr, ConvertsFromDerived) {
  CDerived object;
  tSmartPtr<CDerived> derived(&object);
  tSmartPtr<CCounted> base(derived);
  EXPECT_EQ(2, object.refs);
  EXPECT_EQ(static_cast<CCounted*>(&object), base.Get());
  tSmartPtr<ICounted> face(&object);
  EXPECT_EQ(3, object.refs);
  face->Release();
  face->AddRef();
  EXPECT_EQ(3, object.refs);
}

TEST(SmartPtr, CountsThroughTheNamedInterface) {
  CTwoFaced object;
  {
    tSmartPtr<CTwoFaced, IOther> p(&object);
    EXPECT_EQ(1, object.refs);
    tSmartPtr<CTwoFaced, IOther> q = p;
    EXPECT_EQ(2, object.refs);
  }
  EXPECT_EQ(0, object.refs);
}

TEST(SmartPtrVector, ElementsHoldReferences) {
  CCounted object;
  {
    tSmartPtrVector<CCounted, 2> vector;
    for (int i = 0; i < 20; ++i) vector.PushBack(tSmartPtr<CCounted>(&object));  // grows past inline storage
    EXPECT_EQ(20, object.refs);
    vector.Erase(0, 5);
    EXPECT_EQ(15, object.refs);
    tSmartPtrVector<CCounted, 2> copy(vector);
    EXPECT_EQ(30, object.refs);
    copy.Clear();
    EXPECT_EQ(15, object.refs);
  }
  EXPECT_EQ(0, object.refs);
}
