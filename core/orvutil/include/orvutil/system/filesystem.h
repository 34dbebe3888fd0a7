// File-system operations on files: existence tests, copying, moving, deleting, hard-link
// placement, attributes, and reading a whole text file with encoding detection.
//
// Every path is canonicalised to the long "\\?\" form before it reaches Windows, so names longer
// than MAX_PATH work; null and empty paths fail. The names ending in W wrap the Windows functions
// of the same purpose and take library types. Threading: no shared state; any thread.
#pragma once

#include <windows.h>

#include "orvutil/export.h"
#include "orvutil/foundation/tstring.h"

namespace Orv {

// Whether a search for `path` finds a file (FileExists) or a directory (DirectoryExists); the
// entry's find data go to `findData` when given. A volume root counts as a directory.
ORV_API bool FileExists(const wchar_t* path, WIN32_FIND_DATAW* findData = nullptr);
ORV_API bool DirectoryExists(const wchar_t* path, WIN32_FIND_DATAW* findData = nullptr);
// Whether the file can be opened for reading now.
ORV_API bool FileReadable(const wchar_t* path);

ORV_API bool DeleteFileW(const wchar_t* path);
// Copies a file; an existing destination fails unless `overwrite`. A file is never copied onto
// itself.
ORV_API bool CopyFileW(const wchar_t* from, const wchar_t* to, bool overwrite);
// Moves or renames a file or directory, across volumes by copying; `overwrite` replaces an
// existing destination file.
ORV_API bool MoveFileW(const wchar_t* from, const wchar_t* to, bool overwrite);
// Makes `to` a hard link of the existing file `from`, creating the destination's directory when
// it is missing and replacing an existing destination file. The destination is replaced only once
// the new link exists, so a failed placement leaves it as it was. True at once when `to` already
// is the same file.
ORV_API bool PlaceFile(const wchar_t* from, const wchar_t* to);
// Writes `size` bytes as the whole contents of `path` by way of a new temporary file beside it that
// then replaces it: a failed write leaves an existing file as it was and no temporary file behind.
// A read-only file is not replaced.
ORV_API bool ReplaceFileContents(const wchar_t* path, const void* data, unsigned size);

ORV_API bool GetFileAttributesW(const wchar_t* path, DWORD& attributes);
ORV_API bool SetFileAttributesW(const wchar_t* path, DWORD attributes);

// Replaces `text` by the contents of a text file, decoded by its first bytes: EF BB BF is UTF-8,
// FF FE is UTF-16 little-endian (read up to the first NUL), anything else is in the active ANSI
// code page. False, with `text` empty, when the file cannot be opened or mapped; an empty file
// fails.
ORV_API bool ReadWholeFile(const wchar_t* path, tstring& text);

}  // namespace Orv
