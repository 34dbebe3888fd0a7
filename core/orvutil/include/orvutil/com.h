// Component model: reference-counted objects, object listeners, modules with static registration,
// class factories, plug-in modules, start-up and shut-down.
#pragma once

#include <windows.h>

#include "orvutil/export.h"
#include "orvutil/com/object.h"
#include "orvutil/com/module.h"
#include "orvutil/com/comobject.h"
#include "orvutil/com/listeners.h"
#include "orvutil/com/factory.h"
#include "orvutil/com/plugins.h"
#include "orvutil/com/startup.h"
#include "orvutil/foundation/smartptr.h"
