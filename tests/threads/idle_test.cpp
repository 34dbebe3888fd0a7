// The idle master, driven by the test's own message pump on the main thread.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>
#include <vector>

#include "orvutil/threads.h"
#include "orvutil/ui.h"
#include "test_items.h"

using ThreadsTest::CRunLog;
using ThreadsTest::MakeItem;

namespace {

// Pumps until `done` holds or `timeoutMs` has passed; whether it held.
template <class F>
bool PumpUntil(F done, DWORD timeoutMs) {
  DWORD start = ::GetTickCount();
  while (!done()) {
    if (::GetTickCount() - start > timeoutMs) return false;
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    Orv::HandleMessages();
  }
  return true;
}

class IdleMasterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_master = Orv::GetIdleMaster();
    ASSERT_NE(nullptr, m_master);
  }
  void TearDown() override { m_master->SetIdleDelay(200); }
  Orv::IIdleMaster* m_master = nullptr;
};

}  // namespace

// Items run on the main thread after the delay, by descending priority and then in the order of
// adding (a stable sort of what was added is the peer).
TEST_F(IdleMasterTest, RunsQueuedItemsAfterTheDelayInOrder) {
  EXPECT_EQ(200u, m_master->GetIdleDelay());
  m_master->SetIdleDelay(0);
  EXPECT_EQ(200u, m_master->GetIdleDelay());
  m_master->SetIdleDelay(100);
  const int priorities[] = {5, 9, 5, 1, 9, 5};
  CRunLog log;
  std::vector<Orv::tSmartPtr<ThreadsTest::CTestItem>> items;
  std::vector<std::pair<int, int>> expected;
  for (int tag = 0; tag < 6; ++tag) {
    items.push_back(MakeItem(priorities[tag], tag));
    items.back()->log = &log;
    expected.push_back({priorities[tag], tag});
  }
  std::stable_sort(expected.begin(), expected.end(), [](auto& a, auto& b) { return a.first > b.first; });
  DWORD start = ::GetTickCount();
  for (auto& item : items) m_master->AddIdleItem(item);
  ASSERT_TRUE(PumpUntil([&] { return items[3]->completions == 1; }, 10000));
  EXPECT_GE(::GetTickCount() - start, 80u);
  std::vector<int> order = log.Tags();
  ASSERT_EQ(expected.size(), order.size());
  for (size_t i = 0; i < order.size(); ++i) EXPECT_EQ(expected[i].second, order[i]) << i;
  for (auto& item : items) {
    EXPECT_EQ(1, item->runsBeforeComplete);
    EXPECT_EQ(::GetCurrentThreadId(), item->runThread);
    EXPECT_EQ(::GetCurrentThreadId(), item->completeThread);
  }
}

// A stream of keyboard input, or of mouse moves to new positions, postpones armed work until it
// stops; mouse moves that repeat the last position do not.
TEST_F(IdleMasterTest, UserInputPostponesIdleWork) {
  struct { UINT message; bool newPosition; bool postpones; } const cases[] = {
      {WM_KEYDOWN, true, true}, {WM_MOUSEMOVE, true, true}, {WM_MOUSEMOVE, false, false}};
  m_master->SetIdleDelay(400);
  for (const auto& c : cases) {
    auto item = MakeItem();
    m_master->AddIdleItem(item);
    bool ranDuringStream = false;
    for (int i = 0; i < 60 && !ranDuringStream; ++i) {
      LPARAM position = c.newPosition ? MAKELPARAM(i, i + 1) : MAKELPARAM(7, 7);
      ::PostThreadMessageW(::GetCurrentThreadId(), c.message, 0, position);
      PumpUntil([] { return false; }, 15);
      ranDuringStream = item->runs > 0;
    }
    EXPECT_EQ(!c.postpones, ranDuringStream) << c.message;
    EXPECT_TRUE(PumpUntil([&] { return item->completions == 1; }, 10000)) << c.message;
  }
}

// Cancelled items never run; items added from a worker thread run on the main thread.
TEST_F(IdleMasterTest, CancelAndAddFromAnotherThread) {
  m_master->SetIdleDelay(30);
  auto cancelled = MakeItem();
  auto kept = MakeItem();
  m_master->AddIdleItem(cancelled);
  EXPECT_TRUE(m_master->CancelIdleItem(cancelled));
  EXPECT_FALSE(m_master->CancelIdleItem(cancelled));
  EXPECT_EQ(1, cancelled->cancels);
  std::thread adder([&] { m_master->AddIdleItem(kept); });
  adder.join();
  ASSERT_TRUE(PumpUntil([&] { return kept->completions == 1; }, 10000));
  EXPECT_EQ(::GetCurrentThreadId(), kept->runThread);
  EXPECT_EQ(0, cancelled->runs);
  EXPECT_EQ(0, cancelled->completions);
  m_master->AddIdleItem(nullptr);
  EXPECT_FALSE(m_master->CancelIdleItem(nullptr));
}
