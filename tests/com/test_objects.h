// Small object classes and helpers shared by the component-model tests.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <functional>
#include <string>

#include "../support/new_object.h"
#include "orvutil/com.h"

namespace ComTest {

struct ICounter : public IUnknown {};

inline constexpr GUID kOwnCategory = {0x9a3e1f20, 0x4b2c, 0x4d1e, {0x8f, 0x10, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66}};

// Records its construction and end; an optional hook runs inside _Destruct.
class CCounter : public Orv::CComBase, public ICounter {
 public:
  ORV_INTERFACES(ICounter)

  void _Destruct() override {
    ++s_destructs;
    if (s_onDestruct) s_onDestruct(this);
    CComBase::_Destruct();
  }
  ~CCounter() override { ++s_deletes; }

  static inline int s_destructs = 0;
  static inline int s_deletes = 0;
  static inline std::function<void(CCounter*)> s_onDestruct;
};

// Declares a category of its own and fails its construction on request.
class CCategorized : public Orv::CComBaseUnsafe, public ICounter {
 public:
  ORV_INTERFACES(ICounter)

  GUID const& _GetCategoryID() const override { return kOwnCategory; }
  long _Construct(IUnknown* outer) override {
    long hr = CComBaseUnsafe::_Construct(outer);
    return s_failConstruct ? E_OUTOFMEMORY : hr;
  }
  static inline bool s_failConstruct = false;
};

// Declares no category: the category comes from its module's class table.
class CUncategorized : public Orv::CComBase, public ICounter {
 public:
  ORV_INTERFACES(ICounter)
};

using OrvTest::New;

inline std::wstring GuidText(GUID const& guid) {
  return Orv::StringFromGUID(guid).c_str();
}

// The interface I of `object`, or null.
template <class I>
Orv::tSmartPtr<I> Query(IUnknown* object, GUID const& iid = __uuidof(I)) {
  Orv::tSmartPtr<I> out;
  object->QueryInterface(iid, reinterpret_cast<void**>(out.Receive()));
  return out;
}

// The path with forward slashes and in capitals: the same file to Windows.
inline std::wstring Respelled(std::wstring path) {
  for (wchar_t& c : path) c = c == L'\\' ? L'/' : towupper(c);
  return path;
}

}  // namespace ComTest

ORV_CLASS_GUID(ComTest::ICounter, 0x9a3e1f10, 0x4b2c, 0x4d1e, 0x8f, 0x10, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66)
ORV_CLASS_GUID(ComTest::CCounter, 0x9a3e1f12, 0x4b2c, 0x4d1e, 0x8f, 0x10, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66)
ORV_CLASS_GUID(ComTest::CCategorized, 0x9a3e1f13, 0x4b2c, 0x4d1e, 0x8f, 0x10, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66)
ORV_CLASS_GUID(ComTest::CUncategorized, 0x9a3e1f14, 0x4b2c, 0x4d1e, 0x8f, 0x10, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66)
