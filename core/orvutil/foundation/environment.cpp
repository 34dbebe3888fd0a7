// Environment variables of the process.
#include "orvutil/foundation/paths.h"

#include "../detail/growing_text.h"

namespace Orv {

namespace {

// Variables and expansions are read with this many characters first, then with what Windows asks for.
constexpr DWORD kFirstVariableBuffer = 256;

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
  return Detail::ReadGrowingText(
      kFirstVariableBuffer, [name](DWORD size, wchar_t* buffer) { return ::GetEnvironmentVariableW(name, buffer, size); });
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
  return Detail::ReadGrowingText(
      kFirstVariableBuffer,
      [text](DWORD size, wchar_t* buffer) { return ::ExpandEnvironmentStringsW(text, buffer, size); }, true);
}

}  // namespace Orv
