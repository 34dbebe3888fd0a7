// A string changed on one thread while other threads copy, change and release strings that share
// its record: the changing thread decides from the reference count alone whether it may write in
// place, so every holder must still see exactly its own characters, and the count comes back to
// one holder.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "../support/scoped_locks.h"
#include "orvutil/foundation.h"
#include "tstring_print.h"

using Orv::tstring;

namespace {

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

}  // namespace

// One thread appends to its copies of a string while three others keep copying the original,
// changing their own copies and letting them go.
TEST(TStringCopyDuringEdit, AppendingToACopyNeverShowsInTheOriginalOrItsOtherCopies) {
  ScopedLocks locks;
  unsigned records = RecordsInUse();
  {
    tstring original(kOriginal);
    const wchar_t* chars = original.data();
    std::atomic<bool> appending{true};
    std::atomic<int> wrongCopies{0};
    std::vector<std::thread> copiers;
    for (int t = 0; t < 3; ++t) {
      copiers.emplace_back([&] {
        while (appending.load()) {
          tstring copy(original), second(copy);
          if (copy.data() != chars || Std(copy) != kOriginal) ++wrongCopies;
          second.push_back(L'!');
          if (second.data() == chars || Std(second) != std::wstring(kOriginal) + L'!') ++wrongCopies;
        }
      });
    }
    for (int round = 0; round < 200; ++round) {
      tstring mine(original);
      EXPECT_TRUE(AppendMatchesModel(mine, 50)) << "round " << round;
    }
    appending = false;
    for (std::thread& copier : copiers) copier.join();
    EXPECT_EQ(0, wrongCopies.load());
    EXPECT_EQ(kOriginal, Std(original));
    EXPECT_EQ(records + 1, RecordsInUse());
    original[0] = L'#';  // the only holder: changed in place
    EXPECT_EQ(chars, original.data());
  }
  EXPECT_EQ(records, RecordsInUse());
}

// The other holder lets go of the shared record at an arbitrary moment of the appends: the count
// falls from 2 to 1 under the appender, which may then write in place or copy once more, and
// must end with the same characters either way.
TEST(TStringCopyDuringEdit, AHolderReleasingDuringTheAppendsLeavesBothStringsRight) {
  ScopedLocks locks;
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
  EXPECT_EQ(0, wrongHolders);
}
