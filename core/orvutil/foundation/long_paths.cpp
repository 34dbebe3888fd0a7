// Long path forms, roots and short forms.
#include "../detail/long_paths.h"

#include <windows.h>

#include "../detail/growing_text.h"
#include "orvutil/foundation/paths.h"

namespace Orv {
namespace Detail {

namespace {

constexpr wchar_t kLongPrefix[] = L"\\\\?\\";
constexpr wchar_t kLongUncPrefix[] = L"\\\\?\\UNC\\";
constexpr wchar_t kDevicePrefix[] = L"\\\\.\\";
constexpr unsigned kLongPrefixLength = 4;
constexpr unsigned kLongUncPrefixLength = 8;

// GetShortPathNameW is asked with this many characters first and then with what it asks for.
constexpr DWORD kFirstShortPathBuffer = MAX_PATH;

bool StartsWith(const tstring& path, const wchar_t* prefix, unsigned length) {
  return path.size() >= length && path.compare(0, length, prefix) == 0;
}

// The position after `count` more components starting at `from` (the end of the path when it
// has fewer).
unsigned SkipComponents(const tstring& path, unsigned from, unsigned count) {
  unsigned end = from;
  for (unsigned i = 0; i < count; ++i) {
    if (i) ++end;  // the separator between components
    if (end >= path.size()) return path.size();
    unsigned separator = path.find(L'\\', end);
    if (separator == tstring::npos) return path.size();
    end = separator;
  }
  return end;
}

}  // namespace

tstring LongPath(const wchar_t* path) {
  tstring longPath = CanonicalizePath(path, true, false);
  if (!longPath.empty() && RootLength(longPath) == longPath.size()) longPath += L'\\';
  return longPath;
}

tstring WithoutLongPrefix(const tstring& path) {
  if (StartsWith(path, kLongUncPrefix, kLongUncPrefixLength)) {
    return tstring(L"\\\\") + path.substr(kLongUncPrefixLength);
  }
  if (StartsWith(path, kLongPrefix, kLongPrefixLength)) return path.substr(kLongPrefixLength);
  return path;
}

unsigned RootLength(const tstring& path) {
  if (StartsWith(path, kLongUncPrefix, kLongUncPrefixLength)) return SkipComponents(path, kLongUncPrefixLength, 2);
  if (StartsWith(path, kLongPrefix, kLongPrefixLength) || StartsWith(path, kDevicePrefix, kLongPrefixLength)) {
    return SkipComponents(path, kLongPrefixLength, 1);
  }
  if (path.size() >= 2 && path[0] == L'\\' && path[1] == L'\\') return SkipComponents(path, 2, 2);
  if (path.size() >= 2 && path[1] == L':') return 2;
  return 0;
}

bool IsRoot(const tstring& path) {
  unsigned root = RootLength(path);
  return root > 0 && (root == path.size() || (root + 1 == path.size() && path[root] == L'\\'));
}

tstring ShortPathOf(const wchar_t* path) {
  tstring longPath = LongPath(path);
  if (longPath.empty()) return tstring();
  tstring shortPath = ReadGrowingText(kFirstShortPathBuffer, [&](DWORD size, wchar_t* buffer) {
    return ::GetShortPathNameW(longPath.c_str(), buffer, size);
  });
  return shortPath.empty() ? shortPath : WithoutLongPrefix(shortPath);
}

}  // namespace Detail
}  // namespace Orv
