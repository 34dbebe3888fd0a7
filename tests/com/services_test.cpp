// Service collections against a std::map model, provider chains, and object dumps.
#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "orvutil/orvutil.h"
#include "test_objects.h"

namespace {

using Orv::tSmartPtr;

// A provider outside the library: counts its questions and answers every one with `answer`.
class CPlainProvider : public IServiceProvider {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** ppv) override {
    *ppv = ::IsEqualGUID(iid, IID_IUnknown) || ::IsEqualGUID(iid, IID_IServiceProvider) ? this : nullptr;
    if (*ppv) AddRef();
    return *ppv ? S_OK : E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs; }
  HRESULT STDMETHODCALLTYPE QueryService(REFGUID, REFIID iid, void** ppv) override {
    ++questions;
    return answer ? answer->QueryInterface(iid, ppv) : (*ppv = nullptr, E_NOINTERFACE);
  }
  ULONG refs = 1;
  int questions = 0;
  IUnknown* answer = nullptr;
};

tSmartPtr<IUnknown> MakeService() {
  ComTest::CCounter* counter = nullptr;
  Orv::CComObject<ComTest::CCounter>::CreateObject(nullptr, &counter);
  tSmartPtr<IUnknown> identity;
  counter->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(identity.Receive()));
  static_cast<ComTest::ICounter*>(counter)->Release();
  return identity;
}

tSmartPtr<Orv::IServiceCollection> MakeCollection(bool threadSafe = false) {
  tSmartPtr<Orv::IServiceCollection> collection;
  EXPECT_TRUE(Orv::CreateServiceCollection(threadSafe, collection.Receive()));
  return collection;
}

// The identity the collection hands out for `sid`, or null.
IUnknown* Found(Orv::IServiceCollection* collection, const GUID& sid) {
  IUnknown* found = nullptr;
  if (FAILED(collection->QueryService(sid, IID_IUnknown, reinterpret_cast<void**>(&found)))) return nullptr;
  found->Release();
  return found;
}

struct GuidLess {
  bool operator()(const GUID& a, const GUID& b) const { return memcmp(&a, &b, sizeof(GUID)) < 0; }
};

std::wstring LogText(Orv::IDataVector* vector) {
  auto& bytes = vector->GetVector();
  return std::wstring(reinterpret_cast<const wchar_t*>(bytes.Data()), bytes.Count() / sizeof(wchar_t));
}

}  // namespace

// Random adds, removes and look-ups over GUIDs that share their 32-bit fold agree with a std::map.
TEST(ServiceCollection, MatchesAMapModelAcrossFoldCollisions) {
  GUID sids[8];
  for (int i = 0; i < 8; ++i) {
    sids[i] = GUID{0x11110000u + (i / 2), 0x2222, 0x3333, {4, 5, 6, 7, 8, 9, 10, 11}};
    if (i % 2) sids[i].Data1 ^= 0x10000, sids[i].Data3 ^= 1;  // the same fold as sids[i - 1]
  }
  tSmartPtr<IUnknown> services[4] = {MakeService(), MakeService(), MakeService(), MakeService()};
  auto collection = MakeCollection();
  std::map<GUID, IUnknown*, GuidLess> model;
  std::mt19937 random(21);
  for (int step = 0; step < 400; ++step) {
    const GUID& sid = sids[random() % 8];
    IUnknown* service = services[random() % 4];
    switch (random() % 3) {
      case 0:
        ASSERT_EQ(model.emplace(sid, service).second, collection->AddService(sid, service)) << step;
        break;
      case 1:
        ASSERT_EQ(model.erase(sid) == 1, collection->RemoveService(sid)) << step;
        break;
      default:
        ASSERT_EQ(model.count(sid) ? model[sid] : nullptr, Found(collection, sid)) << step;
    }
  }
  EXPECT_FALSE(collection->AddService(GUID_NULL, services[0]));
  EXPECT_FALSE(collection->AddService(sids[0], nullptr));
  EXPECT_EQ(E_POINTER, collection->QueryService(sids[0], IID_IUnknown, nullptr));
}

// Providers are asked in order, and only when no own service matches; nulls, duplicates, the
// collection itself and cycles are refused.
TEST(ServiceCollection, ProvidersAnswerOnlyWhatItDoesNot) {
  auto own = MakeService(), provided = MakeService();
  const GUID sid = {1, 2, 3, {4}}, other = {5, 6, 7, {8}};
  auto a = MakeCollection(true), b = MakeCollection(), c = MakeCollection(true);
  CPlainProvider silent, answering;
  void* out = nullptr;
  answering.answer = provided;
  ASSERT_TRUE(a->AddService(sid, own));
  EXPECT_EQ(E_NOINTERFACE, a->QueryService(other, IID_IUnknown, &out));
  ASSERT_TRUE(a->AddServiceProvider(&silent));
  ASSERT_TRUE(a->AddServiceProvider(&answering));
  EXPECT_EQ(static_cast<IUnknown*>(own), Found(a, sid));
  EXPECT_EQ(0, silent.questions + answering.questions);
  EXPECT_EQ(static_cast<IUnknown*>(provided), Found(a, other));
  EXPECT_EQ(1, silent.questions);
  EXPECT_EQ(1, answering.questions);
  struct { Orv::IServiceCollection* to; IServiceProvider* provider; bool added; } const steps[] = {
      {a, nullptr, false}, {a, a, false}, {a, &silent, false}, {a, b, true},
      {b, c, true},        {c, a, false}, {c, b, false},       {b, a, false}};
  for (const auto& s : steps) EXPECT_EQ(s.added, s.to->AddServiceProvider(s.provider)) << &s - steps;
  EXPECT_EQ(E_NOINTERFACE, c->QueryService(other, IID_IUnknown, &out));
  EXPECT_TRUE(a->RemoveServiceProvider(&answering));
  EXPECT_FALSE(a->RemoveServiceProvider(&answering));
  EXPECT_FALSE(a->RemoveServiceProvider(nullptr));
  EXPECT_EQ(nullptr, Found(a, other));
  a->RemoveServiceProvider(&silent);
  EXPECT_EQ(1u, silent.refs);
  EXPECT_EQ(1u, answering.refs);
}

// A dump writes the collection's name line, then its services and providers 4 blanks deeper.
TEST(ServiceCollection, DumpsItsServicesAndProviders) {
  auto outer = MakeCollection(), inner = MakeCollection();
  auto service = MakeService();
  CPlainProvider plain;
  auto name = [](IUnknown* object, unsigned indent) {
    tSmartPtr<Orv::IComObject> named;
    wchar_t line[200];
    if (SUCCEEDED(object->QueryInterface(__uuidof(Orv::IComObject), reinterpret_cast<void**>(named.Receive()))))
      swprintf(line, 200, L"%*ls%ls (0x%llx)\n", indent, L"", named->GetClassName().c_str(), (unsigned long long)object);
    else
      swprintf(line, 200, L"%*lsIUnknown (0x%llx)\n", indent, L"", (unsigned long long)object);
    return std::wstring(line);
  };
  ASSERT_TRUE(outer->AddService(GUID{9, 0, 0, {}}, service));
  ASSERT_TRUE(outer->AddServiceProvider(inner));
  ASSERT_TRUE(outer->AddServiceProvider(&plain));
  tSmartPtr<Orv::IDataVector> vector;
  tSmartPtr<Orv::IDataWriter> writer;
  ASSERT_TRUE(Orv::CreateDataWriter(vector.Receive(), writer.Receive()));
  Orv::CLog log;
  ASSERT_TRUE(log.AddWriter(writer));
  IUnknown *outerId = nullptr, *innerId = nullptr;
  outer->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&outerId));
  inner->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&innerId));
  Orv::DebugDumpObject(outer, nullptr, log, 2);
  Orv::DebugDumpObject(nullptr, nullptr, log, 2);
  EXPECT_EQ(name(outerId, 2) + name(service, 6) + name(innerId, 6) + L"          <no services>\n" +
                name(static_cast<IServiceProvider*>(&plain), 6),
            LogText(vector));
  for (IUnknown* id : {outerId, innerId}) id->Release();
}

// The global collection is one thread-safe collection shared by concurrent users.
TEST(ServiceCollection, GlobalCollectionUnderConcurrentUse) {
  Orv::IServiceCollection* global = Orv::GetGlobalServiceCollection();
  ASSERT_NE(nullptr, global);
  EXPECT_EQ(global, Orv::GetGlobalServiceCollection());
  auto service = MakeService();
  std::vector<std::thread> threads;
  std::vector<int> mismatches(4, 0);
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 300; ++i) {
        GUID sid = Orv::CreateGuid();
        mismatches[t] += !global->AddService(sid, service) || Found(global, sid) != service.Get() ||
                         !global->RemoveService(sid) || Found(global, sid) != nullptr;
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(std::vector<int>(4, 0), mismatches);
  EXPECT_FALSE(::IsEqualGUID(Orv::CreateGuid(), Orv::CreateGuid()));
}
