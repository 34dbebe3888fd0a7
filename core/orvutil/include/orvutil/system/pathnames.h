// Path tests and file names: 8.3 short forms, whether one path lies inside another, absolute and
// drive-relative paths, drive letters, and turning arbitrary text into a usable file name.
//
// (PathsEqual, in orvutil/foundation/paths.h, compares two paths.) Threading: no shared state;
// any thread.
#pragma once

#include "orvutil/export.h"
#include "orvutil/foundation/tstring.h"

namespace Orv {

// The 8.3 short form of an existing path (without a "\\?\" prefix); empty when it has none.
ORV_API tstring GetShortPath(const wchar_t* path);

// Whether `path` lies strictly inside `directory` (at any depth), comparing canonical, case-folded
// forms with any "\\?\" prefix removed. With `useShortPaths`, existing paths that differ in text
// are compared again by their short forms.
ORV_API bool PathInPath(const wchar_t* directory, const wchar_t* path, bool useShortPaths = false);

// "C:\x", "\\server\share" and "\\?\..." are absolute.
ORV_API bool IsAbsolutePath(const wchar_t* path);
// Paths that need the state of a drive to resolve: rooted without a drive ("\x") or on a drive
// without a root ("C:x", "C:").
ORV_API bool IsDriveRelativePath(const wchar_t* path);
// The upper-case drive letter of "C:..." or "\\?\C:..."; 0 when the path names no drive.
ORV_API wchar_t GetDriveLetter(const wchar_t* path);

// Turns arbitrary text into a usable file name (null yields the empty string): dots that end the
// name and a dot right after another dot go; characters below 32 or above 125 become "-";
// '"' becomes "'", each of * / : ? \ | becomes "-", "<" becomes "(" and ">" becomes ")". A name
// whose part before its first dot is a reserved device name (CON, PRN, AUX, NUL, COM1-COM9,
// LPT1-LPT9, in any case) gets "-File" after that part: "con.txt" becomes "con-File.txt".
ORV_API tstring CleanFileName(const wchar_t* name);

}  // namespace Orv
