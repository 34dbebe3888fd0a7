// The binary package stream: a 40-byte header, the package name, the entries' payloads back to back
// and a compressed record table of entry records (depth first) and GUID records. Offsets are counted
// from the header, which need not be at the start of the stream.
//
// Loading reads no payload: every entry's saved data refers to its region of the stream and loads
// it on demand, so the stream must stay readable while the package lives.
#pragma once

#include "orvutil/data/readers.h"
#include "orvutil/export.h"
#include "orvutil/package/package.h"

namespace Orv {

// Writes the package at the writer's position. False when either is null, a node holds no entry,
// or a write fails (the stream is then partly written).
ORV_API bool SavePackage(IDataWriter* writer, IPackage* package);
// Writes the package into a file by way of a temporary file beside it that then replaces it, so a
// failed save leaves an existing file as it was.
ORV_API bool SavePackageToFile(IPackage* package, wchar_t const* path);
// Reads a package from the reader's position; a stream that does not read gives false and leaves
// nothing behind.
ORV_API bool LoadPackage(IDataReader* reader, IPackage** out);
// The package GUID of the header at the reader's position (restored afterwards), or GUID_NULL when
// there is no valid header.
ORV_API GUID GetPackageID(IDataReader* reader);
ORV_API GUID GetPackageID(wchar_t const* path);

}  // namespace Orv
