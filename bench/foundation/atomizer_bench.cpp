// CAtomizer::GetAtom of strings it already holds against a std::unordered_map<std::wstring,
// unsigned> lookup of the same C string (the peer builds the std::wstring key from it, as a caller
// holding a C string must), with the atomizer's lock switched off (before start-up) and on; with
// the lock on, the peer's lookup runs under a critical section too.
#include <windows.h>

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "../harness.h"
#include "orvutil/foundation.h"
#include "orvutil/threads.h"

namespace {

const unsigned kProbesPerCall = 1024;

// Identifier-like names of 8 to 27 characters.
std::vector<std::wstring> Names(unsigned count) {
  std::vector<std::wstring> names;
  for (unsigned i = 0; i < count; ++i)
    names.push_back(L"param_" + std::wstring(i % 16, L'x') + L"_" + std::to_wstring(i * 2654435761u % 100000));
  return names;
}

// Looks up kProbesPerCall of `count` stored strings per call, in a scattered order. The probed
// texts are the caller's own, not the atomizer's stored copies.
void CompareLookups(const char* name, unsigned count, bool locked) {
  std::vector<std::wstring> names = Names(count);
  auto ours = std::make_unique<Orv::CAtomizer>();
  std::unordered_map<std::wstring, unsigned> peer;
  for (const std::wstring& text : names) peer.emplace(text, ours->GetAtom(text.c_str()));
  std::vector<const wchar_t*> probes(kProbesPerCall);
  for (unsigned i = 0; i < kProbesPerCall; ++i) probes[i] = names[(i * 7919u) % count].c_str();
  CRITICAL_SECTION section;
  ::InitializeCriticalSectionEx(&section, 3000, 0);
  unsigned sink = 0;
  OrvBench::Compare(
      name, locked ? "std::unordered_map<std::wstring>.find + CS" : "std::unordered_map<std::wstring>.find",
      [&] {
        for (const wchar_t* text : probes) sink += ours->GetAtom(text);
      },
      [&] {
        for (const wchar_t* text : probes) {
          if (locked) ::EnterCriticalSection(&section);
          sink += peer.find(std::wstring(text))->second;
          if (locked) ::LeaveCriticalSection(&section);
        }
      });
  OrvBench::KeepAlive(sink);
  ::DeleteCriticalSection(&section);
}

}  // namespace

ORV_BENCHMARK(AtomizerGetAtom) {
  CompareLookups("CAtomizer.GetAtom 10000 strings x1024", 10000, false);
  CompareLookups("CAtomizer.GetAtom 500 strings x1024", 500, false);
}

ORV_BENCHMARK(AtomizerGetAtomLocked) {
  Orv::CScopeCriticalSection::SetCriticalSectionsAllowed(true);
  CompareLookups("CAtomizer.GetAtom 10000 strings x1024 (locking on)", 10000, true);
  Orv::CScopeCriticalSection::SetCriticalSectionsAllowed(false);
}
