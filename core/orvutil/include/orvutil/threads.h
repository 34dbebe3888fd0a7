// Threads: locks, main-thread dispatch, work items, thread pools, timers and idle processing.
#pragma once

#include "orvutil/threads/locks.h"
#include "orvutil/threads/mainthread.h"
#include "orvutil/threads/once.h"
#include "orvutil/threads/workitem.h"
#include "orvutil/threads/threadpool.h"
#include "orvutil/threads/timer.h"
#include "orvutil/threads/idle.h"
