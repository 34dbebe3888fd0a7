// Includes every family of the orvutil library.
#pragma once

#include "orvutil/version.h"
#include "orvutil/com.h"
