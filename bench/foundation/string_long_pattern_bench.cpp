// Work that grows with the text alone: searching for a long pattern that almost matches
// everywhere, against the standard library's Boyer-Moore searcher (std::wstring::find compares
// at every position), and replacing every character of a long text, against building the same
// result with std::wstring.
#include <algorithm>
#include <functional>
#include <string>

#include "../harness.h"
#include "orvutil/foundation.h"

ORV_BENCHMARK(TStringFindLongPattern) {
  const std::wstring text(80000, L'a');
  std::wstring pattern(39999, L'a');
  pattern += L'b';
  const Orv::tstring ours(text.c_str(), static_cast<unsigned>(text.size()));
  const Orv::tstring needle(pattern.c_str(), static_cast<unsigned>(pattern.size()));
  const std::boyer_moore_searcher<std::wstring::const_iterator> searcher(pattern.begin(), pattern.end());
  OrvBench::Compare(
      "tstring.find_40000_almost_matching_in_80000", "std::boyer_moore_searcher",
      [&] { OrvBench::KeepAlive(ours.find(needle)); },
      [&] { OrvBench::KeepAlive(std::search(text.begin(), text.end(), searcher)); });
}

ORV_BENCHMARK(ReplaceAllEveryCharacter) {
  const std::wstring text(100000, L'a');
  OrvBench::Compare(
      "ReplaceAll_100000_a_by_bb", "std::wstring built by appending",
      [&] {
        Orv::tstring s(text.c_str(), static_cast<unsigned>(text.size()));
        OrvBench::KeepAlive(Orv::ReplaceAll(s, L"a", L"bb"));
      },
      [&] {
        std::wstring out;
        size_t at = 0;
        for (size_t hit; (hit = text.find(L'a', at)) != std::wstring::npos; at = hit + 1) {
          out.append(text, at, hit - at);
          out += L"bb";
        }
        out.append(text, at, std::wstring::npos);
        OrvBench::KeepAlive(out);
      });
}
