// Directories: creating a directory with its ancestors, deleting one (optionally with everything
// in it), listing its entries, the process's current directory, and Windows known folders.
//
// Paths are canonicalised to the long "\\?\" form before they reach Windows; null and empty paths
// fail. Threading: no shared state, except that the current directory belongs to the process.
#pragma once

#include <windows.h>

#include "orvutil/export.h"
#include "orvutil/foundation/tstring.h"
#include "orvutil/foundation/vector.h"

namespace Orv {

// Creates the directory and every missing ancestor, from the root downward. An existing directory
// counts as created; a file in the way fails.
ORV_API bool CreateDirectoryW(const wchar_t* path);
// Removes a directory. Without `recursive` only an empty directory goes; with it, every file is
// deleted and every sub-directory removed (recursively where it is not empty; a link to a
// directory elsewhere is removed but never entered) before the directory itself. True when the
// directory itself was removed.
ORV_API bool DeleteDirectory(const wchar_t* path, bool recursive);
// Appends the full path (the canonical form of `path`, a backslash, the name) of every entry of a
// directory, "." and ".." aside, to `files` or `directories`. False when it cannot be listed.
ORV_API bool GetDirectoryContents(const wchar_t* path, tObjVector<tstring>& files, tObjVector<tstring>& directories);

// The process's current directory; empty on failure.
ORV_API tstring GetCurrentDirectoryW();
// Makes the canonical form of `path` the current directory.
ORV_API bool SetCurrentDirectoryW(const wchar_t* path);

// The path of a Windows known folder (FOLDERID_...), created when missing with `create`; empty on
// failure.
ORV_API tstring GetKnownDirectory(const GUID& folderId, bool create);
// The local and the roaming application-data folders, created when missing.
ORV_API tstring GetLocalUserDirectory();
ORV_API tstring GetRoamingUserDirectory();

}  // namespace Orv
