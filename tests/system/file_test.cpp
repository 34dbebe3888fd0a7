// CFile, the handle helpers, file sizes and times, and memory-mapped views.
#include <cstring>

#include "orvutil/system.h"
#include "scratch.h"

using Orv::CFile;
using Orv::CMemMappedFile;
using Orv::tstring;
using ScratchFiles::ReadRaw;
using ScratchFiles::WriteRaw;

namespace {

class FileTest : public ScratchFiles::ScratchTest {};

std::string Bytes(const Orv::tVectorPOD<unsigned char>& v) {
  return std::string(reinterpret_cast<const char*>(v.Data()), v.Count());
}

FILETIME FileTime(ULONGLONG value) {
  FILETIME time;
  time.dwLowDateTime = static_cast<DWORD>(value);
  time.dwHighDateTime = static_cast<DWORD>(value >> 32);
  return time;
}

ULONGLONG TimeValue(const FILETIME& time) {
  return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

}  // namespace

TEST_F(FileTest, WritesThenReadsBackAtPositions) {
  tstring path = Path(L"data.bin");
  CFile file;
  ASSERT_TRUE(file.OpenWrite(path.c_str()));
  EXPECT_TRUE(Orv::WriteFile(file, "hello world", 11));
  EXPECT_EQ(11u, Orv::GetFilePointer(file));
  EXPECT_TRUE(Orv::SetFilePointer(file, 6));
  EXPECT_TRUE(Orv::WriteFile(file, "WORLD", 5));
  EXPECT_TRUE(Orv::WriteFile(file, nullptr, 0));  // nothing to write moves nothing and succeeds
  file.Close();
  EXPECT_FALSE(file.IsOpen());

  ASSERT_TRUE(file.Open(path.c_str(), true));
  EXPECT_EQ(11u, Orv::GetFileSize(file.GetHandle()));
  char buffer[16] = {};
  EXPECT_TRUE(Orv::ReadFile(file, 5, buffer));
  EXPECT_STREQ("hello", buffer);
  Orv::tVectorPOD<unsigned char> bytes;
  EXPECT_TRUE(Orv::ReadFile(file, 6, 5, bytes));
  EXPECT_EQ("WORLD", Bytes(bytes));
  EXPECT_TRUE(Orv::ReadFile(file, 2, 3, buffer));
  EXPECT_EQ(0, memcmp("llo", buffer, 3));
  // Fewer bytes than asked for is a failure.
  EXPECT_FALSE(Orv::ReadFile(file, 8, 4, buffer));
  EXPECT_TRUE(Orv::SetFilePointerToEnd(file));
  EXPECT_FALSE(Orv::ReadFile(file, 1, bytes));
  EXPECT_EQ(1u, bytes.Count());  // resized before reading
  // A reading handle cannot write; a null buffer takes no bytes.
  EXPECT_FALSE(Orv::WriteFile(file, "x", 1));
  EXPECT_FALSE(Orv::ReadFile(file, 0, 2, static_cast<void*>(nullptr)));
}

TEST_F(FileTest, AppendKeepsContentsAndWriteTruncates) {
  tstring path = Path(L"log.txt");
  ASSERT_TRUE(WriteRaw(path, "abc"));
  CFile file;
  ASSERT_TRUE(file.Open(path.c_str(), false, true));
  EXPECT_EQ(3u, Orv::GetFilePointer(file));
  EXPECT_TRUE(Orv::WriteFile(file, "de", 2));
  EXPECT_FALSE(Orv::WriteFile(file, nullptr, 2));
  EXPECT_TRUE(Orv::WriteUnicodeBOMToFile(file));
  file.Close();
  std::string contents;
  ASSERT_TRUE(ReadRaw(path, contents));
  EXPECT_EQ("abcde\xFF\xFE", contents);

  // Appending to a missing file creates it.
  tstring fresh = Path(L"fresh.txt");
  ASSERT_TRUE(file.OpenWrite(fresh.c_str(), true));
  EXPECT_EQ(0u, Orv::GetFilePointer(file));

  ASSERT_TRUE(file.OpenWrite(path.c_str(), false));
  file.Close();
  EXPECT_EQ(0u, Orv::GetFileSize(path.c_str()));
}

TEST_F(FileTest, OpeningBadPathsFails) {
  tstring directory = Dir();
  tstring missing = Path(L"missing.txt");
  tstring inMissingDirectory = Path(L"nowhere\\file.txt");
  tstring tooLongName = Path(tstring(300, L'n').c_str());
  tstring root = tstring(1, Dir()[0]) + L":\\";  // the root directory, never the volume under it
  struct {
    const wchar_t* path;
    bool read;
  } const cases[] = {
      {nullptr, true},
      {nullptr, false},
      {L"", true},
      {L"", false},
      {missing.c_str(), true},
      {directory.c_str(), true},
      {directory.c_str(), false},
      {inMissingDirectory.c_str(), false},
      {tooLongName.c_str(), false},
      {root.c_str(), true},
      {root.c_str(), false},
  };
  for (const auto& c : cases) {
    CFile file;
    EXPECT_FALSE(file.Open(c.path, c.read)) << (c.path ? c.path : L"(null)") << " read " << c.read;
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(nullptr, file.GetHandle());
  }
  EXPECT_FALSE(ScratchFiles::ExistsRaw(missing));
}

TEST(FileHandles, BadHandlesAndBuffersFail) {
  char buffer[4];
  Orv::tVectorPOD<unsigned char> bytes;
  for (HANDLE handle : {static_cast<HANDLE>(nullptr), INVALID_HANDLE_VALUE}) {
    EXPECT_EQ(0xFFFFFFFFu, Orv::GetFilePointer(handle));
    EXPECT_FALSE(Orv::SetFilePointer(handle, 0));
    EXPECT_FALSE(Orv::SetFilePointerToEnd(handle));
    EXPECT_FALSE(Orv::ReadFile(handle, 4, buffer));
    EXPECT_FALSE(Orv::ReadFile(handle, 0u, buffer));
    EXPECT_FALSE(Orv::ReadFile(handle, 0, 4, bytes));
    EXPECT_FALSE(Orv::WriteFile(handle, "x", 1));
    EXPECT_FALSE(Orv::WriteUnicodeBOMToFile(handle));
    EXPECT_EQ(0u, Orv::GetFileSize(handle));
  }
}

TEST_F(FileTest, SizesAndTimes) {
  tstring path = Path(L"sized.bin");
  tstring missing = Path(L"missing");
  ASSERT_TRUE(WriteRaw(path, std::string(1000, 'x')));
  EXPECT_EQ(1000u, Orv::GetFileSize(path.c_str()));
  EXPECT_EQ(0u, Orv::GetFileSize(Dir().c_str()));
  EXPECT_EQ(0u, Orv::GetFileSize(missing.c_str()));
  EXPECT_EQ(0u, Orv::GetFileSize(static_cast<const wchar_t*>(nullptr)));

  // Distinct access and write times tell the two getters apart.
  const ULONGLONG accessed = 130000000000000000ull;
  const ULONGLONG modified = 131000000000000000ull;
  HANDLE handle =
      ::CreateFileW(ScratchFiles::Long(path).c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, handle);
  FILETIME accessTime = FileTime(accessed), writeTime = FileTime(modified);
  EXPECT_TRUE(::SetFileTime(handle, nullptr, &accessTime, &writeTime));
  ::CloseHandle(handle);

  FILETIME time;
  ASSERT_TRUE(Orv::GetFileModifiedTime(path.c_str(), time));
  EXPECT_EQ(modified, TimeValue(time));
  ASSERT_TRUE(Orv::GetFileAccessedTime(path.c_str(), time));
  EXPECT_EQ(accessed, TimeValue(time));
  ASSERT_TRUE(Orv::GetFileCreatedTime(path.c_str(), time));
  EXPECT_NE(0u, TimeValue(time));

  for (const wchar_t* bad : {static_cast<const wchar_t*>(nullptr), L"", missing.c_str()}) {
    time = FileTime(1);
    EXPECT_FALSE(Orv::GetFileModifiedTime(bad, time));
    EXPECT_EQ(0u, TimeValue(time));
    EXPECT_FALSE(Orv::GetFileCreatedTime(bad, time));
    EXPECT_FALSE(Orv::GetFileAccessedTime(bad, time));
  }
}

TEST_F(FileTest, MapsWholeFilesForReading) {
  tstring path = Path(L"mapped.txt");
  ASSERT_TRUE(WriteRaw(path, "mapped contents"));
  CFile file;
  ASSERT_TRUE(file.OpenRead(path.c_str()));
  CMemMappedFile view;
  ASSERT_TRUE(view.Open(file, true));
  ASSERT_EQ(15u, view.GetSize());
  EXPECT_EQ(0, memcmp("mapped contents", view.GetMem(), 15));
  // A read-only handle cannot be mapped for writing; the old view is gone either way.
  EXPECT_FALSE(view.OpenWrite(file, 0xFFFFFFFFu));
  EXPECT_EQ(nullptr, view.GetMem());
  EXPECT_EQ(0u, view.GetSize());
}

TEST_F(FileTest, MappingAnEmptyFileOrNoHandleFails) {
  tstring path = Path(L"empty.txt");
  ASSERT_TRUE(WriteRaw(path, ""));
  CFile file;
  ASSERT_TRUE(file.OpenWrite(path.c_str(), true));
  CMemMappedFile view;
  EXPECT_FALSE(view.OpenRead(file));
  EXPECT_FALSE(view.Open(file, false));
  EXPECT_FALSE(view.OpenWrite(file, 0));
  EXPECT_EQ(nullptr, view.GetMem());
  for (HANDLE handle : {static_cast<HANDLE>(nullptr), INVALID_HANDLE_VALUE}) {
    EXPECT_FALSE(view.OpenRead(handle));
    EXPECT_FALSE(view.OpenWrite(handle, 16));
  }
  EXPECT_EQ(0u, Orv::GetFileSize(path.c_str()));
}

TEST_F(FileTest, MapsForWritingAndGrowsTheFile) {
  tstring path = Path(L"grown.bin");
  ASSERT_TRUE(WriteRaw(path, "abc"));
  {
    CFile file;
    ASSERT_TRUE(file.OpenWrite(path.c_str(), true));
    CMemMappedFile view;
    ASSERT_TRUE(view.OpenWrite(file, 16));
    ASSERT_EQ(16u, view.GetSize());
    EXPECT_EQ(0, memcmp("abc", view.GetMem(), 3));
    view.GetMem()[15] = 'Z';
    file.Close();  // the view outlives the handle
    view.GetMem()[0] = 'A';
  }
  std::string contents;
  ASSERT_TRUE(ReadRaw(path, contents));
  ASSERT_EQ(16u, contents.size());
  EXPECT_EQ("Abc", contents.substr(0, 3));
  EXPECT_EQ('Z', contents[15]);

  // 0xFFFFFFFF maps the file as it is.
  CFile file;
  ASSERT_TRUE(file.OpenWrite(path.c_str(), true));
  CMemMappedFile view;
  ASSERT_TRUE(view.Open(file, false));
  EXPECT_EQ(16u, view.GetSize());
}
