// Conversions between the library string and UTF-16 buffers, the ANSI code page, UTF-8, BSTRs and
// GUID text. Multi-byte conversions go through the system converters with explicit lengths, so
// invalid or truncated input is replaced (U+FFFD, '?') and never read past.
#include <climits>
#include <cstring>
#include <cwchar>

#include <objbase.h>
#include <oleauto.h>

#include "orvutil/foundation/strings.h"

namespace Orv {

namespace {

const unsigned int kToTerminator = 0xFFFFFFFFu;

// Number of characters of `s` before its terminator, reading at most `limit` of them.
unsigned int BoundedLength(wchar_t const* s, unsigned int limit) {
  unsigned int n = 0;
  while (n < limit && s[n]) ++n;
  return n;
}

// The byte count to hand to a system converter for `length` bytes at `s`: the measured length for
// the npos form, else `length`; 0 when the length does not fit the converter's int.
int MultiByteCount(char const* s, unsigned int length) {
  if (length == kToTerminator) {
    size_t measured = strlen(s);
    return measured > static_cast<size_t>(INT_MAX) ? 0 : static_cast<int>(measured);
  }
  return length > static_cast<unsigned int>(INT_MAX) ? 0 : static_cast<int>(length);
}

// `length` bytes at `s` (npos: up to the terminating zero) converted from `codePage`; every
// converted character is kept, zeros included.
tstring FromMultiByte(UINT codePage, char const* s, unsigned int length) {
  if (!s || length == 0) return tstring();
  int bytes = MultiByteCount(s, length);
  if (bytes == 0) return tstring();
  int needed = MultiByteToWideChar(codePage, 0, s, bytes, nullptr, 0);
  if (needed <= 0) return tstring();
  tstring result(static_cast<unsigned int>(needed), L' ');
  if (result.size() != static_cast<unsigned int>(needed)) return tstring();
  int written = MultiByteToWideChar(codePage, 0, s, bytes, result.begin(), needed);
  if (written <= 0) return tstring();
  if (written < needed) result.resize(static_cast<unsigned int>(written));
  return result;
}

bool HexDigitValue(wchar_t c, unsigned& value) {
  if (c >= L'0' && c <= L'9') {
    value = c - L'0';
  } else if (c >= L'a' && c <= L'f') {
    value = c - L'a' + 10;
  } else if (c >= L'A' && c <= L'F') {
    value = c - L'A' + 10;
  } else {
    return false;
  }
  return true;
}

// Reads `digits` hex digits at `s` into `value`; false at any other character.
template <class T>
bool ReadHex(wchar_t const* s, unsigned digits, T& value) {
  value = 0;
  for (unsigned i = 0; i < digits; ++i) {
    unsigned digit;
    if (!HexDigitValue(s[i], digit)) return false;
    value = static_cast<T>((value << 4) | digit);
  }
  return true;
}

// The registry form and nothing else: {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}, either case. Read by
// its syntax alone, so no program name is ever looked up.
bool ParseBracedGuid(wchar_t const* s, GUID& guid) {
  if (wcsnlen(s, 39) != 38 || s[0] != L'{' || s[9] != L'-' || s[14] != L'-' || s[19] != L'-' || s[24] != L'-' ||
      s[37] != L'}') {
    return false;
  }
  if (!ReadHex(s + 1, 8, guid.Data1) || !ReadHex(s + 10, 4, guid.Data2) || !ReadHex(s + 15, 4, guid.Data3)) {
    return false;
  }
  for (unsigned i = 0; i < 8; ++i) {
    unsigned at = i < 2 ? 20 + 2 * i : 25 + 2 * (i - 2);
    if (!ReadHex(s + at, 2, guid.Data4[i])) return false;
  }
  return true;
}

}  // namespace

CSysString::CSysString(wchar_t const* s) : m_bstr(s ? SysAllocString(s) : nullptr) {}

CSysString::~CSysString() {
  SysFreeString(m_bstr);
}

tstring StringFromBSTR(wchar_t* bstr) {
  if (!bstr || SysStringLen(bstr) == 0) return tstring();
  return tstring(bstr, BoundedLength(bstr, SysStringLen(bstr)));
}

tstring StringFromUnicode(wchar_t const* s, unsigned int length) {
  if (!s || length == 0) return tstring();
  return tstring(s, BoundedLength(s, length));
}

tstring StringToUnicode(wchar_t const* s, unsigned int length) {
  return StringFromUnicode(s, length);
}

tstring StringFromACP(char const* s, unsigned int length) {
  return FromMultiByte(CP_ACP, s, length);
}

tstring StringFromUTF8(char const* s, unsigned int length) {
  return FromMultiByte(CP_UTF8, s, length);
}

wchar_t* StringToBSTR(wchar_t const* s, unsigned int length) {
  if (!s) return nullptr;
  if (length == kToTerminator) return SysAllocString(s);
  return SysAllocStringLen(s, length);
}

bool StringToACP(tVectorPOD<char>& out, wchar_t const* s, unsigned int length) {
  out.Clear();
  if (!s || length == 0) return false;
  // npos goes through as −1: the converter then includes the terminator.
  if (length != kToTerminator && length > static_cast<unsigned int>(INT_MAX)) return false;
  int count = static_cast<int>(length);
  int needed = WideCharToMultiByte(CP_ACP, 0, s, count, nullptr, 0, nullptr, nullptr);
  if (needed <= 0 || !out.Resize(static_cast<unsigned int>(needed), '\0')) return false;
  int written = WideCharToMultiByte(CP_ACP, 0, s, count, out.Data(), needed, nullptr, nullptr);
  if (written <= 0) {
    out.Clear();
    return false;
  }
  if (written < needed) out.Resize(static_cast<unsigned int>(written));
  return true;
}

tstring StringFromGUID(GUID const& guid) {
  wchar_t buffer[45];
  memset(buffer, 0, sizeof buffer);
  if (StringFromGUID2(guid, buffer, 45) == 0) return tstring();
  return tstring(buffer);
}

bool StringToGUID(wchar_t const* s, GUID& guid) {
  if (s && ParseBracedGuid(s, guid)) return true;
  memset(&guid, 0, sizeof guid);
  return false;
}

}  // namespace Orv
