// Prints strings readably in test failure messages.
#pragma once

#include <ostream>

#include "orvutil/foundation/tstring.h"

namespace Orv {
// Readable failure messages: the characters, with code units outside ASCII as \x escapes.
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
