// Path canonicalisation (a canonical path is its own canonical form) and components in tables,
// module paths (also past the first buffer) and path comparison with and without short names.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "orvutil/foundation.h"
#include "tstring_print.h"

using Orv::tstring;

namespace {

// Directories and files a test makes, removed in reverse order at its end.
struct SScratch {
  std::vector<std::wstring> paths;
  ~SScratch() {
    for (auto it = paths.rbegin(); it != paths.rend(); ++it)
      if (!::DeleteFileW(it->c_str())) ::RemoveDirectoryW(it->c_str());
  }
};

}  // namespace

TEST(Paths, Canonicalize) {
  const std::tuple<const wchar_t*, bool, bool, const wchar_t*> cases[] = {  // path, long form, fold case, expected
      {nullptr, true, true, L""}, {L"   \t ", false, false, L""}, {L"a\\..", false, false, L""},
      {L"C:/dir//sub/./x/../file.txt", false, false, L"C:\\dir\\sub\\file.txt"},
      {L"C:/dir//sub/./x/../file.txt", true, false, L"\\\\?\\C:\\dir\\sub\\file.txt"},
      {L"C:\\", false, false, L"C:"}, {L"a/b/c/", true, false, L"a\\b\\c"}, {L"/dir/", true, false, L"\\dir"},
      {L"/", false, false, L"\\"}, {L"\\..\\x", false, false, L"\\x"},
      {L"\\\\server\\share\\dir\\", true, false, L"\\\\?\\UNC\\server\\share\\dir"},
      {L"\\\\\\server\\\\share", false, false, L"\\\\server\\share"},
      {L"\\\\Server\\Share", true, true, L"\\\\?\\unc\\server\\share"},
      {L"//./COM1", true, false, L"\\\\.\\COM1"}, {L"\\\\.\\pipe\\.\\a\\..\\b", false, false, L"\\\\.\\pipe\\b"},
      {L"  \\\\?\\C:\\Dir\\.\\..\\X//", true, false, L"\\\\?\\C:\\Dir\\.\\..\\X//"},
      {L"\\\\?\\C:\\Dir\\..\\X", false, true, L"\\\\?\\c:\\dir\\..\\x"},
      {L" \r\nC:\\dir", true, false, L"\\\\?\\C:\\dir"}, {L"C:\\dir\\   ", false, false, L"C:\\dir"},
      {L"C:\\dir \\", false, false, L"C:\\dir"}, {L"C:\\a b \\c", false, false, L"C:\\a b \\c"},
      {L"..\\x\\..\\..\\y", false, false, L"..\\..\\y"}, {L"C:\\a\\..\\..\\..\\x", true, false, L"\\\\?\\C:\\x"},
      {L"\\\\srv\\share\\a\\..\\..\\x", false, false, L"\\\\srv\\share\\x"},
      {L"\\\\.\\pipe\\..\\..\\x", false, false, L"\\\\.\\pipe\\x"}, {L"C:\\\u00C4\u0130Z", false, true, L"c:\\\u00C4\u0130z"},
      // Drive-relative and other relative paths keep their drive and get no long form.
      {L"C:x\\..\\y", true, false, L"C:y"}, {L"C:x\\..", true, false, L"C:."}, {L"C:dir\\..\\..\\x", true, false, L"C:..\\x"},
  };
  for (const auto& [path, longForm, foldCase, expected] : cases) {
    EXPECT_EQ(expected, Std(Orv::CanonicalizePath(path, longForm, foldCase))) << (path ? path : L"(null)");
    EXPECT_EQ(expected, Std(Orv::CanonicalizePath(expected, longForm, foldCase)));  // its own canonical form
  }
  // More parts than the inline room, and back up past all of them.
  std::wstring path = L"C:", expected = L"C:";
  for (int i = 0; i < 40; ++i) {
    path += L"/./p" + std::to_wstring(i);
    if (i < 38) expected += L"\\p" + std::to_wstring(i);
  }
  EXPECT_EQ(expected + L"\\q", Std(Orv::CanonicalizePath((path + L"\\..\\..\\q").c_str(), false, false)));
  for (int i = 0; i < 45; ++i) path += L"\\..";
  EXPECT_EQ(L"C:", Std(Orv::CanonicalizePath(path.c_str(), false, false)));
}

TEST(Paths, Components) {
  enum Op { eStrip, eAppend, eChangeExt, eTail, eExt };
  const std::tuple<Op, const wchar_t*, const wchar_t*, const wchar_t*> cases[] = {  // operation, path, argument, expected
      {eStrip, L"C:\\dir/file", nullptr, L"C:\\dir"}, {eStrip, L"C:\\dir\\", nullptr, L"C:\\dir"},
      {eStrip, L"file", nullptr, L""}, {eAppend, L"C:\\dir", L"\\x", L"C:\\x"}, {eAppend, L"C:\\dir", L"x", L"C:\\dir\\x"},
      {eAppend, L"C:\\dir/", L"x", L"C:\\dir/x"}, {eAppend, L"C:\\dir", L"D:", L"D:"}, {eAppend, L"D:", L"x", L"D:\\x"},
      {eAppend, L"\\\\?\\C:\\dir", L"\\x", L"\\\\?\\C:\\x"}, {eAppend, L"C:\\dir", nullptr, L"C:\\dir"},
      {eChangeExt, L"C:\\dir\\file.txt", L".doc", L"C:\\dir\\file.doc"}, {eChangeExt, L"C:\\d\\file.txt", L".", L"C:\\d\\file"},
      {eChangeExt, L"C:/a.b/file", L"txt", L"C:/a.b/file.txt"}, {eChangeExt, L"file.", L"txt", L"file.txt"},
      {eTail, L"a\\b/c", nullptr, L"c"}, {eTail, L"C:\\dir\\", nullptr, L""}, {eExt, L"C:\\a.b\\file", nullptr, L""},
      {eExt, L"x.tar.gz", nullptr, L"gz"}, {eExt, L".profile", nullptr, L"profile"},
  };
  for (const auto& [op, path, arg, expected] : cases) {
    tstring s(path);
    switch (op) {
      case eStrip: Orv::StripPathTail(s); break;
      case eAppend: Orv::AppendPathTail(s, arg); break;
      case eChangeExt: Orv::ChangePathExtension(s, arg); break;
      case eTail: s = Orv::GetPathTail(path); break;
      case eExt: s = Orv::GetPathExtension(path); break;
    }
    EXPECT_EQ(expected, Std(s)) << op << " " << ::testing::PrintToString(tstring(path));
  }
}

TEST(Paths, ModulePathsAlsoPastTheFirstBuffer) {
  tstring exe = Orv::GetExecutablePath();
  EXPECT_EQ(exe, Orv::GetExecutableDir() + L"\\foundation_tests.exe");
  tstring library = Orv::GetModulePath(::GetModuleHandleW(L"orvutil.dll"));
  EXPECT_TRUE(Orv::PathsEqual(library.c_str(), (Orv::GetExecutableDir() + L"\\orvutil.dll").c_str()));
  int local = 0;
  EXPECT_EQ(L"", Std(Orv::GetModulePath(reinterpret_cast<HINSTANCE>(&local))));
  SScratch scratch;  // five levels of 150 characters below the temporary directory
  wchar_t temp[MAX_PATH + 1];
  tstring dir(temp, ::GetTempPathW(MAX_PATH + 1, temp));
  for (int level = 0; level < 6; ++level) {
    tstring name = tstring::format_new(L"orv%lu_%d_", ::GetCurrentProcessId(), level) + tstring(level ? 140 : 0, L'x');
    Orv::AppendPathTail(dir, name.c_str());
    scratch.paths.push_back(Std(L"\\\\?\\" + dir));
    ASSERT_TRUE(::CreateDirectoryW(scratch.paths.back().c_str(), nullptr) || ::GetLastError() == ERROR_ALREADY_EXISTS);
  }
  tstring file = L"\\\\?\\" + dir + L"\\probe.dll";
  ASSERT_TRUE(::CopyFileW(library.c_str(), file.c_str(), FALSE));
  scratch.paths.push_back(Std(file));
  HMODULE module = ::LoadLibraryExW(file.c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);  // mapped only
  ASSERT_NE(nullptr, module);
  tstring path = Orv::GetModulePath(module);
  ::FreeLibrary(module);
  EXPECT_TRUE(Orv::PathsEqual(path.c_str(), (dir + L"\\probe.dll").c_str())) << path.c_str();
}

TEST(Paths, EqualityByCanonicalFormThenShortNames) {
  const std::tuple<const wchar_t*, const wchar_t*, bool> cases[] = {{L"C:\\Dir\\File.txt", L"c:/dir//file.txt", true}, {L"\\\\Srv\\Share", L"//srv/share/", true},
               {L" C:\\a ", L"C:\\a", true}, {nullptr, L"", true}, {L"C:\\dir\\file", L"C:\\dir\\other", false},
               {L"dir\\file", L"C:\\dir\\file", false}, {L"C:\\dir", L"\\\\?\\C:\\dir", false}};
  for (const auto& [a, b, equal] : cases) EXPECT_EQ(equal, Orv::PathsEqual(a, b)) << (a ? a : L"") << " | " << b;
  tstring file = Orv::GetExecutablePath(), dir = Orv::GetExecutableDir();
  wchar_t buffer[1024];
  tstring shortPath(buffer, ::GetShortPathNameW(file.c_str(), buffer, 1024));
  ASSERT_FALSE(shortPath.empty());
  if (Orv::PathsEqual(file.c_str(), shortPath.c_str(), false)) GTEST_SKIP() << "no separate short names here";
  EXPECT_TRUE(Orv::PathsEqual(shortPath.c_str(), file.c_str(), true));
  EXPECT_FALSE(Orv::PathsEqual(file.c_str(), dir.c_str(), true));
  EXPECT_FALSE(Orv::PathsEqual((dir + L"\\missing one").c_str(), (dir + L"\\missing two").c_str(), true));
}
