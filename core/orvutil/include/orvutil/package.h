// Packages: entries in trees of package nodes, the live packages, and objects that persist
// themselves into packages.
#pragma once

#include "orvutil/package/package.h"
#include "orvutil/package/manager.h"
#include "orvutil/package/persist.h"
#include "orvutil/package/format.h"
#include "orvutil/package/dict_node.h"
#include "orvutil/package/parser.h"
#include "orvutil/package/byte_data.h"
