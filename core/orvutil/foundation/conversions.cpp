// Conversions between the library string and UTF-16 buffers, the ANSI code page, UTF-8, BSTRs and
// GUID text. Multi-byte conversions go through the system converters with explicit lengths, so
// invalid or truncated input is replaced (U+FFFD, '?') and never read past.
#include <climits>
#include <cstring>
#include <cwchar>
#include <cwctype>

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
  if (!s || !*s || length == 0) return tstring();
  return tstring(s, BoundedLength(s, length));
}

tstring StringToUnicode(wchar_t const* s, unsigned int length) {
  return StringFromUnicode(s, length);
}

tstring StringFromACP(char const* s, unsigned int length) {
  if (!s || !*s || length == 0) return tstring();
  int bytes = MultiByteCount(s, length);
  if (bytes == 0) return tstring();
  int needed = MultiByteToWideChar(CP_ACP, 0, s, bytes, nullptr, 0);
  if (needed <= 0) return tstring();
  tstring result(static_cast<unsigned int>(needed), L' ');
  if (result.size() != static_cast<unsigned int>(needed)) return tstring();
  int written = MultiByteToWideChar(CP_ACP, 0, s, bytes, result.begin(), needed);
  if (written <= 0) return tstring();
  if (written < needed) result.resize(static_cast<unsigned int>(written));
  return result;
}

tstring StringFromUTF8(char const* s, unsigned int length) {
  if (!s || !*s || length == 0) return tstring();
  int bytes = MultiByteCount(s, length);
  if (bytes == 0) return tstring();
  int needed = MultiByteToWideChar(CP_UTF8, 0, s, bytes, nullptr, 0);
  if (needed <= 0 || needed == INT_MAX) return tstring();
  tVectorPOD<wchar_t, 256> scratch;
  if (!scratch.Resize(static_cast<unsigned int>(needed) + 1, L'\0')) return tstring();
  int written = MultiByteToWideChar(CP_UTF8, 0, s, bytes, scratch.Data(), needed);
  if (written <= 0) return tstring();
  scratch[static_cast<unsigned int>(written)] = L'\0';
  return tstring(scratch.Data());  // up to the first zero character
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

namespace {

// "{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}" with hex digits: CLSIDFromString alone would also take a
// ProgID registered on the machine.
bool IsRegistryGuidText(wchar_t const* s) {
  for (int i = 0; i < 38; ++i) {
    wchar_t c = s[i];
    bool ok = i == 0 ? c == L'{' : i == 37 ? c == L'}' : (i == 9 || i == 14 || i == 19 || i == 24) ? c == L'-' : iswxdigit(c) != 0;
    if (!ok || !c) return false;
  }
  return s[38] == 0;
}

}  // namespace

bool StringToGUID(wchar_t const* s, GUID& guid) {
  if (s && IsRegistryGuidText(s) && SUCCEEDED(CLSIDFromString(const_cast<wchar_t*>(s), &guid))) return true;
  memset(&guid, 0, sizeof guid);
  return false;
}

}  // namespace Orv
