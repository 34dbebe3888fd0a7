// Process and module paths, path components and path comparison.
#include "orvutil/foundation/paths.h"

#include "../detail/long_paths.h"
#include "../detail/path_chars.h"
#include "orvutil/foundation/strings.h"
#include "orvutil/foundation/vector.h"

namespace Orv {

namespace {

using size_type = tstring::size_type;
constexpr size_type npos = tstring::npos;

// GetModuleFileNameW is asked with a buffer of this many characters first, doubling up to the
// largest. No Windows path comes near the largest: it only keeps the doubling finite.
constexpr DWORD kFirstModulePathBuffer = 512;
constexpr DWORD kLargestModulePathBuffer = 1u << 20;

// Whether `s` is a drive-absolute or bare drive path: "D:" followed by its end or a separator.
bool IsDrivePath(const wchar_t* s) {
  return Detail::StartsWithDrive(s) && (s[2] == L'\0' || Detail::IsPathSeparator(s[2]));
}

// Whether `s` starts with the long-path prefix "\\?\".
bool StartsWithLongPrefix(const wchar_t* s) {
  return s[0] == L'\\' && s[1] == L'\\' && s[2] == L'?' && s[3] == L'\\';
}

size_type LastSeparator(const tstring& path) {
  return path.find_last_of(L"\\/");
}

// The length of the drive part of `path` ("C:" or "\\?\C:"), or 0 when it has none.
size_type DrivePartLength(const tstring& path) {
  const wchar_t* s = path.c_str();
  if (Detail::StartsWithDrive(s)) return 2;
  if (StartsWithLongPrefix(s) && Detail::StartsWithDrive(s + 4)) return 6;
  return 0;
}

}  // namespace

tstring GetCommandLineW() {
  return tstring(::GetCommandLineW());
}

tstring GetModulePath(HINSTANCE module) {
  tVectorPOD<wchar_t, kFirstModulePathBuffer> buffer;
  for (DWORD size = kFirstModulePathBuffer; size <= kLargestModulePathBuffer; size *= 2) {
    if (!buffer.Resize(size, L'\0')) return tstring();
    ::SetLastError(ERROR_SUCCESS);
    DWORD written = ::GetModuleFileNameW(module, buffer.Data(), size);
    if (written == 0) return tstring();
    if (written < size || ::GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
      return tstring(buffer.Data(), written < size ? written : size);
    }
  }
  return tstring();
}

tstring GetExecutablePath() {
  return GetModulePath(nullptr);
}

tstring GetExecutableDir() {
  tstring path = GetExecutablePath();
  return StripPathTail(path);
}

tstring& StripPathTail(tstring& path) {
  size_type separator = LastSeparator(path);
  if (separator == npos) {
    path.clear();
  } else {
    path.erase(separator);
  }
  return path;
}

tstring& AppendPathTail(tstring& path, wchar_t const* tail) {
  if (!tail || !tail[0]) return path;
  if (IsDrivePath(tail) || (Detail::IsPathSeparator(tail[0]) && Detail::IsPathSeparator(tail[1]))) {
    path = tail;  // drive, UNC or device: the tail names a place of its own
  } else if (!Detail::IsPathSeparator(tail[0])) {
    if (!path.empty() && !Detail::IsPathSeparator(path[path.size() - 1])) path += L'\\';
    path += tail;
  } else {
    size_type drive = DrivePartLength(path);
    if (drive == 0) {
      path = tail;
    } else {
      path.erase(drive);
      path += tail;
    }
  }
  return path;
}

tstring& ChangePathExtension(tstring& path, wchar_t const* ext) {
  size_type dot = path.rfind(L'.');
  size_type separator = LastSeparator(path);
  if (dot != npos && (separator == npos || dot > separator)) path.erase(dot);
  if (ext && ext[0] == L'.') ++ext;
  if (ext && ext[0]) {
    path += L'.';
    path += ext;
  }
  return path;
}

tstring GetPathTail(wchar_t const* path) {
  if (!path) return tstring();
  const wchar_t* tail = path;
  for (const wchar_t* p = path; *p; ++p) {
    if (Detail::IsPathSeparator(*p)) tail = p + 1;
  }
  return tstring(tail);
}

tstring GetPathExtension(wchar_t const* path) {
  tstring tail = GetPathTail(path);
  size_type dot = tail.rfind(L'.');
  return dot == npos ? tstring() : tail.substr(dot + 1);
}

bool PathsEqual(wchar_t const* a, wchar_t const* b, bool useShortPaths) {
  return Detail::RelatedOrShortFormsRelated(a, b, useShortPaths, [](wchar_t const* x, wchar_t const* y) {
    return CanonicalizePath(x, false, true) == CanonicalizePath(y, false, true);
  });
}

}  // namespace Orv
