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

const wchar_t* Show(const wchar_t* path) { return path ? path : L"(null)"; }
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
      {L"//server/share", 1}, {L"\\x", 2}, {L"C:", 2}, {L"..\\x", 0}, {L"", 0}, {nullptr, 0}};
  for (const auto& c : cases)
    EXPECT_EQ(c.shape, Orv::IsAbsolutePath(c.path) + 2 * Orv::IsDriveRelativePath(c.path)) << Show(c.path);
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
      {L"console.txt", L"console.txt"}, {L"com10", L"com10"}, {L"lpt", L"lpt"}, {L"CO", L"CO"}, {L"", L""}, {nullptr, L""},
      {L"nul.tar.gz", L"nul-File.tar.gz"}, {L"AUXx.log", L"AUXx.log"}};
  for (const auto& c : cases) EXPECT_EQ(tstring(c.clean), Orv::CleanFileName(c.name)) << Show(c.name);
  for (const wchar_t* name : {L"CON", L"PRN", L"AUX", L"NUL", L"COM1", L"COM9", L"LPT1", L"LPT9"})
    EXPECT_EQ(tstring(name) + L"-File", Orv::CleanFileName(name));
}

// A short form names the same entry; a chain well past MAX_PATH is made with every missing
// ancestor, listed (files and directories apart, appended to what the lists held) and deleted.
TEST_F(PathTest, ShortFormsAndDirectoriesPastMaxPath) {
  tstring file = Path(L"A Rather Long Directory Name\\A Long File Name.text"), deep = Dir(), listed, text;
  ASSERT_TRUE(Orv::CreateDirectoryW(Path(L"A Rather Long Directory Name").c_str()) && ScratchFiles::WriteRaw(file, "x"));
  tstring shortFile = Orv::GetShortPath(file.c_str());
  EXPECT_TRUE(Orv::FileExists(shortFile.c_str()) && shortFile.compare(0, 4, L"\\\\?\\") && file != shortFile);
  for (bool expand : {false, true})
    EXPECT_EQ(expand, Orv::PathInPath(Path(L"A Rather Long Directory Name").c_str(), shortFile.c_str(), expand));
  for (int i = 0; i < 8; ++i) Orv::AppendPathTail(deep, (L"level" + tstring(40, L'x')).c_str());
  ASSERT_TRUE(Orv::CreateDirectoryW((deep + L"/.\\x\\..\\sub").c_str()) && Orv::CreateDirectoryW(deep.c_str()) &&
              Orv::CreateDirectoryW((tstring(1, Dir()[0]) + L":\\").c_str()));
  Orv::ReplaceAll(listed = deep + L"\\", L'\\', L'/');
  ASSERT_TRUE(Orv::CopyFileW(file.c_str(), (deep + L"\\b.txt").c_str(), false) &&
              Orv::CopyFileW(file.c_str(), (deep + L"\\a.txt").c_str(), false));
  EXPECT_TRUE(Orv::ReadWholeFile((deep + L"\\a.txt").c_str(), text) && text == L"x");
  Orv::tObjVector<tstring> files, directories;
  files.PushBack(L"kept");
  ASSERT_TRUE(Orv::GetDirectoryContents(listed.c_str(), files, directories));
  std::vector<tstring> all(files.begin(), files.end());
  std::sort(all.begin(), all.end());
  all.insert(all.end(), directories.begin(), directories.end());
  EXPECT_EQ((std::vector<tstring>{deep + L"\\a.txt", deep + L"\\b.txt", L"kept", deep + L"\\sub"}), all);
  tstring top = Path(L"level").append(tstring(40, L'x'));
  EXPECT_TRUE(!Orv::DeleteDirectory(top.c_str(), false) && Orv::DeleteDirectory((deep + L"\\sub").c_str(), false));
  EXPECT_TRUE(Orv::DeleteDirectory(top.c_str(), true) && !ScratchFiles::ExistsRaw(top));
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
