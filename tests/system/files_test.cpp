// Files: existence, copying, moving, deleting, placing, attributes, CFile, the handle helpers and
// mapped views against a std::string model, times, whole-file text and GDI handles.
#include <random>

#include "orvutil/system.h"
#include "../support/scratch.h"

using Orv::CFile;
using Orv::tstring;
using ScratchFiles::Contents;
using ScratchFiles::Show;
using ScratchFiles::WriteRaw;

namespace {

class FileTest : public ScratchFiles::ScratchTest {
 protected:
  std::pair<DWORD, DWORD> NamesAndIndex(const tstring& path) {
    BY_HANDLE_FILE_INFORMATION info = {};
    HANDLE file = ::CreateFileW(ScratchFiles::Long(path).c_str(), 0, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ::GetFileInformationByHandle(file, &info);
    ::CloseHandle(file);
    return {info.nNumberOfLinks, info.nFileIndexLow};
  }
};

ULONGLONG TimeValue(const FILETIME& time) { return (ULONGLONG(time.dwHighDateTime) << 32) | time.dwLowDateTime; }
std::string Bytes(const void* data, size_t size) { return std::string(static_cast<const char*>(data), size); }

}  // namespace

// Files and directories are told apart; every path function fails on a path that names no file (or
// no directory), those that write also on a bad target.
TEST_F(FileTest, ExistenceAndBadPaths) {
  tstring file = Path(L"file.txt"), directory = Path(L"sub"), slashed = file, b = Path(L"b.txt");
  ASSERT_TRUE(WriteRaw(file, "12345") && ScratchFiles::MakeDirectoryRaw(directory));
  Orv::ReplaceAll(slashed, L'\\', L'/');
  tstring climbing = Path(L"sub\\..\\FILE.TXT"), root = tstring(1, Dir()[0]) + L":\\", missing = Path(L"missing"),
          inFile = file + L"\\inner", tooLong = Path(tstring(300, L'x').c_str()), noDirectory = Path(L"no\\file");
  struct { const wchar_t* path; int kind; } const cases[] = {  // 1 file, 2 directory, 0 nothing
      {file.c_str(), 1},   {slashed.c_str(), 1}, {climbing.c_str(), 1}, {directory.c_str(), 2},
      {root.c_str(), 2},   {nullptr, 0},         {L"", 0},              {missing.c_str(), 0},
      {inFile.c_str(), 0}, {tooLong.c_str(), 0}, {noDirectory.c_str(), 0}};
  for (const auto& c : cases) {
    EXPECT_EQ(c.kind == 1, Orv::FileExists(c.path) && Orv::FileReadable(c.path)) << Show(c.path);
    EXPECT_EQ(c.kind == 2, Orv::DirectoryExists(c.path)) << Show(c.path);
    if (c.kind == 2) continue;
    Orv::tObjVector<tstring> files, directories;
    EXPECT_FALSE(Orv::DeleteDirectory(c.path, false) || Orv::DeleteDirectory(c.path, true) ||
                 Orv::GetDirectoryContents(c.path, files, directories) || files.Count() || directories.Count() ||
                 Orv::SetCurrentDirectoryW(c.path) || (c.kind && Orv::CreateDirectoryW(c.path)))
        << Show(c.path);
    if (c.kind) continue;
    DWORD attributes = 0;
    FILETIME time = {1, 1};
    tstring text(L"stale");
    CFile opened;
    EXPECT_FALSE(Orv::DeleteFileW(c.path) || Orv::CopyFileW(c.path, b.c_str(), true) ||
                 Orv::MoveFileW(c.path, b.c_str(), true) || Orv::PlaceFile(c.path, b.c_str()) ||
                 Orv::GetFileAttributesW(c.path, attributes) ||
                 Orv::SetFileAttributesW(c.path, FILE_ATTRIBUTE_NORMAL) ||
                 Orv::GetFileModifiedTime(c.path, time) || Orv::GetFileCreatedTime(c.path, time) ||
                 Orv::GetFileAccessedTime(c.path, time) || Orv::ReadWholeFile(c.path, text) ||
                 opened.Open(c.path, true) || !Orv::GetShortPath(c.path).empty())
        << Show(c.path);
    EXPECT_TRUE(attributes == INVALID_FILE_ATTRIBUTES && !TimeValue(time) && text.empty() && !Orv::GetFileSize(c.path));
    bool creatable = c.path == missing.c_str();
    EXPECT_EQ(creatable, opened.Open(c.path, false) && opened.IsOpen()) << Show(c.path);
    opened.Close();
    if (c.path == noDirectory.c_str()) continue;  // placing and directory creation make the directories
    EXPECT_EQ(creatable, Orv::CopyFileW(file.c_str(), c.path, true) || Orv::MoveFileW(file.c_str(), c.path, true) ||
                             Orv::PlaceFile(file.c_str(), c.path) || Orv::CreateDirectoryW(c.path))
        << Show(c.path);
  }
  WIN32_FIND_DATAW data = {};
  EXPECT_TRUE(Orv::FileExists(file.c_str(), &data) && tstring(L"file.txt") == data.cFileName && data.nFileSizeLow == 5);
  EXPECT_TRUE(Orv::DirectoryExists(directory.c_str(), &data) && tstring(L"sub") == data.cFileName);
  data.cFileName[0] = L'?';
  EXPECT_FALSE(Orv::FileExists(directory.c_str(), &data) || data.cFileName[0] != L'?');  // left alone on failure
  CFile opened;
  EXPECT_FALSE(opened.Open(Dir().c_str(), true) || opened.Open(Dir().c_str(), false) ||
               Orv::DeleteFileW(Dir().c_str()) || Orv::GetFileSize(Dir().c_str()) || Contents(file) != "12345" ||
               Orv::DeleteDirectory(L".", false) || Orv::DeleteDirectory(L".", true));
}

TEST_F(FileTest, CopiesMovesDeletesPlacesAndSetsAttributes) {
  tstring a = Path(L"a.txt"), b = Path(L"b.txt"), c = Path(L"c.txt"), target = Path(L"new\\deeper\\target.txt");
  ASSERT_TRUE(WriteRaw(a, "alpha") && WriteRaw(c, "gamma") && Orv::CopyFileW(a.c_str(), b.c_str(), false));
  EXPECT_FALSE(Orv::CopyFileW(c.c_str(), b.c_str(), false) || Orv::MoveFileW(c.c_str(), b.c_str(), false) ||
               Orv::CopyFileW(a.c_str(), Path(L"A.TXT").c_str(), true));  // kept destination; onto itself
  EXPECT_EQ("alphaalpha", Contents(a) + Contents(b));
  EXPECT_TRUE(Orv::CopyFileW(c.c_str(), b.c_str(), true) && Orv::MoveFileW(a.c_str(), b.c_str(), true));
  EXPECT_EQ("<none>alpha", Contents(a) + Contents(b));
  EXPECT_TRUE(Orv::DeleteFileW(b.c_str()) && Contents(b) == "<none>");
  // A placed file is a second name of the same file; placing another one replaces the destination.
  ASSERT_TRUE(WriteRaw(a, "alpha") && Orv::PlaceFile(a.c_str(), target.c_str()));
  EXPECT_EQ(std::make_pair(DWORD(2), NamesAndIndex(a).second), NamesAndIndex(target));
  ASSERT_TRUE(Orv::PlaceFile(c.c_str(), target.c_str()) && Orv::PlaceFile(c.c_str(), c.c_str()));
  EXPECT_TRUE(NamesAndIndex(a).first == 1 && NamesAndIndex(c) == NamesAndIndex(target));
  tstring occupied = Path(L"occupied");
  ASSERT_TRUE(ScratchFiles::MakeDirectoryRaw(occupied));
  EXPECT_FALSE(Orv::PlaceFile(Dir().c_str(), target.c_str()) || Orv::PlaceFile(a.c_str(), occupied.c_str()));
  EXPECT_TRUE(Orv::DirectoryExists(occupied.c_str()) && Contents(target) == "gamma");
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
  EXPECT_EQ(model, Contents(path));
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
  DWORD written = 0;
  HANDLE handle = ::CreateFileW(ScratchFiles::Long(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  ASSERT_TRUE(::WriteFile(handle, "xyz", 3, &written, nullptr) &&
              ::SetFileTime(handle, nullptr, &accessed, &modified));
  ::CloseHandle(handle);
  EXPECT_TRUE(Orv::GetFileModifiedTime(path.c_str(), time) && TimeValue(modified) == TimeValue(time));
  EXPECT_TRUE(Orv::GetFileAccessedTime(path.c_str(), time) && TimeValue(accessed) == TimeValue(time));
  EXPECT_TRUE(Orv::GetFileCreatedTime(path.c_str(), time) && TimeValue(time) && Orv::GetFileSize(path.c_str()) == 3);
  auto ansi = [](const std::string& bytes) {
    wchar_t wide[64];
    return tstring(wide, ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), int(bytes.size()), wide, 64));
  };
  struct { std::string bytes; tstring text; } const cases[] = {
      {"\xEF\xBB\xBFh\xC3\xA9!", L"h\u00E9!"}, {"\xEF\xBB\xBF", L""}, {"h\xC3\xA9!", ansi("h\xC3\xA9!")},
      {"caf\xE9\r\n", ansi("caf\xE9\r\n")}, {std::string("\xFF\xFEh\0i\0\0\0x\0", 10), L"hi"},
      {std::string("\xFF\xFEh\0i", 5), L"h"}, {"\xFF\xFE", L""},
      {std::string("\xFF\xFE\x3D\xD8\x00\xDE", 6), L"\U0001F600"}};
  for (const auto& c : cases) {
    ASSERT_TRUE(WriteRaw(path, c.bytes));
    EXPECT_TRUE(Orv::ReadWholeFile(path.c_str(), text = L"stale") && c.text == text) << c.bytes;
  }
  ASSERT_TRUE(WriteRaw(path, ""));
  EXPECT_FALSE(Orv::ReadWholeFile(path.c_str(), text) || Orv::ReadWholeFile(Dir().c_str(), text) || !text.empty());
}

TEST(GdiHandles, DeletedWithTheirOwner) {
  HBRUSH brush = ::CreateSolidBrush(RGB(1, 2, 3));
  HDC dc = ::CreateCompatibleDC(nullptr);
  {
    Orv::tHandle<void*, void*, Orv::MyDestroyGdiHandle> ownedBrush(brush);
    Orv::tHandle<void*, void*, Orv::MyDestroyDcHandle> ownedDc(dc);
    EXPECT_EQ(DWORD(OBJ_BRUSH), ::GetObjectType(brush));
    EXPECT_EQ(DWORD(OBJ_MEMDC), ::GetObjectType(dc));
  }
  EXPECT_EQ(0u, ::GetObjectType(brush) + ::GetObjectType(dc));
}
