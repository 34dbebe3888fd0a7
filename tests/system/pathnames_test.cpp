// Path containment, path shapes and drive letters, short paths, and file-name cleaning.
#include "orvutil/system.h"
#include "scratch.h"

using Orv::tstring;

namespace {

class ShortPathTest : public ScratchFiles::ScratchTest {};

const wchar_t* Show(const wchar_t* path) {
  return path ? path : L"(null)";
}

}  // namespace

TEST(PathInPath, ComparesCanonicalFoldedForms) {
  struct {
    const wchar_t* directory;
    const wchar_t* path;
    bool inside;
  } const cases[] = {{L"C:\\Dir", L"C:\\Dir\\file", true},
                     {L"C:\\Dir", L"c:/dir/sub/file", true},
                     {L"C:\\Dir\\", L"C:\\DIR\\x", true},
                     {L"C:\\Dir\\sub\\..", L"C:\\Dir\\x", true},
                     {L"\\\\?\\C:\\Dir", L"C:\\Dir\\x", true},
                     {L"C:\\Dir", L"\\\\?\\C:\\Dir\\x", true},
                     {L"\\\\server\\share", L"\\\\?\\UNC\\server\\share\\x", true},
                     {L"C:\\", L"C:\\x", true},
                     {L"C:\\Dir", L"C:\\Dir", false},  // a directory is not inside itself
                     {L"C:\\Dir", L"C:\\Directory\\x", false},
                     {L"C:\\Dir", L"C:\\Dir\\..\\x", false},
                     {L"C:\\Dir", L"D:\\Dir\\x", false},
                     {L"C:\\Dir\\sub", L"C:\\Dir", false},
                     {L"", L"C:\\x", false},
                     {nullptr, L"C:\\x", false},
                     {L"C:\\Dir", nullptr, false},
                     {L"C:\\Dir", L"", false}};
  for (const auto& c : cases) {
    EXPECT_EQ(c.inside, Orv::PathInPath(c.directory, c.path)) << Show(c.directory) << " / " << Show(c.path);
  }
}

TEST(PathShapes, AbsoluteDriveRelativeAndDriveLetters) {
  struct {
    const wchar_t* path;
    bool absolute;
    bool driveRelative;
    wchar_t drive;
  } const cases[] = {{L"C:\\x", true, false, L'C'},
                     {L"d:/x", true, false, L'D'},
                     {L"a:\\x", true, false, L'A'},
                     {L"\\\\server\\share", true, false, 0},
                     {L"\\\\?\\e:\\x", true, false, L'E'},
                     {L"//server/share", true, false, 0},
                     {L"\\x", false, true, 0},
                     {L"/x", false, true, 0},
                     {L"C:x", false, true, L'C'},
                     {L"C:", false, true, L'C'},
                     {L"x\\y", false, false, 0},
                     {L"..\\x", false, false, 0},
                     {L"1:\\x", false, false, 0},
                     {L"", false, false, 0},
                     {nullptr, false, false, 0}};
  for (const auto& c : cases) {
    EXPECT_EQ(c.absolute, Orv::IsAbsolutePath(c.path)) << Show(c.path);
    EXPECT_EQ(c.driveRelative, Orv::IsDriveRelativePath(c.path)) << Show(c.path);
    EXPECT_EQ(c.drive, Orv::GetDriveLetter(c.path)) << Show(c.path);
  }
}

TEST_F(ShortPathTest, ShortFormsNameTheSameEntries) {
  tstring directory = Path(L"A Rather Long Directory Name");
  tstring file = directory + L"\\A Long File Name.text";
  ASSERT_TRUE(Orv::CreateDirectoryW(directory.c_str()));
  ASSERT_TRUE(ScratchFiles::WriteRaw(file, "x"));
  tstring shortDirectory = Orv::GetShortPath(directory.c_str());
  tstring shortFile = Orv::GetShortPath(file.c_str());
  ASSERT_FALSE(shortFile.empty());
  ASSERT_FALSE(shortDirectory.empty());
  EXPECT_NE(0, shortFile.compare(0, 4, L"\\\\?\\"));  // no long prefix
  EXPECT_TRUE(Orv::FileExists(shortFile.c_str()));
  EXPECT_TRUE(Orv::DirectoryExists(shortDirectory.c_str()));
  EXPECT_NE(file, shortFile);
  EXPECT_FALSE(Orv::PathsEqual(file.c_str(), shortFile.c_str(), false));
  EXPECT_TRUE(Orv::PathsEqual(file.c_str(), shortFile.c_str(), true));
  EXPECT_FALSE(Orv::PathInPath(shortDirectory.c_str(), file.c_str(), false));
  EXPECT_TRUE(Orv::PathInPath(shortDirectory.c_str(), file.c_str(), true));
  EXPECT_FALSE(Orv::PathInPath(file.c_str(), shortDirectory.c_str(), true));

  tstring missing = Path(L"missing");
  for (const wchar_t* path : {static_cast<const wchar_t*>(nullptr), L"", missing.c_str()}) {
    EXPECT_TRUE(Orv::GetShortPath(path).empty()) << Show(path);
  }
}

TEST(CleanFileName, MakesUsableNames) {
  struct {
    const wchar_t* name;
    const wchar_t* clean;
  } const cases[] = {{L"a<b>:c?.txt", L"a(b)-c-.txt"},
                     {L"con.txt", L"con-File.txt"},
                     {L"name..", L"name"},
                     {L"a..b", L"a.b"},
                     {L"a...b...", L"a.b"},
                     {L"...", L""},
                     {L".hidden", L".hidden"},
                     {L"caf\u00E9", L"caf-"},
                     {L"tab\there\x7F~}", L"tab-here--}"},
                     {L"\"q\"*/\\|", L"'q'----"},
                     {L"ok name (1).txt", L"ok name (1).txt"},
                     {L"nul.tar.gz", L"nul-File.tar.gz"},
                     {L"console.txt", L"console.txt"},
                     {L"com10", L"com10"},
                     {L"lpt", L"lpt"},
                     {L"CON.", L"CON-File"},
                     {L"", L""},
                     {nullptr, L""}};
  for (const auto& c : cases) EXPECT_EQ(tstring(c.clean), Orv::CleanFileName(c.name)) << Show(c.name);
}

TEST(CleanFileName, EveryReservedDeviceNameInAnyCase) {
  for (const wchar_t* name : {L"CON", L"PRN", L"AUX", L"NUL", L"COM1", L"COM5", L"COM9", L"LPT1", L"LPT4", L"LPT9"}) {
    tstring upper(name), lower = Orv::CanonicalizeString(name);
    EXPECT_EQ(upper + L"-File", Orv::CleanFileName(upper.c_str()));
    EXPECT_EQ(lower + L"-File.log", Orv::CleanFileName((lower + L".log").c_str()));
    EXPECT_EQ(upper + L"x.log", Orv::CleanFileName((upper + L"x.log").c_str()));
  }
}
