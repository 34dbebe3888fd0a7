// Existence tests, copying, moving, deleting, hard-link placement, attributes and ReadWholeFile.
#include "orvutil/system.h"
#include "scratch.h"

using Orv::tstring;
using ScratchFiles::ExistsRaw;
using ScratchFiles::ReadRaw;
using ScratchFiles::WriteRaw;

namespace {

class FileSystemTest : public ScratchFiles::ScratchTest {
 protected:
  std::string Contents(const tstring& path) {
    std::string bytes;
    return ReadRaw(path, bytes) ? bytes : "<unreadable>";
  }
};

const wchar_t* Show(const wchar_t* path) {
  return path ? path : L"(null)";
}

// The volume and index that identify a file, and its number of names.
BY_HANDLE_FILE_INFORMATION Identity(const tstring& path) {
  BY_HANDLE_FILE_INFORMATION info = {};
  HANDLE file = ::CreateFileW(ScratchFiles::Long(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    ::GetFileInformationByHandle(file, &info);
    ::CloseHandle(file);
  }
  return info;
}

}  // namespace

TEST_F(FileSystemTest, ExistenceTellsFilesFromDirectories) {
  tstring file = Path(L"file.txt");
  tstring directory = Path(L"sub");
  ASSERT_TRUE(WriteRaw(file, "12345"));
  ASSERT_TRUE(ScratchFiles::MakeDirectoryRaw(directory));
  tstring slashed = file;
  Orv::ReplaceAll(slashed, L'\\', L'/');
  tstring climbing = Path(L"sub\\..\\FILE.TXT");
  tstring missing = Path(L"missing.txt");
  tstring inFile = Path(L"file.txt\\inner");
  tstring tooLong = Path(tstring(300, L'x').c_str());
  tstring root = tstring(1, Dir()[0]) + L":\\";
  struct {
    const wchar_t* path;
    bool file;
    bool directory;
  } const cases[] = {
      {file.c_str(), true, false},      {slashed.c_str(), true, false},  {climbing.c_str(), true, false},
      {directory.c_str(), false, true}, {root.c_str(), false, true},     {missing.c_str(), false, false},
      {inFile.c_str(), false, false},   {tooLong.c_str(), false, false}, {L"", false, false},
      {nullptr, false, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.file, Orv::FileExists(c.path)) << Show(c.path);
    EXPECT_EQ(c.file, Orv::FileReadable(c.path)) << Show(c.path);
    EXPECT_EQ(c.directory, Orv::DirectoryExists(c.path)) << Show(c.path);
  }

  WIN32_FIND_DATAW data = {};
  ASSERT_TRUE(Orv::FileExists(file.c_str(), &data));
  EXPECT_STREQ(L"file.txt", data.cFileName);
  EXPECT_EQ(5u, data.nFileSizeLow);
  ASSERT_TRUE(Orv::DirectoryExists(directory.c_str(), &data));
  EXPECT_STREQ(L"sub", data.cFileName);
  data.cFileName[0] = L'?';
  EXPECT_FALSE(Orv::FileExists(directory.c_str(), &data));
  EXPECT_EQ(L'?', data.cFileName[0]);  // left alone on failure
}

TEST_F(FileSystemTest, CopiesMovesDeletesAndAttributesRefuseBadPaths) {
  tstring a = Path(L"a.txt"), b = Path(L"b.txt"), c = Path(L"c.txt"), missing = Path(L"missing.txt");
  ASSERT_TRUE(WriteRaw(a, "alpha"));
  ASSERT_TRUE(WriteRaw(c, "gamma"));
  EXPECT_TRUE(Orv::CopyFileW(a.c_str(), b.c_str(), false));
  EXPECT_FALSE(Orv::CopyFileW(c.c_str(), b.c_str(), false));  // an existing destination stays
  EXPECT_EQ("alpha", Contents(b));
  EXPECT_TRUE(Orv::CopyFileW(c.c_str(), b.c_str(), true));
  EXPECT_FALSE(Orv::CopyFileW(a.c_str(), Path(L"A.TXT").c_str(), true));  // onto itself
  EXPECT_EQ("alpha", Contents(a));
  EXPECT_FALSE(Orv::MoveFileW(a.c_str(), b.c_str(), false));
  EXPECT_TRUE(Orv::MoveFileW(a.c_str(), b.c_str(), true));
  EXPECT_EQ("alpha", Contents(b));
  EXPECT_FALSE(Orv::MoveFileW(b.c_str(), Path(L"moved\\b.txt").c_str(), false));  // no such directory
  EXPECT_TRUE(Orv::DeleteFileW(b.c_str()));
  EXPECT_FALSE(ExistsRaw(b) || ExistsRaw(a));
  EXPECT_FALSE(Orv::DeleteFileW(Dir().c_str()));  // a directory is no file
  for (const wchar_t* path : {static_cast<const wchar_t*>(nullptr), L"", missing.c_str()}) {
    DWORD attributes = 0;
    EXPECT_FALSE(Orv::DeleteFileW(path) || Orv::CopyFileW(path, b.c_str(), true) || Orv::MoveFileW(path, b.c_str(), true) ||
                 Orv::PlaceFile(path, b.c_str()) || Orv::GetFileAttributesW(path, attributes) ||
                 Orv::SetFileAttributesW(path, FILE_ATTRIBUTE_NORMAL) ||
                 (path != missing.c_str() && (Orv::CopyFileW(c.c_str(), path, true) || Orv::MoveFileW(c.c_str(), path, true) ||
                                              Orv::PlaceFile(c.c_str(), path))))
        << Show(path);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, attributes);
  }
  EXPECT_EQ("gamma", Contents(c));
  DWORD attributes = 0;
  ASSERT_TRUE(Orv::SetFileAttributesW(c.c_str(), FILE_ATTRIBUTE_READONLY));
  ASSERT_TRUE(Orv::GetFileAttributesW(c.c_str(), attributes));
  EXPECT_EQ(::GetFileAttributesW(ScratchFiles::Long(c).c_str()), attributes);
  EXPECT_TRUE(attributes & FILE_ATTRIBUTE_READONLY);
  ASSERT_TRUE(Orv::SetFileAttributesW(c.c_str(), FILE_ATTRIBUTE_NORMAL));
}

// A placed file is a second name of the same file; a failed placement keeps the destination.
TEST_F(FileSystemTest, PlaceFileLinksTheSameFile) {
  tstring source = Path(L"source.txt"), other = Path(L"other.txt"), target = Path(L"new\\deeper\\target.txt");
  ASSERT_TRUE(WriteRaw(source, "shared"));
  ASSERT_TRUE(WriteRaw(other, "other"));
  ASSERT_TRUE(Orv::PlaceFile(source.c_str(), target.c_str()));
  EXPECT_EQ(2u, Identity(source).nNumberOfLinks);
  EXPECT_EQ(Identity(source).nFileIndexLow, Identity(target).nFileIndexLow);
  ASSERT_TRUE(Orv::PlaceFile(other.c_str(), target.c_str()));  // replaces the destination
  EXPECT_EQ("other", Contents(target));
  EXPECT_EQ(1u, Identity(source).nNumberOfLinks);
  EXPECT_TRUE(Orv::PlaceFile(other.c_str(), other.c_str()));
  EXPECT_TRUE(Orv::PlaceFile(other.c_str(), target.c_str()));
  EXPECT_EQ(2u, Identity(other).nNumberOfLinks);
  EXPECT_FALSE(Orv::PlaceFile(Dir().c_str(), target.c_str()));  // a directory is no file to link
  tstring occupied = Path(L"occupied");
  ASSERT_TRUE(ScratchFiles::MakeDirectoryRaw(occupied));
  EXPECT_FALSE(Orv::PlaceFile(source.c_str(), occupied.c_str()));
  EXPECT_TRUE(Orv::DirectoryExists(occupied.c_str()));
  EXPECT_EQ("other", Contents(target));
}

TEST_F(FileSystemTest, ReadWholeFileDecodesByItsMark) {
  // What the active ANSI code page makes of bytes that are not UTF-8 text with its mark.
  auto ansi = [](const std::string& bytes) {
    wchar_t text[64];
    int n = ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), text, 64);
    return tstring(text, static_cast<unsigned>(n));
  };
  struct {
    const char* name;
    std::string bytes;
    tstring text;
  } const cases[] = {
      {"utf-8 with mark", std::string("\xEF\xBB\xBFh\xC3\xA9!"), L"h\u00E9!"},
      {"utf-8 mark only", std::string("\xEF\xBB\xBF"), L""},
      {"utf-8 without mark", std::string("h\xC3\xA9!"), ansi("h\xC3\xA9!")},
      {"ascii", std::string("plain text\r\n"), L"plain text\r\n"},
      {"ansi", std::string("caf\xE9"), ansi("caf\xE9")},
      {"utf-16", std::string("\xFF\xFEh\0i\0", 6), L"hi"},
      {"utf-16 up to nul", std::string("\xFF\xFEh\0i\0\0\0x\0", 10), L"hi"},
      {"utf-16 odd byte", std::string("\xFF\xFEh\0i", 5), L"h"},
      {"utf-16 mark only", std::string("\xFF\xFE"), L""},
      {"utf-16 surrogate pair", std::string("\xFF\xFE\x3D\xD8\x00\xDE", 6), L"\U0001F600"},
  };
  tstring path = Path(L"text.txt");
  for (const auto& c : cases) {
    ASSERT_TRUE(WriteRaw(path, c.bytes)) << c.name;
    tstring text(L"stale");
    EXPECT_TRUE(Orv::ReadWholeFile(path.c_str(), text)) << c.name;
    EXPECT_EQ(c.text, text) << c.name;
  }
}

TEST_F(FileSystemTest, ReadWholeFileFailsWithoutText) {
  tstring empty = Path(L"empty.txt"), missing = Path(L"missing.txt");
  ASSERT_TRUE(WriteRaw(empty, ""));
  for (const wchar_t* path : {static_cast<const wchar_t*>(nullptr), L"", empty.c_str(), missing.c_str(), Dir().c_str()}) {
    tstring text(L"stale");
    EXPECT_FALSE(Orv::ReadWholeFile(path, text)) << Show(path);
    EXPECT_TRUE(text.empty()) << Show(path);
  }
}
