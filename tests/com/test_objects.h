// Small object classes shared by the component-model tests.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <functional>

#include "../support/new_object.h"
#include "orvutil/com.h"

namespace ComTest {

struct ICounter : public IUnknown {
  virtual long Value() = 0;
};

// Records its construction and end; an optional hook runs inside _Destruct.
class CCounter : public Orv::CComBase, public ICounter {
 public:
  ORV_INTERFACES(ICounter)

  long Value() override { return 3; }
  void _Destruct() override {
    ++s_destructs;
    if (s_onDestruct) s_onDestruct(this);
    CComBase::_Destruct();
  }
  ~CCounter() override { ++s_deletes; }

  static int s_destructs;
  static int s_deletes;
  static std::function<void(CCounter*)> s_onDestruct;
};

// Declares a category of its own and fails its construction on request.
class CCategorized : public Orv::CComBaseUnsafe, public ICounter {
 public:
  ORV_INTERFACES(ICounter)

  long Value() override { return 1; }
  GUID const& _GetCategoryID() const override;
  long _Construct(IUnknown* outer) override {
    long hr = CComBaseUnsafe::_Construct(outer);
    return s_failConstruct ? E_OUTOFMEMORY : hr;
  }
  static bool s_failConstruct;
};

// Declares no category: the category comes from its module's class table.
class CUncategorized : public Orv::CComBase, public ICounter {
 public:
  ORV_INTERFACES(ICounter)
  long Value() override { return 2; }
};

extern GUID const kOwnCategory;

using OrvTest::New;

}  // namespace ComTest

ORV_CLASS_GUID(ComTest::ICounter, 0x9a3e1f10, 0x4b2c, 0x4d1e, 0x8f, 0x10, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66)
ORV_CLASS_GUID(ComTest::CCounter, 0x9a3e1f12, 0x4b2c, 0x4d1e, 0x8f, 0x10, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66)
ORV_CLASS_GUID(ComTest::CCategorized, 0x9a3e1f13, 0x4b2c, 0x4d1e, 0x8f, 0x10, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66)
ORV_CLASS_GUID(ComTest::CUncategorized, 0x9a3e1f14, 0x4b2c, 0x4d1e, 0x8f, 0x10, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66)
