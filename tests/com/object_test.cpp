// Objects: creation through creator functions, QueryInterface rules, the release sequence, module
// object counts, categories and class names.
#include <gtest/gtest.h>

#include "orvutil/com.h"
#include "test_objects.h"

namespace {

using ComTest::CCategorized;
using ComTest::CCounter;
using ComTest::CUncategorized;
using ComTest::ICounter;
using ComTest::IExtraCounter;

template <class T>
HRESULT Create(GUID const& clsid, GUID const& iid, void** ppv) {
  return Orv::CComObject<T>::CreateInstance(nullptr, clsid, iid, ppv);
}

std::wstring GuidText(GUID const& guid) {
  return Orv::StringFromGUID(guid).c_str();
}

// The test classes' switches are shared with other suites: each test starts and ends with them off.
class ObjectTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CCounter::s_destructs = CCounter::s_deletes = 0;
    ResetSwitches();
  }
  void TearDown() override { ResetSwitches(); }
  static void ResetSwitches() {
    CCounter::s_onDestruct = nullptr;
    CCategorized::s_failConstruct = false;
  }
};

// A creator answers its own class or GUID_NULL, with the interface asked for (the class GUID gives
// the implementation), and refuses anything else without leaking the object.
TEST_F(ObjectTest, CreatorsAnswerTheirClassOnlyAndLeakNothing) {
  void* out = reinterpret_cast<void*>(1);
  EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, Create<CCounter>(__uuidof(CCategorized), __uuidof(ICounter), &out));
  EXPECT_EQ(E_INVALIDARG, Create<CCounter>(GUID_NULL, __uuidof(ICounter), nullptr));
  EXPECT_EQ(E_INVALIDARG, Orv::CComObject<CCounter>::CreateObject(nullptr, nullptr));
  EXPECT_EQ(E_NOINTERFACE, Create<CCounter>(GUID_NULL, IID_IClassFactory, &out));
  EXPECT_EQ(nullptr, out);
  EXPECT_EQ(1, CCounter::s_deletes);
  ASSERT_EQ(S_OK, Create<CCounter>(__uuidof(CCounter), __uuidof(CCounter), &out));
  CCounter* counter = dynamic_cast<CCounter*>(static_cast<Orv::CComBaseEx*>(out));
  ASSERT_NE(nullptr, counter);
  EXPECT_EQ(1, counter->_GetRefCount());
  EXPECT_EQ(0u, counter->_Release());
  EXPECT_EQ(2, CCounter::s_deletes);
}

TEST_F(ObjectTest, QueryInterfaceFollowsTheIdentityRules) {
  IExtraCounter* extra = nullptr;
  ASSERT_EQ(S_OK, Create<CCounter>(GUID_NULL, __uuidof(IExtraCounter), reinterpret_cast<void**>(&extra)));
  ICounter* counter = nullptr;
  ASSERT_EQ(S_OK, extra->QueryInterface(__uuidof(ICounter), reinterpret_cast<void**>(&counter)));
  IUnknown* fromExtra = nullptr;
  IUnknown* fromCounter = nullptr;
  Orv::IComObject* comObject = nullptr;
  ASSERT_EQ(S_OK, extra->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&fromExtra)));
  ASSERT_EQ(S_OK, counter->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&fromCounter)));
  ASSERT_EQ(S_OK, counter->QueryInterface(__uuidof(Orv::IComObject), reinterpret_cast<void**>(&comObject)));
  EXPECT_EQ(fromExtra, fromCounter);
  EXPECT_EQ(static_cast<IUnknown*>(comObject), fromExtra);

  void* implementation = nullptr;
  ASSERT_EQ(S_OK, comObject->QueryInterface(__uuidof(CCounter), &implementation));
  EXPECT_EQ(static_cast<Orv::CComBaseEx*>(dynamic_cast<CCounter*>(counter)), implementation);
  static_cast<Orv::CComBaseEx*>(implementation)->_GetUnknown()->Release();

  void* out = reinterpret_cast<void*>(1);
  EXPECT_EQ(E_NOINTERFACE, counter->QueryInterface(IID_IProvideClassInfo, &out));
  EXPECT_EQ(nullptr, out);
  EXPECT_EQ(E_INVALIDARG, counter->QueryInterface(__uuidof(ICounter), nullptr));
  EXPECT_EQ(5, dynamic_cast<CCounter*>(counter)->_GetRefCount());
  for (IUnknown* p : {static_cast<IUnknown*>(counter), fromExtra, fromCounter, static_cast<IUnknown*>(comObject)}) {
    p->Release();
  }
  EXPECT_EQ(0, CCounter::s_deletes);
  EXPECT_EQ(0u, extra->Release());
  EXPECT_EQ(1, CCounter::s_deletes);
}

TEST_F(ObjectTest, ReferencesTakenInsideDestructDoNotEndTheObjectTwice) {
  CCounter::s_onDestruct = [](CCounter* self) {
    self->_GetUnknown()->AddRef();
    self->_GetUnknown()->Release();
  };
  ICounter* counter = nullptr;
  ASSERT_EQ(S_OK, Create<CCounter>(GUID_NULL, __uuidof(ICounter), reinterpret_cast<void**>(&counter)));
  counter->Release();
  EXPECT_EQ(1, CCounter::s_destructs);
  EXPECT_EQ(1, CCounter::s_deletes);
}

TEST_F(ObjectTest, ObjectsCountAgainstTheirModuleAndFailedConstructionLeavesNothing) {
  long before = Orv::GetThisModule().GetObjectCount();
  Orv::IComObject* object = nullptr;
  ASSERT_EQ(S_OK, Create<CCounter>(GUID_NULL, __uuidof(Orv::IComObject), reinterpret_cast<void**>(&object)));
  EXPECT_EQ(before + 1, Orv::GetThisModule().GetObjectCount());
  EXPECT_EQ(&Orv::GetThisModule(), object->GetModule());
  EXPECT_EQ(L"ComTest::CCounter", std::wstring(object->GetClassName().c_str()));
  EXPECT_EQ(GuidText(__uuidof(CCounter)), GuidText(object->GetClassID()));
  object->Release();
  CCategorized::s_failConstruct = true;
  CCategorized* failed = reinterpret_cast<CCategorized*>(1);
  EXPECT_EQ(E_FAIL, Orv::CComObject<CCategorized>::CreateObject(nullptr, &failed));
  EXPECT_EQ(nullptr, failed);
  EXPECT_EQ(before, Orv::GetThisModule().GetObjectCount());
}

TEST_F(ObjectTest, CategoryComesFromTheClassOrItsModuleRecord) {
  Orv::CModule& module = Orv::GetThisModule();
  GUID const recorded = {0x9a3e1f30, 0x4b2c, 0x4d1e, {0x8f, 0x10, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66}};
  ASSERT_TRUE(module.SetClassInfo(__uuidof(CUncategorized), recorded, GUID_NULL, L"Uncategorized",
                                  &Orv::CComObject<CUncategorized>::CreateInstance));
  Orv::IComObject* object = nullptr;
  ASSERT_EQ(S_OK, Create<CUncategorized>(GUID_NULL, __uuidof(Orv::IComObject), reinterpret_cast<void**>(&object)));
  EXPECT_EQ(GuidText(recorded), GuidText(object->GetCategoryID()));
  // The cached copy outlives the record.
  EXPECT_TRUE(module.SetClassInfo(__uuidof(CUncategorized), GUID_NULL, GUID_NULL, L"", nullptr));
  EXPECT_EQ(GuidText(recorded), GuidText(object->GetCategoryID()));
  object->Release();

  ASSERT_EQ(S_OK, Create<CCategorized>(GUID_NULL, __uuidof(Orv::IComObject), reinterpret_cast<void**>(&object)));
  EXPECT_EQ(GuidText(ComTest::kOwnCategory), GuidText(object->GetCategoryID()));
  object->Release();
  ASSERT_EQ(S_OK, Create<CCounter>(GUID_NULL, __uuidof(Orv::IComObject), reinterpret_cast<void**>(&object)));
  EXPECT_EQ(GuidText(GUID_NULL), GuidText(object->GetCategoryID()));
  object->Release();
}

class CStaticCounter : public Orv::CComBaseNoRef, public ICounter {
 public:
  ORV_INTERFACES(ICounter)
  long Value() override { return 9; }
};

}  // namespace

ORV_CLASS_GUID(CStaticCounter, 0x9a3e1f41, 0x4b2c, 0x4d1e, 0x8f, 0x10, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66)

namespace {

TEST_F(ObjectTest, NoRefObjectsReportOneAndSurviveRelease) {
  Orv::CComObject<CStaticCounter> object;
  EXPECT_EQ(1, object._GetRefCount());
  EXPECT_EQ(1u, object.AddRef());
  EXPECT_EQ(1u, object.Release());
  EXPECT_EQ(1u, object.Release());
  ICounter* counter = nullptr;
  ASSERT_EQ(S_OK, object.QueryInterface(__uuidof(ICounter), reinterpret_cast<void**>(&counter)));
  EXPECT_EQ(9, counter->Value());
}

}  // namespace
