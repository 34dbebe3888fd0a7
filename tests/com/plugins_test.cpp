// The plug-in registry: path resolution and bad input, one record per file, modules answering before
// plug-ins, library-based plug-ins asked only as modules, and the idle sweep that unloads a plain
// plug-in only when its DLL agrees.
#include <gtest/gtest.h>

#include <string>

#include "orvutil/com.h"
#include "orvutil/foundation/paths.h"
#include "plaindll/plaindll_api.h"
#include "plugin/plugin_api.h"

namespace {

using PlainApi::kPlainClass;
using PlainApi::kSharedClass;
using PluginApi::GetProc;

GUID const kUnknownClass = {0x2d7b91ff, 0x6a35, 0x4c8e, {0x9f, 0x01, 0x5b, 0x7c, 0x3e, 0x2a, 0x80, 0x14}};

std::wstring BinDir() {
  return Orv::GetExecutableDir().c_str();
}

bool PlainDllMapped() {
  return ::GetModuleHandleW(PlainApi::kDllName) != nullptr;
}

void SetUnloadAnswer(HMODULE plain, HRESULT answer) {
  auto set = GetProc<PlainApi::SetUnloadAnswerFunction>(plain, "PlainSetUnloadAnswer");
  ASSERT_NE(nullptr, set);
  set(answer);
}

long PlainCalls(HMODULE plain) {
  auto calls = GetProc<PlainApi::GetClassObjectCallsFunction>(plain, "PlainGetClassObjectCalls");
  return calls ? calls() : -1;
}

// A count exported by the library-based test plug-in; -1 when the export is missing.
int LibraryPlugInCount(HMODULE plugIn, char const* name) {
  auto count = GetProc<PluginApi::HookCountFunction>(plugIn, name);
  return count ? count() : -1;
}

// A private registry per test; destroying it unloads its plug-ins (the plain DLL agreeing).
class PlugInRegistry : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(PlainDllMapped());
    ASSERT_TRUE(Orv::CreateComModules(&m_registry));
    m_plainPath = BinDir() + L"\\" + PlainApi::kDllName;
  }
  void TearDown() override {
    if (HMODULE plain = ::GetModuleHandleW(PlainApi::kDllName)) SetUnloadAnswer(plain, S_OK);
    m_registry->Release();
    EXPECT_FALSE(PlainDllMapped());
  }
  HMODULE LoadPlain() {
    HMODULE plain = m_registry->LoadModule(m_plainPath.c_str());
    EXPECT_NE(nullptr, plain);
    return plain;
  }
  // Asks the registry for a class object of `clsid` and drops it at once.
  HRESULT Touch(GUID const& clsid) {
    IClassFactory* factory = nullptr;
    HRESULT hr = m_registry->GetClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory));
    if (factory) factory->Release();
    return hr;
  }

  Orv::IComModules* m_registry = nullptr;
  std::wstring m_plainPath;
};

TEST_F(PlugInRegistry, BadInputGivesTheFailureValues) {
  std::wstring const dir = BinDir(), longName = dir + L"\\" + std::wstring(300, L'x') + L".dll";
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
  struct Case {
    GUID clsid, iid;
    void** out;
    HRESULT expected;
  } const cases[] = {{GUID_NULL, IID_IClassFactory, &out, E_INVALIDARG}, {kPlainClass, GUID_NULL, &out, E_INVALIDARG},
                     {kPlainClass, IID_IClassFactory, nullptr, E_INVALIDARG},
                     {kUnknownClass, IID_IClassFactory, &out, CLASS_E_CLASSNOTAVAILABLE}};
  for (Case const& c : cases) {
    EXPECT_EQ(c.expected, m_registry->GetClassObject(c.clsid, c.iid, c.out));
    EXPECT_EQ(c.expected, m_registry->CreateInstance(nullptr, c.clsid, IsEqualGUID(c.iid, IID_IClassFactory) ? IID_IUnknown : c.iid, c.out));
  }
  EXPECT_EQ(nullptr, out);
}

TEST_F(PlugInRegistry, RelativeNamesAreFoundThroughTheSearchPaths) {
  std::wstring const parent = BinDir() + L"\\..";  // exists, without the DLL
  EXPECT_TRUE(m_registry->AddSearchPath(parent.c_str()));
  EXPECT_TRUE(m_registry->AddSearchPath(BinDir().c_str()));
  std::wstring sameDir = BinDir() + L"/./";
  for (wchar_t& c : sameDir) c = towupper(c);
  EXPECT_FALSE(m_registry->AddSearchPath(sameDir.c_str()));  // already listed

  HMODULE plain = m_registry->LoadModule(PlainApi::kDllName);
  ASSERT_NE(nullptr, plain);
  EXPECT_EQ(::GetModuleHandleW(PlainApi::kDllName), plain);
  HMODULE found = nullptr;
  EXPECT_TRUE(m_registry->FindModule(PlainApi::kDllName, &found));
  EXPECT_EQ(plain, found);
  EXPECT_TRUE(m_registry->FindModule(m_plainPath.c_str(), &found));
  EXPECT_EQ(plain, found);
  EXPECT_FALSE(m_registry->FindModule(L"orv_test_plugin.dll", &found));
}

TEST_F(PlugInRegistry, SameFileTwiceGivesOneRecord) {
  HMODULE plain = LoadPlain();
  std::wstring respelled = m_plainPath;
  for (wchar_t& c : respelled) c = c == L'\\' ? L'/' : towupper(c);
  EXPECT_EQ(plain, m_registry->LoadModule(respelled.c_str()));
  // One record, loaded once: a single unload forgets it and unmaps the DLL.
  EXPECT_TRUE(m_registry->UnloadModule(plain));
  EXPECT_FALSE(m_registry->UnloadModule(plain));
  EXPECT_FALSE(PlainDllMapped());
}

TEST_F(PlugInRegistry, ModulesAnswerBeforePlugIns) {
  HMODULE plain = LoadPlain();  // listed first, yet asked after every module
  HMODULE library = m_registry->LoadModule((BinDir() + L"\\orv_test_plugin.dll").c_str());
  ASSERT_NE(nullptr, library);
  long const plainCalls = PlainCalls(plain);

  PluginApi::IPluginWidget* shared = nullptr;
  ASSERT_EQ(S_OK, m_registry->CreateInstance(nullptr, kSharedClass, __uuidof(PluginApi::IPluginWidget),
                                             reinterpret_cast<void**>(&shared)));
  long value = 0;
  shared->GetValue(&value);
  shared->Release();
  EXPECT_EQ(PluginApi::kSharedValue, value);
  EXPECT_EQ(plainCalls, PlainCalls(plain));

  // A class only the plain DLL knows comes from it: an object without the library's interfaces.
  IUnknown* object = nullptr;
  ASSERT_EQ(S_OK, m_registry->CreateInstance(nullptr, kPlainClass, IID_IUnknown, reinterpret_cast<void**>(&object)));
  EXPECT_EQ(plainCalls + 1, PlainCalls(plain));
  void* comObject = nullptr;
  EXPECT_EQ(E_NOINTERFACE, object->QueryInterface(__uuidof(Orv::IComObject), &comObject));
  object->Release();
}

TEST_F(PlugInRegistry, LibraryPlugInIsStartedAndAskedOnlyAsAModule) {
  HMODULE plain = LoadPlain();
  HMODULE library = m_registry->LoadModule((BinDir() + L"\\orv_test_plugin.dll").c_str());
  ASSERT_NE(nullptr, library);
  Orv::CModule* module = Orv::GetModuleByInstance(library);
  ASSERT_NE(nullptr, module);
  EXPECT_TRUE(module->IsStarted());
  EXPECT_EQ(1, LibraryPlugInCount(library, "PluginStartupCount"));

  int const libraryCalls = LibraryPlugInCount(library, "PluginGetClassObjectCalls");
  long const plainCalls = PlainCalls(plain);
  EXPECT_EQ(S_OK, Touch(PluginApi::kWidgetClass));
  EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, Touch(kUnknownClass));
  EXPECT_EQ(libraryCalls, LibraryPlugInCount(library, "PluginGetClassObjectCalls"));
  EXPECT_EQ(plainCalls + 1, PlainCalls(plain));  // the plain plug-in is asked, once
}

// Each step: the DLL's unload answer before the sweep, and whether the DLL is still mapped after it.
struct SSweepStep {
  HRESULT answer;
  bool mapped;
};

void RunSweeps(Orv::IComModules* registry, HMODULE plain, std::initializer_list<SSweepStep> steps) {
  int index = 0;
  for (SSweepStep const& step : steps) {
    SetUnloadAnswer(plain, step.answer);
    unsigned const remaining = registry->SweepIdleModules();
    EXPECT_EQ(step.mapped, PlainDllMapped()) << "sweep " << index;
    EXPECT_EQ(step.mapped ? 1u : 0u, remaining) << "sweep " << index;
    ++index;
  }
}

// A plug-in goes at the second sweep that finds it idle and its DLL agreeing; supplying a class
// object, refusing, or live objects clear the idle mark.
TEST_F(PlugInRegistry, SweepUnloadsAPlugInIdleForTwoSweeps) {
  HMODULE plain = LoadPlain();
  RunSweeps(m_registry, plain, {{S_OK, true}});
  EXPECT_EQ(S_OK, Touch(kPlainClass));
  RunSweeps(m_registry, plain, {{S_OK, true}, {S_FALSE, true}, {S_FALSE, true}, {S_OK, true}});
  IUnknown* object = nullptr;
  ASSERT_EQ(S_OK, m_registry->CreateInstance(nullptr, kPlainClass, IID_IUnknown, reinterpret_cast<void**>(&object)));
  RunSweeps(m_registry, plain, {{S_OK, true}, {S_OK, true}, {S_OK, true}});
  object->Release();
  RunSweeps(m_registry, plain, {{S_OK, true}, {S_OK, false}});
  HMODULE found = nullptr;
  EXPECT_FALSE(m_registry->FindModule(m_plainPath.c_str(), &found));
}

TEST_F(PlugInRegistry, UnloadForgetsARefusingPlugInButLeavesItMapped) {
  HMODULE plain = LoadPlain();
  SetUnloadAnswer(plain, S_FALSE);
  EXPECT_TRUE(m_registry->UnloadModule(plain));
  HMODULE found = nullptr;
  EXPECT_FALSE(m_registry->FindModule(m_plainPath.c_str(), &found));
  EXPECT_TRUE(PlainDllMapped());
  ::FreeLibrary(plain);  // the reference the registry gave up
}

TEST(PlugInRegistryGlobal, OneRegistryPerLibraryAndOthersOnRequest) {
  Orv::IComModules* registry = Orv::GetComModules();
  ASSERT_NE(nullptr, registry);
  EXPECT_EQ(registry, Orv::GetComModules());
  Orv::IComModules* queried = nullptr;
  ASSERT_EQ(S_OK, registry->QueryInterface(__uuidof(Orv::IComModules), reinterpret_cast<void**>(&queried)));
  EXPECT_EQ(registry, queried);
  queried->Release();
  HMODULE plain = registry->LoadModule((BinDir() + L"\\" + PlainApi::kDllName).c_str());
  ASSERT_NE(nullptr, plain);
  EXPECT_TRUE(registry->UnloadModule(plain));
  EXPECT_FALSE(PlainDllMapped());

  Orv::IComModules* own = reinterpret_cast<Orv::IComModules*>(1);
  EXPECT_FALSE(Orv::CreateComModules(nullptr));
  ASSERT_TRUE(Orv::CreateComModules(&own));
  EXPECT_NE(registry, own);
  own->Release();
}

}  // namespace
