// Paths: containment, shapes and drive letters, short paths, file-name cleaning; directories:
// creating, deleting and listing them (also past MAX_PATH), the current directory, known folders;
// files: existence, copying, moving, deleting, placing, attributes, CFile, the handle helpers and
// mapped views against a std::string model, times and whole-file text.
#include <windows.h>

#include <initguid.h>  // defines the FOLDERID_ values used here

#include <knownfolders.h>

#include <algorithm>
#include <random>
#include <vector>

#include "orvutil/system.h"
#include "../support/scratch.h"

using Orv::tstring;
using ScratchFiles::Contents;
using ScratchFiles::WriteRaw;

namespace {

class FileTest : public ScratchFiles::ScratchTest {};

const wchar_t* Show(const wchar_t* path) { return path ? path : L"(null)"; }
wchar_t AsciiUpper(wchar_t c) { return c >= L'a' && c <= L'z' ? wchar_t(c - 32) : c >= L'A' && c <= L'Z' ? c : 0; }
ULONGLONG TimeValue(const FILETIME& time) { return (ULONGLONG(time.dwHighDateTime) << 32) | time.dwLowDateTime; }
std::string Bytes(const void* data, size_t size) { return std::string(static_cast<const char*>(data), size); }

// The number of names of a file and its index.
std::pair<DWORD, DWORD> NamesAndIndex(const tstring& path) {
  BY_HANDLE_FILE_INFORMATION info = {};
  HANDLE file = ::CreateFileW(ScratchFiles::Long(path).c_str(), 0, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ::GetFileInformationByHandle(file, &info);
  ::CloseHandle(file);
  return {info.nNumberOfLinks, info.nFileIndexLow};
}

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
TEST_F(FileTest, ShortFormsAndDirectoriesPastMaxPath) {
  tstring file = Path(L"A Rather Long Directory Name\\A Long File Name.text"), deep = Dir(), listed, text;
  ASSERT_TRUE(Orv::CreateDirectoryW(Path(L"A Rather Long Directory Name").c_str()) && WriteRaw(file, "x"));
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

TEST_F(FileTest, CurrentAndKnownDirectories) {
  struct Restore {  // the current directory is process-wide
    tstring saved = Orv::GetCurrentDirectoryW();
    ~Restore() { Orv::SetCurrentDirectoryW(saved.c_str()); }
  } restore;
  ASSERT_TRUE(WriteRaw(Path(L"here.txt"), "x") && Orv::SetCurrentDirectoryW((Dir() + L"\\").c_str()));
  EXPECT_TRUE(Orv::FileExists(L"here.txt") && Orv::PathsEqual(Dir().c_str(), Orv::GetCurrentDirectoryW().c_str()));
  tstring local = Orv::GetLocalUserDirectory(), roaming = Orv::GetRoamingUserDirectory();
  EXPECT_TRUE(Orv::DirectoryExists(local.c_str()) && Orv::DirectoryExists(roaming.c_str()) &&
              !Orv::PathsEqual(local.c_str(), roaming.c_str()));
  EXPECT_TRUE(Orv::PathsEqual(local.c_str(), Orv::GetKnownDirectory(FOLDERID_LocalAppData, false).c_str()));
  const GUID unknown = {0x12345678, 0x1234, 0x1234, {1, 2, 3, 4, 5, 6, 7, 8}};  // names no folder
  EXPECT_TRUE(Orv::GetKnownDirectory(unknown, false).empty() && Orv::GetKnownDirectory(GUID{}, true).empty());
}

// Files and directories are told apart; every path function fails on a path that names no file (or
// no directory), those that write also on a bad target.
TEST_F(FileTest, ExistenceAndBadPaths) {
  tstring file = Path(L"file.txt"), climbing = Path(L"sub/../FILE.TXT"), directory = Path(L"sub");
  ASSERT_TRUE(WriteRaw(file, "12345") && Orv::CreateDirectoryW(directory.c_str()));
  EXPECT_TRUE(Orv::FileExists(climbing.c_str()) && Orv::FileReadable(climbing.c_str()) &&
              Orv::DirectoryExists((tstring(1, Dir()[0]) + L":\\").c_str()));
  WIN32_FIND_DATAW data = {};
  EXPECT_TRUE(Orv::DirectoryExists(directory.c_str(), &data) && tstring(L"sub") == data.cFileName);
  EXPECT_TRUE(Orv::FileExists(file.c_str(), &data) && tstring(L"file.txt") == data.cFileName && data.nFileSizeLow == 5);
  Orv::CFile opened;
  EXPECT_FALSE(Orv::DirectoryExists(file.c_str()) || Orv::FileExists(directory.c_str(), &data) ||
               data.cFileName[0] != L'f' ||  // left alone on failure
               Orv::FileReadable(directory.c_str()) || Orv::CreateDirectoryW(file.c_str()) ||
               Orv::DeleteDirectory(file.c_str(), true) || opened.Open(Dir().c_str(), true) ||
               opened.Open(Dir().c_str(), false) || Orv::DeleteFileW(Dir().c_str()) || Orv::GetFileSize(Dir().c_str()) ||
               Orv::DeleteDirectory(L".", false) || Orv::DeleteDirectory(L".", true));
  tstring missing = Path(L"missing"), inFile = file + L"\\inner", tooLong = Path(tstring(300, L'x').c_str());
  for (const wchar_t* path : {static_cast<const wchar_t*>(nullptr), L"", missing.c_str(), inFile.c_str(),
                              tooLong.c_str()}) {
    Orv::tObjVector<tstring> files, directories;
    DWORD attributes = 0;
    FILETIME time = {1, 1};
    tstring text(L"stale"), b = Path(L"b.txt");
    EXPECT_FALSE(Orv::FileExists(path) || Orv::FileReadable(path) || Orv::DirectoryExists(path) ||
                 Orv::DeleteDirectory(path, false) || Orv::DeleteDirectory(path, true) ||
                 Orv::GetDirectoryContents(path, files, directories) || files.Count() || directories.Count() ||
                 Orv::SetCurrentDirectoryW(path) ||
                 Orv::DeleteFileW(path) || Orv::CopyFileW(path, b.c_str(), true) ||
                 Orv::MoveFileW(path, b.c_str(), true) || Orv::PlaceFile(path, b.c_str()) ||
                 Orv::GetFileAttributesW(path, attributes) || Orv::SetFileAttributesW(path, FILE_ATTRIBUTE_NORMAL) ||
                 Orv::GetFileModifiedTime(path, time) || Orv::GetFileCreatedTime(path, time) ||
                 Orv::GetFileAccessedTime(path, time) || Orv::ReadWholeFile(path, text) ||
                 opened.Open(path, true) || !Orv::GetShortPath(path).empty())
        << Show(path);
    EXPECT_TRUE(attributes == INVALID_FILE_ATTRIBUTES && !TimeValue(time) && text.empty() && !Orv::GetFileSize(path));
    if (path == missing.c_str()) continue;  // a good target
    EXPECT_FALSE(opened.Open(path, false) || Orv::CopyFileW(file.c_str(), path, true) ||
                 Orv::MoveFileW(file.c_str(), path, true) || Orv::PlaceFile(file.c_str(), path) ||
                 Orv::CreateDirectoryW(path))
        << Show(path);
  }
}

TEST_F(FileTest, CopiesMovesDeletesPlacesAndSetsAttributes) {
  tstring a = Path(L"a.txt"), b = Path(L"b.txt"), c = Path(L"c.txt"), target = Path(L"new\\deeper\\target.txt");
  ASSERT_TRUE(WriteRaw(a, "alpha") && WriteRaw(c, "gamma") && Orv::CopyFileW(a.c_str(), b.c_str(), false));
  EXPECT_FALSE(Orv::CopyFileW(c.c_str(), b.c_str(), false) || Orv::MoveFileW(c.c_str(), b.c_str(), false) ||
               Orv::CopyFileW(a.c_str(), Path(L"A.TXT").c_str(), true));  // kept destination; onto itself
  EXPECT_EQ("alphaalpha", Contents(a) + Contents(b));
  EXPECT_TRUE(Orv::CopyFileW(c.c_str(), b.c_str(), true) && Orv::MoveFileW(a.c_str(), b.c_str(), true));
  EXPECT_EQ("<none>alpha", Contents(a) + Contents(b));
  EXPECT_TRUE(Orv::DeleteFileW(b.c_str()) && !ScratchFiles::ExistsRaw(b));
  // A placed file is a second name of the same file; placing another one replaces the destination.
  ASSERT_TRUE(WriteRaw(a, "alpha") && Orv::PlaceFile(a.c_str(), target.c_str()));
  EXPECT_EQ(std::make_pair(DWORD(2), NamesAndIndex(a).second), NamesAndIndex(target));
  ASSERT_TRUE(Orv::PlaceFile(c.c_str(), target.c_str()) && Orv::PlaceFile(c.c_str(), c.c_str()));
  EXPECT_TRUE(NamesAndIndex(a).first == 1 && NamesAndIndex(c) == NamesAndIndex(target));
  EXPECT_FALSE(Orv::PlaceFile(Dir().c_str(), target.c_str()) || Orv::PlaceFile(a.c_str(), Dir().c_str()));
  EXPECT_TRUE(Orv::DirectoryExists(Dir().c_str()) && Contents(target) == "gamma");  // both left alone
  DWORD attributes = 0;
  ASSERT_TRUE(Orv::SetFileAttributesW(c.c_str(), FILE_ATTRIBUTE_READONLY) &&
              Orv::GetFileAttributesW(c.c_str(), attributes));
  EXPECT_EQ(::GetFileAttributesW(ScratchFiles::Long(c).c_str()), attributes);
  EXPECT_TRUE((attributes & FILE_ATTRIBUTE_READONLY) && Orv::SetFileAttributesW(c.c_str(), FILE_ATTRIBUTE_NORMAL));
}

// Random writes and reads through every overload against a string model; a read past the end fails
// (no short reads). Mapped views show the same bytes.
TEST_F(FileTest, WritesAndReadsAtPositionsMatchAStringModel) {
  tstring path = Path(L"data.bin");
  std::string model;
  std::mt19937 random(5);
  Orv::CFile file;
  char buffer[16];
  Orv::tVectorPOD<unsigned char> read;
  ASSERT_TRUE(file.OpenWrite(path.c_str()));  // reads too
  for (int i = 0; i < 200; ++i) {
    unsigned at = random() % (model.size() + 3), size = 1 + random() % 9;
    std::string expected = model.substr(std::min<size_t>(at, model.size()), size);
    ASSERT_TRUE(Orv::SetFilePointer(file, at));
    if (i % 2) {
      model.resize(std::max<size_t>(model.size(), at + size));  // a gap reads back as zeros
      ASSERT_TRUE(Orv::WriteFile(file, model.replace(at, size, size, char('a' + i % 26)).data() + at, size));
      continue;
    }
    bool fits = at + size <= model.size();
    EXPECT_EQ(fits, Orv::ReadFile(file, size, buffer) && expected == Bytes(buffer, size)) << at << "+" << size;
    EXPECT_EQ(fits, Orv::ReadFile(file, at, size, buffer) && expected == Bytes(buffer, size));
    EXPECT_EQ(fits, Orv::ReadFile(file, at, size, read) && expected == Bytes(read.Data(), read.Count()));
    EXPECT_EQ(fits, Orv::SetFilePointer(file, at) && Orv::ReadFile(file, size, read) &&
                        expected == Bytes(read.Data(), read.Count()));
  }
  EXPECT_TRUE(Orv::WriteFile(file, nullptr, 0) && !Orv::WriteFile(file, nullptr, 2));
  ASSERT_TRUE(file.Open(path.c_str(), false, true));  // appending
  EXPECT_TRUE(Orv::GetFilePointer(file) == model.size() && Orv::WriteUnicodeBOMToFile(file));
  Orv::CMemMappedFile view;  // a writable view grows the file, and outlives the handle
  ASSERT_TRUE(view.OpenWrite(file, unsigned(model.size()) + 6));
  file.Close();
  view.GetMem()[0] = 'A';
  model = "A" + model.substr(1) + "\xFF\xFE" + std::string(4, '\0');
  view.Close();
  ASSERT_TRUE(file.Open(path.c_str(), true) && view.Open(file, true));
  EXPECT_TRUE(model == Bytes(view.GetMem(), view.GetSize()) && model.size() == Orv::GetFileSize(file.GetHandle()));
  EXPECT_FALSE(!Orv::SetFilePointerToEnd(file) || Orv::ReadFile(file, 1, &model[0]) || Orv::WriteFile(file, "x", 1) ||
               view.OpenWrite(file, 0xFFFFFFFFu) || view.GetMem());  // a reading handle; the old view goes
  ASSERT_TRUE(file.OpenWrite(path.c_str(), false));
  EXPECT_FALSE(Orv::GetFileSize(path.c_str()) || view.OpenRead(file) || view.OpenWrite(file, 0) ||
               view.OpenRead(INVALID_HANDLE_VALUE) || view.OpenWrite(nullptr, 16) || view.GetSize());
  for (HANDLE handle : {static_cast<HANDLE>(nullptr), INVALID_HANDLE_VALUE})
    EXPECT_FALSE(Orv::GetFilePointer(handle) != 0xFFFFFFFFu || Orv::SetFilePointer(handle, 0) ||
                 Orv::SetFilePointerToEnd(handle) || Orv::ReadFile(handle, 4, buffer) ||
                 Orv::ReadFile(handle, 0, 4, read) || Orv::WriteFile(handle, "x", 1) ||
                 Orv::WriteUnicodeBOMToFile(handle) || Orv::GetFileSize(handle));
}

// Times read back as set; text is decoded by its mark (UTF-8, UTF-16 up to a nul, else ANSI).
TEST_F(FileTest, TimesAndWholeFileText) {
  tstring path = Path(L"text.txt"), text;
  FILETIME accessed = {1, 30000000}, modified = {2, 30500000}, time;
  ASSERT_TRUE(WriteRaw(path, "xyz"));
  HANDLE handle = ::CreateFileW(ScratchFiles::Long(path).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_TRUE(::SetFileTime(handle, nullptr, &accessed, &modified));
  ::CloseHandle(handle);
  EXPECT_TRUE(Orv::GetFileModifiedTime(path.c_str(), time) && TimeValue(modified) == TimeValue(time));
  EXPECT_TRUE(Orv::GetFileAccessedTime(path.c_str(), time) && TimeValue(accessed) == TimeValue(time));
  EXPECT_TRUE(Orv::GetFileCreatedTime(path.c_str(), time) && TimeValue(time) && Orv::GetFileSize(path.c_str()) == 3);
  wchar_t ansi[8];  // UTF-8 without a mark is read as ANSI
  ASSERT_EQ(4, ::MultiByteToWideChar(CP_ACP, 0, "h\xC3\xA9!", 4, ansi, 8));
  struct { std::string bytes; tstring text; } const cases[] = {
      {"\xEF\xBB\xBFh\xC3\xA9!", L"h\u00E9!"}, {"\xEF\xBB\xBF", L""}, {"h\xC3\xA9!", tstring(ansi, 4)}, {"\xFF\xFE", L""},
      {std::string("\xFF\xFEh\0i\0\0\0x\0", 10), L"hi"}, {std::string("\xFF\xFEh\0i", 5), L"h"},
      {std::string("\xFF\xFE\x3D\xD8\x00\xDE", 6), L"\U0001F600"}};
  for (const auto& c : cases) {
    ASSERT_TRUE(WriteRaw(path, c.bytes));
    EXPECT_TRUE(Orv::ReadWholeFile(path.c_str(), text = L"stale") && c.text == text) << c.bytes;
  }
  ASSERT_TRUE(WriteRaw(path, ""));
  EXPECT_FALSE(Orv::ReadWholeFile(path.c_str(), text) || Orv::ReadWholeFile(Dir().c_str(), text) || !text.empty());
}
