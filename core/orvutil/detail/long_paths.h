// The path forms handed to Windows and the short forms of paths, shared by the path utilities and
// the file system code.
#pragma once

#include "orvutil/foundation/tstring.h"

namespace Orv {
namespace Detail {

// The canonical long ("\\?\") form of `path`; empty for a null or empty path. A bare root keeps
// a separator ("\\?\C:\"): without it the long form names the volume device, not its root
// directory.
tstring LongPath(const wchar_t* path);
// `path` without a leading "\\?\" ("\\?\UNC\server" becomes "\\server").
tstring WithoutLongPrefix(const tstring& path);
// The length of the root of a canonical path, which walking up never passes: "\\?\C:", the server
// and share of "\\?\UNC\server\share", the first component after "\\?\" or "\\.\". 0 for relative
// paths and paths rooted at "\".
unsigned RootLength(const tstring& path);
// Whether a canonical path is nothing but its root (with or without a separator after it).
bool IsRoot(const tstring& path);

// The short (8.3) form of an existing path, without a long prefix; empty when Windows has none (a
// path that does not exist has none).
tstring ShortPathOf(const wchar_t* path);

// Whether `related(a, b)` holds for two paths as given or, with `useShortPaths`, for their short
// forms. Paths without a short form are not related through it.
template <typename Related>
bool RelatedOrShortFormsRelated(const wchar_t* a, const wchar_t* b, bool useShortPaths, Related&& related) {
  if (related(a, b)) return true;
  if (!useShortPaths) return false;
  tstring shortA = ShortPathOf(a);
  tstring shortB = ShortPathOf(b);
  if (shortA.empty() || shortB.empty()) return false;
  return related(shortA.c_str(), shortB.c_str());
}

}  // namespace Detail
}  // namespace Orv
