// Diagnostics: structured exceptions.
#pragma once

#include "orvutil/diag/structured_exception.h"
