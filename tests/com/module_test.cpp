// Modules: table rules, identity and lookups, and a plug-in DLL built on the library (static
// registration, type libraries, the single-instance mutex).
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "orvutil/com.h"
#include "plugin/plugin_api.h"
#include "test_objects.h"

namespace {

using ComTest::GuidText;
using namespace PluginApi;

GUID MakeGuid(unsigned char last) {
  return {0x7d000000, 0x1111, 0x2222, {0x33, 0x44, 0x55, 0x66, 0x77, 0x88, 0x99, last}};
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
  EXPECT_TRUE(classes.Count() == 1 && ::IsEqualGUID(other, classes[0]));

  EXPECT_FALSE(module.SetCategoryInfo(GUID_NULL, L"null", nullptr));
  EXPECT_TRUE(module.SetCategoryInfo(category, L"Things", nullptr));
  EXPECT_FALSE(module.SetCategoryInfo(category, L"Again", kCreator));
  EXPECT_EQ(std::wstring(L"Things"), module.GetCategoryInfo(category)->name.c_str());
  // Viewers: each row is a call and its result, then the viewer of `clsid` it leaves.
  std::tuple<GUID, GUID, bool, GUID> const viewers[] = {{GUID_NULL, viewer, false, GUID_NULL},
                                                        {clsid, GUID_NULL, false, GUID_NULL},
                                                        {clsid, viewer, true, viewer},
                                                        {clsid, MakeGuid(7), false, viewer},
                                                        {clsid, GUID_NULL, true, GUID_NULL}};
  for (auto const& [of, set, result, after] : viewers) {
    EXPECT_EQ(result, module.SetViewerClass(of, set)) << GuidText(of) << " " << GuidText(set);
    EXPECT_EQ(GuidText(after), GuidText(module.GetViewerClass(clsid))) << GuidText(of) << " " << GuidText(set);
  }
  EXPECT_FALSE(module.SetObjectCreator(nullptr, clsid, clsid) || module.SetObjectCreator(L"", clsid, clsid));
  EXPECT_TRUE(module.SetObjectCreator(L"thing", clsid, viewer));
  EXPECT_FALSE(module.SetObjectCreator(L"thing", viewer, viewer));
  ASSERT_NE(nullptr, module.GetObjectCreatorInfo(L"thing"));
  EXPECT_EQ(GuidText(viewer), GuidText(module.GetObjectCreatorInfo(L"thing")->createdClass));
  EXPECT_EQ(nullptr, module.GetObjectCreatorInfo(L"Thing"));
  module.InternalAtShutdown();  // drops the tables
  EXPECT_EQ(nullptr, module.GetObjectCreatorInfo(L"thing"));
  EXPECT_EQ(nullptr, module.GetCategoryInfo(category));
}

// orvutil.dll, the program and the plug-in built on the library: every lookup finds each of them,
// missing ones give null. The plug-in's identity comes from the second translation of its version
// resource, and the later of two static records wins. Its class comes through the entry point,
// counts against the plug-in and gives class information from TYPELIB resource 1 (index 0); a
// category's creator makes an object.
TEST(PluginModule, LookupsRecordsAndClassInformation) {
  HMODULE dll = ::LoadLibraryW(L"orv_test_plugin.dll");  // stays loaded for the other tests
  ASSERT_NE(nullptr, dll);
  Orv::CModule *module = &GetProc<Orv::CModule&(*)()>(dll, "DllGetModule")(), *library = &Orv::GetOrvutilModule();
  module->InternalAtStartup();
  std::wstring const path = ComTest::Respelled(module->GetPath().c_str());
  Orv::CModule* program = &Orv::GetThisModule();
  // Each row: a module, then what the lookups that must find it give.
  std::pair<Orv::CModule*, std::vector<Orv::CModule*>> const lookups[] = {
      {library,
       {Orv::GetModuleByName(L"ORVUTIL.DLL"), Orv::GetModuleByInstance(library->GetInstance()),
        Orv::GetModuleByID(library->GetID())}},
      {program, {Orv::GetMainModule(), Orv::GetModuleByInstance(nullptr)}},
      {module,
       {Orv::GetModuleByInstance(dll), Orv::GetModuleByName(L"Orv_Test_Plugin.DLL"), Orv::GetModuleByPath(path.c_str()),
        Orv::GetModuleByID(module->GetID())}},
      {nullptr,
       {Orv::GetModuleByName(nullptr), Orv::GetModuleByPath(L""), Orv::GetModuleByIndex(Orv::GetModuleCount())}}};
  for (auto const& [expected, found] : lookups)
    for (Orv::CModule* const& one : found) EXPECT_EQ(expected, one) << &one - found.data();
  std::pair<std::wstring, GUID> const ids[] = {{kModuleGuidText, Orv::GetModuleID(dll)},
                                               {kModuleGuidText, Orv::GetModuleID(path.c_str())},
                                               {GuidText(GUID_NULL), program->GetID()},
                                               {GuidText(GUID_NULL), Orv::GetModuleID(L"C:\\no\\such\\file.dll")}};
  for (auto const& id : ids) EXPECT_EQ(id.first, GuidText(id.second)) << &id - ids;
  EXPECT_EQ(GuidText(kWidgetViewer), GuidText(module->GetViewerClass(kWidgetClass)));
  EXPECT_EQ(GuidText(kWidgetClass), GuidText(module->GetObjectCreatorInfo(L"widget")->createdClass));
  EXPECT_EQ(std::wstring(L"Widgets"), module->GetCategoryInfo(kWidgetCategory)->name.c_str());
  EXPECT_EQ(GuidText(kWidgetClass), GuidText(Orv::GetModuleClassForInterface(__uuidof(IPluginWidget))));

  Orv::tSmartPtr<IClassFactory> factory;
  Orv::tSmartPtr<IPluginWidget> widget;
  Orv::tSmartPtr<ITypeInfo> info;
  ASSERT_EQ(S_OK, GetProc<decltype(&DllGetClassObject)>(dll, "DllGetClassObject")(
                      kWidgetClass, IID_IClassFactory, reinterpret_cast<void**>(factory.Receive())));
  ASSERT_EQ(S_OK,
            factory->CreateInstance(nullptr, __uuidof(IPluginWidget), reinterpret_cast<void**>(widget.Receive())));
  long value = 0;
  widget->GetValue(&value);
  EXPECT_EQ(kWidgetValue, value);
  auto object = ComTest::Query<Orv::IComObject>(widget);
  auto provider = ComTest::Query<IProvideClassInfo>(widget, IID_IProvideClassInfo);
  ASSERT_TRUE(object && provider);
  EXPECT_EQ(module, object->GetModule());
  EXPECT_EQ(GuidText(kWidgetCategory), GuidText(object->GetCategoryID()));
  EXPECT_FALSE(module->CanUnload());
  ASSERT_EQ(S_OK, provider->GetClassInfo(info.Receive()));
  TYPEATTR* attributes = nullptr;
  ASSERT_EQ(S_OK, info->GetTypeAttr(&attributes));
  EXPECT_EQ(GuidText(kWidgetClass), GuidText(attributes->guid));
  info->ReleaseTypeAttr(attributes);
  factory.Reset(), widget.Reset(), object.Reset(), provider.Reset(), info.Reset();
  EXPECT_TRUE(module->CanUnload());
  for (unsigned index : {1u, 1u, 4u}) EXPECT_EQ(nullptr, module->GetTypeLib(index)) << index;  // stays null

  Orv::tSmartPtr<IUnknown> made;  // through the category's creator
  EXPECT_FALSE(Orv::GetModuleUnkOuterForCategory(kWidgetCategory, nullptr));
  EXPECT_FALSE(Orv::GetModuleUnkOuterForCategory(MakeGuid(99), made.Receive()));
  EXPECT_TRUE(Orv::GetModuleUnkOuterForCategory(kWidgetCategory, made.Receive()) && made);

  EXPECT_FALSE(module->CheckForAnotherInstance());  // creates and holds the single-instance mutex
  EXPECT_FALSE(module->CheckForAnotherInstance());  // already held by this module
  Orv::CModule sameFile, noInstance;
  sameFile.SetInstance(dll);
  EXPECT_TRUE(sameFile.CheckForAnotherInstance());
  EXPECT_FALSE(noInstance.CheckForAnotherInstance());
}

}  // namespace
