// tstring: searching and ordinal comparison.
#include <cstddef>
#include <cstring>
#include <cwchar>

#include "orvutil/foundation/tstring.h"

namespace Orv {

using Base = tstring_base<TStringShared>;
using size_type = Base::size_type;

namespace {

// Length of `s` up to its terminator and at most `limit` characters (npos: no limit but
// max_size); a null pointer has length 0.
size_type BoundedLength(const wchar_t* s, size_type limit) {
  if (!s) return 0;
  size_t length = wcsnlen(s, limit < Base::kMaxSize ? limit : Base::kMaxSize);
  return static_cast<size_type>(length);
}

// Ordinal comparison of two character ranges by 16-bit code unit. Embedded zeros are characters
// like any other. The same range compares equal without reading it.
int CompareRanges(const wchar_t* a, size_type la, const wchar_t* b, size_type lb) {
  if (a == b && la == lb) return 0;
  size_type common = la < lb ? la : lb;
  for (size_type i = 0; i < common; ++i) {
    if (a[i] != b[i]) return static_cast<unsigned>(a[i]) < static_cast<unsigned>(b[i]) ? -1 : 1;
  }
  return la < lb ? -1 : la > lb ? 1 : 0;
}

bool SameChars(const wchar_t* a, const wchar_t* b, size_type n) {
  return std::memcmp(a, b, static_cast<size_t>(n) * sizeof(wchar_t)) == 0;
}

bool InSet(const wchar_t* set, size_type n, wchar_t c) {
  return n && wmemchr(set, c, n) != nullptr;
}

// Patterns up to this length are searched by comparing at each position, which costs at most this
// many comparisons per text character; longer ones by the two-way algorithm, whose cost is linear
// in the text whatever the pattern.
constexpr size_type kShortPattern = 32;

// The start of the maximal suffix of x[0, m) under the code-unit order (or its reverse), minus
// one, and the period of that suffix. Crochemore and Perrin's computation, in linear time.
ptrdiff_t MaximalSuffix(const wchar_t* x, ptrdiff_t m, bool reversed, ptrdiff_t& period) {
  ptrdiff_t start = -1, j = 0, k = 1;
  period = 1;
  while (j + k < m) {
    unsigned a = static_cast<unsigned>(x[j + k]), b = static_cast<unsigned>(x[start + k]);
    if (reversed ? a > b : a < b) {
      j += k;
      k = 1;
      period = j - start;
    } else if (a == b) {
      if (k != period) {
        ++k;
      } else {
        j += period;
        k = 1;
      }
    } else {
      start = j;
      j = start + 1;
      k = period = 1;
    }
  }
  return start;
}

// The first occurrence of x[0, m) in y[0, n) by the two-way algorithm (Crochemore and Perrin):
// the pattern is cut at a critical factorisation; the right part is matched left to right, then
// the left part right to left, and the shifts use the period so that no text character is
// compared more than twice. -1 when there is none. Needs m <= n.
ptrdiff_t TwoWayFind(const wchar_t* y, ptrdiff_t n, const wchar_t* x, ptrdiff_t m) {
  ptrdiff_t p, q;
  ptrdiff_t i = MaximalSuffix(x, m, false, p);
  ptrdiff_t j = MaximalSuffix(x, m, true, q);
  ptrdiff_t cut = i > j ? i : j;
  ptrdiff_t period = i > j ? p : q;
  if (SameChars(x, x + period, static_cast<size_type>(cut + 1))) {
    // The pattern is periodic: after a match of the right part, the part already matched is
    // remembered and not compared again.
    ptrdiff_t memory = -1;
    for (j = 0; j <= n - m;) {
      i = (cut > memory ? cut : memory) + 1;
      while (i < m && x[i] == y[i + j]) ++i;
      if (i < m) {
        j += i - cut;
        memory = -1;
        continue;
      }
      i = cut;
      while (i > memory && x[i] == y[i + j]) --i;
      if (i <= memory) return j;
      j += period;
      memory = m - period - 1;
    }
    return -1;
  }
  period = (cut + 1 > m - cut - 1 ? cut + 1 : m - cut - 1) + 1;
  for (j = 0; j <= n - m;) {
    i = cut + 1;
    while (i < m && x[i] == y[i + j]) ++i;
    if (i < m) {
      j += i - cut;
      continue;
    }
    i = cut;
    while (i >= 0 && x[i] == y[i + j]) --i;
    if (i < 0) return j;
    j += period;
  }
  return -1;
}

}  // namespace

size_type Base::FindChars(const wchar_t* s, size_type pos, size_type n) const {
  size_type length = size();
  if (!s || n == 0 || n > length || pos > length - n) return npos;
  const wchar_t* chars = data();
  if (n > kShortPattern) {
    ptrdiff_t at = TwoWayFind(chars + pos, length - pos, s, n);
    return at < 0 ? npos : pos + static_cast<size_type>(at);
  }
  for (size_type i = pos, last = length - n; i <= last; ++i) {
    if (chars[i] == s[0] && SameChars(chars + i, s, n)) return i;
  }
  return npos;
}

size_type Base::RFindChars(const wchar_t* s, size_type pos, size_type n) const {
  size_type length = size();
  if (!s || n == 0 || n > length) return npos;
  const wchar_t* chars = data();
  size_type start = pos < length - n ? pos : length - n;
  for (size_type i = start + 1; i-- > 0;) {
    if (chars[i] == s[0] && SameChars(chars + i, s, n)) return i;
  }
  return npos;
}

size_type Base::FirstOf(const wchar_t* set, size_type pos, size_type n, bool inSet) const {
  if (!set) return npos;
  const wchar_t* chars = data();
  for (size_type i = pos, length = size(); i < length; ++i) {
    if (InSet(set, n, chars[i]) == inSet) return i;
  }
  return npos;
}

size_type Base::LastOf(const wchar_t* set, size_type pos, size_type n, bool inSet) const {
  size_type length = size();
  if (!set || length == 0) return npos;
  const wchar_t* chars = data();
  for (size_type i = (pos < length - 1 ? pos : length - 1) + 1; i-- > 0;) {
    if (InSet(set, n, chars[i]) == inSet) return i;
  }
  return npos;
}

size_type Base::find(wchar_t c, size_type pos) const {
  size_type length = size();
  if (pos >= length) return npos;
  const wchar_t* chars = data();
  const wchar_t* hit = wmemchr(chars + pos, c, length - pos);
  return hit ? static_cast<size_type>(hit - chars) : npos;
}

size_type Base::find(const wchar_t* s, size_type pos, size_type n) const {
  return FindChars(s, pos, Measure(s, n));
}

size_type Base::rfind(wchar_t c, size_type pos) const {
  return LastOf(&c, pos, 1, true);
}

size_type Base::rfind(const wchar_t* s, size_type pos, size_type n) const {
  return RFindChars(s, pos, Measure(s, n));
}

size_type Base::find_first_of(const wchar_t* s, size_type pos, size_type n) const {
  return FirstOf(s, pos, Measure(s, n), true);
}

size_type Base::find_first_not_of(const wchar_t* s, size_type pos, size_type n) const {
  return FirstOf(s, pos, Measure(s, n), false);
}

size_type Base::find_last_of(const wchar_t* s, size_type pos, size_type n) const {
  return LastOf(s, pos, Measure(s, n), true);
}

size_type Base::find_last_not_of(const wchar_t* s, size_type pos, size_type n) const {
  return LastOf(s, pos, Measure(s, n), false);
}

int Base::compare(const tstring_base& s) const {
  if (m_shared == s.m_shared) return 0;
  return CompareRanges(data(), size(), s.data(), s.size());
}

int Base::compare(const wchar_t* s, size_type n) const {
  return CompareRanges(data(), size(), s, BoundedLength(s, n));
}

int Base::compare(size_type pos, size_type n, const wchar_t* s, size_type n2) const {
  size_type length = size();
  if (pos > length) pos = length;
  if (n > length - pos) n = length - pos;
  return CompareRanges(data() + pos, n, s, BoundedLength(s, n2));
}

int Base::compare(size_type pos, size_type n, const tstring_base& s) const {
  return compare(pos, n, s, 0, npos);
}

int Base::compare(size_type pos, size_type n, const tstring_base& s, size_type pos2, size_type n2) const {
  size_type length = size(), length2 = s.size();
  if (pos > length) pos = length;
  if (n > length - pos) n = length - pos;
  if (pos2 > length2) pos2 = length2;
  if (n2 > length2 - pos2) n2 = length2 - pos2;
  return CompareRanges(data() + pos, n, s.data() + pos2, n2);
}

int Base::CompareChar(wchar_t c) const {
  return CompareRanges(data(), size(), &c, 1);
}

}  // namespace Orv
