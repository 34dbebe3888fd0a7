// CleanFileName: arbitrary text made into a file name that Windows accepts.
#include "orvutil/system/pathnames.h"

namespace Orv {

namespace {

// The device names that Windows reserves in every directory, with or without an extension.
const wchar_t* const kReservedNames[] = {L"CON",  L"PRN",  L"AUX",  L"NUL",  L"COM1", L"COM2", L"COM3", L"COM4",
                                         L"COM5", L"COM6", L"COM7", L"COM8", L"COM9", L"LPT1", L"LPT2", L"LPT3",
                                         L"LPT4", L"LPT5", L"LPT6", L"LPT7", L"LPT8", L"LPT9"};

// The character that stands for `c` in a file name.
wchar_t CleanCharacter(wchar_t c) {
  if (c < 32 || c > 125) return L'-';
  switch (c) {
    case L'"':
      return L'\'';
    case L'*':
    case L'/':
    case L':':
    case L'?':
    case L'\\':
    case L'|':
      return L'-';
    case L'<':
      return L'(';
    case L'>':
      return L')';
    default:
      return c;
  }
}

wchar_t AsciiUpper(wchar_t c) {
  return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c;
}

// Whether the first `length` characters of `name` are a reserved device name, in any case.
bool IsReservedName(const wchar_t* name, unsigned length) {
  for (const wchar_t* reserved : kReservedNames) {
    unsigned i = 0;
    while (i < length && reserved[i] && AsciiUpper(name[i]) == reserved[i]) ++i;
    if (i == length && !reserved[i]) return true;
  }
  return false;
}

}  // namespace

tstring CleanFileName(const wchar_t* name) {
  if (!name) return tstring();
  // Dots that end the name go, and so does a dot right after another dot.
  unsigned end = 0;
  for (unsigned i = 0; name[i]; ++i) {
    if (name[i] != L'.') end = i + 1;
  }
  tstring clean;
  clean.reserve(end);
  for (unsigned i = 0; i < end; ++i) {
    if (name[i] == L'.' && i > 0 && name[i - 1] == L'.') continue;
    clean += CleanCharacter(name[i]);
  }
  // Windows takes "con.txt" and "con.tar.gz" alike for the device: the part before the first dot
  // decides.
  unsigned stem = clean.find(L'.');
  if (stem == tstring::npos) stem = clean.size();
  if (IsReservedName(clean.c_str(), stem)) clean.insert(stem, L"-File");
  return clean;
}

}  // namespace Orv
