// CanonicalizePath: every prefix form, separators, "." and "..", white space and long paths.
#include <gtest/gtest.h>

#include "orvutil/foundation.h"
#include "tstring_print.h"

using Orv::CanonicalizePath;
using Orv::tstring;

namespace {

tstring Canon(const wchar_t* path, bool longForm = false, bool foldCase = false) {
  return CanonicalizePath(path, longForm, foldCase);
}

}  // namespace

TEST(PathsCanonicalize, EmptyInput) {
  EXPECT_EQ(Canon(nullptr), L"");
  EXPECT_EQ(Canon(nullptr, true, true), L"");
  EXPECT_EQ(Canon(L""), L"");
  EXPECT_EQ(Canon(L"   \t "), L"");  // white space only
  EXPECT_EQ(Canon(L"."), L"");
  EXPECT_EQ(Canon(L".\\"), L"");
  EXPECT_EQ(Canon(L"./."), L"");
}

TEST(PathsCanonicalize, DrivePaths) {
  EXPECT_EQ(Canon(L"C:/dir//sub/./x/../file.txt"), L"C:\\dir\\sub\\file.txt");
  EXPECT_EQ(Canon(L"C:/dir//sub/./x/../file.txt", true), L"\\\\?\\C:\\dir\\sub\\file.txt");
  EXPECT_EQ(Canon(L"C:\\"), L"C:");  // the separator after the drive goes
  EXPECT_EQ(Canon(L"C:\\", true), L"\\\\?\\C:");
  EXPECT_EQ(Canon(L"C:"), L"C:");
  EXPECT_EQ(Canon(L"c:\\a\\\\\\b\\\\"), L"c:\\a\\b");
  EXPECT_EQ(Canon(L"C:\\My Documents\\a b.txt"), L"C:\\My Documents\\a b.txt");  // inner spaces stay
}

TEST(PathsCanonicalize, RelativePathsStayRelative) {
  EXPECT_EQ(Canon(L"a\\b\\.\\c"), L"a\\b\\c");
  EXPECT_EQ(Canon(L"a/b/c/", true), L"a\\b\\c");  // no long prefix without a drive
  EXPECT_EQ(Canon(L".\\a"), L"a");
  EXPECT_EQ(Canon(L"a\\.."), L"");
  EXPECT_EQ(Canon(L"C:a\\b\\..\\c"), L"C:a\\c");  // drive-relative
}

TEST(PathsCanonicalize, RootedPaths) {
  EXPECT_EQ(Canon(L"\\dir\\..\\x"), L"\\x");
  EXPECT_EQ(Canon(L"/dir/"), L"\\dir");
  EXPECT_EQ(Canon(L"/dir/", true), L"\\dir");  // rooted paths get no long prefix
  EXPECT_EQ(Canon(L"\\"), L"\\");
  EXPECT_EQ(Canon(L"/"), L"\\");
}

TEST(PathsCanonicalize, UncPaths) {
  EXPECT_EQ(Canon(L"\\\\server\\share\\dir\\", true), L"\\\\?\\UNC\\server\\share\\dir");
  EXPECT_EQ(Canon(L"\\\\server\\share\\dir\\"), L"\\\\server\\share\\dir");
  EXPECT_EQ(Canon(L"//server/share/dir/"), L"\\\\server\\share\\dir");
  EXPECT_EQ(Canon(L"//server/share/dir/", true), L"\\\\?\\UNC\\server\\share\\dir");
  EXPECT_EQ(Canon(L"\\\\\\server\\\\share"), L"\\\\server\\share");  // three leading separators
  EXPECT_EQ(Canon(L"\\\\Server\\Share", true, true), L"\\\\?\\unc\\server\\share");
}

TEST(PathsCanonicalize, DevicePaths) {
  EXPECT_EQ(Canon(L"\\\\.\\pipe\\name"), L"\\\\.\\pipe\\name");
  EXPECT_EQ(Canon(L"\\\\.\\pipe\\name", true), L"\\\\.\\pipe\\name");  // a device path has no long form
  EXPECT_EQ(Canon(L"//./COM1"), L"\\\\.\\COM1");
  EXPECT_EQ(Canon(L"\\\\.\\pipe\\.\\a\\..\\b"), L"\\\\.\\pipe\\b");
  // A dot that does not stand alone is a server name.
  EXPECT_EQ(Canon(L"\\\\.x\\share"), L"\\\\.x\\share");
}

TEST(PathsCanonicalize, LongPathsAreTakenVerbatim) {
  EXPECT_EQ(Canon(L"\\\\?\\C:\\Dir\\.\\..\\X//"), L"\\\\?\\C:\\Dir\\.\\..\\X//");
  EXPECT_EQ(Canon(L"\\\\?\\C:\\Dir\\.\\..\\X//", true), L"\\\\?\\C:\\Dir\\.\\..\\X//");
  EXPECT_EQ(Canon(L"\\\\?\\C:\\Dir\\..\\X", false, true), L"\\\\?\\c:\\dir\\..\\x");
  EXPECT_EQ(Canon(L"\\\\?\\UNC\\Srv\\Sh", true, true), L"\\\\?\\unc\\srv\\sh");
  // White space before the prefix does not turn it into a UNC server named "?".
  EXPECT_EQ(Canon(L"  \\\\?\\C:\\Dir", true), L"\\\\?\\C:\\Dir");
}

TEST(PathsCanonicalize, WhiteSpace) {
  EXPECT_EQ(Canon(L"  \t C:\\dir"), L"C:\\dir");
  EXPECT_EQ(Canon(L" \r\nC:\\dir", true), L"\\\\?\\C:\\dir");  // the drive is found after the white space
  EXPECT_EQ(Canon(L"  \\\\srv\\share"), L"\\\\srv\\share");
  EXPECT_EQ(Canon(L"C:\\dir\\file.txt  \t\r\n"), L"C:\\dir\\file.txt");
  EXPECT_EQ(Canon(L"C:\\dir\\   "), L"C:\\dir");     // a blank last part vanishes with its separator
  EXPECT_EQ(Canon(L"C:\\dir \\"), L"C:\\dir");       // the last part is the one before the separator
  EXPECT_EQ(Canon(L"C:\\a b \\c"), L"C:\\a b \\c");  // only the last part is trimmed
  EXPECT_EQ(Canon(L"C:\\x\\.  "), L"C:\\x");         // trimmed before "." is resolved
}

TEST(PathsCanonicalize, DotDotAtTheFront) {
  EXPECT_EQ(Canon(L"..\\a\\..\\b"), L"..\\b");
  EXPECT_EQ(Canon(L"..\\..\\a"), L"..\\..\\a");  // a ".." never cancels another ".."
  EXPECT_EQ(Canon(L"..\\x\\..\\..\\y"), L"..\\..\\y");
  EXPECT_EQ(Canon(L"a\\..\\..\\b"), L"..\\b");
  EXPECT_EQ(Canon(L".\\.."), L"..");
}

TEST(PathsCanonicalize, DotDotAfterDots) {
  EXPECT_EQ(Canon(L"a\\.\\..\\b"), L"b");
  EXPECT_EQ(Canon(L"C:\\a\\b\\.\\.\\..\\..\\c"), L"C:\\c");
  EXPECT_EQ(Canon(L"C:\\a\\.\\b\\..\\.\\c"), L"C:\\a\\c");
}

TEST(PathsCanonicalize, DotDotStopsAtTheRoot) {
  EXPECT_EQ(Canon(L"C:\\..\\x"), L"C:\\x");
  EXPECT_EQ(Canon(L"C:\\a\\..\\..\\..\\x", true), L"\\\\?\\C:\\x");
  EXPECT_EQ(Canon(L"\\..\\x"), L"\\x");
  EXPECT_EQ(Canon(L"\\\\srv\\share\\..\\x"), L"\\\\srv\\share\\x");
  EXPECT_EQ(Canon(L"\\\\srv\\share\\a\\..\\..\\x", true), L"\\\\?\\UNC\\srv\\share\\x");
  EXPECT_EQ(Canon(L"\\\\.\\pipe\\..\\..\\x"), L"\\\\.\\pipe\\x");
}

TEST(PathsCanonicalize, FoldCase) {
  EXPECT_EQ(Canon(L"C:\\Dir\\FILE.Txt", false, true), L"c:\\dir\\file.txt");
  EXPECT_EQ(Canon(L"C:\\Dir\\FILE.Txt", true, true), L"\\\\?\\c:\\dir\\file.txt");
  EXPECT_EQ(Canon(L"C:\\Dir\\FILE.Txt", false, false), L"C:\\Dir\\FILE.Txt");
  // Only ASCII capitals are folded.
  EXPECT_EQ(Canon(L"C:\\\u00C4\u0130Z", false, true), L"c:\\\u00C4\u0130z");
}

TEST(PathsCanonicalize, MoreThanThirtyTwoParts) {
  tstring path(L"C:");
  tstring expected(L"C:");
  for (int i = 0; i < 40; ++i) {
    tstring part = tstring::format_new(L"p%d", i);
    path += L"/./" + part;
    expected += L"\\" + part;
  }
  EXPECT_EQ(Canon(path.c_str()), expected);
  // Going up from the 40th part removes parts held beyond the inline room, one by one.
  tstring up = path + L"\\..\\..\\q";
  tstring upExpected(L"C:");
  for (int i = 0; i < 38; ++i) upExpected += tstring::format_new(L"\\p%d", i);
  upExpected += L"\\q";
  EXPECT_EQ(Canon(up.c_str()), upExpected);
  // And all the way back to the drive.
  tstring all = path;
  for (int i = 0; i < 45; ++i) all += L"\\..";
  EXPECT_EQ(Canon(all.c_str()), L"C:");
}

TEST(PathsCanonicalize, ManyDotDotsInARelativePath) {
  tstring path;
  tstring expected;
  for (int i = 0; i < 50; ++i) {
    path += L"../";
    expected += i ? L"\\.." : L"..";
  }
  path += L"a";
  expected += L"\\a";
  EXPECT_EQ(Canon(path.c_str()), expected);
}
