// A string changed on one thread while other threads copy, change and release strings that share
// its record: the changing thread decides from the reference count alone whether it may write in
// place, so every holder must still see exactly its own characters.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "orvutil/foundation.h"
#include "orvutil/threads/locks.h"

using Orv::tstring;

namespace {

std::wstring Std(const tstring& s) {
  return std::wstring(s.data(), s.size());
}

const wchar_t kOriginal[] = L"shared text longer than the inline room";

// Appends `count` characters one by one to `target`, mirrored in a std::wstring; false on the
// first difference.
bool AppendMatchesModel(tstring& target, int count) {
  std::wstring model = Std(target);
  for (int i = 0; i < count; ++i) {
    wchar_t c = static_cast<wchar_t>(L'a' + i % 26);
    target.push_back(c);
    model.push_back(c);
    if (target.size() != model.size() || target[target.size() - 1] != c) return false;
  }
  return Std(target) == model;
}

class TStringCopyDuringEdit : public ::testing::Test {
 protected:
  void SetUp() override { Orv::CScopeCriticalSection::SetCriticalSectionsAllowed(true); }
  void TearDown() override { Orv::CScopeCriticalSection::SetCriticalSectionsAllowed(false); }
};

}  // namespace

// One thread appends to its copy of a string while another keeps copying the original, changing
// its own copies and letting them go.
TEST_F(TStringCopyDuringEdit, AppendingToACopyNeverShowsInTheOriginalOrItsOtherCopies) {
  const tstring original(kOriginal);
  std::atomic<bool> appending{true};
  std::atomic<int> wrongCopies{0};
  std::thread copier([&] {
    while (appending.load()) {
      tstring copy(original);
      if (Std(copy) != kOriginal) ++wrongCopies;
      copy.push_back(L'!');
      if (Std(copy) != std::wstring(kOriginal) + L'!') ++wrongCopies;
    }
  });
  for (int round = 0; round < 200; ++round) {
    tstring mine(original);
    EXPECT_TRUE(AppendMatchesModel(mine, 50)) << "round " << round;
  }
  appending = false;
  copier.join();
  EXPECT_EQ(wrongCopies.load(), 0);
  EXPECT_EQ(Std(original), kOriginal);
}

// The other holder lets go of the shared record at an arbitrary moment of the appends: the count
// falls from 2 to 1 under the appender, which may then write in place or copy once more, and
// must end with the same characters either way.
TEST_F(TStringCopyDuringEdit, AHolderReleasingDuringTheAppendsLeavesBothStringsRight) {
  int wrongHolders = 0;
  for (int round = 0; round < 200; ++round) {
    tstring mine(kOriginal);
    tstring* held = new tstring(mine);
    std::atomic<bool> seenOriginal{false};
    std::thread holder([&] {
      for (int spin = 0; spin < round * 20; ++spin) std::atomic_signal_fence(std::memory_order_seq_cst);
      seenOriginal = Std(*held) == kOriginal;
      delete held;
    });
    EXPECT_TRUE(AppendMatchesModel(mine, 40)) << "round " << round;
    holder.join();
    if (!seenOriginal) ++wrongHolders;
  }
  EXPECT_EQ(wrongHolders, 0);
}
