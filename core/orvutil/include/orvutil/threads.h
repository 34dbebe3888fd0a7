// Threads: locks, main-thread dispatch, work items and thread pools.
#pragma once

#include "orvutil/threads/locks.h"
#include "orvutil/threads/mainthread.h"
#include "orvutil/threads/once.h"
#include "orvutil/threads/workitem.h"
#include "orvutil/threads/threadpool.h"
