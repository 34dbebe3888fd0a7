// Threads: locks.
#pragma once

#include "orvutil/threads/locks.h"
