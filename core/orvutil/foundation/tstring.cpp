// tstring: records, sharing and copy on write, and the editing members.
#include "orvutil/foundation/tstring.h"

#include <cstdint>
#include <cstring>
#include <cwchar>

#include "../detail/never_destroyed.h"

namespace Orv {

using Base = tstring_base<TStringShared>;
using size_type = Base::size_type;

// Emitted here so that the DLL exports them: code that binds them to a reference imports them.
constexpr size_type Base::npos;
constexpr size_type Base::kMaxSize;

// The empty record and the pool live in static storage and are never destroyed: strings held by
// static objects may still release their records while the process runs its exit-time
// destructors, and a destroyed pool would then be written to after it freed its blocks.
TStringShared* Base::GetEmptyString() {
  static Detail::tNeverDestroyed<TStringShared> s_empty;
  return &s_empty.Get();
}

tPoolAllocator<TStringShared>& Base::GetSharedStringAllocator() {
  static Detail::tNeverDestroyed<tPoolAllocator<TStringShared>> s_pool;
  return s_pool.Get();
}

void Base::FreeShared(TStringShared* record) {
  // The empty record is static: an unbalanced release must never hand it to the pool.
  if (record == GetEmptyString()) return;
  GetSharedStringAllocator().Delete(record);
}

void Base::_init() {
  m_shared = GetEmptyString();
  m_shared->AddRef();
}

bool Base::Unshare() {
  if (!m_shared) _init();  // a moved-from string starts again from empty
  if (m_shared->GetRefCount() == 1) return true;
  TStringShared* fresh = GetSharedStringAllocator().New();
  if (!fresh) return false;
  size_type length = size();
  if (length && !fresh->Insert(0, m_shared->Data(), length)) {
    GetSharedStringAllocator().Delete(fresh);
    return false;
  }
  TStringShared* old = m_shared;
  m_shared = fresh;
  if (old->Release() == 0) FreeShared(old);
  return true;
}

size_type Base::Measure(const wchar_t* s, size_type n) {
  if (!s) return 0;
  if (n != npos) return n;
  size_t length = wcslen(s);
  return length > kMaxSize ? kMaxSize : static_cast<size_type>(length);
}

bool Base::Overlaps(const wchar_t* s, size_type count) const {
  uintptr_t source = reinterpret_cast<uintptr_t>(s);
  uintptr_t first = reinterpret_cast<uintptr_t>(m_shared->Data());
  uintptr_t last = first + static_cast<uintptr_t>(m_shared->Count()) * sizeof(wchar_t);
  if (source >= last) return false;
  return source >= first || first - source < static_cast<uintptr_t>(count) * sizeof(wchar_t);
}

// Construction from characters takes a private record at once instead of first sharing the
// empty one (which would cost two more interlocked operations on one process-wide count).
void Base::Start(size_type count) {
  m_shared = count ? GetSharedStringAllocator().New() : nullptr;
  if (!m_shared) _init();
}

Base::tstring_base(const wchar_t* s) : tstring_base(s, npos) {}

Base::tstring_base(const wchar_t* s, size_type n) {
  n = Measure(s, n);
  Start(n);
  _replace(0, 0, s, n);
}

Base::tstring_base(wchar_t c) {
  Start(1);
  _replaceFill(0, 0, 1, c);
}

Base::tstring_base(size_type n, wchar_t c) {
  Start(n);
  _replaceFill(0, 0, n, c);
}

Base& Base::assign(const tstring_base& other, size_type pos, size_type n) {
  tstring part = other.substr(pos, n);
  swap(part);
  return *this;
}

Base& Base::assign(const wchar_t* s, size_type n) {
  tstring_base built(s, n);
  swap(built);
  return *this;
}

Base& Base::assign(size_type n, wchar_t c) {
  tstring_base built(n, c);
  swap(built);
  return *this;
}

Base& Base::append(const tstring_base& s, size_type pos, size_type n) {
  size_type length = s.size();
  if (pos > length) pos = length;
  if (n > length - pos) n = length - pos;
  return _replace(size(), 0, s.data() + pos, n);
}

Base& Base::insert(size_type pos, const tstring_base& s, size_type pos2, size_type n) {
  size_type length = s.size();
  if (pos2 > length) pos2 = length;
  if (n > length - pos2) n = length - pos2;
  return _replace(pos, 0, s.data() + pos2, n);
}

Base& Base::replace(size_type pos, size_type n, const tstring_base& s, size_type pos2, size_type n2) {
  size_type length = s.size();
  if (pos2 > length) pos2 = length;
  if (n2 > length - pos2) n2 = length - pos2;
  return _replace(pos, n, s.data() + pos2, n2);
}

void Base::PushBackGrowing(wchar_t c) {
  if (!_edit()) return;
  TStringShared& record = *m_shared;
  unsigned count = record.Count();
  if (count - 1 >= kMaxSize) return;
  record.Insert(count - 1, &c, 1);
}

Base& Base::_replace(size_type pos, size_type n, const wchar_t* s, size_type count) {
  if (!m_shared) _init();
  size_type length = size();
  if (pos > length) pos = length;
  if (n > length - pos) n = length - pos;
  if (!s) count = 0;
  if (n == 0 && count == 0) return *this;
  if (count > n && count - n > kMaxSize - length) return *this;  // would pass max_size()
  if (count && Overlaps(s, count)) {
    // The source lies in this string's own buffer, which the edit moves or frees: copy it first
    // (never past the last character).
    uintptr_t end = reinterpret_cast<uintptr_t>(m_shared->Data() + length);
    uintptr_t from = reinterpret_cast<uintptr_t>(s);
    size_type available = from < end ? static_cast<size_type>((end - from) / sizeof(wchar_t)) : 0;
    tstring_base source(s, count < available ? count : available);
    return _replace(pos, n, source.data(), source.size());
  }
  if (!_edit()) return *this;
  TStringShared& record = *m_shared;
  if (count > n) {
    if (!record.Insert(pos + n, s + n, count - n)) return *this;
  } else if (n > count) {
    record.Erase(pos + count, n - count);
  }
  size_type common = n < count ? n : count;
  if (common) std::memcpy(record.Data() + pos, s, static_cast<size_t>(common) * sizeof(wchar_t));
  return *this;
}

Base& Base::_replaceFill(size_type pos, size_type n, size_type count, wchar_t c) {
  if (!m_shared) _init();
  size_type length = size();
  if (pos > length) pos = length;
  if (n > length - pos) n = length - pos;
  if (n == 0 && count == 0) return *this;
  if (count > n && count - n > kMaxSize - length) return *this;  // would pass max_size()
  if (!_edit()) return *this;
  TStringShared& record = *m_shared;
  if (count > n) {
    // Grow at the end, then move the tail (with its terminator) up over the new room.
    unsigned oldCount = record.Count();
    if (!record.Resize(oldCount + (count - n), c)) return *this;
    wchar_t* chars = record.Data();
    std::memmove(chars + pos + count, chars + pos + n, static_cast<size_t>(oldCount - pos - n) * sizeof(wchar_t));
  } else if (n > count) {
    record.Erase(pos + count, n - count);
  }
  wchar_t* chars = record.Data() + pos;
  for (size_type i = 0; i < count; ++i) chars[i] = c;
  return *this;
}

void Base::resize(size_type n, wchar_t c) {
  size_type length = size();
  if (n < length) {
    erase(n, npos);
  } else if (n > length) {
    append(n - length, c);
  }
}

void Base::reserve(size_type n) {
  if (!_edit() || n >= kMaxSize) return;
  m_shared->Reserve(n + 1);
}

void Base::clear() {
  TStringShared* empty = GetEmptyString();
  if (m_shared != empty) Share(empty);
}

tstring Base::substr(size_type pos, size_type n) const {
  size_type length = size();
  if (pos >= length) return tstring();
  if (n > length - pos) n = length - pos;
  if (pos == 0 && n == length) return tstring(*this);
  return tstring(data() + pos, n);
}

size_type Base::copy(wchar_t* dest, size_type n, size_type pos) const {
  size_type length = size();
  if (!dest || pos >= length) return 0;
  if (n > length - pos) n = length - pos;
  std::memcpy(dest, data() + pos, static_cast<size_t>(n) * sizeof(wchar_t));
  return n;
}

namespace {

// A new string of `a` followed by `b`, with one buffer of the final size.
tstring Concat(const wchar_t* a, size_type la, const wchar_t* b, size_type lb) {
  tstring result;
  if (la > Base::kMaxSize - lb) return result;
  result.reserve(la + lb);
  result.append(a, la);
  result.append(b, lb);
  return result;
}

size_type Length(const wchar_t* s) {
  if (!s) return 0;
  size_t length = wcslen(s);
  return length > Base::kMaxSize ? Base::kMaxSize : static_cast<size_type>(length);
}

}  // namespace

tstring Base::operator+(const tstring_base& s) const {
  return Concat(data(), size(), s.data(), s.size());
}

tstring Base::operator+(const wchar_t* s) const {
  return Concat(data(), size(), s, Length(s));
}

tstring Base::operator+(wchar_t c) const {
  return Concat(data(), size(), &c, 1);
}

tstring operator+(const wchar_t* s, const tstring_base<TStringShared>& t) {
  return Concat(s, Length(s), t.data(), t.size());
}

tstring operator+(wchar_t c, const tstring_base<TStringShared>& t) {
  return Concat(&c, 1, t.data(), t.size());
}

template <>
unsigned int HashFunc<tstring>(tstring const& key) {
  return HashBytes(reinterpret_cast<unsigned char const*>(key.c_str()), key.size());
}

template <>
unsigned int HashFunc<tstring_base<TStringShared>>(tstring_base<TStringShared> const& key) {
  return HashBytes(reinterpret_cast<unsigned char const*>(key.c_str()), key.size());
}

}  // namespace Orv
