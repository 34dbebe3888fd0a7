// Strings in test checks and failure messages: the characters as a std::wstring, and a readable
// print with code units outside ASCII as \x escapes.
#pragma once

#include <ostream>
#include <string>

#include "orvutil/foundation/tstring.h"

namespace Orv {
inline void PrintTo(const tstring& s, std::ostream* os) {
  *os << '"';
  for (unsigned i = 0; i < s.size(); ++i) {
    unsigned c = s[i];
    if (c >= 0x20 && c < 0x7F) {
      *os << static_cast<char>(c);
    } else {
      *os << "\\x" << std::hex << c << std::dec;
    }
  }
  *os << '"';
}
}  // namespace Orv

inline std::wstring Std(const Orv::tstring& s) {
  return std::wstring(s.data(), s.size());
}
