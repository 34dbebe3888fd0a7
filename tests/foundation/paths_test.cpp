// Path components, module and executable paths, and path comparison.
#include <gtest/gtest.h>

#include "orvutil/foundation.h"
#include "tstring_print.h"

using Orv::tstring;

namespace {

tstring Strip(const wchar_t* path) {
  tstring s(path);
  return Orv::StripPathTail(s);
}

tstring Append(const wchar_t* path, const wchar_t* tail) {
  tstring s(path);
  return Orv::AppendPathTail(s, tail);
}

tstring ChangeExt(const wchar_t* path, const wchar_t* ext) {
  tstring s(path);
  return Orv::ChangePathExtension(s, ext);
}

bool EndsWithIgnoringCase(const tstring& s, const wchar_t* end) {
  tstring tail(end);
  if (tail.size() > s.size()) return false;
  return _wcsicmp(s.c_str() + s.size() - tail.size(), tail.c_str()) == 0;
}

// The module file name as Windows gives it with a buffer big enough for any path.
tstring SystemModulePath(HMODULE module) {
  static wchar_t buffer[8192];
  DWORD n = ::GetModuleFileNameW(module, buffer, 8192);
  return tstring(buffer, n);
}

// A directory tree under the temporary directory, removed (with the files named) on destruction.
class CScratchTree {
 public:
  CScratchTree() {
    wchar_t temp[MAX_PATH + 1];
    DWORD n = ::GetTempPathW(MAX_PATH + 1, temp);
    m_root = tstring(temp, n);
    Orv::AppendPathTail(m_root, tstring::format_new(L"orv_paths_%lu", ::GetCurrentProcessId()).c_str());
    Add(m_root);
  }
  ~CScratchTree() {
    for (unsigned i = m_files.Count(); i-- > 0;) ::DeleteFileW(m_files[i].c_str());
    for (unsigned i = m_dirs.Count(); i-- > 0;) ::RemoveDirectoryW(m_dirs[i].c_str());
  }
  const tstring& Root() const { return m_root; }
  bool Add(const tstring& dir) {
    if (!::CreateDirectoryW(dir.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS) return false;
    m_dirs.PushBack(dir);
    return true;
  }
  void Owns(const tstring& file) { m_files.PushBack(file); }

 private:
  tstring m_root;
  Orv::tObjVector<tstring> m_dirs;
  Orv::tObjVector<tstring> m_files;
};

}  // namespace

TEST(PathsComponents, StripPathTail) {
  EXPECT_EQ(Strip(L"C:\\dir\\file"), L"C:\\dir");
  EXPECT_EQ(Strip(L"file"), L"");
  EXPECT_EQ(Strip(L""), L"");
  EXPECT_EQ(Strip(L"C:/dir/file"), L"C:/dir");
  EXPECT_EQ(Strip(L"C:\\dir/file"), L"C:\\dir");  // the last separator of either kind
  EXPECT_EQ(Strip(L"C:\\dir\\"), L"C:\\dir");     // a trailing separator alone goes
  EXPECT_EQ(Strip(L"C:\\"), L"C:");
  EXPECT_EQ(Strip(L"\\"), L"");
}

TEST(PathsComponents, AppendPathTail) {
  EXPECT_EQ(Append(L"C:\\dir", L"\\x"), L"C:\\x");
  EXPECT_EQ(Append(L"C:\\dir", L"/x"), L"C:/x");
  EXPECT_EQ(Append(L"C:\\dir", L"x"), L"C:\\dir\\x");
  EXPECT_EQ(Append(L"C:\\dir", L"D:\\y"), L"D:\\y");
  EXPECT_EQ(Append(L"C:\\dir", L"D:/y"), L"D:/y");
  EXPECT_EQ(Append(L"C:\\dir", L"D:"), L"D:");           // a bare drive replaces the path
  EXPECT_EQ(Append(L"C:\\dir\\", L"x"), L"C:\\dir\\x");  // no doubled separator
  EXPECT_EQ(Append(L"C:\\dir/", L"x"), L"C:\\dir/x");
  EXPECT_EQ(Append(L"", L"x"), L"x");
  EXPECT_EQ(Append(L"D:", L"x"), L"D:\\x");
  EXPECT_EQ(Append(L"D:", L"\\x"), L"D:\\x");
  EXPECT_EQ(Append(L"dir", L"\\x"), L"\\x");  // no drive to keep
  EXPECT_EQ(Append(L"\\\\srv\\share", L"\\x"), L"\\x");
  EXPECT_EQ(Append(L"a\\b", L"c\\d"), L"a\\b\\c\\d");
  // Absolute tails of other forms replace the path instead of being glued to its drive.
  EXPECT_EQ(Append(L"C:\\dir", L"\\\\srv\\share"), L"\\\\srv\\share");
  EXPECT_EQ(Append(L"C:\\dir", L"//srv/share"), L"//srv/share");
  // A long-form path keeps its prefix with its drive.
  EXPECT_EQ(Append(L"\\\\?\\C:\\dir", L"\\x"), L"\\\\?\\C:\\x");
  // Nothing to append.
  EXPECT_EQ(Append(L"C:\\dir", nullptr), L"C:\\dir");
  EXPECT_EQ(Append(L"C:\\dir", L""), L"C:\\dir");
}

TEST(PathsComponents, AppendReturnsThePath) {
  tstring path(L"C:\\dir");
  EXPECT_EQ(&Orv::AppendPathTail(path, L"x"), &path);
  EXPECT_EQ(&Orv::StripPathTail(path), &path);
  EXPECT_EQ(&Orv::ChangePathExtension(path, L"x"), &path);
  EXPECT_EQ(path, L"C:\\dir.x");
}

TEST(PathsComponents, ChangePathExtension) {
  EXPECT_EQ(ChangeExt(L"C:\\dir\\file.txt", L"doc"), L"C:\\dir\\file.doc");
  EXPECT_EQ(ChangeExt(L"C:\\dir\\file.txt", L".doc"), L"C:\\dir\\file.doc");  // the dot is not doubled
  EXPECT_EQ(ChangeExt(L"C:\\dir\\file.txt", L""), L"C:\\dir\\file");
  EXPECT_EQ(ChangeExt(L"C:\\dir\\file.txt", nullptr), L"C:\\dir\\file");
  EXPECT_EQ(ChangeExt(L"C:\\dir\\file.txt", L"."), L"C:\\dir\\file");    // no lone dot
  EXPECT_EQ(ChangeExt(L"C:\\a.b\\file", L"txt"), L"C:\\a.b\\file.txt");  // dot in a directory
  EXPECT_EQ(ChangeExt(L"C:/a.b/file", L"txt"), L"C:/a.b/file.txt");
  EXPECT_EQ(ChangeExt(L"C:\\a.b\\file", nullptr), L"C:\\a.b\\file");
  EXPECT_EQ(ChangeExt(L"file.tar.gz", L"zip"), L"file.tar.zip");
  EXPECT_EQ(ChangeExt(L"file", L"txt"), L"file.txt");
  EXPECT_EQ(ChangeExt(L"file.", L"txt"), L"file.txt");
  EXPECT_EQ(ChangeExt(L"", L"txt"), L".txt");
}

TEST(PathsComponents, GetPathTail) {
  EXPECT_EQ(Orv::GetPathTail(nullptr), L"");
  EXPECT_EQ(Orv::GetPathTail(L""), L"");
  EXPECT_EQ(Orv::GetPathTail(L"C:\\dir\\file.txt"), L"file.txt");
  EXPECT_EQ(Orv::GetPathTail(L"a/b"), L"b");
  EXPECT_EQ(Orv::GetPathTail(L"a\\b/c"), L"c");
  EXPECT_EQ(Orv::GetPathTail(L"file"), L"file");
  EXPECT_EQ(Orv::GetPathTail(L"C:\\dir\\"), L"");
}

TEST(PathsComponents, GetPathExtension) {
  EXPECT_EQ(Orv::GetPathExtension(nullptr), L"");
  EXPECT_EQ(Orv::GetPathExtension(L"C:\\a.b\\file"), L"");  // the dot is in the directory part
  EXPECT_EQ(Orv::GetPathExtension(L"C:\\dir\\file.txt"), L"txt");
  EXPECT_EQ(Orv::GetPathExtension(L"x.tar.gz"), L"gz");
  EXPECT_EQ(Orv::GetPathExtension(L"file."), L"");
  EXPECT_EQ(Orv::GetPathExtension(L".profile"), L"profile");
  EXPECT_EQ(Orv::GetPathExtension(L"a.b/c.d"), L"d");
}

TEST(PathsModule, CommandLine) {
  EXPECT_EQ(Orv::GetCommandLineW(), tstring(::GetCommandLineW()));
  EXPECT_FALSE(Orv::GetCommandLineW().empty());
}

TEST(PathsModule, Executable) {
  tstring path = Orv::GetExecutablePath();
  EXPECT_TRUE(EndsWithIgnoringCase(path, L"\\foundation_tests.exe")) << path.c_str();
  EXPECT_EQ(path, SystemModulePath(nullptr));
  EXPECT_EQ(Orv::GetModulePath(nullptr), path);
  tstring dir = Orv::GetExecutableDir();
  EXPECT_EQ(dir + L"\\" + Orv::GetPathTail(path.c_str()), path);
}

TEST(PathsModule, LibraryModule) {
  HMODULE library = ::GetModuleHandleW(L"orvutil.dll");
  ASSERT_NE(library, nullptr);
  tstring path = Orv::GetModulePath(library);
  EXPECT_TRUE(EndsWithIgnoringCase(path, L"\\orvutil.dll")) << path.c_str();
  EXPECT_EQ(path, SystemModulePath(library));
  // Built into the same folder as the tests.
  tstring dir = path;
  EXPECT_TRUE(Orv::PathsEqual(Orv::StripPathTail(dir).c_str(), Orv::GetExecutableDir().c_str()));
}

TEST(PathsModule, NotAModule) {
  int local = 0;
  EXPECT_EQ(Orv::GetModulePath(reinterpret_cast<HINSTANCE>(&local)), L"");
}

// A module whose path is longer than the first buffer makes GetModulePath grow it.
TEST(PathsModule, PathLongerThanTheFirstBuffer) {
  CScratchTree tree;
  tstring dir = tree.Root();
  for (int level = 0; level < 5; ++level) {
    Orv::AppendPathTail(dir, (tstring::format_new(L"level%d_", level) + tstring(140, L'x')).c_str());
    ASSERT_TRUE(tree.Add(L"\\\\?\\" + dir)) << dir.c_str();
  }
  tstring file = dir + L"\\orv_long_path_probe.dll";
  ASSERT_GT(file.size(), 700u);
  tstring source = Orv::GetModulePath(::GetModuleHandleW(L"orvutil.dll"));
  ASSERT_TRUE(::CopyFileW(source.c_str(), (L"\\\\?\\" + file).c_str(), FALSE));
  tree.Owns(L"\\\\?\\" + file);
  // Mapped only: no entry point, no imports, so the copy does nothing in this process.
  HMODULE module = ::LoadLibraryExW((L"\\\\?\\" + file).c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
  ASSERT_NE(module, nullptr);
  tstring path = Orv::GetModulePath(module);
  tstring expected = SystemModulePath(module);
  ::FreeLibrary(module);
  EXPECT_GT(path.size(), 512u);
  EXPECT_EQ(path, expected);
  EXPECT_TRUE(Orv::PathsEqual(path.c_str(), file.c_str())) << path.c_str();
}

TEST(PathsEqual, CanonicalForms) {
  EXPECT_TRUE(Orv::PathsEqual(L"C:\\Dir\\File.txt", L"c:/dir//file.txt"));
  EXPECT_TRUE(Orv::PathsEqual(L"C:\\dir\\.\\sub\\..", L"C:\\DIR\\"));
  EXPECT_TRUE(Orv::PathsEqual(L"\\\\Srv\\Share", L"//srv/share/"));
  EXPECT_TRUE(Orv::PathsEqual(L" C:\\a ", L"C:\\a"));
  EXPECT_TRUE(Orv::PathsEqual(nullptr, L""));
  EXPECT_FALSE(Orv::PathsEqual(L"C:\\dir\\file", L"C:\\dir\\other"));
  EXPECT_FALSE(Orv::PathsEqual(L"dir\\file", L"C:\\dir\\file"));  // relative is not made absolute
  EXPECT_FALSE(Orv::PathsEqual(L"C:\\dir", L"\\\\?\\C:\\dir"));   // different prefixes
  EXPECT_FALSE(Orv::PathsEqual(L"C:\\dir", nullptr));
}

TEST(PathsEqual, ShortPaths) {
  CScratchTree tree;
  tstring file = tree.Root() + L"\\A Long File Name For Short Paths.text";
  HANDLE handle = ::CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(handle, INVALID_HANDLE_VALUE);
  ::CloseHandle(handle);
  tree.Owns(file);
  wchar_t buffer[1024];
  DWORD n = ::GetShortPathNameW(file.c_str(), buffer, 1024);
  ASSERT_GT(n, 0u);
  ASSERT_LT(n, 1024u);
  tstring shortPath(buffer, n);
  if (Orv::CanonicalizePath(shortPath.c_str(), false, true) == Orv::CanonicalizePath(file.c_str(), false, true)) {
    GTEST_SKIP() << "the file system keeps no separate short names";
  }
  EXPECT_FALSE(Orv::PathsEqual(file.c_str(), shortPath.c_str(), false));
  EXPECT_TRUE(Orv::PathsEqual(file.c_str(), shortPath.c_str(), true));
  EXPECT_TRUE(Orv::PathsEqual(shortPath.c_str(), file.c_str(), true));
  // A different existing path keeps a different short form.
  EXPECT_FALSE(Orv::PathsEqual(file.c_str(), tree.Root().c_str(), true));
}

TEST(PathsEqual, MissingPathsHaveNoShortForm) {
  tstring root = Orv::GetExecutableDir();
  tstring a = root + L"\\no such file one.txt";
  tstring b = root + L"\\no such file two.txt";
  EXPECT_FALSE(Orv::PathsEqual(a.c_str(), b.c_str(), true));
  EXPECT_FALSE(Orv::PathsEqual(a.c_str(), Orv::GetExecutablePath().c_str(), true));
}
