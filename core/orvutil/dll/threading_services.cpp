// Start and stop of the threading services, in the order library start-up and shut-down need.
#include "startup_hooks.h"

#include "../detail/dispatch.h"
#include "orvutil/threads/mainthread.h"
#include "orvutil/threads/threadpool.h"

namespace Orv {
namespace Detail {

void StartThreadingServices() {
  StartMainThreadDispatch();
}

// Background work first, so that the functions its completions post still run; then the main
// thread's own clean-up.
void StopThreadingServices() {
  FlushAllThreadPoolWork();
  FlushMainThreadFunctions();
  StopMainThreadDispatch();
}

}  // namespace Detail
}  // namespace Orv
