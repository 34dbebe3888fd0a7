// Values: typed, reference-counted values (CValue).
#pragma once

#include "orvutil/values/value.h"
#include "orvutil/values/dict.h"
