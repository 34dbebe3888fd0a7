// Shared strings against std::wstring: copying (a shared record against a deep copy) and
// appending characters one at a time.
#include <string>

#include "../harness.h"
#include "orvutil/foundation.h"

ORV_BENCHMARK(TStringCopy) {
  const Orv::tstring ours(100, L'a');
  const std::wstring peer(100, L'a');
  OrvBench::Compare(
      "tstring.copy_100", "std::wstring",
      [&] {
        Orv::tstring copy(ours);
        OrvBench::KeepAlive(copy);
      },
      [&] {
        std::wstring copy(peer);
        OrvBench::KeepAlive(copy);
      });
}

ORV_BENCHMARK(TStringAppendChars) {
  OrvBench::Compare(
      "tstring.push_back_1000", "std::wstring",
      [] {
        Orv::tstring s;
        for (int i = 0; i < 1000; ++i) s += static_cast<wchar_t>(L'a' + (i & 15));
        OrvBench::KeepAlive(s);
      },
      [] {
        std::wstring s;
        for (int i = 0; i < 1000; ++i) s += static_cast<wchar_t>(L'a' + (i & 15));
        OrvBench::KeepAlive(s);
      });
}
