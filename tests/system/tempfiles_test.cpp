// The temporary-file area: numbering, sub-directories, membership and clearing.
//
// The run points TMP into its scratch directory, so the area lives there. The file counter is
// process-wide: every call of the library's CreateTempFile in this program goes through Create,
// which records that the counter has moved.
#include "orvutil/system.h"
#include "scratch.h"

using Orv::tstring;
using ScratchFiles::ExistsRaw;
using ScratchFiles::RunTempDirectory;

namespace {

bool g_counterUsed = false;

tstring Create(const wchar_t* prefix = nullptr, const wchar_t* extension = nullptr) {
  g_counterUsed = true;
  return Orv::CreateTempFile(prefix, extension);
}

tstring AreaDirectory(const wchar_t* subDirectory) {
  tstring directory = RunTempDirectory() + L"\\Orvane";
  return subDirectory && *subDirectory ? directory + L"\\" + subDirectory : directory;
}

// Each test works in a sub-directory of the area named after it; the one before comes back after.
class TempFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_sub = tstring(L"test_") + Orv::StringFromACP(::testing::UnitTest::GetInstance()->current_test_info()->name());
    ASSERT_TRUE(Orv::SetTempSubDirectory(m_sub.c_str()));
  }
  const tstring& Sub() const { return m_sub; }

 private:
  struct Restore {  // puts the process-wide sub-directory back, whatever the test did
    tstring previous = Orv::GetTempSubDirectory();
    ~Restore() { Orv::SetTempSubDirectory(previous.c_str()); }
  } m_restore;
  tstring m_sub;
};

}  // namespace

// Names count up through one process-wide counter, skipping taken ones, whatever the prefix.
TEST_F(TempFileTest, NumbersNamesAndSkipsTakenOnes) {
  tstring directory = AreaDirectory(Sub().c_str());
  bool fresh = !g_counterUsed;  // the counter starts at 0 in a fresh process
  tstring first = Create();
  ASSERT_EQ(0, first.compare(0, directory.size() + 9, directory + L"\\TempFile"));
  unsigned n = wcstoul(first.c_str() + directory.size() + 9, nullptr, 10);
  EXPECT_TRUE(!fresh || n == 0);
  auto name = [&](const wchar_t* prefix, unsigned k, const wchar_t* ext) {
    return tstring::format_new(L"%s\\%s%u.%s", directory.c_str(), prefix, n + k, ext);
  };
  EXPECT_EQ(name(L"TempFile", 0, L"tmp"), first);
  EXPECT_TRUE(ExistsRaw(first));
  EXPECT_EQ(name(L"TempFile", 1, L"tmp"), Create());
  ASSERT_TRUE(ScratchFiles::WriteRaw(name(L"TempFile", 2, L"tmp"), "taken"));
  EXPECT_EQ(name(L"TempFile", 3, L"tmp"), Create());
  EXPECT_EQ(name(L"scan", 4, L"dat"), Create(L"scan", L"dat"));
  EXPECT_EQ(name(L"x", 5, L""), Create(L"x", L""));
  EXPECT_TRUE(Create(L"no\\such\\directory\\").empty());
  EXPECT_TRUE(Create(tstring(300, L'p').c_str()).empty());
}

// The area follows the sub-directory, which must stay inside it.
TEST_F(TempFileTest, SubDirectoryChangesRecomputeAndStayInside) {
  EXPECT_EQ(AreaDirectory(Sub().c_str()), Orv::GetTempDirectory());
  ASSERT_TRUE(Orv::SetTempSubDirectory(L"nested/one\\.\\two\\"));
  EXPECT_EQ(L"nested\\one\\two", Orv::GetTempSubDirectory());
  tstring nested = AreaDirectory(L"nested\\one\\two");
  EXPECT_EQ(nested, Orv::GetTempDirectory());
  EXPECT_TRUE(Orv::DirectoryExists(nested.c_str()));
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
  tstring a = Create(), b = Create(L"other", L"bin"), upper = a;
  Orv::UpperCaseInPlace(upper.begin(), upper.size());
  EXPECT_TRUE(Orv::IsTempFile(upper.c_str()));
  EXPECT_TRUE(Orv::IsTempFile((Orv::GetTempDirectory() + L"\\not\\yet\\made").c_str()));
  for (const tstring& outside : {Orv::GetTempDirectory(), RunTempDirectory() + L"\\elsewhere.tmp", tstring()})
    EXPECT_FALSE(Orv::IsTempFile(outside.c_str()));
  tstring kept = Orv::GetTempDirectory() + L"\\kept";
  ASSERT_TRUE(ScratchFiles::MakeDirectoryRaw(kept));
  EXPECT_TRUE(Orv::ClearTempSubDirectory());
  EXPECT_FALSE(ExistsRaw(a) || ExistsRaw(b));
  EXPECT_TRUE(ExistsRaw(kept));
  ASSERT_TRUE(Orv::SetTempSubDirectory(L""));
  tstring shared = Create();
  EXPECT_TRUE(Orv::ClearTempSubDirectory());  // the shared directory is never cleared
  EXPECT_TRUE(ExistsRaw(shared));
}
