// COnceFlag: one set-up however many threads race it, its data seen by all, failures retried.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "orvutil/threads.h"

TEST(OnceFlag, RacingThreadsSetUpOnceAndAllSeeTheData) {
  for (int round = 0; round < 20; ++round) {
    Orv::COnceFlag flag;
    Orv::CCriticalSection lock;
    int calls = 0, values[64] = {};
    std::atomic<int> waiting{4}, complete{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
      threads.emplace_back([&] {
        for (waiting.fetch_sub(1); waiting.load() != 0;) {
        }
        bool done = flag.Run(lock, [&] {
          ++calls;
          for (int i = 0; i < 64; ++i) values[i] = i + 1;
          return true;
        });
        int seen = 0;
        for (int i = 0; i < 64; ++i) seen += values[i] == i + 1;
        complete.fetch_add(done && seen == 64);
      });
    }
    for (std::thread& t : threads) t.join();
    EXPECT_TRUE(calls == 1 && complete == 4) << round;
  }
}

TEST(OnceFlag, FailedSetUpIsTriedAgainUntilItSucceeds) {
  Orv::COnceFlag flag;
  int calls = 0;
  for (int i = 0; i < 3; ++i) EXPECT_FALSE(flag.Run(Orv::eGlobalCSClassStatics, [&] { return ++calls == 5; }));
  EXPECT_FALSE(flag.IsDone());
  EXPECT_TRUE(flag.Run(Orv::eGlobalCSClassStatics, [&] { return ++calls == 4; }));
  EXPECT_TRUE(flag.Run(Orv::eGlobalCSClassStatics, [&] { return ++calls > 0; }));
  EXPECT_TRUE(calls == 4 && flag.IsDone());
}
