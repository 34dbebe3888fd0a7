// Registry: a key holder and typed value helpers. Values are 32-bit numbers (REG_DWORD), UTF-16
// strings (REG_SZ) and GUIDs stored in their braced string form. Every helper returns a success
// flag; readers fall back to the caller's default and never read past the stored data.
//
// The helpers share their names with the Win32 functions they wrap but live in namespace Orv and
// take different arguments; call them qualified (Orv::RegGetValueW) next to `using namespace`.
// Threading: no shared state; a CRegKey belongs to one thread at a time.
#pragma once

#include "orvutil/export.h"
#include "orvutil/foundation/tstring.h"

#include <windows.h>

namespace Orv {

// Owns one open registry key handle (null when closed); the destructor closes it.
class ORV_API CRegKey {
 public:
  CRegKey() = default;
  ~CRegKey() { Close(); }
  CRegKey(const CRegKey&) = delete;
  CRegKey& operator=(const CRegKey&) = delete;

  // Creates or opens `subkey` under `parent` with full access. The new key is opened before the
  // held one is closed, so `parent` may be this object's own key. Returns the handle; null on
  // failure (the object then holds no key).
  HKEY Create(HKEY parent, const wchar_t* subkey);
  // Opens `subkey` with read access when `readOnly`, full access otherwise; the same order and
  // result as Create.
  HKEY Open(HKEY parent, const wchar_t* subkey, bool readOnly);
  void Close();
  operator HKEY() const { return m_key; }

 private:
  HKEY Hold(HKEY key);
  HKEY m_key = nullptr;
};

// Typed reads: true when the value exists with the expected type and a fitting size; otherwise
// `value` receives the default and the result is false. A DWORD must be exactly 4 bytes; a string
// must have a non-zero even byte size (a missing terminator is supplied; the text ends at its first
// NUL); a GUID is read as a string and parsed. A null default string yields the empty string.
ORV_API bool RegGetValueW(HKEY key, const wchar_t* name, unsigned long& value, unsigned long defaultValue);
ORV_API bool RegGetValueW(HKEY key, const wchar_t* name, tstring& value, const wchar_t* defaultValue);
ORV_API bool RegGetValueW(HKEY key, const wchar_t* name, GUID& value, const GUID& defaultValue);

// Typed writes. Strings are stored with their terminator (the empty string takes 2 bytes); a null
// text is refused.
ORV_API bool RegSetValueW(HKEY key, const wchar_t* name, unsigned long value);
ORV_API bool RegSetValueW(HKEY key, const wchar_t* name, const wchar_t* text);
ORV_API bool RegSetValueW(HKEY key, const wchar_t* name, const GUID& value);

ORV_API bool RegDeleteValueW(HKEY key, const wchar_t* name);
// Deletes `subkey` and its whole subtree. Keys deeper than 32 levels below `key` are not touched:
// the deletion then fails and leaves the chain down to them in place.
ORV_API bool RegDeleteKeyW(HKEY key, const wchar_t* subkey);

// The name of the sub-key (or value) at `index`; false and an empty name when `index` is out of
// range or the enumeration fails. `type`, when not null, receives the value's type.
ORV_API bool RegEnumKeyW(HKEY key, unsigned long index, tstring& name);
ORV_API bool RegEnumValueW(HKEY key, unsigned long index, tstring& name, unsigned long* type);

}  // namespace Orv
