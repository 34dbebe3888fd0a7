// CanonicalizePath keeps the kind of a path (relative, drive-relative with its drive, rooted,
// drive-absolute with its drive, UNC, device), and a canonical path is its own canonical form.
#include <gtest/gtest.h>

#include <cwctype>
#include <string>

#include "orvutil/foundation.h"
#include "tstring_print.h"

using Orv::CanonicalizePath;
using Orv::tstring;

namespace {

bool IsSeparator(wchar_t c) {
  return c == L'\\' || c == L'/';
}

// The kind of a path, read from its first characters: a small model of how Windows reads them.
// Drive kinds carry their letter. A long prefix is looked through.
std::wstring Kind(std::wstring p) {
  p.erase(0, p.find_first_not_of(L" \t\r\n\v\f"));
  if (p.compare(0, 8, L"\\\\?\\UNC\\") == 0) return L"unc";
  if (p.compare(0, 4, L"\\\\?\\") == 0) p.erase(0, 4);
  if (p.size() >= 2 && IsSeparator(p[0]) && IsSeparator(p[1])) {
    size_t at = p.find_first_not_of(L"\\/");
    return at != std::wstring::npos && p[at] == L'.' && at + 1 < p.size() && IsSeparator(p[at + 1]) ? L"device"
                                                                                                    : L"unc";
  }
  if (!p.empty() && IsSeparator(p[0])) return L"rooted";
  if (p.size() >= 2 && iswalpha(p[0]) && p[1] == L':') {
    return (p.size() == 2 || IsSeparator(p[2]) ? L"drive " : L"drive-relative ") + p.substr(0, 1);
  }
  return L"relative";
}

// Paths built from pieces that stress the kinds: drives, dots, blanks, separators of both sorts.
std::wstring Generated(unsigned& seed) {
  static const wchar_t* const pieces[] = {L"a",  L"Bc", L" ",  L"x y", L".",  L"..",  L"\\",   L"/",
                                          L"\\", L"/",  L"C:", L"d:",  L"\t", L".\\", L"..\\", L"\\\\"};
  std::wstring path;
  seed = seed * 1103515245u + 12345u;
  unsigned count = 1 + (seed >> 16) % 9;
  for (unsigned i = 0; i < count; ++i) {
    seed = seed * 1103515245u + 12345u;
    path += pieces[(seed >> 16) % (sizeof pieces / sizeof pieces[0])];
  }
  return path;
}

std::wstring Canon(const std::wstring& path, bool longForm) {
  tstring result = CanonicalizePath(path.c_str(), longForm, false);
  return std::wstring(result.c_str(), result.size());
}

}  // namespace

TEST(CanonicalizePathKind, GeneratedPathsKeepTheirKindAndAreStable) {
  unsigned seed = 7;
  for (int i = 0; i < 4000; ++i) {
    std::wstring path = Generated(seed);
    for (bool longForm : {false, true}) {
      std::wstring once = Canon(path, longForm);
      ASSERT_EQ(Kind(once), Kind(path)) << ::testing::PrintToString(tstring(path.c_str())) << " gave "
                                        << ::testing::PrintToString(tstring(once.c_str())) << " long " << longForm;
      ASSERT_EQ(Canon(once, longForm), once) << ::testing::PrintToString(tstring(path.c_str())) << " long " << longForm;
    }
  }
}

TEST(CanonicalizePathKind, DriveRelativePathsKeepTheirDrive) {
  const struct {
    const wchar_t* path;
    const wchar_t* canonical;
  } cases[] = {
      {L"C:x\\..\\y", L"C:y"}, {L"C:x\\..", L"C:."},       {L"C:dir\\..\\..\\x", L"C:..\\x"},
      {L"C:x", L"C:x"},        {L".\\C:\\x", L".\\C:\\x"}, {L"\\\\..\\share\\x", L"\\\\..\\share\\x"},
      {L".\\ a", L".\\ a"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CanonicalizePath(c.path, false, false), tstring(c.canonical))
        << ::testing::PrintToString(tstring(c.path));
    // Only absolute paths get the long form.
    if (Kind(c.path) != L"unc") {
      EXPECT_EQ(CanonicalizePath(c.path, true, false), tstring(c.canonical))
          << ::testing::PrintToString(tstring(c.path));
    }
  }
  EXPECT_NE(CanonicalizePath(L"D:x\\..", false, true), CanonicalizePath(L"C:y\\..", false, true));
}
