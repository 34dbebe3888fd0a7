// The plug-in registry: path resolution and bad input, one record per file, modules answering before
// plug-ins, library-based plug-ins asked only as modules, and the idle sweep that unloads a plain
// plug-in only when its DLL agrees.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "orvutil/com.h"
#include "orvutil/foundation/paths.h"
#include "plaindll/plaindll_api.h"
#include "plugin/plugin_api.h"
#include "test_objects.h"

namespace {

using PlainApi::kPlainClass;
using PluginApi::GetProc;

GUID const kUnknownClass = {0x2d7b91ff, 0x6a35, 0x4c8e, {0x9f, 0x01, 0x5b, 0x7c, 0x3e, 0x2a, 0x80, 0x14}};

std::wstring BinFile(wchar_t const* name) {
  return std::wstring(Orv::GetExecutableDir().c_str()) + (name ? L"\\" : L"") + (name ? name : L"");
}

bool PlainDllMapped() {
  return ::GetModuleHandleW(PlainApi::kDllName) != nullptr;
}

// How often a test DLL's DllGetClassObject was called, as its export `name` counts.
long Calls(HMODULE dll, char const* name = "PlainGetClassObjectCalls") {
  return GetProc<long(__cdecl*)()>(dll, name)();
}

// A private registry per test; destroying it unloads its plug-ins (the plain DLL agreeing).
class PlugInRegistry : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(PlainDllMapped());
    ASSERT_TRUE(Orv::CreateComModules(&m_registry));
  }
  void TearDown() override {
    if (HMODULE plain = ::GetModuleHandleW(PlainApi::kDllName)) SetUnloadAnswer(plain, S_OK);
    m_registry->Release();
    EXPECT_FALSE(PlainDllMapped());
  }
  static void SetUnloadAnswer(HMODULE plain, HRESULT answer) {
    GetProc<void(__cdecl*)(HRESULT)>(plain, "PlainSetUnloadAnswer")(answer);
  }
  // Asks the registry for a class object of `clsid` and drops it at once.
  HRESULT Touch(GUID const& clsid) {
    Orv::tSmartPtr<IClassFactory> factory;
    return m_registry->GetClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(factory.Receive()));
  }

  Orv::IComModules* m_registry = nullptr;
  std::wstring const m_plainPath = BinFile(PlainApi::kDllName);
};

// Bad input gives the failure values; the library keeps one registry of its own and makes others on
// request.
TEST_F(PlugInRegistry, BadInputGivesTheFailureValues) {
  std::wstring const dir = BinFile(nullptr), longName = BinFile((std::wstring(300, L'x') + L".dll").c_str());
  // The relative name fails for want of search paths; a directory is no plug-in.
  for (wchar_t const* path : {static_cast<wchar_t const*>(nullptr), L"", L"C:\\no\\such\\plugin.dll",
                              PlainApi::kDllName, dir.c_str(), longName.c_str()})
    EXPECT_EQ(nullptr, m_registry->LoadModule(path)) << (path ? path : L"(null)");
  for (wchar_t const* bad : {static_cast<wchar_t const*>(nullptr), L"", L"C:\\no\\such\\dir", m_plainPath.c_str()})
    EXPECT_FALSE(m_registry->AddSearchPath(bad));
  EXPECT_FALSE(m_registry->UnloadModule(nullptr) || m_registry->UnloadModule(::GetModuleHandleW(nullptr)));
  HMODULE found = reinterpret_cast<HMODULE>(1);
  EXPECT_FALSE(m_registry->FindModule(nullptr, &found) || m_registry->FindModule(m_plainPath.c_str(), nullptr));
  EXPECT_EQ(nullptr, found);
  void* out = reinterpret_cast<void*>(1);
  // Each row: the class, the interface and the output asked for, and the result.
  std::tuple<GUID, GUID, void**, HRESULT> const cases[] = {
      {GUID_NULL, IID_IClassFactory, &out, E_INVALIDARG},
      {kPlainClass, GUID_NULL, &out, E_INVALIDARG},
      {kPlainClass, IID_IClassFactory, nullptr, E_INVALIDARG},
      {kUnknownClass, IID_IClassFactory, &out, CLASS_E_CLASSNOTAVAILABLE}};
  for (auto const& [clsid, iid, ppv, expected] : cases) {
    EXPECT_EQ(expected, m_registry->GetClassObject(clsid, iid, ppv));
    EXPECT_EQ(expected, m_registry->CreateInstance(nullptr, clsid,
                                                   IsEqualGUID(iid, IID_IClassFactory) ? IID_IUnknown : iid, ppv));
  }
  EXPECT_EQ(nullptr, out);
  EXPECT_FALSE(Orv::CreateComModules(nullptr));
  EXPECT_TRUE(Orv::GetComModules() && Orv::GetComModules() == Orv::GetComModules() &&
              Orv::GetComModules() != m_registry);
}

// Relative names are found through the search paths, a directory is listed once however spelled,
// and the same file under another spelling gives the one record, which one unload forgets, also
// when the DLL refuses to unload.
TEST_F(PlugInRegistry, SearchPathsAndOneRecordPerFile) {
  EXPECT_TRUE(m_registry->AddSearchPath(BinFile(L"..").c_str()));  // exists, without the DLL
  EXPECT_TRUE(m_registry->AddSearchPath(BinFile(nullptr).c_str()));
  EXPECT_FALSE(m_registry->AddSearchPath(ComTest::Respelled(BinFile(L"./")).c_str()));
  HMODULE plain = m_registry->LoadModule(PlainApi::kDllName);
  ASSERT_NE(nullptr, plain);
  EXPECT_EQ(plain, m_registry->LoadModule(ComTest::Respelled(m_plainPath).c_str()));
  HMODULE found = nullptr;
  for (wchar_t const* path : {PlainApi::kDllName, m_plainPath.c_str()})
    EXPECT_TRUE(m_registry->FindModule(path, &found) && found == plain) << path;
  EXPECT_FALSE(m_registry->FindModule(L"orv_test_plugin.dll", &found));
  SetUnloadAnswer(plain, S_FALSE);  // the record goes, the DLL stays mapped
  EXPECT_TRUE(m_registry->UnloadModule(plain));
  EXPECT_FALSE(m_registry->UnloadModule(plain) || m_registry->FindModule(m_plainPath.c_str(), &found));
  EXPECT_TRUE(PlainDllMapped());
  ::FreeLibrary(plain);  // the reference the registry gave up
  EXPECT_FALSE(PlainDllMapped());
}

// Modules answer before plug-ins, even one listed first; a library-based plug-in is started and
// asked only as a module; a class only the plain DLL knows comes from it. (Objects of the plain
// DLL have no IPluginWidget.)
TEST_F(PlugInRegistry, ModulesAnswerBeforePlugIns) {
  HMODULE plain = m_registry->LoadModule(m_plainPath.c_str());
  ASSERT_NE(nullptr, plain);
  HMODULE library = m_registry->LoadModule(BinFile(L"orv_test_plugin.dll").c_str());
  ASSERT_NE(nullptr, library);
  Orv::CModule* module = Orv::GetModuleByInstance(library);
  ASSERT_TRUE(module && module->IsStarted());
  long const libraryCalls = Calls(library, "PluginGetClassObjectCalls"), plainCalls = Calls(plain);
  Orv::tSmartPtr<PluginApi::IPluginWidget> shared;
  EXPECT_EQ(S_OK, m_registry->CreateInstance(nullptr, PlainApi::kSharedClass, __uuidof(PluginApi::IPluginWidget),
                                             reinterpret_cast<void**>(shared.Receive())));
  EXPECT_EQ(S_OK, Touch(PluginApi::kWidgetClass));
  EXPECT_EQ(plainCalls, Calls(plain));
  EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, Touch(kUnknownClass));
  EXPECT_EQ(plainCalls + 1, Calls(plain));  // the plain plug-in is asked, once
  EXPECT_EQ(libraryCalls, Calls(library, "PluginGetClassObjectCalls"));
  EXPECT_EQ(S_OK, Touch(kPlainClass));
  EXPECT_EQ(plainCalls + 2, Calls(plain));
}

// A plug-in goes at the second sweep that finds it idle and its DLL agreeing; supplying a class
// object, refusing, or live objects clear the idle mark. Each step: the DLL's unload answer before
// the sweep, and whether the DLL is still mapped after it.
TEST_F(PlugInRegistry, SweepUnloadsAPlugInIdleForTwoSweeps) {
  HMODULE plain = m_registry->LoadModule(m_plainPath.c_str());
  ASSERT_NE(nullptr, plain);
  auto sweeps = [&](std::initializer_list<std::pair<HRESULT, bool>> steps) {
    for (auto const& step : steps) {
      SetUnloadAnswer(plain, step.first);
      EXPECT_EQ(step.second ? 1u : 0u, m_registry->SweepIdleModules()) << &step - steps.begin();
      EXPECT_EQ(step.second, PlainDllMapped()) << &step - steps.begin();
    }
  };
  sweeps({{S_OK, true}});
  EXPECT_EQ(S_OK, Touch(kPlainClass));
  sweeps({{S_OK, true}, {S_FALSE, true}, {S_FALSE, true}, {S_OK, true}});
  IUnknown* object = nullptr;
  ASSERT_EQ(S_OK, m_registry->CreateInstance(nullptr, kPlainClass, IID_IUnknown, reinterpret_cast<void**>(&object)));
  sweeps({{S_OK, true}, {S_OK, true}, {S_OK, true}});
  object->Release();
  sweeps({{S_OK, true}, {S_OK, false}});
  HMODULE found = nullptr;
  EXPECT_FALSE(m_registry->FindModule(m_plainPath.c_str(), &found));
}

}  // namespace
