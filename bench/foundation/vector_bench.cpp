// Growing arrays against std::vector.
#include <vector>

#include "../harness.h"
#include "orvutil/foundation.h"

namespace {

template <int kCount>
void CompareFill(const char* name) {
  OrvBench::Compare(
      name, "std::vector<int>",
      [] {
        Orv::tVectorPOD<int> v;
        for (int i = 0; i < kCount; ++i) v.PushBack(i);
        OrvBench::KeepAlive(v[kCount - 1]);
      },
      [] {
        std::vector<int> v;
        for (int i = 0; i < kCount; ++i) v.push_back(i);
        OrvBench::KeepAlive(v[kCount - 1]);
      });
}

}  // namespace

ORV_BENCHMARK(VectorPushBack) {
  CompareFill<1000>("tVectorPOD<int>.push_back_1K");
  CompareFill<100000>("tVectorPOD<int>.push_back_100K");
  CompareFill<1000000>("tVectorPOD<int>.push_back_1M");
}
