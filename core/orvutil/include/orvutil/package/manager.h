// The process-wide list of live packages: every package is on it from its construction to its end,
// in order of creation.
#pragma once

#include "orvutil/export.h"
#include "orvutil/foundation/smartptr.h"
#include "orvutil/package/package.h"

namespace Orv {

// Fills `out` with the live packages, each with a reference, in order of creation. A package whose
// last reference is being dropped is never handed out.
ORV_API void GetLivePackages(tSmartPtrVector<IPackage>& out);

}  // namespace Orv
