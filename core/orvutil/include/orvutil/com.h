// Component model: the library's module and its DLL entry points.
#pragma once

#include <windows.h>

#include "orvutil/export.h"

namespace Orv {

// The instance handle of orvutil.dll, stored when the DLL is attached to the process.
ORV_API HINSTANCE GetOrvutilInstance();

}  // namespace Orv
