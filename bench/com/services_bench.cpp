// Finding a service among 1,000 in a collection, against std::unordered_map<GUID, IUnknown*> find;
// both hand out the interface asked for with a reference (QueryInterface) and release it.
#include <windows.h>

#include <cstring>
#include <unordered_map>
#include <vector>

#include "../harness.h"
#include "orvutil/orvutil.h"

ORV_DEFINE_MODULE(Orv::CModule)

namespace {

constexpr int kServices = 1000;

// A minimal object that counts its references.
struct CService : public IUnknown {
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** ppv) override {
    *ppv = this;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs; }
  ULONG refs = 1;
};

struct GuidHash {
  size_t operator()(const GUID& guid) const {
    unsigned long long words[2];
    std::memcpy(words, &guid, sizeof(words));
    return std::hash<unsigned long long>()(words[0] ^ (words[1] * 0x9E3779B97F4A7C15ull));
  }
};
struct GuidEqual {
  bool operator()(const GUID& a, const GUID& b) const { return ::IsEqualGUID(a, b) != 0; }
};

}  // namespace

ORV_BENCHMARK(ServiceLookup) {
  static Orv::CWinMainInit s_init(0);
  std::vector<CService> services(kServices);
  std::vector<GUID> sids;
  std::unordered_map<GUID, IUnknown*, GuidHash, GuidEqual> peer;
  Orv::tSmartPtr<Orv::IServiceCollection> plain, locked;
  Orv::CreateServiceCollection(false, plain.Receive());
  Orv::CreateServiceCollection(true, locked.Receive());
  for (int i = 0; i < kServices; ++i) {
    sids.push_back(Orv::CreateGuid());
    peer.emplace(sids.back(), &services[i]);
    plain->AddService(sids.back(), &services[i]);
    locked->AddService(sids.back(), &services[i]);
  }
  unsigned next = 0;
  auto lookUp = [&](Orv::IServiceCollection* collection) {
    IUnknown* found = nullptr;
    collection->QueryService(sids[next++ % kServices], IID_IUnknown, reinterpret_cast<void**>(&found));
    found->Release();
  };
  auto peerLookUp = [&] {
    IUnknown* found = nullptr;
    peer.find(sids[next++ % kServices])->second->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&found));
    found->Release();
  };
  OrvBench::Compare("QueryService among 1000 services", "std::unordered_map<GUID, IUnknown*>::find",
                    [&] { lookUp(plain); }, peerLookUp);
  OrvBench::Compare("QueryService among 1000, thread-safe", "std::unordered_map<GUID, IUnknown*>::find",
                    [&] { lookUp(locked); }, peerLookUp);
}
