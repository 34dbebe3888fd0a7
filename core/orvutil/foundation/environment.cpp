// Environment variables of the process.
#include "orvutil/foundation/paths.h"

namespace Orv {

namespace {

// Another thread may change a variable between asking for its size and reading it: a read that
// finds the value grown again is retried this many times.
constexpr int kReadAttempts = 4;

// Reads text whose size is not known in advance: `read(buffer, size)` follows the Windows rule of
// returning the number of characters written, or the size needed (terminator included) when
// `size` is too small, or 0 on failure. `terminatorCounted` says whether a successful result
// includes the terminator (ExpandEnvironmentStringsW) or not (GetEnvironmentVariableW).
template <class Read>
tstring ReadSizedText(Read read, bool terminatorCounted) {
  wchar_t small[256];
  DWORD result = read(small, static_cast<DWORD>(sizeof small / sizeof small[0]));
  DWORD size = sizeof small / sizeof small[0];
  if (result == 0) return tstring();
  if (result < size || (terminatorCounted && result == size)) {
    return tstring(small, terminatorCounted ? result - 1 : result);
  }
  for (int attempt = 0; attempt < kReadAttempts; ++attempt) {
    size = result;
    tstring text(size, L'\0');
    result = read(text.begin(), size);
    if (result == 0) return tstring();
    if (result < size || (terminatorCounted && result == size)) {
      text.resize(terminatorCounted ? result - 1 : result);
      return text;
    }
  }
  return tstring();
}

// Adds one "name=value" entry of an environment block. The name ends at the first "=" after its
// first character, so that the hidden per-drive entries such as "=C:=C:\dir" keep their names.
void AddEnvironmentEntry(const wchar_t* entry, tMap<tstring, tstring>& variables) {
  const wchar_t* equals = entry[0] ? entry + 1 : entry;
  while (*equals && *equals != L'=') ++equals;
  tstring name(entry, static_cast<tstring::size_type>(equals - entry));
  tstring value(*equals ? equals + 1 : equals);
  variables.Insert(name, value);
}

}  // namespace

tstring GetEnvironmentVariableW(wchar_t const* name) {
  if (!name || !name[0]) return tstring();
  return ReadSizedText([name](wchar_t* buffer, DWORD size) { return ::GetEnvironmentVariableW(name, buffer, size); },
                       false);
}

void GetEnvironmentVariables(tMap<tstring, tstring>& variables) {
  variables.Clear();
  wchar_t* block = ::GetEnvironmentStringsW();
  if (!block) return;
  for (const wchar_t* entry = block; *entry;) {
    const wchar_t* end = entry;
    while (*end) ++end;
    AddEnvironmentEntry(entry, variables);
    entry = end + 1;
  }
  ::FreeEnvironmentStringsW(block);
}

tstring ExpandEnvironmentVariables(wchar_t const* text) {
  if (!text) return tstring();
  if (!text[0]) return tstring();
  return ReadSizedText([text](wchar_t* buffer, DWORD size) { return ::ExpandEnvironmentStringsW(text, buffer, size); },
                       true);
}

}  // namespace Orv
