// Foundation: allocators and pools, containers, hashing.
#pragma once

#include "orvutil/foundation/allocator.h"
#include "orvutil/foundation/vector.h"
#include "orvutil/foundation/pool.h"
#include "orvutil/foundation/stringallocator.h"
#include "orvutil/foundation/gapvector.h"
#include "orvutil/foundation/markedvector.h"
#include "orvutil/foundation/hash.h"
#include "orvutil/foundation/set.h"
#include "orvutil/foundation/smartptr.h"
#include "orvutil/foundation/handle.h"
#include "orvutil/foundation/list.h"
#include "orvutil/foundation/tstring.h"
#include "orvutil/foundation/strings.h"
#include "orvutil/foundation/paths.h"
#include "orvutil/foundation/atomizer.h"
