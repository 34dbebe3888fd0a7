// Path utilities: the process command line, module and executable paths, path components,
// canonical path text and path comparison, and environment variables.
//
// Both backslash and slash count as separators everywhere. Paths are text: apart from
// GetModulePath, the environment functions and the short-path fallback of PathsEqual, nothing here
// touches the file system, and nothing makes a relative path absolute.
//
// Threading: every function is reentrant and keeps no state of its own.
#pragma once

#include <windows.h>

#include "orvutil/export.h"
#include "orvutil/foundation/set.h"
#include "orvutil/foundation/tstring.h"

namespace Orv {

// The process command line as Windows keeps it.
ORV_API tstring GetCommandLineW();
// The full file name of a loaded module (null: the executable), however long; empty on failure.
ORV_API tstring GetModulePath(HINSTANCE module);
ORV_API tstring GetExecutablePath();
// The executable's directory, without a trailing separator.
ORV_API tstring GetExecutableDir();

// Removes the last separator and everything after it; a path without a separator becomes empty.
ORV_API tstring& StripPathTail(tstring& path);
// Joins `tail` to `path`. A tail that is absolute ("D:", "D:\x", "\\server\share") replaces the
// path; a tail rooted at "\" keeps only the drive of the path (or replaces a path without one);
// any other tail is appended after one backslash. A null or empty tail changes nothing.
ORV_API tstring& AppendPathTail(tstring& path, wchar_t const* tail);
// Replaces the extension of the last component (a dot in a directory does not count) by `ext`
// (a leading dot of ext is not doubled); a null or empty ext just removes the extension.
ORV_API tstring& ChangePathExtension(tstring& path, wchar_t const* ext);
// The text after the last separator (all of it when there is none); empty for null.
ORV_API tstring GetPathTail(wchar_t const* path);
// The extension of GetPathTail(path) without its dot; empty when the tail has no dot.
ORV_API tstring GetPathExtension(wchar_t const* path);

// The canonical text of a path: leading white space and trailing white space of the path dropped,
// separators turned into single backslashes, no trailing separator, "." components removed and
// ".." components resolved against the component before them. A ".." never climbs above the root
// of an absolute path and is kept where there is nothing left to resolve it against in a relative
// one ("..\b"). The root components (drive, UNC server and share, device name) are kept as they
// stand. The kind of the path is kept: relative, drive-relative with its drive ("C:x\..\y" is
// "C:y", and "C:x\.." is "C:."), rooted "\", device "\\.\", UNC "\\server" ("\\?\UNC\server" with
// longForm) or drive-absolute ("\\?\C:" with longForm); only absolute paths get the long form. A
// relative path whose first component starts with a drive or white space keeps ".\" before it. A
// path that already starts with "\\?\" is taken verbatim. foldCase lowers ASCII capitals for
// comparisons. A canonical path is its own canonical form.
ORV_API tstring CanonicalizePath(wchar_t const* path, bool longForm = false, bool foldCase = false);

// Whether two paths name the same thing: their canonical, case-folded forms are equal, or, with
// useShortPaths, both exist and their 8.3 short forms are equal.
ORV_API bool PathsEqual(wchar_t const* a, wchar_t const* b, bool useShortPaths = false);

// The value of one environment variable; empty when it is missing, empty or name is null.
ORV_API tstring GetEnvironmentVariableW(wchar_t const* name);
// Replaces the contents of `variables` by every variable of the process environment, name to
// value. The hidden per-drive entries ("=C:" = "C:\dir") and the like are included under their
// names with the leading "=", exactly as GetEnvironmentVariableW finds them.
ORV_API void GetEnvironmentVariables(tMap<tstring, tstring>& variables);
// `text` with every %NAME% of a defined variable replaced by its value; empty for null.
ORV_API tstring ExpandEnvironmentVariables(wchar_t const* text);

}  // namespace Orv
