// String utilities: resource strings, replace/strip/split, date and time stamps, case folding,
// conversions between UTF-16, the ANSI code page, UTF-8, BSTR and GUID text, and command-line
// tokenising.
//
// Threading: every function is reentrant. The only shared state is the resource-instance override
// (see InstanceOverride), which affects LoadStringW and LoadBSTR on every thread while it is set.
//
// Every `unsigned int` length accepts 0xFFFFFFFF, meaning "up to the terminator".
#pragma once

#include <windows.h>

#include "orvutil/export.h"
#include "orvutil/foundation/tstring.h"
#include "orvutil/foundation/vector.h"

namespace Orv {

// Case folding. ASCII-only: A-Z becomes a-z, nothing else changes (no locale). A null string or a
// zero length does nothing.
ORV_API tstring CanonicalizeString(wchar_t const* s, unsigned int length = 0xFFFFFFFFu);
ORV_API void CanonicalizeStringInPlace(wchar_t* s, unsigned int length = 0xFFFFFFFFu);
// Each character through the runtime's towlower / towupper.
ORV_API void LowerCaseInPlace(wchar_t* s, unsigned int length = 0xFFFFFFFFu);
ORV_API void UpperCaseInPlace(wchar_t* s, unsigned int length = 0xFFFFFFFFu);

// Scope object that makes LoadStringW and LoadBSTR read from `instance` instead of the module they
// are given, process-wide, until it is destroyed; nested overrides restore in reverse order.
// Changes are made under a global critical section; readers do not lock.
class ORV_API InstanceOverride {
 public:
  explicit InstanceOverride(HINSTANCE instance);
  ~InstanceOverride();
  InstanceOverride(const InstanceOverride&) = delete;
  InstanceOverride& operator=(const InstanceOverride&) = delete;

  // The override now in force, or null.
  static HINSTANCE GetCurrent();

 private:
  HINSTANCE m_previous;
};

// The string resource `id` of the override module, else of `module`; empty when neither is set
// or the resource cannot be loaded. At most 1023 characters.
ORV_API tstring LoadStringW(HINSTANCE module, unsigned int id);
// The same as a new BSTR (free it with SysFreeString), at most 1022 characters; an empty BSTR on
// failure.
ORV_API wchar_t* LoadBSTR(HINSTANCE module, unsigned int id);

// Owns one BSTR made from a C string (null for a null source) and frees it when destroyed.
class ORV_API CSysString {
 public:
  explicit CSysString(wchar_t const* s);
  ~CSysString();
  CSysString(const CSysString&) = delete;
  CSysString& operator=(const CSysString&) = delete;

  operator wchar_t*() const { return m_bstr; }

 private:
  wchar_t* m_bstr;
};

// Replaces every occurrence of `from` by `to` (null: empty), scanning left to right and continuing
// after each inserted replacement. A null or empty `from` changes nothing.
ORV_API tstring& ReplaceAll(tstring& s, wchar_t const* from, wchar_t const* to);
// Replaces every occurrence of one character by another.
ORV_API tstring& ReplaceAll(tstring& s, wchar_t from, wchar_t to);
// Removes leading and trailing spaces, tabs, carriage returns and line feeds. The flags are kept
// for compatibility and do not change the result.
ORV_API tstring& StripSpaces(tstring& s, bool front = true, bool back = true);
// The pieces of `text` between characters of `delimiters`. Empty pieces are kept only with
// `keepEmpty`; a delimiter that ends the text adds nothing.
ORV_API tObjVector<tstring> SplitString(wchar_t const* text, wchar_t const* delimiters, bool keepEmpty = false);

// The local date as "MM/DD/YYYY" and the local time as "HH:MM:SS" (24-hour).
ORV_API tstring GetDateAsString();
ORV_API tstring GetTimeAsString();

// Conversions to the library string. They never read past the given length (nor past the
// terminator when the length is 0xFFFFFFFF), and a length of 0 reads nothing. The byte converters
// (ACP, UTF-8) keep what the length says: every byte given is converted, zero bytes included, and
// invalid input is replaced (U+FFFD, '?'). The UTF-16 copies (BSTR, Unicode) stop at the first
// zero within the length.
ORV_API tstring StringFromBSTR(wchar_t* bstr);
ORV_API tstring StringFromUnicode(wchar_t const* s, unsigned int length = 0xFFFFFFFFu);
ORV_API tstring StringFromACP(char const* s, unsigned int length = 0xFFFFFFFFu);
ORV_API tstring StringFromUTF8(char const* s, unsigned int length = 0xFFFFFFFFu);

// Conversions from it. StringToBSTR returns a new BSTR (null for a null source);
// StringToACP fills `out` with the ANSI code-page bytes (with the terminator when the length is
// 0xFFFFFFFF) and returns false when nothing could be converted.
ORV_API wchar_t* StringToBSTR(wchar_t const* s, unsigned int length = 0xFFFFFFFFu);
ORV_API tstring StringToUnicode(wchar_t const* s, unsigned int length = 0xFFFFFFFFu);
ORV_API bool StringToACP(tVectorPOD<char>& out, wchar_t const* s, unsigned int length = 0xFFFFFFFFu);

// GUID text in registry form with braces. StringToGUID reads exactly that form, in either case,
// and nothing else (no program names, no registry look-up); otherwise it zeroes `guid` and returns
// false.
ORV_API tstring StringFromGUID(GUID const& guid);
ORV_API bool StringToGUID(wchar_t const* s, GUID& guid);

// Splits a command line (null: the process command line) into words at white space. Double or
// single quotes group characters, including spaces, into a word and are not kept; there is no
// escape character, and an empty quoted word produces nothing.
ORV_API void TokenizeCommandLine(wchar_t const* line, tObjVector<tstring>& words);

}  // namespace Orv
