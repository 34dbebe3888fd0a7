// A string that was moved from is a valid empty string: every member works on it as on a
// std::wstring that starts empty.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>

#include "orvutil/foundation/tstring.h"
#include "tstring_print.h"

using Orv::tstring;
using Base = Orv::tstring_base<Orv::TStringShared>;

namespace {

// One edit, written once and applied to both our string and the peer.
struct SEdit {
  const char* name;
  std::function<void(tstring&)> ours;
  std::function<void(std::wstring&)> peer;
};

template <class F>
SEdit Edit(const char* name, F f) {
  return {name, f, f};
}

const SEdit kEdits[] = {
    Edit("+= text", [](auto& s) { s += L"x"; }),
    Edit("push_back", [](auto& s) { s.push_back(L'y'); }),
    Edit("append n c", [](auto& s) { s.append(3, L'z'); }),
    Edit("insert", [](auto& s) { s.insert(0, L"ab"); }),
    Edit("erase", [](auto& s) { s.erase(0); }),
    Edit("resize", [](auto& s) { s.resize(2, L'q'); }),
    Edit("reserve then +=",
         [](auto& s) {
           s.reserve(40);
           s += L"r";
         }),
    Edit("replace", [](auto& s) { s.replace(0, 0, L"rep"); }),
    Edit("assign", [](auto& s) { s.assign(L"as"); }),
    Edit("self plus", [](auto& s) { s = s + L"t"; }),
    Edit("append self",
         [](auto& s) {
           s.append(s);
           s += L"u";
         }),
    Edit("clear", [](auto& s) { s.clear(); }),
};

// Each leaves `source` moved from.
using SourceMaker = void (*)(tstring& source);

void MoveConstruct(tstring& source) {
  source = L"hello";
  tstring taken(std::move(source));
  EXPECT_EQ(taken, L"hello");
}

void MoveAssign(tstring& source) {
  source = L"a string longer than the sixteen inline characters";
  tstring target(L"old");
  target = std::move(source);
  EXPECT_EQ(target, L"a string longer than the sixteen inline characters");
}

void MoveConstructBase(tstring& source) {
  source = L"base";
  Base taken(static_cast<Base&&>(source));
  EXPECT_EQ(taken, L"base");
}

void MoveAssignBase(tstring& source) {
  source = L"base assigned";
  Base target(L"old");
  target = static_cast<Base&&>(source);
  EXPECT_EQ(target, L"base assigned");
}

const std::pair<const char*, SourceMaker> kSources[] = {
    {"move construction", &MoveConstruct},
    {"move assignment", &MoveAssign},
    {"base move construction", &MoveConstructBase},
    {"base move assignment", &MoveAssignBase},
};

}  // namespace

TEST(TStringMovedFrom, EveryEditWorksAsOnAnEmptyString) {
  for (const auto& source : kSources) {
    for (const SEdit& edit : kEdits) {
      tstring s;
      source.second(s);
      std::wstring peer;
      edit.ours(s);
      edit.peer(peer);
      EXPECT_EQ(std::wstring(s.c_str(), s.size()), peer) << source.first << ", " << edit.name;
      EXPECT_EQ(s.c_str()[s.size()], L'\0') << source.first << ", " << edit.name;
    }
  }
}

TEST(TStringMovedFrom, ReadsSeeAnEmptyString) {
  for (const auto& source : kSources) {
    tstring s;
    source.second(s);
    SCOPED_TRACE(source.first);
    EXPECT_EQ(s.size(), 0u);
    EXPECT_TRUE(s.empty());
    EXPECT_EQ(s.c_str()[0], L'\0');
    EXPECT_EQ(s.begin(), s.end());
    EXPECT_EQ(s.find(L'h'), tstring::npos);
    EXPECT_EQ(s.compare(L""), 0);
    EXPECT_TRUE(s == tstring());
    EXPECT_LT(s, L"a");
    tstring copy(s);
    EXPECT_TRUE(copy.empty());
    tstring assigned(L"x");
    assigned = s;
    EXPECT_TRUE(assigned.empty());
  }
}
