// The temporary-file area: numbering, sub-directories, membership, clearing, and names that would
// leave the area.
//
// The run points TMP into its scratch directory, so the area lives there. The file counter is
// process-wide: every CreateTempFile of this program goes through Create, which records its use.
#include "orvutil/system.h"
#include "../support/scratch.h"

using Orv::tstring;
using ScratchFiles::ExistsRaw;

namespace {

bool g_counterUsed = false;

tstring Create(const wchar_t* prefix = nullptr, const wchar_t* extension = nullptr) {
  g_counterUsed = true;
  return Orv::CreateTempFile(prefix, extension);
}

tstring AreaDirectory(const wchar_t* sub) {
  tstring directory = ScratchFiles::RunTempDirectory() + L"\\Orvane";
  return sub && *sub ? directory + L"\\" + sub : directory;
}

// Each test works in a sub-directory of the area named after it; the one before comes back after.
class TempFileTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(Orv::SetTempSubDirectory(Sub().c_str())); }
  tstring Sub() const {
    return L"test_" + Orv::StringFromACP(::testing::UnitTest::GetInstance()->current_test_info()->name());
  }

 private:
  struct Restore {  // puts the process-wide sub-directory back, whatever the test did
    tstring previous = Orv::GetTempSubDirectory();
    ~Restore() { Orv::SetTempSubDirectory(previous.c_str()); }
  } m_restore;
};

}  // namespace

// Names count up through one process-wide counter, skipping taken ones, whatever the prefix.
TEST_F(TempFileTest, NumbersNamesAndSkipsTakenOnes) {
  tstring directory = AreaDirectory(Sub().c_str());
  bool fresh = !g_counterUsed;  // the counter starts at 0 in a fresh process
  tstring first = Create();
  ASSERT_EQ(0, first.compare(0, directory.size() + 9, directory + L"\\TempFile"));
  unsigned n = wcstoul(first.c_str() + directory.size() + 9, nullptr, 10);
  EXPECT_TRUE((!fresh || n == 0) && ExistsRaw(first));
  auto name = [&](const wchar_t* prefix, unsigned k, const wchar_t* ext) {
    return tstring::format_new(L"%s\\%s%u.%s", directory.c_str(), prefix, n + k, ext);
  };
  EXPECT_EQ(name(L"TempFile", 0, L"tmp") + name(L"TempFile", 1, L"tmp"), first + Create());
  ASSERT_TRUE(ScratchFiles::WriteRaw(name(L"TempFile", 2, L"tmp"), "taken"));
  EXPECT_EQ(name(L"TempFile", 3, L"tmp"), Create());
  EXPECT_EQ(name(L"scan", 4, L"dat"), Create(L"scan", L"dat"));
  EXPECT_EQ(name(L"x", 5, L""), Create(L"x", L""));
  EXPECT_TRUE(Create(tstring(300, L'p').c_str()).empty());
}

// Prefixes and extensions that would name another directory, a drive, a device or a stream are
// refused, and nothing is made.
class TempFileNames : public TempFileTest {};

TEST_F(TempFileNames, PrefixesAndExtensionsThatLeaveTheAreaAreRefused) {
  const struct { const wchar_t* prefix; const wchar_t* extension; } hostile[] = {
      {L"..\\..\\orv_escape_", nullptr}, {L"../orv_escape_", nullptr}, {L"sub\\name", nullptr},
      {L"no\\such\\directory\\", nullptr}, {L"C:orv_escape_", nullptr}, {L"\\\\?\\C:\\x", nullptr},
      {L"\\\\.\\pipe\\x", nullptr}, {L"..", nullptr}, {nullptr, L"tmp\\..\\..\\..\\x"}, {nullptr, L"t/x"},
      {nullptr, L".."}, {nullptr, L"tmp:stream"}, {L"name", L"C:\\x"}};
  for (const auto& names : hostile) {
    tstring made = Create(names.prefix, names.extension);
    EXPECT_EQ(tstring(), made) << ::testing::PrintToString(tstring(names.prefix)) << " "
                               << ::testing::PrintToString(tstring(names.extension));
    if (!made.empty()) Orv::DeleteFileW(made.c_str());  // leave nothing behind outside the area
  }
  Orv::tObjVector<tstring> files, directories;
  ASSERT_TRUE(Orv::GetDirectoryContents(Orv::GetTempDirectory().c_str(), files, directories));
  EXPECT_EQ(0u, files.Count() + directories.Count());
}

// The area follows the sub-directory, which must stay inside it.
TEST_F(TempFileTest, SubDirectoryChangesRecomputeAndStayInside) {
  EXPECT_EQ(AreaDirectory(Sub().c_str()), Orv::GetTempDirectory());
  ASSERT_TRUE(Orv::SetTempSubDirectory(L"nested/one\\.\\two\\"));
  tstring nested = AreaDirectory(L"nested\\one\\two");
  EXPECT_EQ(L"nested\\one\\two", Orv::GetTempSubDirectory());
  EXPECT_TRUE(nested == Orv::GetTempDirectory() && Orv::DirectoryExists(nested.c_str()));
  EXPECT_EQ(0, Create().compare(0, nested.size() + 1, nested + L"\\"));
  for (const wchar_t* name : {L"..", L"..\\elsewhere", L"a\\..\\..\\b", L"C:\\Windows", L"C:sub", L"\\rooted",
                              L"\\\\server\\share", L"\\\\?\\C:\\x"}) {
    EXPECT_FALSE(Orv::SetTempSubDirectory(name)) << name;
    EXPECT_EQ(L"nested\\one\\two", Orv::GetTempSubDirectory()) << name;
  }
  EXPECT_TRUE(Orv::SetTempSubDirectory(L"..name"));  // a name starting with dots is no climb
  EXPECT_EQ(AreaDirectory(L"..name"), Orv::GetTempDirectory());
  ASSERT_TRUE(Orv::SetTempSubDirectory(nullptr));
  EXPECT_EQ(AreaDirectory(nullptr), Orv::GetTempDirectory());
}

TEST_F(TempFileTest, KnowsAndClearsItsOwnFilesOnly) {
  tstring a = Create(), b = Create(L"other", L"bin"), upper = a, kept = Orv::GetTempDirectory() + L"\\kept";
  Orv::UpperCaseInPlace(upper.begin(), upper.size());
  EXPECT_TRUE(Orv::IsTempFile(upper.c_str()) && Orv::IsTempFile((kept + L"\\not\\yet\\made").c_str()));
  for (const tstring& outside : {Orv::GetTempDirectory(), ScratchFiles::RunTempDirectory() + L"\\x.tmp", tstring()})
    EXPECT_FALSE(Orv::IsTempFile(outside.c_str())) << outside.c_str();
  ASSERT_TRUE(ScratchFiles::MakeDirectoryRaw(kept));
  EXPECT_TRUE(Orv::ClearTempSubDirectory());
  EXPECT_TRUE(!ExistsRaw(a) && !ExistsRaw(b) && ExistsRaw(kept));
  ASSERT_TRUE(Orv::SetTempSubDirectory(L""));
  tstring shared = Create();
  EXPECT_TRUE(Orv::ClearTempSubDirectory() && ExistsRaw(shared));  // the shared directory is never cleared
}
