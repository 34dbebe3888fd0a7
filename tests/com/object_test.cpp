// Objects: creation through creator functions, QueryInterface rules, the release sequence, module
// object counts, categories and class names.
#include <gtest/gtest.h>

#include "orvutil/com.h"
#include "test_objects.h"

namespace {

using namespace ComTest;

template <class T, class I = Orv::IComObject>
I* Create() {
  I* object = nullptr;
  EXPECT_EQ(S_OK,
            Orv::CComObject<T>::CreateInstance(nullptr, GUID_NULL, __uuidof(I), reinterpret_cast<void**>(&object)));
  return object;
}

// The test classes' switches are shared with other suites: each test starts and ends with them off.
class ObjectTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CCounter::s_destructs = CCounter::s_deletes = 0;
    TearDown();
  }
  void TearDown() override {
    CCounter::s_onDestruct = nullptr;
    CCategorized::s_failConstruct = false;
  }
};

// A creator answers its own class or GUID_NULL, with the interface asked for (the class GUID gives
// the implementation, with its one reference), and refuses anything else without leaking the object.
TEST_F(ObjectTest, CreatorsAnswerTheirClassOnlyAndLeakNothing) {
  auto create = &Orv::CComObject<CCounter>::CreateInstance;
  void* out = reinterpret_cast<void*>(1);
  EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, create(nullptr, __uuidof(CCategorized), __uuidof(ICounter), &out));
  EXPECT_EQ(E_INVALIDARG, create(nullptr, GUID_NULL, __uuidof(ICounter), nullptr));
  EXPECT_EQ(E_INVALIDARG, Orv::CComObject<CCounter>::CreateObject(nullptr, nullptr));
  EXPECT_EQ(E_NOINTERFACE, create(nullptr, GUID_NULL, IID_IClassFactory, &out));
  EXPECT_TRUE(out == nullptr && CCounter::s_deletes == 1);
  ASSERT_EQ(S_OK, create(nullptr, __uuidof(CCounter), __uuidof(CCounter), &out));
  CCounter* counter = dynamic_cast<CCounter*>(static_cast<Orv::CComBaseEx*>(out));
  ASSERT_NE(nullptr, counter);
  EXPECT_EQ(0u, counter->_Release());
  EXPECT_EQ(2, CCounter::s_deletes);
}

// Every interface gives the one identity; refusals clear the output. References taken inside
// _Destruct do not end the object twice.
TEST_F(ObjectTest, QueryInterfaceFollowsTheIdentityRulesAndTheObjectEndsOnce) {
  ICounter* counter = Create<CCounter, ICounter>();
  ASSERT_NE(nullptr, counter);
  auto comObject = Query<Orv::IComObject>(counter);
  auto identity = Query<IUnknown>(counter);
  EXPECT_TRUE(identity && identity == Query<IUnknown>(comObject) && identity == static_cast<IUnknown*>(comObject));
  void* out = reinterpret_cast<void*>(1);
  EXPECT_EQ(E_NOINTERFACE, counter->QueryInterface(IID_IProvideClassInfo, &out));
  EXPECT_EQ(nullptr, out);
  EXPECT_EQ(E_INVALIDARG, counter->QueryInterface(__uuidof(ICounter), nullptr));
  EXPECT_EQ(3, dynamic_cast<CCounter*>(counter)->_GetRefCount());
  comObject.Reset(), identity.Reset();
  EXPECT_EQ(0, CCounter::s_deletes);
  CCounter::s_onDestruct = [](CCounter* self) {
    self->_GetUnknown()->AddRef();
    self->_GetUnknown()->Release();
  };
  EXPECT_EQ(0u, counter->Release());
  EXPECT_TRUE(CCounter::s_destructs == 1 && CCounter::s_deletes == 1);
}

// Objects count against their module and report their class; a failed construction leaves nothing.
// The category comes from the class, else from its module record, cached past the record's end.
TEST_F(ObjectTest, ModuleCountsNamesAndCategories) {
  Orv::CModule& module = Orv::GetThisModule();
  long before = module.GetObjectCount();
  Orv::IComObject* object = Create<CCounter>();
  EXPECT_EQ(L"ComTest::CCounter", std::wstring(object->GetClassName().c_str()));
  EXPECT_EQ(GuidText(__uuidof(CCounter)), GuidText(object->GetClassID()));
  EXPECT_EQ(GuidText(GUID_NULL), GuidText(object->GetCategoryID()));
  object->Release();
  CCategorized::s_failConstruct = true;
  CCategorized* failed = reinterpret_cast<CCategorized*>(1);
  EXPECT_EQ(E_FAIL, Orv::CComObject<CCategorized>::CreateObject(nullptr, &failed));
  EXPECT_EQ(nullptr, failed);
  EXPECT_EQ(before, module.GetObjectCount());
  CCategorized::s_failConstruct = false;
  object = Create<CCategorized>();
  EXPECT_EQ(GuidText(kOwnCategory), GuidText(object->GetCategoryID()));
  object->Release();

  GUID const recorded = {0x9a3e1f30, 0x4b2c, 0x4d1e, {0x8f, 0x10, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66}};
  ASSERT_TRUE(module.SetClassInfo(__uuidof(CUncategorized), recorded, GUID_NULL, L"Uncategorized",
                                  &Orv::CComObject<CUncategorized>::CreateInstance));
  object = Create<CUncategorized>();
  EXPECT_EQ(GuidText(recorded), GuidText(object->GetCategoryID()));
  EXPECT_TRUE(module.SetClassInfo(__uuidof(CUncategorized), GUID_NULL, GUID_NULL, L"", nullptr));
  EXPECT_EQ(GuidText(recorded), GuidText(object->GetCategoryID()));
  object->Release();
}

}  // namespace
