// The library's temporary-file area: the directory "Orvane" under the user's temporary path,
// optionally narrowed to a sub-directory of it, and numbered empty files created there.
//
// Threading: the area's state (sub-directory name, cached directory, process-wide file counter)
// is guarded by one library critical section, taken while critical sections are allowed.
#pragma once

#include "orvutil/export.h"
#include "orvutil/foundation/tstring.h"

namespace Orv {

// Sets the sub-directory of "Orvane" that the area uses (null or empty: "Orvane" itself). The
// name is stored in canonical form; a name that would leave "Orvane" (absolute, rooted, on a
// drive, or climbing with "..") is refused with false and changes nothing.
ORV_API bool SetTempSubDirectory(const wchar_t* name);
ORV_API tstring GetTempSubDirectory();

// The area's directory, created (with its ancestors) when missing. It is worked out once and again
// whenever the sub-directory changes. Empty when it cannot be created.
ORV_API tstring GetTempDirectory();

// Creates an empty file named <area>\<prefix><counter>.<extension> (prefix "TempFile" and
// extension "tmp" by default; the dot is always there) for the first counter value whose name is
// free, and returns its path. The process-wide counter advances past every name tried. Empty after
// 1000 taken names or when the file cannot be created. A prefix or extension that holds a
// separator, a colon or ".." would name a file outside the area: it is refused with the empty
// string, and the counter does not move.
ORV_API tstring CreateTempFile(const wchar_t* prefix = nullptr, const wchar_t* extension = nullptr);

// Whether `path` lies inside the area's directory.
ORV_API bool IsTempFile(const wchar_t* path);

// Deletes every file (not sub-directories) of the area when it uses a sub-directory; the shared
// "Orvane" directory is never cleared. False when some file could not be deleted.
ORV_API bool ClearTempSubDirectory();

}  // namespace Orv
