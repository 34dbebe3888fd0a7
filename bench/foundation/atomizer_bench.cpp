// CAtomizer::GetAtom of strings it already holds against std::unordered_map<std::wstring,
// unsigned>::find, with the atomizer's lock switched off (before start-up) and on.
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "../harness.h"
#include "orvutil/foundation.h"
#include "orvutil/threads.h"

namespace {

const unsigned kProbesPerCall = 1024;

// Identifier-like names of 10 to 25 characters, probed in a scattered order.
std::vector<std::wstring> Names(unsigned count) {
  std::vector<std::wstring> names;
  for (unsigned i = 0; i < count; ++i)
    names.push_back(L"param_" + std::wstring(i % 16, L'x') + L"_" + std::to_wstring(i * 2654435761u % 100000));
  return names;
}

// Looks up kProbesPerCall of `count` stored strings per call.
void CompareLookups(const char* name, unsigned count) {
  std::vector<std::wstring> names = Names(count);
  auto ours = std::make_unique<Orv::CAtomizer>();
  std::unordered_map<std::wstring, unsigned> peer;
  for (const std::wstring& text : names) peer.emplace(text, ours->GetAtom(text.c_str()));
  std::vector<unsigned> order(kProbesPerCall);
  for (unsigned i = 0; i < kProbesPerCall; ++i) order[i] = (i * 7919u) % count;
  unsigned sink = 0;
  OrvBench::Compare(
      name, "std::unordered_map<std::wstring>.find",
      [&] {
        for (unsigned i : order) sink += ours->GetAtom(names[i].c_str());
      },
      [&] {
        for (unsigned i : order) sink += peer.find(names[i])->second;
      });
  OrvBench::KeepAlive(sink);
}

}  // namespace

ORV_BENCHMARK(AtomizerGetAtom) {
  CompareLookups("CAtomizer.GetAtom 10000 strings x1024", 10000);
  CompareLookups("CAtomizer.GetAtom 500 strings x1024", 500);
}

ORV_BENCHMARK(AtomizerGetAtomLocked) {
  Orv::CScopeCriticalSection::SetCriticalSectionsAllowed(true);
  CompareLookups("CAtomizer.GetAtom 10000 strings x1024 (locking on)", 10000);
  Orv::CScopeCriticalSection::SetCriticalSectionsAllowed(false);
}
