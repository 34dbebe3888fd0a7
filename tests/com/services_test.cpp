// Service collections against a std::map model, provider chains, and object dumps.
#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <tuple>

#include "orvutil/orvutil.h"
#include "test_objects.h"

namespace {

using Orv::tSmartPtr;

// A provider outside the library: counts its questions and answers every one with `answer`.
struct CPlainProvider : public IServiceProvider {
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** ppv) override {
    bool known = ::IsEqualGUID(iid, IID_IUnknown) || ::IsEqualGUID(iid, IID_IServiceProvider);
    *ppv = known ? (AddRef(), this) : nullptr;
    return known ? S_OK : E_NOINTERFACE;
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

// A library object's identity.
tSmartPtr<IUnknown> MakeService() {
  return ComTest::New<ComTest::CCounter>()->_GetUnknown();
}

tSmartPtr<Orv::IServiceCollection> MakeCollection(bool threadSafe = false) {
  tSmartPtr<Orv::IServiceCollection> collection;
  EXPECT_TRUE(Orv::CreateServiceCollection(threadSafe, collection.Receive()));
  return collection;
}

// The identity the collection hands out for `sid` (and keeps holding), or null.
IUnknown* Found(Orv::IServiceCollection* collection, const GUID& sid) {
  tSmartPtr<IUnknown> found;
  return SUCCEEDED(collection->QueryService(sid, IID_IUnknown, reinterpret_cast<void**>(found.Receive()))) ? found.Get()
                                                                                                           : nullptr;
}

}  // namespace

// Random adds, removes and look-ups over GUIDs that share their 32-bit fold agree with a std::map;
// bad input is refused.
TEST(ServiceCollection, MatchesAMapModelAcrossFoldCollisions) {
  GUID sids[64];
  for (int i = 0; i < 64; ++i) {
    sids[i] = GUID{0x11110000u + (i / 2), 0x2222, 0x3333, {4, 5, 6, 7, 8, 9, 10, 11}};
    if (i % 2) sids[i].Data1 ^= 0x10000, sids[i].Data3 ^= 1;  // the same fold as sids[i - 1]
  }
  tSmartPtr<IUnknown> services[3] = {MakeService(), MakeService(), MakeService()};
  auto collection = MakeCollection();
  std::map<int, IUnknown*> model;
  std::mt19937 random(21);
  for (int step = 0; step < 4000; ++step) {
    int sid = random() % 64;
    IUnknown* service = services[random() % 3];
    int operation = random() % 3;
    bool agree = operation == 0   ? model.emplace(sid, service).second == collection->AddService(sids[sid], service)
                 : operation == 1 ? (model.erase(sid) == 1) == collection->RemoveService(sids[sid])
                                  : (model.count(sid) ? model[sid] : nullptr) == Found(collection, sids[sid]);
    ASSERT_TRUE(agree) << "step " << step << ", operation " << operation;
  }
  EXPECT_FALSE(collection->AddService(GUID_NULL, services[0]) || collection->AddService(sids[0], nullptr));
  EXPECT_EQ(E_POINTER, collection->QueryService(sids[0], IID_IUnknown, nullptr));
  // The global collection is one collection kept by the library.
  Orv::IServiceCollection* global = Orv::GetGlobalServiceCollection();
  ASSERT_TRUE(global && global == Orv::GetGlobalServiceCollection());
  GUID const sid = Orv::CreateGuid();
  EXPECT_TRUE(global->AddService(sid, services[0]) && Found(global, sid) == services[0].Get() &&
              global->RemoveService(sid));
  EXPECT_FALSE(::IsEqualGUID(Orv::CreateGuid(), Orv::CreateGuid()));
}

// Providers are asked in order, and only when no own service matches; nulls, duplicates, the
// collection itself and cycles are refused. A dump writes a collection's name line, then its services
// and providers 4 blanks deeper.
TEST(ServiceCollection, ProvidersAnswerOnlyWhatItDoesNotAndAreDumped) {
  auto own = MakeService(), provided = MakeService();
  const GUID sid = {1, 2, 3, {4}}, other = {5, 6, 7, {8}};
  auto a = MakeCollection(true), b = MakeCollection(), c = MakeCollection(true);
  CPlainProvider silent, answering;
  answering.answer = provided;
  ASSERT_TRUE(a->AddService(sid, own));
  ASSERT_TRUE(a->AddServiceProvider(&silent) && a->AddServiceProvider(&answering));
  EXPECT_EQ(own.Get(), Found(a, sid));
  EXPECT_EQ(0, silent.questions + answering.questions);
  EXPECT_EQ(provided.Get(), Found(a, other));
  EXPECT_EQ(2, silent.questions + answering.questions);
  // Each row: the collection, the provider added to it and whether it is taken.
  std::tuple<Orv::IServiceCollection*, IServiceProvider*, bool> const steps[] = {
      {a, nullptr, false}, {a, a, false}, {a, &silent, false}, {a, b, true},
      {b, c, true},        {c, a, false}, {c, b, false},       {b, a, false}};
  for (auto const& [to, provider, added] : steps)
    EXPECT_EQ(added, to->AddServiceProvider(provider)) << to << " " << provider;
  EXPECT_EQ(nullptr, Found(c, other));

  auto line = [](IUnknown* object, unsigned indent) {
    auto named = ComTest::Query<Orv::IComObject>(object);
    wchar_t text[200];
    swprintf(text, 200, L"%*ls%ls (0x%llx)\n", indent, L"", named ? named->GetClassName().c_str() : L"IUnknown",
             static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(ComTest::Query<IUnknown>(object).Get())));
    return std::wstring(text);
  };
  tSmartPtr<Orv::IDataVector> vector;
  tSmartPtr<Orv::IDataWriter> writer;
  Orv::CLog log;
  ASSERT_TRUE(Orv::CreateDataWriter(vector.Receive(), writer.Receive()) && log.AddWriter(writer));
  Orv::DebugDumpObject(a, nullptr, log, 2);
  Orv::DebugDumpObject(nullptr, nullptr, log, 2);
  auto& bytes = vector->GetVector();
  EXPECT_EQ(line(a, 2) + line(own, 6) + line(&silent, 6) + line(&answering, 6) + line(b, 6) +
                L"          <no services>\n" + line(c, 10) + L"              <no services>\n",
            std::wstring(reinterpret_cast<const wchar_t*>(bytes.Data()), bytes.Count() / 2));

  EXPECT_TRUE(a->RemoveServiceProvider(&answering));
  EXPECT_FALSE(a->RemoveServiceProvider(&answering) || a->RemoveServiceProvider(nullptr));
  EXPECT_EQ(nullptr, Found(a, other));
  a->RemoveServiceProvider(&silent);
  EXPECT_EQ(2u, silent.refs + answering.refs);
}
