// Includes every family of the orvutil library.
#pragma once

#include "orvutil/version.h"
#include "orvutil/threads.h"
#include "orvutil/foundation.h"
#include "orvutil/com.h"
#include "orvutil/diag.h"
#include "orvutil/system.h"
#include "orvutil/ui.h"
#include "orvutil/data.h"
#include "orvutil/tree.h"
#include "orvutil/values.h"
#include "orvutil/package.h"
#include "orvutil/diag/log.h"
#include "orvutil/com/services.h"
