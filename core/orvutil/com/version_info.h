// Reading a binary's version information.
#pragma once

#include <windows.h>

#include "orvutil/foundation/tstring.h"
#include "orvutil/foundation/vector.h"

namespace Orv {
namespace Detail {

using VersionBlock = tVectorPOD<BYTE, 0>;

// The version resource of a loaded module, or of a file by path, copied into `block`.
bool ReadVersionInfo(HINSTANCE instance, VersionBlock& block);
bool ReadVersionInfo(wchar_t const* path, VersionBlock& block);
// The string value `name` of the first translation that has one that `accept` takes (any non-empty
// value when `accept` is null); empty when none does.
tstring QueryVersionString(VersionBlock& block, wchar_t const* name, bool (*accept)(tstring const&) = nullptr);
// The fixed file information, or null.
VS_FIXEDFILEINFO const* QueryFixedFileInfo(VersionBlock& block);

}  // namespace Detail
}  // namespace Orv
