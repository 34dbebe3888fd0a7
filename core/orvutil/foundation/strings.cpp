// String utilities: case folding, resource strings, replace/strip/split, date and time stamps and
// command-line tokenising.
#include "orvutil/foundation/strings.h"

#include <algorithm>
#include <cwchar>
#include <cwctype>

#include <oleauto.h>

#include "orvutil/threads/locks.h"

namespace Orv {

namespace {

// Applies `fold` to each character of `s`, stopping at the terminator when `length` is npos.
template <class F>
void FoldInPlace(wchar_t* s, unsigned int length, F fold) {
  if (!s) return;
  if (length == kToTerminator) {
    for (; *s; ++s) *s = fold(*s);
  } else {
    for (unsigned int i = 0; i < length; ++i) s[i] = fold(s[i]);
  }
}

wchar_t AsciiLower(wchar_t c) {
  return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

}  // namespace

void CanonicalizeStringInPlace(wchar_t* s, unsigned int length) {
  FoldInPlace(s, length, AsciiLower);
}

tstring CanonicalizeString(wchar_t const* s, unsigned int length) {
  if (!s || length == 0) return tstring();
  tstring result(s, length);
  if (!result.empty()) CanonicalizeStringInPlace(result.begin(), result.size());
  return result;
}

void LowerCaseInPlace(wchar_t* s, unsigned int length) {
  FoldInPlace(s, length, [](wchar_t c) { return static_cast<wchar_t>(towlower(c)); });
}

void UpperCaseInPlace(wchar_t* s, unsigned int length) {
  FoldInPlace(s, length, [](wchar_t c) { return static_cast<wchar_t>(towupper(c)); });
}

namespace {

// The resource-instance override; changed under its global section, read without it.
HINSTANCE volatile g_instanceOverride = nullptr;

// Calls `f` with the position of each occurrence of `from` that ReplaceAll replaces: found left
// to right, each search starting after the previous occurrence, until one ends the text.
template <class F>
void ForEachReplacement(const tstring& s, wchar_t const* from, unsigned int fromLength, F f) {
  unsigned int length = s.size();
  for (unsigned int hit = s.find(from, 0, fromLength); hit != tstring::npos;) {
    f(hit);
    unsigned int next = hit + fromLength;
    if (next >= length) return;
    hit = s.find(from, next, fromLength);
  }
}

bool IsStripSpace(wchar_t c) {
  return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n';
}

bool IsDelimiter(wchar_t c, wchar_t const* delimiters) {
  for (; *delimiters; ++delimiters)
    if (*delimiters == c) return true;
  return false;
}

// Loads string resource `id` into `buffer` (at most `capacity` − 1 characters); false when no
// module is known or the load failed with an error code.
bool LoadResourceString(HINSTANCE module, unsigned int id, wchar_t* buffer, int capacity) {
  HINSTANCE source = g_instanceOverride;  // read once: another thread may change it
  if (!source) source = module;
  buffer[0] = L'\0';
  if (!source) return false;
  SetLastError(ERROR_SUCCESS);  // a stale error code must not turn an empty resource into a failure
  int length = ::LoadStringW(source, id, buffer, capacity);
  if (length <= 0) {
    buffer[0] = L'\0';
    return GetLastError() == ERROR_SUCCESS;
  }
  return true;
}

}  // namespace

InstanceOverride::InstanceOverride(HINSTANCE instance) {
  CScopeCriticalSection lock(eGlobalCSResourceModule);
  m_previous = g_instanceOverride;
  g_instanceOverride = instance;
}

InstanceOverride::~InstanceOverride() {
  CScopeCriticalSection lock(eGlobalCSResourceModule);
  g_instanceOverride = m_previous;
}

HINSTANCE InstanceOverride::GetCurrent() {
  return g_instanceOverride;
}

tstring LoadStringW(HINSTANCE module, unsigned int id) {
  wchar_t buffer[1024];
  if (!LoadResourceString(module, id, buffer, 1024)) return tstring();
  return tstring(buffer);
}

wchar_t* LoadBSTR(HINSTANCE module, unsigned int id) {
  wchar_t buffer[1023];
  if (!LoadResourceString(module, id, buffer, 1023)) buffer[0] = L'\0';
  return SysAllocString(buffer);
}

tstring& ReplaceAll(tstring& s, wchar_t const* from, wchar_t const* to) {
  if (!from || !*from) return s;
  if (!to) to = L"";
  unsigned int fromLength = static_cast<unsigned int>(wcsnlen(from, tstring::kMaxSize));
  unsigned int toLength = static_cast<unsigned int>(wcsnlen(to, tstring::kMaxSize));
  // The result is built beside `s`, so patterns that lie inside `s` stay valid meanwhile.
  unsigned long long hits = 0;
  ForEachReplacement(s, from, fromLength, [&](unsigned int) { ++hits; });
  if (hits == 0) return s;
  unsigned long long size = s.size() + hits * toLength - hits * fromLength;
  if (size > tstring::kMaxSize) return s;  // the result would not fit in a string
  tstring result(static_cast<unsigned int>(size), L'\0');
  if (result.size() != size) return s;  // no room for the result
  wchar_t* out = size ? result.begin() : nullptr;
  unsigned int done = 0;
  ForEachReplacement(s, from, fromLength, [&](unsigned int hit) {
    out = std::copy(s.data() + done, s.data() + hit, out);
    out = std::copy(to, to + toLength, out);
    done = hit + fromLength;
  });
  std::copy(s.data() + done, s.data() + s.size(), out);
  s.swap(result);
  return s;
}

tstring& ReplaceAll(tstring& s, wchar_t from, wchar_t to) {
  if (from == to) return s;
  unsigned int pos = s.find(from);
  if (pos == tstring::npos) return s;  // nothing to change: keep sharing the buffer
  unsigned int length = s.size();
  wchar_t* chars = s.begin();
  for (; pos < length; ++pos)
    if (chars[pos] == from) chars[pos] = to;
  return s;
}

tstring& StripSpaces(tstring& s, bool /*front*/, bool /*back*/) {
  unsigned int length = s.size();
  const wchar_t* chars = s.c_str();
  unsigned int first = 0;
  while (first < length && IsStripSpace(chars[first])) ++first;
  unsigned int last = length;
  while (last > first && IsStripSpace(chars[last - 1])) --last;
  if (first == 0 && last == length) return s;
  if (first == last) {
    s.clear();
    return s;
  }
  s.erase(last);
  s.erase(0, first);
  return s;
}

tObjVector<tstring> SplitString(wchar_t const* text, wchar_t const* delimiters, bool keepEmpty) {
  tObjVector<tstring> pieces;
  if (!text || !delimiters || !*delimiters || !*text) return pieces;
  const wchar_t* start = text;
  const wchar_t* p = text;
  for (; *p; ++p) {
    if (!IsDelimiter(*p, delimiters)) continue;
    if (p > start || keepEmpty) pieces.PushBack(tstring(start, p));
    start = p + 1;
  }
  if (p > start) pieces.PushBack(tstring(start, p));
  return pieces;
}

tstring GetDateAsString() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return tstring::format_new(L"%02d/%02d/%04d", now.wMonth, now.wDay, now.wYear);
}

tstring GetTimeAsString() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return tstring::format_new(L"%02d:%02d:%02d", now.wHour, now.wMinute, now.wSecond);
}

void TokenizeCommandLine(wchar_t const* line, tObjVector<tstring>& words) {
  words.Clear();
  if (!line) line = ::GetCommandLineW();
  if (!line) return;
  tstring word;
  wchar_t quote = 0;
  for (; *line; ++line) {
    wchar_t c = *line;
    if (quote) {
      if (c == quote)
        quote = 0;
      else
        word.push_back(c);
    } else if (c == L'"' || c == L'\'') {
      quote = c;
    } else if (iswspace(c)) {
      if (!word.empty()) {
        words.PushBack(word);
        word.clear();
      }
    } else {
      word.push_back(c);
    }
  }
  if (!word.empty()) words.PushBack(word);
}

}  // namespace Orv
