// The temporary-file area: numbering, sub-directories, membership, clearing, and names that would
// leave the area. The run points TMP into its scratch directory, so the area lives there.
#include "orvutil/system.h"
#include "../support/scratch.h"

using Orv::tstring;
using ScratchFiles::ExistsRaw;

namespace {

// The area's directory for the sub-directory `sub`.
tstring AreaDirectory(const tstring& sub) {
  return ScratchFiles::RunDirectory() + L"\\Orvane" + (sub.empty() ? L"" : L"\\") + sub;
}

}  // namespace

// Prefixes and extensions that would name another directory, a drive, a device or a stream are
// refused, and nothing is made. Names count up through one process-wide counter, skipping taken
// ones, whatever the prefix. The area follows the sub-directory, which must stay inside it; the area
// knows its own files and clears them, never the shared directory.
TEST(TempFiles, RefusesNamesThatLeaveNumbersStaysInsideAndClearsOnlyItsOwnFiles) {
  struct Restore {  // the sub-directory is process-wide
    tstring previous = Orv::GetTempSubDirectory();
    ~Restore() { Orv::SetTempSubDirectory(previous.c_str()); }
  } restore;
  tstring directory = AreaDirectory(L"test_area");
  ASSERT_TRUE(Orv::SetTempSubDirectory(L"test_area") && Orv::ClearTempSubDirectory());  // files of a repeat
  const struct { const wchar_t* prefix; const wchar_t* extension; } hostile[] = {
      {L"..\\..\\orv_escape_", nullptr}, {L"../orv_escape_", nullptr}, {L"sub\\name", nullptr},
      {L"no\\such\\directory\\", nullptr}, {L"C:orv_escape_", nullptr}, {L"\\\\?\\C:\\x", nullptr},
      {L"\\\\.\\pipe\\x", nullptr}, {L"..", nullptr}, {nullptr, L"tmp\\..\\..\\..\\x"}, {nullptr, L"t/x"},
      {nullptr, L".."}, {nullptr, L"tmp:stream"}, {L"name", L"C:\\x"}};
  for (const auto& names : hostile) {
    tstring made = Orv::CreateTempFile(names.prefix, names.extension);
    EXPECT_EQ(tstring(), made) << names.prefix << " / " << names.extension;
    if (!made.empty()) Orv::DeleteFileW(made.c_str());  // leave nothing behind outside the area
  }
  Orv::tObjVector<tstring> files, directories;
  ASSERT_TRUE(Orv::GetDirectoryContents(Orv::GetTempDirectory().c_str(), files, directories));
  EXPECT_EQ(0u, files.Count() + directories.Count());
  tstring first = Orv::CreateTempFile(nullptr, nullptr);
  unsigned n = wcstoul(first.c_str() + directory.size() + 9, nullptr, 10);
  auto name = [&](const wchar_t* prefix, unsigned k, const wchar_t* ext) {
    return tstring::format_new(L"%s\\%s%u.%s", directory.c_str(), prefix, n + k, ext);
  };
  EXPECT_TRUE(name(L"TempFile", 0, L"tmp") == first && ExistsRaw(first));
  ASSERT_TRUE(ScratchFiles::WriteRaw(name(L"TempFile", 1, L"tmp"), "taken"));
  EXPECT_EQ(name(L"TempFile", 2, L"tmp"), Orv::CreateTempFile(nullptr, nullptr));
  EXPECT_EQ(name(L"scan", 3, L"dat"), Orv::CreateTempFile(L"scan", L"dat"));
  EXPECT_EQ(name(L"x", 4, L""), Orv::CreateTempFile(L"x", L""));
  EXPECT_TRUE(Orv::CreateTempFile(tstring(300, L'p').c_str(), nullptr).empty());
  ASSERT_TRUE(Orv::SetTempSubDirectory(L"nested/one\\.\\two\\"));
  tstring nested = AreaDirectory(L"nested\\one\\two"), a = Orv::CreateTempFile(nullptr, nullptr), upper = a;
  EXPECT_TRUE(Orv::GetTempSubDirectory() == L"nested\\one\\two" && Orv::GetTempDirectory() == nested);
  EXPECT_EQ(0, a.compare(0, nested.size() + 1, nested + L"\\"));
  for (const wchar_t* sub : {L"..", L"..\\elsewhere", L"a\\..\\..\\b", L"C:\\Windows", L"C:sub", L"\\rooted"})
    EXPECT_FALSE(Orv::SetTempSubDirectory(sub)) << sub;
  EXPECT_EQ(L"nested\\one\\two", Orv::GetTempSubDirectory());
  Orv::UpperCaseInPlace(upper.begin(), upper.size());
  EXPECT_TRUE(Orv::IsTempFile(upper.c_str()) && Orv::IsTempFile((nested + L"\\not\\yet\\made").c_str()));
  for (const tstring& outside : {nested, ScratchFiles::RunDirectory() + L"\\x.tmp", tstring()})
    EXPECT_FALSE(Orv::IsTempFile(outside.c_str())) << outside.c_str();
  ASSERT_TRUE(Orv::CreateDirectoryW((nested + L"\\kept").c_str()));
  EXPECT_TRUE(Orv::ClearTempSubDirectory() && !ExistsRaw(a) && ExistsRaw(nested + L"\\kept"));
  EXPECT_TRUE(Orv::SetTempSubDirectory(L"..name"));  // a name starting with dots is no climb
  EXPECT_EQ(AreaDirectory(L"..name"), Orv::GetTempDirectory());
  ASSERT_TRUE(Orv::SetTempSubDirectory(nullptr) && Orv::GetTempDirectory() == AreaDirectory(L""));
  tstring shared = Orv::CreateTempFile(nullptr, nullptr);
  EXPECT_TRUE(Orv::ClearTempSubDirectory() && ExistsRaw(shared));  // the shared directory is never cleared
}
