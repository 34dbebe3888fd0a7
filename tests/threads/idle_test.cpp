// The idle master, driven by the test's own message pump on the main thread.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>
#include <vector>

#include "orvutil/threads.h"
#include "orvutil/ui.h"
#include "test_items.h"

using ThreadsTest::MakeItem;

namespace {

// Pumps until `done` holds or `timeoutMs` has passed; whether it held.
template <class F>
bool PumpUntil(F done, DWORD timeoutMs) {
  for (DWORD start = ::GetTickCount(); !done(); Orv::HandleMessages()) {
    if (::GetTickCount() - start > timeoutMs) return false;
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
  return true;
}

class IdleMasterTest : public ::testing::Test {
 protected:
  void TearDown() override { m_master->SetIdleDelay(200); }
  Orv::IIdleMaster* m_master = Orv::GetIdleMaster();
};

}  // namespace

// Items run on the main thread after the delay, by descending priority and then in the order of
// adding (a stable sort of what was added is the peer).
TEST_F(IdleMasterTest, RunsQueuedItemsAfterTheDelayInOrder) {
  ASSERT_NE(nullptr, m_master);
  EXPECT_EQ(200u, m_master->GetIdleDelay());
  m_master->SetIdleDelay(100);
  m_master->SetIdleDelay(0);
  EXPECT_EQ(100u, m_master->GetIdleDelay());
  ThreadsTest::CRunLog log;
  std::vector<Orv::tSmartPtr<ThreadsTest::CTestItem>> items;
  std::vector<int> expected;
  for (int priority : {5, 9, 5, 1, 9, 5}) {
    items.push_back(MakeItem(priority, static_cast<int>(items.size())));
    items.back()->log = &log;
    expected.push_back(items.back()->tag);
  }
  std::stable_sort(expected.begin(), expected.end(), [&](int a, int b) { return items[a]->priority > items[b]->priority; });
  DWORD start = ::GetTickCount();
  for (auto& item : items) m_master->AddIdleItem(item);
  ASSERT_TRUE(PumpUntil([&] { return log.Tags().size() == items.size(); }, 10000));
  EXPECT_GE(::GetTickCount() - start, 80u);
  EXPECT_EQ(expected, log.Tags());
  for (auto& item : items) {
    EXPECT_TRUE(item->runsBeforeComplete == 1 && item->runThread == ::GetCurrentThreadId() &&
                item->completeThread == ::GetCurrentThreadId());
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
    for (int i = 0; i < 60 && item->runs == 0; ++i) {
      ::PostThreadMessageW(::GetCurrentThreadId(), c.message, 0, c.newPosition ? MAKELPARAM(i, i + 1) : MAKELPARAM(7, 7));
      PumpUntil([] { return false; }, 15);
    }
    EXPECT_EQ(!c.postpones, item->runs == 1) << c.message;
    EXPECT_TRUE(PumpUntil([&] { return item->completions == 1; }, 10000)) << c.message;
  }
}

// Cancelled items never run; items added from a worker thread run on the main thread.
TEST_F(IdleMasterTest, CancelAndAddFromAnotherThread) {
  m_master->SetIdleDelay(30);
  auto cancelled = MakeItem(), kept = MakeItem();
  m_master->AddIdleItem(cancelled);
  EXPECT_TRUE(m_master->CancelIdleItem(cancelled));
  EXPECT_FALSE(m_master->CancelIdleItem(cancelled));
  std::thread([&] { m_master->AddIdleItem(kept); }).join();
  ASSERT_TRUE(PumpUntil([&] { return kept->completions == 1; }, 10000));
  EXPECT_TRUE(kept->runThread == ::GetCurrentThreadId() && cancelled->cancels == 1);
  EXPECT_EQ(0, cancelled->runs + cancelled->completions);
}
