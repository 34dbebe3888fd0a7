// Paths: containment, shapes and drive letters, short paths, file-name cleaning; creating,
// deleting and listing directories (also past MAX_PATH), the current directory, known folders.
#include <windows.h>

#include <initguid.h>  // defines the FOLDERID_ values used here

#include <knownfolders.h>

#include <algorithm>
#include <vector>

#include "orvutil/system.h"
#include "../support/scratch.h"

using Orv::tstring;

namespace {

class PathTest : public ScratchFiles::ScratchTest {};

using ScratchFiles::Show;
wchar_t AsciiUpper(wchar_t c) { return c >= L'a' && c <= L'z' ? wchar_t(c - 32) : c >= L'A' && c <= L'Z' ? c : 0; }

}  // namespace

TEST(PathInPath, ComparesCanonicalFoldedForms) {
  struct { const wchar_t* directory; const wchar_t* path; bool inside; } const cases[] = {
      {L"C:\\Dir", L"c:/dir/sub/file", true}, {L"C:\\Dir\\", L"C:\\DIR\\x", true}, {L"C:\\", L"C:\\x", true},
      {L"C:\\Dir\\sub\\..", L"C:\\Dir\\x", true}, {L"\\\\?\\C:\\Dir", L"C:\\Dir\\x", true},
      {L"\\\\server\\share", L"\\\\?\\UNC\\server\\share\\x", true}, {L"C:\\Dir", L"C:\\Dir", false},
      {L"C:\\Dir", L"C:\\Directory\\x", false}, {L"C:\\Dir", L"C:\\Dir\\..\\x", false},
      {L"C:\\Dir", L"D:\\Dir\\x", false}, {L"C:\\Dir\\sub", L"C:\\Dir", false}, {L"", L"C:\\x", false},
      {nullptr, L"C:\\x", false}, {L"C:\\Dir", nullptr, false}};
  for (const auto& c : cases)
    EXPECT_EQ(c.inside, Orv::PathInPath(c.directory, c.path)) << Show(c.directory) << " / " << Show(c.path);
}

// Every ASCII character before ":", also after "\\?\": only letters name drives, in upper case.
TEST(PathShapes, AbsoluteDriveRelativeAndDriveLetters) {
  for (wchar_t c = 1; c < 0x80; ++c) {
    tstring rooted = tstring(1, c) + L":\\x", relative = tstring(1, c) + L":x";
    for (const tstring& path : {rooted, L"\\\\?\\" + rooted, relative})
      EXPECT_EQ(AsciiUpper(c), Orv::GetDriveLetter(path.c_str())) << path.c_str();
    EXPECT_EQ(AsciiUpper(c) != 0, Orv::IsAbsolutePath(rooted.c_str())) << rooted.c_str();
    EXPECT_EQ(AsciiUpper(c) || c == L'\\' || c == L'/', Orv::IsDriveRelativePath(relative.c_str())) << relative.c_str();
  }
  struct { const wchar_t* path; int shape; } const cases[] = {  // 1 absolute, 2 drive-relative
      {L"\\\\server\\share", 1}, {L"//server/share", 1}, {L"\\x", 2}, {L"/x", 2},
      {L"C:", 2}, {L"..\\x", 0}, {L"", 0}, {nullptr, 0}};
  for (const auto& c : cases)
    EXPECT_EQ(c.shape, Orv::IsAbsolutePath(c.path) + 2 * Orv::IsDriveRelativePath(c.path)) << Show(c.path);
}

TEST_F(PathTest, ShortFormsNameTheSameEntries) {
  tstring directory = Path(L"A Rather Long Directory Name"), file = directory + L"\\A Long File Name.text";
  ASSERT_TRUE(Orv::CreateDirectoryW(directory.c_str()) && ScratchFiles::WriteRaw(file, "x"));
  tstring shortDirectory = Orv::GetShortPath(directory.c_str()), shortFile = Orv::GetShortPath(file.c_str());
  ASSERT_TRUE(Orv::FileExists(shortFile.c_str()) && Orv::DirectoryExists(shortDirectory.c_str()));
  EXPECT_TRUE(shortFile.compare(0, 4, L"\\\\?\\") && file != shortFile);  // no long prefix
  for (bool expand : {false, true}) {
    EXPECT_EQ(expand, Orv::PathsEqual(file.c_str(), shortFile.c_str(), expand));
    EXPECT_EQ(expand, Orv::PathInPath(shortDirectory.c_str(), file.c_str(), expand));
    EXPECT_FALSE(Orv::PathInPath(file.c_str(), shortDirectory.c_str(), expand));
  }
}

// Each character between two letters against a model of the replacements; dots and device names.
TEST(CleanFileName, MakesUsableNames) {
  for (wchar_t c = 1; c < 0x200; ++c) {
    if (c == L'.') continue;
    wchar_t clean = c < 32 || c > 125 ? L'-' : c == L'"' ? L'\'' : c == L'<' ? L'(' : c == L'>' ? L')' : c;
    if (tstring(L"*/:?\\|").find(c) != tstring::npos) clean = L'-';
    EXPECT_EQ(L"a" + tstring(1, clean) + L"b", Orv::CleanFileName((L"a" + tstring(1, c) + L"b").c_str()));
  }
  struct { const wchar_t* name; const wchar_t* clean; } const cases[] = {
      {L"name..", L"name"}, {L"a...b...", L"a.b"}, {L"...", L""}, {L".hidden", L".hidden"}, {L"CON.", L"CON-File"},
      {L"console.txt", L"console.txt"}, {L"com10", L"com10"}, {L"lpt", L"lpt"}, {L"", L""}, {nullptr, L""}};
  for (const auto& c : cases) EXPECT_EQ(tstring(c.clean), Orv::CleanFileName(c.name)) << Show(c.name);
  for (const wchar_t* name : {L"CON", L"PRN", L"AUX", L"NUL", L"COM1", L"COM9", L"LPT1", L"LPT9"}) {
    tstring upper(name), lower = Orv::CanonicalizeString(name);
    EXPECT_EQ(upper + L"-File" + lower + L"-File.tar.gz" + upper + L"x.log",
              Orv::CleanFileName(name) + Orv::CleanFileName((lower + L".tar.gz").c_str()) +
                  Orv::CleanFileName((upper + L"x.log").c_str()));
  }
}

TEST_F(PathTest, CreatesEveryMissingAncestorAndDeletesEmptyOrRecursively) {
  tstring tree = Path(L"tree");
  ASSERT_TRUE(Orv::CreateDirectoryW(Path(L"tree/one\\.\\x\\..\\two").c_str()));
  EXPECT_TRUE(Orv::DirectoryExists(Path(L"tree\\one\\two").c_str()));
  EXPECT_TRUE(Orv::CreateDirectoryW(Path(L"tree\\one").c_str()) &&  // already there
              Orv::CreateDirectoryW((tstring(1, Dir()[0]) + L":\\").c_str()));
  ASSERT_TRUE(Orv::CreateDirectoryW(Path(L"tree\\empty").c_str()) &&
              ScratchFiles::WriteRaw(Path(L"tree\\one\\d.txt"), ""));
  EXPECT_TRUE(!Orv::DeleteDirectory(tree.c_str(), false) && Orv::DeleteDirectory(Path(L"tree\\empty").c_str(), false));
  EXPECT_TRUE(Orv::DeleteDirectory(tree.c_str(), true) && !ScratchFiles::ExistsRaw(tree));
}

// A chain well past MAX_PATH is made, filled, listed (files and directories apart, appended to what
// the lists held) and deleted.
TEST_F(PathTest, ListsFilesAndDirectoriesApartAlsoPastMaxPath) {
  tstring deep = Dir(), text;
  for (int i = 0; i < 8; ++i) Orv::AppendPathTail(deep, (L"level" + tstring(40, L'x')).c_str());
  tstring file = deep + L"\\file.txt", copy = deep + L"\\copy.txt", listed = deep + L"\\";
  Orv::ReplaceAll(listed, L'\\', L'/');
  Orv::CFile out;
  ASSERT_TRUE(Orv::CreateDirectoryW((deep + L"\\sub").c_str()) && out.OpenWrite(file.c_str()) &&
              Orv::WriteFile(out, "deep", 4));
  out.Close();
  EXPECT_TRUE(Orv::ReadWholeFile(file.c_str(), text) && text == L"deep");
  EXPECT_TRUE(Orv::CopyFileW(file.c_str(), copy.c_str(), false));
  Orv::tObjVector<tstring> files, directories;
  files.PushBack(L"kept");
  ASSERT_TRUE(Orv::GetDirectoryContents(listed.c_str(), files, directories));
  std::vector<tstring> all(files.begin(), files.end());
  std::sort(all.begin(), all.end());
  all.insert(all.end(), directories.begin(), directories.end());
  EXPECT_EQ((std::vector<tstring>{copy, file, L"kept", deep + L"\\sub"}), all);
  EXPECT_TRUE(Orv::DeleteDirectory(Path(L"level").append(tstring(40, L'x')).c_str(), true));
  EXPECT_FALSE(Orv::DirectoryExists(deep.c_str()));
}

TEST_F(PathTest, CurrentAndKnownDirectories) {
  struct Restore {  // the current directory is process-wide
    tstring saved = Orv::GetCurrentDirectoryW();
    ~Restore() { Orv::SetCurrentDirectoryW(saved.c_str()); }
  } restore;
  ASSERT_TRUE(ScratchFiles::WriteRaw(Path(L"here.txt"), "x") && Orv::SetCurrentDirectoryW((Dir() + L"\\").c_str()));
  EXPECT_TRUE(Orv::FileExists(L"here.txt") && Orv::PathsEqual(Dir().c_str(), Orv::GetCurrentDirectoryW().c_str()));
  tstring local = Orv::GetLocalUserDirectory(), roaming = Orv::GetRoamingUserDirectory();
  EXPECT_TRUE(Orv::DirectoryExists(local.c_str()) && Orv::DirectoryExists(roaming.c_str()) &&
              !Orv::PathsEqual(local.c_str(), roaming.c_str()));
  EXPECT_TRUE(Orv::PathsEqual(local.c_str(), Orv::GetKnownDirectory(FOLDERID_LocalAppData, false).c_str()));
  const GUID unknown = {0x12345678, 0x1234, 0x1234, {1, 2, 3, 4, 5, 6, 7, 8}};  // names no folder
  EXPECT_TRUE(Orv::GetKnownDirectory(unknown, false).empty() && Orv::GetKnownDirectory(GUID{}, true).empty());
}
