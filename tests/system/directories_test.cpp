// Creating, deleting and listing directories, long paths, the current directory, known folders.
#include <windows.h>

#include <initguid.h>  // defines the FOLDERID_ values used here

#include <knownfolders.h>

#include <algorithm>
#include <vector>

#include "orvutil/system.h"
#include "scratch.h"

using Orv::tstring;
using ScratchFiles::ExistsRaw;
using ScratchFiles::WriteRaw;

namespace {

class DirectoryTest : public ScratchFiles::ScratchTest {};

std::vector<tstring> Sorted(const Orv::tObjVector<tstring>& paths) {
  std::vector<tstring> sorted(paths.begin(), paths.end());
  std::sort(sorted.begin(), sorted.end());
  return sorted;
}

}  // namespace

TEST_F(DirectoryTest, CreatesEveryMissingAncestorAndDeletesEmptyOrRecursively) {
  tstring file = Path(L"file"), underFile = Path(L"file\\sub"), tooLong = Path(tstring(300, L'd').c_str());
  ASSERT_TRUE(WriteRaw(file, "x"));
  ASSERT_TRUE(Orv::CreateDirectoryW(Path(L"tree/one\\.\\x\\..\\two").c_str()));
  EXPECT_TRUE(Orv::DirectoryExists(Path(L"tree\\one\\two").c_str()));
  EXPECT_TRUE(Orv::CreateDirectoryW(Path(L"tree\\one").c_str()));  // already there
  EXPECT_TRUE(Orv::CreateDirectoryW((tstring(1, Dir()[0]) + L":\\").c_str()));
  for (const wchar_t* path : {static_cast<const wchar_t*>(nullptr), L"", file.c_str(), underFile.c_str(), tooLong.c_str()})
    EXPECT_FALSE(Orv::CreateDirectoryW(path)) << (path ? path : L"(null)");
  ASSERT_TRUE(Orv::CreateDirectoryW(Path(L"tree\\empty").c_str()));
  ASSERT_TRUE(WriteRaw(Path(L"tree\\one\\two\\deep.txt"), "2"));
  tstring tree = Path(L"tree");
  EXPECT_FALSE(Orv::DeleteDirectory(tree.c_str(), false));
  EXPECT_TRUE(Orv::DeleteDirectory(Path(L"tree\\empty").c_str(), false));
  EXPECT_TRUE(Orv::DeleteDirectory(tree.c_str(), true));
  EXPECT_FALSE(ExistsRaw(tree));
  for (bool recursive : {false, true})
    for (const wchar_t* path : {static_cast<const wchar_t*>(nullptr), L"", L".", file.c_str(), tree.c_str()})
      EXPECT_FALSE(Orv::DeleteDirectory(path, recursive)) << (path ? path : L"(null)");
  EXPECT_TRUE(ExistsRaw(file));
}

TEST_F(DirectoryTest, ListsFilesAndDirectoriesApart) {
  ASSERT_TRUE(WriteRaw(Path(L"b.txt"), ""));
  ASSERT_TRUE(WriteRaw(Path(L"a.txt"), ""));
  ASSERT_TRUE(ScratchFiles::MakeDirectoryRaw(Path(L"sub")));
  ASSERT_TRUE(WriteRaw(Path(L"sub\\inner.txt"), ""));
  Orv::tObjVector<tstring> files, directories;
  files.PushBack(L"kept");  // results are appended
  tstring listed = Dir() + L"\\";
  Orv::ReplaceAll(listed, L'\\', L'/');
  ASSERT_TRUE(Orv::GetDirectoryContents(listed.c_str(), files, directories));
  EXPECT_EQ((std::vector<tstring>{Path(L"a.txt"), Path(L"b.txt"), L"kept"}), Sorted(files));
  EXPECT_EQ((std::vector<tstring>{Path(L"sub")}), Sorted(directories));

  Orv::tObjVector<tstring> none, noDirectories;
  ASSERT_TRUE(Orv::GetDirectoryContents(Path(L"sub\\..\\sub").c_str(), none, noDirectories));
  EXPECT_EQ((std::vector<tstring>{Path(L"sub\\inner.txt")}), Sorted(none));
  EXPECT_EQ(0u, noDirectories.Count());

  tstring file = Path(L"a.txt"), missing = Path(L"missing");
  for (const wchar_t* path : {static_cast<const wchar_t*>(nullptr), L"", file.c_str(), missing.c_str()}) {
    Orv::tObjVector<tstring> f, d;
    EXPECT_FALSE(Orv::GetDirectoryContents(path, f, d)) << (path ? path : L"(null)");
    EXPECT_EQ(0u, f.Count() + d.Count());
  }
}

TEST_F(DirectoryTest, LongPathsWork) {
  // A chain of directories well past MAX_PATH.
  tstring deep = Dir();
  for (int i = 0; i < 8; ++i)
    Orv::AppendPathTail(deep, tstring::format_new(L"level%d_%s", i, tstring(40, L'x').c_str()).c_str());
  ASSERT_GT(deep.size(), 400u);
  ASSERT_TRUE(Orv::CreateDirectoryW(deep.c_str()));
  EXPECT_TRUE(Orv::DirectoryExists(deep.c_str()));

  tstring file = deep + L"\\file.txt";
  Orv::CFile out;
  ASSERT_TRUE(out.OpenWrite(file.c_str()));
  EXPECT_TRUE(Orv::WriteFile(out, "deep text", 9));
  out.Close();
  EXPECT_TRUE(Orv::FileExists(file.c_str()));
  EXPECT_EQ(9u, Orv::GetFileSize(file.c_str()));
  tstring text;
  EXPECT_TRUE(Orv::ReadWholeFile(file.c_str(), text));
  EXPECT_EQ(L"deep text", text);
  tstring copy = deep + L"\\copy.txt";
  EXPECT_TRUE(Orv::CopyFileW(file.c_str(), copy.c_str(), false));
  Orv::tObjVector<tstring> files, directories;
  ASSERT_TRUE(Orv::GetDirectoryContents(deep.c_str(), files, directories));
  EXPECT_EQ((std::vector<tstring>{copy, file}), Sorted(files));
  EXPECT_TRUE(Orv::DeleteFileW(file.c_str()));
  EXPECT_FALSE(Orv::FileExists(file.c_str()));

  tstring top = Path(L"level0_") + tstring(40, L'x');
  EXPECT_TRUE(Orv::DeleteDirectory(top.c_str(), true));
  EXPECT_FALSE(ExistsRaw(top));
}

TEST_F(DirectoryTest, ChangesTheCurrentDirectory) {
  struct Restore {  // the current directory is process-wide
    tstring saved = Orv::GetCurrentDirectoryW();
    ~Restore() { Orv::SetCurrentDirectoryW(saved.c_str()); }
  } restore;
  ASSERT_TRUE(WriteRaw(Path(L"here.txt"), "x"));
  ASSERT_TRUE(Orv::SetCurrentDirectoryW((Dir() + L"\\").c_str()));
  EXPECT_TRUE(Orv::FileExists(L"here.txt"));  // relative paths start there
  for (const wchar_t* bad : {static_cast<const wchar_t*>(nullptr), L"", L"here.txt", L"missing"})
    EXPECT_FALSE(Orv::SetCurrentDirectoryW(bad));
  EXPECT_TRUE(Orv::PathsEqual(Dir().c_str(), Orv::GetCurrentDirectoryW().c_str()));
}

TEST(KnownDirectories, FindsTheUserFolders) {
  tstring local = Orv::GetLocalUserDirectory();
  tstring roaming = Orv::GetRoamingUserDirectory();
  EXPECT_TRUE(Orv::DirectoryExists(local.c_str())) << local.c_str();
  EXPECT_TRUE(Orv::DirectoryExists(roaming.c_str())) << roaming.c_str();
  EXPECT_FALSE(Orv::PathsEqual(local.c_str(), roaming.c_str()));
  EXPECT_TRUE(Orv::PathsEqual(local.c_str(), Orv::GetKnownDirectory(FOLDERID_LocalAppData, false).c_str()));
  // An identity that names no folder.
  const GUID unknown = {0x12345678, 0x1234, 0x1234, {1, 2, 3, 4, 5, 6, 7, 8}};
  EXPECT_TRUE(Orv::GetKnownDirectory(unknown, false).empty());
  EXPECT_TRUE(Orv::GetKnownDirectory(GUID{}, true).empty());
}
