// tstring: printf-style formatting with the Windows runtime's wide rules (%s is a wide string).
//
// The runtime's own _vsnwprintf_s is called directly, never the C library's vswprintf, whose
// meaning of %s follows __USE_MINGW_ANSI_STDIO.
#include <stdio.h>

#include <cstdarg>

#include "orvutil/foundation/tstring.h"

namespace Orv {

using Base = tstring_base<TStringShared>;

namespace {

constexpr unsigned kScratchChars = 1024;       // results below this need no heap
constexpr unsigned kMaxFormatChars = 0x10000;  // largest scratch size; results up to 65535 characters

}  // namespace

bool Base::format_v(const wchar_t* fmt, va_list args) {
  if (!fmt || !*fmt) {
    clear();
    return true;
  }
  tVectorPOD<wchar_t, kScratchChars> scratch;
  for (unsigned chars = kScratchChars;; chars *= 2) {
    if (!scratch.Resize(chars)) break;
    scratch[0] = L'\0';
    va_list pass;
    va_copy(pass, args);
    // _TRUNCATE: write what fits with a terminator and report -1 when the result was cut.
    int written = _vsnwprintf_s(scratch.Data(), chars, _TRUNCATE, fmt, pass);
    va_end(pass);
    if (written >= 0) {
      assign(scratch.Data());
      return true;
    }
    if (chars >= kMaxFormatChars) break;
  }
  clear();
  return false;
}

bool Base::format(const wchar_t* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  bool formatted = format_v(fmt, args);
  va_end(args);
  return formatted;
}

tstring Base::format_new_v(const wchar_t* fmt, va_list args) {
  tstring result;
  result.format_v(fmt, args);
  return result;
}

tstring Base::format_new(const wchar_t* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  tstring result;
  result.format_v(fmt, args);
  va_end(args);
  return result;
}

}  // namespace Orv
