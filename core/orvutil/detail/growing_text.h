// Text from the Windows functions that fill a caller's buffer and, when it is too small, report the
// size they need instead.
#pragma once

#include <windows.h>

#include "orvutil/foundation/tstring.h"

namespace Orv {
namespace Detail {

// Reads in all: the first size, then up to four retries with the size asked for (the text may grow
// again between two reads, when another thread changes it).
constexpr int kGrowingTextReads = 5;

// The text of a function that, called as `fill(size, buffer)`, returns the characters it wrote, or,
// when `size` is too small, the size it needs (terminator included), or 0 on failure. Starts with
// `firstSize` characters. `terminatorCounted` says that a successful result counts the terminator
// (ExpandEnvironmentStringsW) rather than not (most others). Empty on failure.
template <typename Fill>
tstring ReadGrowingText(DWORD firstSize, Fill&& fill, bool terminatorCounted = false) {
  DWORD size = firstSize;
  for (int read = 0; read < kGrowingTextReads; ++read) {
    tstring text(size, L'\0');
    if (text.size() != size) return tstring();
    DWORD result = fill(size, text.begin());
    if (result == 0) return tstring();
    if (result < size || (terminatorCounted && result == size)) {
      text.resize(terminatorCounted ? result - 1 : result);
      return text;
    }
    size = result;
  }
  return tstring();
}

}  // namespace Detail
}  // namespace Orv
