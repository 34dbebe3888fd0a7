// Modules: table rules, static registration, identity and lookups, type libraries, the
// single-instance mutex, and a plug-in DLL built on the library.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "orvutil/com.h"
#include "orvutil/version.h"
#include "plugin/plugin_api.h"
#include "test_objects.h"

namespace {

using PluginApi::kWidgetClass;

GUID MakeGuid(unsigned char last) {
  return {0x7d000000, 0x1111, 0x2222, {0x33, 0x44, 0x55, 0x66, 0x77, 0x88, 0x99, last}};
}

std::wstring GuidText(GUID const& guid) {
  return Orv::StringFromGUID(guid).c_str();
}

// Calls `read` on `threads` threads released together; returns what each got.
template <class R, class F>
std::vector<R> RaceFirstUse(unsigned threads, F read) {
  std::vector<R> results(threads);
  std::atomic<unsigned> waiting{threads};
  std::vector<std::thread> runners;
  for (unsigned i = 0; i < threads; ++i) {
    runners.emplace_back([&, i] {
      waiting.fetch_sub(1);
      while (waiting.load() != 0) {
      }
      results[i] = read();
    });
  }
  for (std::thread& t : runners) t.join();
  return results;
}

Orv::ComCreatorFunction const kCreator = &Orv::CComObject<ComTest::CCounter>::CreateInstance;

TEST(ModuleTables, ClassCategoryViewerAndObjectCreatorRules) {
  Orv::CModule module;
  GUID const clsid = MakeGuid(1), other = MakeGuid(2), iid = MakeGuid(3), category = MakeGuid(4), viewer = MakeGuid(6);
  EXPECT_FALSE(module.SetClassInfo(GUID_NULL, GUID_NULL, GUID_NULL, L"null", kCreator));
  ASSERT_TRUE(module.SetClassInfo(clsid, MakeGuid(9), iid, L"First", kCreator));
  EXPECT_FALSE(module.SetClassInfo(clsid, GUID_NULL, GUID_NULL, L"Again", kCreator));
  EXPECT_FALSE(module.SetClassInfo(other, GUID_NULL, iid, L"SameInterface", kCreator));
  ASSERT_NE(nullptr, module.GetClassInfoW(clsid));
  EXPECT_EQ(std::wstring(L"First"), module.GetClassInfoW(clsid)->name.c_str());
  EXPECT_EQ(module.GetClassInfoW(clsid), module.GetClassInfoW(L"First"));
  EXPECT_EQ(nullptr, module.GetClassInfoW(L"Again"));
  EXPECT_EQ(GuidText(clsid), GuidText(module.GetClassForInterface(iid)));
  // Without a creator the class and its interface mapping go.
  EXPECT_TRUE(module.SetClassInfo(clsid, GUID_NULL, iid, L"", nullptr));
  EXPECT_EQ(nullptr, module.GetClassInfoW(clsid));
  EXPECT_EQ(GuidText(GUID_NULL), GuidText(module.GetClassForInterface(iid)));
  EXPECT_TRUE(module.SetClassInfo(other, GUID_NULL, iid, L"Other", kCreator));
  Orv::tVectorPOD<GUID> classes;
  module.GetClasses(classes);
  ASSERT_EQ(1u, classes.Count());
  EXPECT_EQ(GuidText(other), GuidText(classes[0]));

  EXPECT_FALSE(module.SetCategoryInfo(GUID_NULL, L"null", nullptr));
  EXPECT_TRUE(module.SetCategoryInfo(category, L"Things", nullptr));
  EXPECT_FALSE(module.SetCategoryInfo(category, L"Again", kCreator));
  EXPECT_EQ(std::wstring(L"Things"), module.GetCategoryInfo(category)->name.c_str());
  // Viewers: each row is a call and its result, then the viewer of `clsid` it leaves.
  struct {
    GUID of, viewer;
    bool set;
    GUID after;
  } const viewers[] = {{GUID_NULL, viewer, false, GUID_NULL},
                       {clsid, GUID_NULL, false, GUID_NULL},
                       {clsid, viewer, true, viewer},
                       {clsid, MakeGuid(7), false, viewer},
                       {clsid, GUID_NULL, true, GUID_NULL}};
  for (auto const& v : viewers) {
    EXPECT_EQ(v.set, module.SetViewerClass(v.of, v.viewer)) << &v - viewers;
    EXPECT_EQ(GuidText(v.after), GuidText(module.GetViewerClass(clsid))) << &v - viewers;
  }
  EXPECT_FALSE(module.SetObjectCreator(nullptr, clsid, clsid) || module.SetObjectCreator(L"", clsid, clsid));
  EXPECT_TRUE(module.SetObjectCreator(L"thing", clsid, viewer));
  EXPECT_FALSE(module.SetObjectCreator(L"thing", viewer, viewer));
  ASSERT_NE(nullptr, module.GetObjectCreatorInfo(L"thing"));
  EXPECT_EQ(GuidText(viewer), GuidText(module.GetObjectCreatorInfo(L"thing")->createdClass));
  EXPECT_EQ(nullptr, module.GetObjectCreatorInfo(L"Thing"));
}

TEST(ModuleTables, LaterStaticRecordWinsAndFlushHappensOnce) {
  Orv::CModule module;
  static GUID const clsid = MakeGuid(10), first = MakeGuid(11), second = MakeGuid(12);
  Orv::StaticModuleClassInfo older(module, clsid, first, GUID_NULL, L"Older", kCreator);
  Orv::StaticModuleClassInfo newer(module, clsid, second, GUID_NULL, L"Newer", kCreator);
  Orv::StaticModuleObjectCreatorInfo creatorOld(module, L"maker", first, first);
  Orv::StaticModuleObjectCreatorInfo creatorNew(module, L"maker", second, second);
  EXPECT_EQ(nullptr, module.GetClassInfoW(clsid));  // nothing happens before the flush
  module.InternalAtStartup();
  ASSERT_NE(nullptr, module.GetClassInfoW(clsid));
  EXPECT_EQ(std::wstring(L"Newer"), module.GetClassInfoW(clsid)->name.c_str());
  EXPECT_EQ(GuidText(second), GuidText(module.GetObjectCreatorInfo(L"maker")->creatorClass));
  // A direct registration does not displace the record, and a second flush changes nothing.
  EXPECT_TRUE(module.SetClassInfo(clsid, GUID_NULL, GUID_NULL, L"", nullptr));
  module.FlushStaticRegistration();
  EXPECT_EQ(nullptr, module.GetClassInfoW(clsid));
  module.InternalAtShutdown();
  EXPECT_EQ(nullptr, module.GetObjectCreatorInfo(L"maker"));
}

// orvutil.dll records its instance; every lookup finds the library's and the program's modules;
// missing ones give null.
TEST(ModuleIdentity, LookupsFindTheLibraryAndTheProgram) {
  Orv::CModule& library = Orv::GetOrvutilModule();
  EXPECT_TRUE(::GetModuleHandleW(L"orvutil.dll") == Orv::GetOrvutilInstance() &&
              Orv::GetOrvutilInstance() == library.GetInstance());
  EXPECT_EQ(std::wstring(L"" ORVUTIL_INTERNAL_NAME), Orv::GetModuleInternalName(Orv::GetOrvutilInstance()).c_str());
  EXPECT_EQ(std::wstring(L"" ORVUTIL_MODULE_GUID_TEXT), GuidText(library.GetID()));
  for (Orv::CModule* found : {Orv::GetModuleByName(L"ORVUTIL.DLL"), Orv::GetModuleByInstance(Orv::GetOrvutilInstance()),
                              Orv::GetModuleByID(library.GetID())})
    EXPECT_EQ(&library, found);
  EXPECT_EQ(sizeof(void*) * 8, library.GetBuildBits());
  EXPECT_STREQ(sizeof(void*) == 8 ? L"x64" : L"x86", library.GetBuildArch());
  EXPECT_TRUE(&Orv::GetThisModule() == Orv::GetMainModule() &&
              &Orv::GetThisModule() == Orv::GetModuleByInstance(nullptr));
  EXPECT_EQ(GuidText(GUID_NULL), GuidText(Orv::GetThisModule().GetID()));  // no GUID in its resources
  for (Orv::CModule* missing :
       {Orv::GetModuleByName(nullptr), Orv::GetModuleByPath(L""), Orv::GetModuleByIndex(Orv::GetModuleCount())})
    EXPECT_EQ(nullptr, missing);
  EXPECT_EQ(GuidText(GUID_NULL), GuidText(Orv::GetModuleID(L"C:\\no\\such\\file.dll")));
}

// The test plug-in, loaded once for the suite.
class PluginModule : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    s_dll = ::LoadLibraryW(L"orv_test_plugin.dll");
    ASSERT_NE(nullptr, s_dll);
    auto getModule = PluginApi::GetProc<Orv::CModule& (*)()>(s_dll, "DllGetModule");
    ASSERT_NE(nullptr, getModule);
    s_module = &getModule();
    s_module->InternalAtStartup();
  }
  static HMODULE s_dll;
  static Orv::CModule* s_module;
};
HMODULE PluginModule::s_dll = nullptr;
Orv::CModule* PluginModule::s_module = nullptr;

// Every lookup finds the plug-in, whose identity comes from the second translation of its version
// resource; it starts once, with its static records (the later of two wins).
TEST_F(PluginModule, IsFoundByEveryLookupAndStartsOnceWithItsStaticRecords) {
  std::wstring path = s_module->GetPath().c_str();
  for (wchar_t& c : path) c = c == L'\\' ? L'/' : towupper(c);
  for (Orv::CModule* found : {Orv::GetModuleByInstance(s_dll), Orv::GetModuleByName(L"Orv_Test_Plugin.DLL"),
                              Orv::GetModuleByPath(path.c_str()), Orv::GetModuleByID(s_module->GetID())})
    EXPECT_EQ(s_module, found);
  EXPECT_EQ(PluginApi::kModuleGuidText, GuidText(s_module->GetID()));
  EXPECT_EQ(PluginApi::kModuleGuidText, GuidText(Orv::GetModuleID(s_module->GetPath().c_str())));
  EXPECT_EQ(std::wstring(L"orvtestplugin"), s_module->GetInternalName().c_str());
  EXPECT_EQ(std::wstring(L"orvtestplugin"), Orv::GetModuleInternalName(s_dll).c_str());

  s_module->InternalAtStartup();
  auto startups = PluginApi::GetProc<PluginApi::HookCountFunction>(s_dll, "PluginStartupCount");
  EXPECT_EQ(1, startups ? startups() : -1);
  Orv::SModuleClassInfo const* widget = s_module->GetClassInfoW(kWidgetClass);
  ASSERT_NE(nullptr, widget);
  EXPECT_EQ(GuidText(PluginApi::kWidgetCategory), GuidText(widget->category));
  EXPECT_EQ(GuidText(PluginApi::kWidgetViewer), GuidText(s_module->GetViewerClass(kWidgetClass)));
  EXPECT_EQ(GuidText(kWidgetClass), GuidText(s_module->GetObjectCreatorInfo(L"widget")->createdClass));
  EXPECT_EQ(std::wstring(L"Widgets"), s_module->GetCategoryInfo(PluginApi::kWidgetCategory)->name.c_str());
  EXPECT_EQ(GuidText(kWidgetClass), GuidText(Orv::GetModuleClassForInterface(__uuidof(PluginApi::IPluginWidget))));
}

// The later registered class through the entry point, its objects counted against the plug-in, and
// class information from the type library (TYPELIB resource 1 is index 0).
TEST_F(PluginModule, CreatesTheLaterRegisteredClassWithClassInformation) {
  auto getClassObject = PluginApi::GetProc<decltype(&DllGetClassObject)>(s_dll, "DllGetClassObject");
  ASSERT_NE(nullptr, getClassObject);
  IClassFactory* factory = nullptr;
  ASSERT_EQ(S_OK, getClassObject(kWidgetClass, IID_IClassFactory, reinterpret_cast<void**>(&factory)));
  PluginApi::IPluginWidget* widget = nullptr;
  ASSERT_EQ(S_OK,
            factory->CreateInstance(nullptr, __uuidof(PluginApi::IPluginWidget), reinterpret_cast<void**>(&widget)));
  factory->Release();
  long value = 0;
  widget->GetValue(&value);
  EXPECT_EQ(PluginApi::kWidgetValue, value);
  Orv::tSmartPtr<Orv::IComObject> object;
  ASSERT_EQ(S_OK, widget->QueryInterface(__uuidof(Orv::IComObject), reinterpret_cast<void**>(object.Receive())));
  EXPECT_EQ(s_module, object->GetModule());
  EXPECT_EQ(GuidText(PluginApi::kWidgetCategory), GuidText(object->GetCategoryID()));
  EXPECT_FALSE(s_module->CanUnload());
  Orv::tSmartPtr<IProvideClassInfo> provider;
  ASSERT_EQ(S_OK, widget->QueryInterface(IID_IProvideClassInfo, reinterpret_cast<void**>(provider.Receive())));
  Orv::tSmartPtr<ITypeInfo> info;
  ASSERT_EQ(S_OK, provider->GetClassInfo(info.Receive()));
  TYPEATTR* attributes = nullptr;
  ASSERT_EQ(S_OK, info->GetTypeAttr(&attributes));
  EXPECT_EQ(GuidText(kWidgetClass), GuidText(attributes->guid));
  EXPECT_EQ(TKIND_COCLASS, attributes->typekind);
  info->ReleaseTypeAttr(attributes);
  object.Reset(), provider.Reset(), info.Reset();
  widget->Release();
  EXPECT_TRUE(s_module->CanUnload());
  EXPECT_TRUE(s_module->GetTypeLib(0) && s_module->GetTypeLib(0) == s_module->GetTypeLib(0));
  for (unsigned index : {1u, 1u, 4u}) EXPECT_EQ(nullptr, s_module->GetTypeLib(index)) << index;  // stays null

  IUnknown* made = nullptr;  // through the category's creator
  EXPECT_FALSE(Orv::GetModuleUnkOuterForCategory(PluginApi::kWidgetCategory, nullptr));
  EXPECT_FALSE(Orv::GetModuleUnkOuterForCategory(MakeGuid(99), &made));
  ASSERT_TRUE(Orv::GetModuleUnkOuterForCategory(PluginApi::kWidgetCategory, &made));
  made->Release();
}

TEST_F(PluginModule, SingleInstanceMutexIsHeldOnce) {
  EXPECT_FALSE(s_module->CheckForAnotherInstance());  // creates and holds the mutex
  EXPECT_FALSE(s_module->CheckForAnotherInstance());  // already held by this module
  Orv::CModule sameFile, noInstance;
  sameFile.SetInstance(s_dll);
  EXPECT_TRUE(sameFile.CheckForAnotherInstance());
  EXPECT_FALSE(noInstance.CheckForAnotherInstance());
}

// Threads that race a module's first look-up of its identity and type library all get the result:
// none of them sees the "already looked up" mark before the value it guards.
TEST(ModuleFirstUse, RacingThreadsAllGetTheTypeLibraryAndTheIdentity) {
  HMODULE plugin = ::LoadLibraryW(L"orv_test_plugin.dll");  // stays loaded for the other tests
  ASSERT_NE(nullptr, plugin);
  Orv::CModule reference;
  reference.SetInstance(plugin);
  ASSERT_NE(nullptr, reference.GetTypeLib(0));
  GUID id = reference.GetID();
  ASSERT_FALSE(IsEqualGUID(id, GUID_NULL));
  for (int round = 0; round < 10; ++round) {
    Orv::CModule module;
    module.SetInstance(plugin);
    for (ITypeLib* typeLib : RaceFirstUse<ITypeLib*>(4, [&] { return module.GetTypeLib(0); })) {
      EXPECT_NE(nullptr, typeLib) << "round " << round;
      EXPECT_EQ(module.GetTypeLib(0), typeLib);
    }
    for (GUID seen : RaceFirstUse<GUID>(4, [&] { return module.GetID(); })) EXPECT_TRUE(IsEqualGUID(id, seen));
  }
}

}  // namespace
