// CFile, the handle helpers, file sizes and times, and memory-mapped views; bad paths, handles and
// short reads fail.
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

ULONGLONG TimeValue(const FILETIME& time) {
  return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

}  // namespace

TEST_F(FileTest, WritesAppendsAndReadsBackAtPositions) {
  tstring path = Path(L"data.bin");
  CFile file;
  ASSERT_TRUE(file.OpenWrite(path.c_str()));
  EXPECT_TRUE(Orv::WriteFile(file, "hello world", 11));
  EXPECT_TRUE(Orv::SetFilePointer(file, 6));
  EXPECT_TRUE(Orv::WriteFile(file, "WORLD", 5));
  EXPECT_TRUE(Orv::WriteFile(file, nullptr, 0));
  EXPECT_FALSE(Orv::WriteFile(file, nullptr, 2));
  ASSERT_TRUE(file.Open(path.c_str(), false, true));  // appending
  EXPECT_EQ(11u, Orv::GetFilePointer(file));
  EXPECT_TRUE(Orv::WriteUnicodeBOMToFile(file));
  file.Close();
  std::string contents;
  ASSERT_TRUE(ReadRaw(path, contents));
  EXPECT_EQ("hello WORLD\xFF\xFE", contents);

  ASSERT_TRUE(file.Open(path.c_str(), true));
  EXPECT_EQ(13u, Orv::GetFileSize(file.GetHandle()));
  char buffer[16] = {};
  Orv::tVectorPOD<unsigned char> bytes;
  EXPECT_TRUE(Orv::ReadFile(file, 5, buffer));
  EXPECT_TRUE(Orv::ReadFile(file, 6, 5, bytes));
  EXPECT_EQ("helloWORLD", std::string(buffer, 5) + std::string(reinterpret_cast<char*>(bytes.Data()), bytes.Count()));
  EXPECT_FALSE(Orv::ReadFile(file, 10, 4, buffer));  // fewer bytes than asked for
  EXPECT_TRUE(Orv::SetFilePointerToEnd(file));
  EXPECT_FALSE(Orv::ReadFile(file, 1, bytes));
  EXPECT_FALSE(Orv::WriteFile(file, "x", 1));  // a reading handle
  ASSERT_TRUE(file.OpenWrite(path.c_str(), false));
  file.Close();
  EXPECT_EQ(0u, Orv::GetFileSize(path.c_str()));
}

TEST_F(FileTest, BadPathsAndHandlesFail) {
  tstring missing = Path(L"missing.txt"), deep = Path(L"nowhere\\file.txt"), tooLong = Path(tstring(300, L'n').c_str());
  tstring root = tstring(1, Dir()[0]) + L":\\";
  for (const wchar_t* path : {static_cast<const wchar_t*>(nullptr), L"", missing.c_str(), Dir().c_str(), deep.c_str(),
                              tooLong.c_str(), root.c_str()}) {
    for (bool read : {true, false}) {
      CFile file;
      bool creatable = !read && (path == missing.c_str());
      EXPECT_EQ(creatable, file.Open(path, read)) << (path ? path : L"(null)") << " read " << read;
      EXPECT_EQ(creatable, file.GetHandle() != nullptr);
    }
  }
  char buffer[4];
  Orv::tVectorPOD<unsigned char> bytes;
  FILETIME time;
  for (HANDLE handle : {static_cast<HANDLE>(nullptr), INVALID_HANDLE_VALUE}) {
    EXPECT_EQ(0xFFFFFFFFu, Orv::GetFilePointer(handle));
    EXPECT_FALSE(Orv::SetFilePointer(handle, 0) || Orv::SetFilePointerToEnd(handle) || Orv::ReadFile(handle, 4, buffer) ||
                 Orv::ReadFile(handle, 0, 4, bytes) || Orv::WriteFile(handle, "x", 1) || Orv::WriteUnicodeBOMToFile(handle));
    EXPECT_EQ(0u, Orv::GetFileSize(handle));
  }
  tstring absent = Path(L"absent.txt");
  for (const wchar_t* bad : {static_cast<const wchar_t*>(nullptr), L"", absent.c_str()}) {
    time.dwLowDateTime = 1;
    EXPECT_FALSE(Orv::GetFileModifiedTime(bad, time) || Orv::GetFileCreatedTime(bad, time) ||
                 Orv::GetFileAccessedTime(bad, time));
    EXPECT_EQ(0u, TimeValue(time));
    EXPECT_EQ(0u, Orv::GetFileSize(bad));
  }
  EXPECT_EQ(0u, Orv::GetFileSize(Dir().c_str()));
}

TEST_F(FileTest, TimesAreTheOnesSet) {
  tstring path = Path(L"timed.bin");
  ASSERT_TRUE(WriteRaw(path, std::string(1000, 'x')));
  const ULONGLONG accessed = 130000000000000000ull, modified = 131000000000000000ull;
  FILETIME accessTime = {static_cast<DWORD>(accessed), static_cast<DWORD>(accessed >> 32)};
  FILETIME writeTime = {static_cast<DWORD>(modified), static_cast<DWORD>(modified >> 32)};
  HANDLE handle = ::CreateFileW(ScratchFiles::Long(path).c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_TRUE(::SetFileTime(handle, nullptr, &accessTime, &writeTime));
  ::CloseHandle(handle);
  FILETIME time;
  ASSERT_TRUE(Orv::GetFileModifiedTime(path.c_str(), time));
  EXPECT_EQ(modified, TimeValue(time));
  ASSERT_TRUE(Orv::GetFileAccessedTime(path.c_str(), time));
  EXPECT_EQ(accessed, TimeValue(time));
  ASSERT_TRUE(Orv::GetFileCreatedTime(path.c_str(), time));
  EXPECT_NE(0u, TimeValue(time));
  EXPECT_EQ(1000u, Orv::GetFileSize(path.c_str()));
}

TEST_F(FileTest, MapsFilesForReadingAndForWritingWithGrowth) {
  tstring path = Path(L"mapped.bin");
  ASSERT_TRUE(WriteRaw(path, "abc"));
  {
    CFile file;
    CMemMappedFile writer;
    ASSERT_TRUE(file.OpenWrite(path.c_str(), true));
    ASSERT_TRUE(writer.OpenWrite(file, 16));
    ASSERT_EQ(16u, writer.GetSize());
    EXPECT_EQ(0, memcmp("abc", writer.GetMem(), 3));
    file.Close();  // the view outlives the handle
    writer.GetMem()[0] = 'A';
    writer.GetMem()[15] = 'Z';
  }
  CMemMappedFile view;
  CFile file;
  ASSERT_TRUE(file.OpenRead(path.c_str()));
  ASSERT_TRUE(view.Open(file, true));
  ASSERT_EQ(16u, view.GetSize());
  EXPECT_EQ(0, memcmp("Abc", view.GetMem(), 3));
  EXPECT_EQ('Z', view.GetMem()[15]);
  EXPECT_FALSE(view.OpenWrite(file, 0xFFFFFFFFu));  // a reading handle; the old view goes
  EXPECT_EQ(nullptr, view.GetMem());
  tstring empty = Path(L"empty.txt");
  ASSERT_TRUE(WriteRaw(empty, ""));
  ASSERT_TRUE(file.OpenWrite(empty.c_str(), true));
  EXPECT_FALSE(view.OpenRead(file) || view.OpenWrite(file, 0) || view.OpenRead(INVALID_HANDLE_VALUE) ||
               view.OpenWrite(nullptr, 16));
  EXPECT_EQ(0u, view.GetSize());
}
