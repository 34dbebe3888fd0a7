// Helpers shared by the data family's sources: range tests that cannot wrap around 32 bits, the
// record padding rule, and handing out a new object through a creator's out-parameter.
#pragma once

#include "orvutil/com/comobject.h"
#include "orvutil/foundation/vector.h"

namespace Orv {
namespace DataDetail {

// Whether `size` bytes at `offset` lie inside `total` bytes.
inline bool RangeFits(unsigned offset, unsigned size, unsigned total) {
  return offset <= total && size <= total - offset;
}

// `n` rounded up to a multiple of 4; false when that passes 32 bits.
inline bool Padded(unsigned n, unsigned& padded) {
  if (n > 0xFFFFFFFCu) return false;
  padded = (n + 3u) & ~3u;
  return true;
}

// Reserves room in `bytes` for output expected to reach `expected` bytes, but never more than the
// input can produce (`reachable`) nor more than 64 MiB up front: a size read from stored data may
// be hostile, and the vector grows as needed beyond the reservation. Only a hint: failure is fine.
inline void ReserveForOutput(tVectorPOD<unsigned char>& bytes, unsigned expected, unsigned long long reachable) {
  const unsigned long long kMostUpFront = 64ull << 20;
  unsigned long long room = expected < reachable ? expected : reachable;
  bytes.Reserve(static_cast<unsigned>(room < kMostUpFront ? room : kMostUpFront));
}

// Creates a CComObject<T>, lets `init` set it up (false drops it) and hands it out through `out`
// as interface I.
template <class T, class I, class Init>
bool HandOut(I** out, Init&& init) {
  if (!out) return false;
  *out = nullptr;
  T* object = nullptr;
  if (FAILED(CComObject<T>::CreateObject(nullptr, &object))) return false;
  if (!init(*object)) {
    static_cast<I*>(object)->Release();
    return false;
  }
  *out = object;
  return true;
}

}  // namespace DataDetail
}  // namespace Orv
