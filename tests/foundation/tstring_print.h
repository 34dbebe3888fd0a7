// Strings in test checks and failure messages: the characters as a std::wstring, printed as
// GoogleTest prints one (code units outside ASCII as \x escapes). Also what several string tests share: random
// texts, the sign of a comparison, and the shared-string records in use.
#pragma once

#include <gtest/gtest.h>

#include <ostream>
#include <random>
#include <string>

#include "orvutil/foundation/tstring.h"

namespace Orv {
inline void PrintTo(const tstring& s, std::ostream* os) {
  *os << ::testing::PrintToString(std::wstring(s.data(), s.size()));
}
}  // namespace Orv

inline std::wstring Std(const Orv::tstring& s) {
  return std::wstring(s.data(), s.size());
}

// Up to `maxLength` characters drawn from `alphabet`.
inline std::wstring RandomText(std::mt19937& random, const wchar_t* alphabet, unsigned maxLength) {
  std::wstring text(random() % (maxLength + 1), L' ');
  for (wchar_t& c : text) c = alphabet[random() % std::char_traits<wchar_t>::length(alphabet)];
  return text;
}

inline int Sign(int value) {
  return (value > 0) - (value < 0);
}

inline unsigned RecordsInUse() {
  return Orv::tstring::GetSharedStringAllocator().InUse();
}
