// Short path forms, containment of one path in another, and the shape of a path's start.
#include "orvutil/system/pathnames.h"

#include <windows.h>

#include "../detail/path_chars.h"
#include "detail.h"
#include "orvutil/foundation/paths.h"
#include "orvutil/foundation/strings.h"

namespace Orv {

namespace {

// The form in which paths are compared: canonical, without a long prefix, ASCII case folded.
tstring ComparableForm(const wchar_t* path) {
  tstring form = Detail::WithoutLongPrefix(CanonicalizePath(path, false, false));
  if (!form.empty()) CanonicalizeStringInPlace(form.begin(), form.size());
  return form;
}

// Whether the comparable `path` lies strictly inside the comparable `directory`.
bool Contains(const tstring& directory, const tstring& path) {
  unsigned length = directory.size();
  if (length == 0 || path.size() <= length || path.compare(0, length, directory) != 0) return false;
  return directory[length - 1] == L'\\' || path[length] == L'\\';
}

}  // namespace

tstring GetShortPath(const wchar_t* path) {
  return Detail::ShortPathOf(path);
}

bool PathInPath(const wchar_t* directory, const wchar_t* path, bool useShortPaths) {
  return Detail::RelatedOrShortFormsRelated(directory, path, useShortPaths, [](const wchar_t* d, const wchar_t* p) {
    return Contains(ComparableForm(d), ComparableForm(p));
  });
}

bool IsAbsolutePath(const wchar_t* path) {
  if (!path) return false;
  return (Detail::StartsWithDrive(path) && Detail::IsPathSeparator(path[2])) ||
         (Detail::IsPathSeparator(path[0]) && Detail::IsPathSeparator(path[1]));
}

bool IsDriveRelativePath(const wchar_t* path) {
  if (!path) return false;
  return (Detail::IsPathSeparator(path[0]) && !Detail::IsPathSeparator(path[1])) ||
         (Detail::StartsWithDrive(path) && !Detail::IsPathSeparator(path[2]));
}

wchar_t GetDriveLetter(const wchar_t* path) {
  if (!path) return 0;
  if (path[0] == L'\\' && path[1] == L'\\' && path[2] == L'?' && path[3] == L'\\') path += 4;
  if (!Detail::StartsWithDrive(path)) return 0;
  return path[0] >= L'a' ? static_cast<wchar_t>(path[0] - L'a' + L'A') : path[0];
}

}  // namespace Orv
