// Files: existence, copying, moving, deleting, placing, attributes, CFile, the handle helpers and
// mapped views against a std::string model, times, whole-file text and GDI handles.
#include <random>

#include "orvutil/system.h"
#include "../support/scratch.h"

using Orv::CFile;
using Orv::tstring;
using ScratchFiles::Contents;
using ScratchFiles::WriteRaw;

namespace {

class FileTest : public ScratchFiles::ScratchTest {};

ULONGLONG TimeValue(const FILETIME& time) { return (ULONGLONG(time.dwHighDateTime) << 32) | time.dwLowDateTime; }
std::string Bytes(const void* data, size_t size) { return std::string(static_cast<const char*>(data), size); }
const wchar_t* Show(const wchar_t* path) { return path ? path : L"(null)"; }

// The number of names of a file and its index.
std::pair<DWORD, DWORD> NamesAndIndex(const tstring& path) {
  BY_HANDLE_FILE_INFORMATION info = {};
  HANDLE file = ::CreateFileW(ScratchFiles::Long(path).c_str(), 0, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ::GetFileInformationByHandle(file, &info);
  ::CloseHandle(file);
  return {info.nNumberOfLinks, info.nFileIndexLow};
}

}  // namespace

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
  CFile opened;
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
  CFile file;
  ASSERT_TRUE(file.OpenWrite(path.c_str()));  // reads too
  for (int i = 0; i < 200; ++i) {
    unsigned at = random() % (model.size() + 3), size = 1 + random() % 9;
    std::string bytes(size, static_cast<char>('a' + i % 26));
    std::string expected = model.substr(std::min<size_t>(at, model.size()), size);
    ASSERT_TRUE(Orv::SetFilePointer(file, at));
    if (i % 2) {
      model.resize(std::max<size_t>(model.size(), at + size));  // a gap reads back as zeros
      ASSERT_TRUE(Orv::WriteFile(file, model.replace(at, size, bytes).data() + at, size));
      continue;
    }
    bool fits = at + size <= model.size();
    char buffer[16];
    Orv::tVectorPOD<unsigned char> read;
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
  char buffer[4];
  Orv::tVectorPOD<unsigned char> bytes;
  for (HANDLE handle : {static_cast<HANDLE>(nullptr), INVALID_HANDLE_VALUE}) {
    EXPECT_EQ(0xFFFFFFFFu, Orv::GetFilePointer(handle));
    EXPECT_FALSE(Orv::SetFilePointer(handle, 0) || Orv::SetFilePointerToEnd(handle) ||
                 Orv::ReadFile(handle, 4, buffer) || Orv::ReadFile(handle, 0, 4, bytes) ||
                 Orv::WriteFile(handle, "x", 1) || Orv::WriteUnicodeBOMToFile(handle) || Orv::GetFileSize(handle));
  }
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

TEST(GdiHandles, DestroyedByTheirDeleters) {
  HBRUSH brush = ::CreateSolidBrush(RGB(1, 2, 3));
  HDC dc = ::CreateCompatibleDC(nullptr);
  ASSERT_NE(0u, ::GetObjectType(brush) * ::GetObjectType(dc));
  Orv::MyDestroyGdiHandle(brush);
  Orv::MyDestroyDcHandle(dc);
  EXPECT_EQ(0u, ::GetObjectType(brush) + ::GetObjectType(dc));
}
