// Library start-up for the thread benchmarks, and the module of the benchmark executable.
#include "library.h"

#include "orvutil/com.h"

ORV_DEFINE_MODULE(Orv::CModule)

namespace ThreadsBench {

void StartLibrary() {
  static Orv::CWinMainInit s_init(0);
}

}  // namespace ThreadsBench
