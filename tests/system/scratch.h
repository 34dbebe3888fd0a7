// The scratch area of the file tests lives in tests/support; the data tests include it by this name.
#pragma once

#include "../support/scratch.h"
