// tstring: searching and ordinal comparison.
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

}  // namespace

size_type Base::FindChars(const wchar_t* s, size_type pos, size_type n) const {
  size_type length = size();
  if (!s || n == 0 || n > length || pos > length - n) return npos;
  const wchar_t* chars = data();
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
