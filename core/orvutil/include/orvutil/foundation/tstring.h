// tstring: the library's wide string (UTF-16 code units) with a shared, reference-counted
// character buffer and copy on write.
//
// A tstring is one pointer to a TStringShared record. Copying a string shares the record (one
// interlocked increment); the first change made through a string that shares its record gives
// that string a private copy first (_edit). Records come from one process-wide pool; every empty
// string that was never changed shares one static empty record, so empty strings never allocate.
//
// The member set follows the standard wide string, with positions and counts as unsigned int and
// npos = 0xFFFFFFFF. Differences: an empty pattern is never found by find/rfind; comparison is
// ordinal by code unit with no locale; positions and counts out of range are clipped to the string
// instead of throwing (the library throws no exceptions of its own).
//
// Threading: the reference count is the only state shared between copies and it changes only by
// interlocked operations, so threads may copy, pass and destroy strings that share a record, and
// each may change its own copy. One tstring object must not be used by a writer and another thread
// at the same time.
#pragma once

#include <windows.h>

#include <cstdarg>
#include <type_traits>

#include "orvutil/export.h"
#include "orvutil/foundation/hash.h"
#include "orvutil/foundation/pool.h"
#include "orvutil/foundation/precondition.h"
#include "orvutil/foundation/stringallocator.h"
#include "orvutil/foundation/vector.h"

namespace Orv {

// The shared character buffer of strings: the characters and a terminating zero (so Count() is
// the length plus one), 16 characters inline and longer buffers from StringAllocator, plus the
// number of strings that point here. Made by the string pool with count 1 and one reference.
class TStringShared : public tVectorPOD<wchar_t, 16, StringAllocator> {
 public:
  TStringShared() : m_refCount(1) { PushBack(L'\0'); }
  TStringShared(const TStringShared&) = delete;
  TStringShared& operator=(const TStringShared&) = delete;

  long AddRef() { return InterlockedIncrement(&m_refCount); }
  long Release() { return InterlockedDecrement(&m_refCount); }
  // The current count: an aligned 32-bit load with acquire ordering. A count of 1 cannot change
  // under the caller's feet: only a thread that holds a reference can add one, and the caller's
  // string is then the only holder, which no other thread may use while it is being changed. The
  // acquire pairs with the interlocked decrement of a holder that let go, so whatever that holder
  // read from the buffer was read before the caller writes to it. A count above 1 may fall at any
  // time; the caller then copies once more than needed, which changes no result.
  long GetRefCount() const { return __atomic_load_n(&m_refCount, __ATOMIC_ACQUIRE); }

 private:
  LONG volatile m_refCount;
};

class tstring;

template <class TShared>
class tstring_base;

namespace Detail {
// Enables the iterator and range forms of the string members for character pointers only, so that
// a literal 0 position never matches a pointer parameter.
template <class P>
using tEnableIfCharPtr =
    std::enable_if_t<std::is_same<P, wchar_t*>::value || std::is_same<P, const wchar_t*>::value, int>;
}  // namespace Detail

// All behaviour of tstring; see the file comment.
template <>
class ORV_API tstring_base<TStringShared> {
 public:
  using size_type = unsigned int;
  using value_type = wchar_t;
  using reference = wchar_t&;
  using const_reference = const wchar_t&;
  using iterator = wchar_t*;
  using const_iterator = const wchar_t*;

  static constexpr size_type npos = 0xFFFFFFFFu;
  static constexpr size_type kMaxSize = 0x7FFFFFFFu;

  // Construction and lifetime.
  tstring_base() { _init(); }
  tstring_base(const tstring_base& other) : m_shared(other.m_shared) { m_shared->AddRef(); }
  // Takes the record; the source is left a valid empty string (sharing the empty record).
  tstring_base(tstring_base&& other) noexcept : m_shared(other.m_shared) { other._init(); }
  tstring_base(const wchar_t* s);
  // `n` characters of `s` (npos: up to its terminator); null or zero gives the empty string.
  tstring_base(const wchar_t* s, size_type n);
  template <class P, Detail::tEnableIfCharPtr<P> = 0>
  tstring_base(P first, P last) {
    size_type count = Distance(first, last);
    Start(count);
    _replace(0, 0, first, count);
  }
  explicit tstring_base(wchar_t c);
  tstring_base(size_type n, wchar_t c);
  ~tstring_base() { _release(); }

  // Points at the empty record with one more reference; the string must hold no record.
  void _init();
  // Drops this string's reference (returning the record to the pool with the last one) and holds
  // none afterwards.
  void _release() {
    if (m_shared) {
      if (m_shared->Release() == 0) FreeShared(m_shared);
      m_shared = nullptr;
    }
  }
  // Makes the record private to this string before a change. False only when no record could be
  // allocated; the string is unchanged then and the change must not be made.
  bool _edit() { return (m_shared && m_shared->GetRefCount() == 1) || Unshare(); }

  // Assignment. Assigning characters builds a new string and shares it into this one.
  tstring_base& operator=(const tstring_base& other) { return assign(other); }
  tstring_base& operator=(tstring_base&& other) noexcept {
    if (this != &other) {
      _release();
      m_shared = other.m_shared;
      other._init();
    }
    return *this;
  }
  tstring_base& operator=(const wchar_t* s) { return assign(s); }
  tstring_base& operator=(wchar_t c) { return assign(1, c); }
  tstring_base& assign(const tstring_base& other) {
    if (m_shared != other.m_shared) Share(other.m_shared);
    return *this;
  }
  tstring_base& assign(const tstring_base& other, size_type pos, size_type n);
  tstring_base& assign(const wchar_t* s, size_type n = npos);
  tstring_base& assign(size_type n, wchar_t c);
  template <class P, Detail::tEnableIfCharPtr<P> = 0>
  tstring_base& assign(P first, P last) {
    return assign(first, Distance(first, last));
  }

  // Access. The non-const forms that hand out a writable pointer or reference unshare first.
  const wchar_t* c_str() const { return m_shared->Data(); }
  const wchar_t* data() const { return m_shared->Data(); }
  const_iterator begin() const { return m_shared->Data(); }
  const_iterator end() const { return m_shared->Data() + size(); }
  const_iterator rbegin() const { return end() - 1; }
  const_iterator rend() const { return begin() - 1; }
  iterator begin() { return Writable(); }
  iterator end() { return Writable() + size(); }
  iterator rbegin() { return end() - 1; }
  iterator rend() { return begin() - 1; }
  // Character access; `i` must be at most size(), where the terminator is (checked in debug builds).
  const wchar_t& operator[](size_type i) const {
    ORV_PRECONDITION(i <= size());
    return m_shared->Data()[i];
  }
  const wchar_t& at(size_type i) const {
    ORV_PRECONDITION(i <= size());
    return m_shared->Data()[i];
  }
  wchar_t& operator[](size_type i) {
    ORV_PRECONDITION(i <= size());
    return Writable()[i];
  }
  wchar_t& at(size_type i) {
    ORV_PRECONDITION(i <= size());
    return Writable()[i];
  }
  size_type size() const { return m_shared->Count() - 1; }
  size_type length() const { return m_shared->Count() - 1; }
  bool empty() const { return m_shared->Count() == 1; }
  size_type capacity() const { return m_shared->Capacity(); }
  size_type max_size() const { return kMaxSize; }

  // Modification. Positions beyond the end are taken as the end, counts are clipped to what the
  // string holds; a change that would pass max_size() is not made.
  tstring_base& append(const tstring_base& s) { return _replace(size(), 0, s.data(), s.size()); }
  tstring_base& append(const tstring_base& s, size_type pos, size_type n);
  tstring_base& append(const wchar_t* s, size_type n = npos) { return _replace(size(), 0, s, Measure(s, n)); }
  tstring_base& append(size_type n, wchar_t c) { return _replaceFill(size(), 0, n, c); }
  template <class P, Detail::tEnableIfCharPtr<P> = 0>
  tstring_base& append(P first, P last) {
    return _replace(size(), 0, first, Distance(first, last));
  }
  tstring_base& operator+=(const tstring_base& s) { return append(s); }
  tstring_base& operator+=(const wchar_t* s) { return append(s); }
  tstring_base& operator+=(wchar_t c) {
    push_back(c);
    return *this;
  }
  void push_back(wchar_t c) {
    if (_edit()) {
      TStringShared& record = *m_shared;
      unsigned count = record.Count();
      if (count < record.Capacity()) {  // room for one more: store it and move the terminator
        record.Data()[count - 1] = c;
        record.PushBack(L'\0');
        return;
      }
    }
    PushBackGrowing(c);
  }

  tstring_base& insert(size_type pos, const tstring_base& s) { return _replace(pos, 0, s.data(), s.size()); }
  tstring_base& insert(size_type pos, const tstring_base& s, size_type pos2, size_type n);
  tstring_base& insert(size_type pos, const wchar_t* s, size_type n = npos) {
    return _replace(pos, 0, s, Measure(s, n));
  }
  tstring_base& insert(size_type pos, size_type n, wchar_t c) { return _replaceFill(pos, 0, n, c); }
  // Iterator forms: `p` is a position in this string.
  template <class P, Detail::tEnableIfCharPtr<P> = 0>
  iterator insert(P p, wchar_t c) {
    size_type pos = PositionOf(p);
    _replaceFill(pos, 0, 1, c);
    return begin() + pos;
  }
  template <class P, Detail::tEnableIfCharPtr<P> = 0>
  void insert(P p, size_type n, wchar_t c) {
    _replaceFill(PositionOf(p), 0, n, c);
  }
  template <class P, class Q, Detail::tEnableIfCharPtr<P> = 0, Detail::tEnableIfCharPtr<Q> = 0>
  void insert(P p, Q first, Q last) {
    _replace(PositionOf(p), 0, first, Distance(first, last));
  }

  // Removes `n` characters at `pos` (npos: to the end).
  tstring_base& erase(size_type pos = 0, size_type n = npos) { return _replaceFill(pos, n, 0, L'\0'); }
  template <class P, Detail::tEnableIfCharPtr<P> = 0>
  iterator erase(P p) {
    size_type pos = PositionOf(p);
    erase(pos, 1);
    return begin() + pos;
  }
  template <class P, Detail::tEnableIfCharPtr<P> = 0>
  iterator erase(P first, P last) {
    size_type pos = PositionOf(first);
    erase(pos, RangeCount(first, last));
    return begin() + pos;
  }

  tstring_base& replace(size_type pos, size_type n, const tstring_base& s) {
    return _replace(pos, n, s.data(), s.size());
  }
  tstring_base& replace(size_type pos, size_type n, const tstring_base& s, size_type pos2, size_type n2);
  tstring_base& replace(size_type pos, size_type n, const wchar_t* s, size_type n2 = npos) {
    return _replace(pos, n, s, Measure(s, n2));
  }
  tstring_base& replace(size_type pos, size_type n, size_type n2, wchar_t c) { return _replaceFill(pos, n, n2, c); }
  template <class P, Detail::tEnableIfCharPtr<P> = 0>
  tstring_base& replace(P first, P last, const tstring_base& s) {
    return replace(PositionOf(first), RangeCount(first, last), s);
  }
  template <class P, Detail::tEnableIfCharPtr<P> = 0>
  tstring_base& replace(P first, P last, const tstring_base& s, size_type pos2, size_type n2) {
    return replace(PositionOf(first), RangeCount(first, last), s, pos2, n2);
  }
  template <class P, Detail::tEnableIfCharPtr<P> = 0>
  tstring_base& replace(P first, P last, const wchar_t* s, size_type n2 = npos) {
    return replace(PositionOf(first), RangeCount(first, last), s, n2);
  }
  template <class P, Detail::tEnableIfCharPtr<P> = 0>
  tstring_base& replace(P first, P last, size_type n2, wchar_t c) {
    return _replaceFill(PositionOf(first), RangeCount(first, last), n2, c);
  }

  // Grows with copies of `c` (zeros by default) or shrinks to `n` characters; the same size
  // changes nothing, not even the sharing.
  void resize(size_type n, wchar_t c = L'\0');
  // Capacity for `n` characters and the terminator.
  void reserve(size_type n);
  // Shares the empty record.
  void clear();
  // Exchanges the two records; no reference count changes.
  void swap(tstring_base& other) {
    TStringShared* mine = m_shared;
    m_shared = other.m_shared;
    other.m_shared = mine;
  }

  // The core edits: the `n` characters at `pos` become `count` characters from `s` (which may lie
  // in this string), or `count` copies of `c`.
  tstring_base& _replace(size_type pos, size_type n, const wchar_t* s, size_type count);
  tstring_base& _replaceFill(size_type pos, size_type n, size_type count, wchar_t c);

  // Non-mutating results.
  tstring substr(size_type pos = 0, size_type n = npos) const;
  // Copies min(n, size() − pos) characters to `dest` without a terminator; returns that number.
  size_type copy(wchar_t* dest, size_type n, size_type pos = 0) const;
  tstring operator+(const tstring_base& s) const;
  tstring operator+(const wchar_t* s) const;
  tstring operator+(wchar_t c) const;

  // Search; npos when nothing is found. A pattern given as a pointer with n = npos is measured up
  // to its terminator; a null pattern is never found.
  size_type find(wchar_t c, size_type pos = 0) const;
  size_type find(const wchar_t* s, size_type pos = 0, size_type n = npos) const;
  size_type find(const tstring_base& s, size_type pos = 0) const { return FindChars(s.data(), pos, s.size()); }
  size_type rfind(wchar_t c, size_type pos = npos) const;
  size_type rfind(const wchar_t* s, size_type pos = npos, size_type n = npos) const;
  size_type rfind(const tstring_base& s, size_type pos = npos) const { return RFindChars(s.data(), pos, s.size()); }

  size_type find_first_of(wchar_t c, size_type pos = 0) const { return find(c, pos); }
  size_type find_first_of(const wchar_t* s, size_type pos = 0, size_type n = npos) const;
  size_type find_first_of(const tstring_base& s, size_type pos = 0) const {
    return FirstOf(s.data(), pos, s.size(), true);
  }
  size_type find_first_not_of(wchar_t c, size_type pos = 0) const { return FirstOf(&c, pos, 1, false); }
  size_type find_first_not_of(const wchar_t* s, size_type pos = 0, size_type n = npos) const;
  size_type find_first_not_of(const tstring_base& s, size_type pos = 0) const {
    return FirstOf(s.data(), pos, s.size(), false);
  }
  size_type find_last_of(wchar_t c, size_type pos = npos) const { return rfind(c, pos); }
  size_type find_last_of(const wchar_t* s, size_type pos = npos, size_type n = npos) const;
  size_type find_last_of(const tstring_base& s, size_type pos = npos) const {
    return LastOf(s.data(), pos, s.size(), true);
  }
  size_type find_last_not_of(wchar_t c, size_type pos = npos) const { return LastOf(&c, pos, 1, false); }
  size_type find_last_not_of(const wchar_t* s, size_type pos = npos, size_type n = npos) const;
  size_type find_last_not_of(const tstring_base& s, size_type pos = npos) const {
    return LastOf(s.data(), pos, s.size(), false);
  }

  // Ordinal comparison: negative, zero or positive. A pointer side is read up to its terminator
  // (and at most its count); a null pointer compares as the empty string.
  int compare(const tstring_base& s) const;
  int compare(const wchar_t* s, size_type n = npos) const;
  int compare(size_type pos, size_type n, const wchar_t* s, size_type n2 = npos) const;
  int compare(size_type pos, size_type n, const tstring_base& s) const;
  int compare(size_type pos, size_type n, const tstring_base& s, size_type pos2, size_type n2) const;

  bool operator==(const tstring_base& s) const {
    return m_shared == s.m_shared || (size() == s.size() && compare(s) == 0);
  }
  bool operator!=(const tstring_base& s) const { return !(*this == s); }
  bool operator<(const tstring_base& s) const { return compare(s) < 0; }
  bool operator<=(const tstring_base& s) const { return compare(s) <= 0; }
  bool operator>(const tstring_base& s) const { return compare(s) > 0; }
  bool operator>=(const tstring_base& s) const { return compare(s) >= 0; }
  bool operator==(const wchar_t* s) const { return compare(s) == 0; }
  bool operator!=(const wchar_t* s) const { return compare(s) != 0; }
  bool operator<(const wchar_t* s) const { return compare(s) < 0; }
  bool operator<=(const wchar_t* s) const { return compare(s) <= 0; }
  bool operator>(const wchar_t* s) const { return compare(s) > 0; }
  bool operator>=(const wchar_t* s) const { return compare(s) >= 0; }
  bool operator==(wchar_t c) const { return CompareChar(c) == 0; }
  bool operator!=(wchar_t c) const { return CompareChar(c) != 0; }
  bool operator<(wchar_t c) const { return CompareChar(c) < 0; }
  bool operator<=(wchar_t c) const { return CompareChar(c) <= 0; }
  bool operator>(wchar_t c) const { return CompareChar(c) > 0; }
  bool operator>=(wchar_t c) const { return CompareChar(c) >= 0; }

  // Formatting with the Windows wide printf rules (%s is a wide string). Results of up to 65535
  // characters; a longer one fails, returns false and leaves the string empty.
  bool format(const wchar_t* fmt, ...);
  bool format_v(const wchar_t* fmt, va_list args);
  // A new formatted string; empty on failure.
  static tstring format_new(const wchar_t* fmt, ...);
  static tstring format_new_v(const wchar_t* fmt, va_list args);

  // The static empty record shared by every empty, unchanged string.
  static TStringShared* GetEmptyString();
  // The process-wide pool of string records.
  static tPoolAllocator<TStringShared>& GetSharedStringAllocator();

 private:
  void Share(TStringShared* record) {
    record->AddRef();
    TStringShared* old = m_shared;
    m_shared = record;
    if (old && old->Release() == 0) FreeShared(old);
  }
  static void FreeShared(TStringShared* record);
  bool Unshare();
  void PushBackGrowing(wchar_t c);
  // Holds a fresh private record when `count` characters are about to be stored, else the empty one.
  void Start(size_type count);
  wchar_t* Writable() {
    _edit();
    return m_shared->Data();
  }

  static size_type Measure(const wchar_t* s, size_type n);
  template <class P>
  static size_type Distance(P first, P last) {
    return first && last > first && last - first <= static_cast<ptrdiff_t>(kMaxSize)
               ? static_cast<size_type>(last - first)
               : 0;
  }
  // Position of a pointer into this string, clipped to 0..size().
  size_type PositionOf(const wchar_t* p) const {
    const wchar_t* first = data();
    if (p <= first) return 0;
    size_type length = size();
    return p - first >= static_cast<ptrdiff_t>(length) ? length : static_cast<size_type>(p - first);
  }
  size_type RangeCount(const wchar_t* first, const wchar_t* last) const {
    size_type from = PositionOf(first), to = PositionOf(last);
    return to > from ? to - from : 0;
  }
  bool Overlaps(const wchar_t* s, size_type count) const;

  size_type FindChars(const wchar_t* s, size_type pos, size_type n) const;
  size_type RFindChars(const wchar_t* s, size_type pos, size_type n) const;
  size_type FirstOf(const wchar_t* set, size_type pos, size_type n, bool inSet) const;
  size_type LastOf(const wchar_t* set, size_type pos, size_type n, bool inSet) const;
  int CompareChar(wchar_t c) const;

  TStringShared* m_shared;
};

// The library's string type: tstring_base<TStringShared> under its everyday name.
class ORV_API tstring : public tstring_base<TStringShared> {
  using Base = tstring_base<TStringShared>;

 public:
  tstring() = default;
  tstring(const tstring& other) = default;
  tstring(const Base& other) : Base(other) {}
  tstring(tstring&& other) noexcept = default;
  tstring(Base&& other) noexcept : Base(static_cast<Base&&>(other)) {}
  tstring(const wchar_t* s) : Base(s) {}
  tstring(const wchar_t* s, size_type n) : Base(s, n) {}
  template <class P, Detail::tEnableIfCharPtr<P> = 0>
  tstring(P first, P last) : Base(first, last) {}
  explicit tstring(wchar_t c) : Base(c) {}
  tstring(size_type n, wchar_t c) : Base(n, c) {}

  tstring& operator=(const tstring& other) {
    Base::operator=(other);
    return *this;
  }
  tstring& operator=(const Base& other) {
    Base::operator=(other);
    return *this;
  }
  tstring& operator=(tstring&& other) noexcept {
    Base::operator=(static_cast<Base&&>(other));
    return *this;
  }
  tstring& operator=(Base&& other) noexcept {
    Base::operator=(static_cast<Base&&>(other));
    return *this;
  }
  tstring& operator=(const wchar_t* s) {
    Base::operator=(s);
    return *this;
  }
  tstring& operator=(wchar_t c) {
    Base::operator=(c);
    return *this;
  }
};

// Concatenation with the string on the right.
ORV_API tstring operator+(const wchar_t* s, const tstring_base<TStringShared>& t);
ORV_API tstring operator+(wchar_t c, const tstring_base<TStringShared>& t);

// A C string on the left of a comparison.
inline bool operator==(const wchar_t* s, const tstring_base<TStringShared>& t) {
  return t == s;
}
inline bool operator!=(const wchar_t* s, const tstring_base<TStringShared>& t) {
  return t != s;
}
inline bool operator<(const wchar_t* s, const tstring_base<TStringShared>& t) {
  return t > s;
}
inline bool operator<=(const wchar_t* s, const tstring_base<TStringShared>& t) {
  return t >= s;
}
inline bool operator>(const wchar_t* s, const tstring_base<TStringShared>& t) {
  return t < s;
}
inline bool operator>=(const wchar_t* s, const tstring_base<TStringShared>& t) {
  return t <= s;
}

// Hash of a string for the hash containers: HashBytes over size() bytes of the character data,
// that is over the first half of the characters' bytes. Strings that differ only in their second
// half collide; equality is still decided by the key comparison.
template <>
ORV_API unsigned int HashFunc<tstring>(tstring const& key);
template <>
ORV_API unsigned int HashFunc<tstring_base<TStringShared>>(tstring_base<TStringShared> const& key);

// Three-way ordering in one comparison instead of two.
template <>
inline int CompareFunc<tstring>(tstring const& a, tstring const& b) {
  int result = a.compare(b);
  return result < 0 ? -1 : result > 0 ? 1 : 0;
}

}  // namespace Orv
