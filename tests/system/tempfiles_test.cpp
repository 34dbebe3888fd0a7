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

// Each test works in a sub-directory of the area named after it, and leaves the area shared.
class TempFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_sub = tstring(L"test_") + Orv::StringFromACP(::testing::UnitTest::GetInstance()->current_test_info()->name());
    ASSERT_TRUE(Orv::SetTempSubDirectory(m_sub.c_str()));
  }
  void TearDown() override { EXPECT_TRUE(Orv::SetTempSubDirectory(nullptr)); }
  const tstring& Sub() const { return m_sub; }

 private:
  tstring m_sub;
};

}  // namespace

TEST_F(TempFileTest, NumbersNamesAndSkipsTakenOnes) {
  tstring directory = AreaDirectory(Sub().c_str());
  // The counter starts at 0 in a fresh process (unless another test ran first).
  bool fresh = !g_counterUsed;
  tstring first = Create();
  ASSERT_FALSE(first.empty());
  ASSERT_EQ(0, first.compare(0, directory.size() + 9, directory + L"\\TempFile"));
  unsigned n = wcstoul(first.c_str() + directory.size() + 9, nullptr, 10);
  if (fresh) {
    EXPECT_EQ(0u, n);
  }
  EXPECT_EQ(tstring::format_new(L"%s\\TempFile%u.tmp", directory.c_str(), n), first);
  EXPECT_TRUE(ExistsRaw(first));
  EXPECT_EQ(0u, Orv::GetFileSize(first.c_str()));

  EXPECT_EQ(tstring::format_new(L"%s\\TempFile%u.tmp", directory.c_str(), n + 1), Create());
  // A name that is taken is skipped, and the counter moves past it.
  ASSERT_TRUE(ScratchFiles::WriteRaw(tstring::format_new(L"%s\\TempFile%u.tmp", directory.c_str(), n + 2), "taken"));
  EXPECT_EQ(tstring::format_new(L"%s\\TempFile%u.tmp", directory.c_str(), n + 3), Create());
  EXPECT_EQ(tstring::format_new(L"%s\\TempFile%u.tmp", directory.c_str(), n + 4), Create());
  // Other prefixes and extensions share the counter; an empty extension keeps its dot.
  EXPECT_EQ(tstring::format_new(L"%s\\scan%u.dat", directory.c_str(), n + 5), Create(L"scan", L"dat"));
  EXPECT_EQ(tstring::format_new(L"%s\\x%u.", directory.c_str(), n + 6), Create(L"x", L""));
}

TEST_F(TempFileTest, FailsWhenTheFileCannotBeCreated) {
  EXPECT_TRUE(Create(L"no\\such\\directory\\").empty());
  EXPECT_TRUE(Create(tstring(300, L'p').c_str()).empty());
}

TEST_F(TempFileTest, SubDirectoryChangesRecomputeAndCreate) {
  EXPECT_EQ(Sub(), Orv::GetTempSubDirectory());
  EXPECT_EQ(AreaDirectory(Sub().c_str()), Orv::GetTempDirectory());

  ASSERT_TRUE(Orv::SetTempSubDirectory(L"nested/one\\.\\two\\"));
  EXPECT_EQ(L"nested\\one\\two", Orv::GetTempSubDirectory());
  tstring nested = AreaDirectory(L"nested\\one\\two");
  EXPECT_FALSE(ExistsRaw(nested));
  EXPECT_EQ(nested, Orv::GetTempDirectory());
  EXPECT_TRUE(Orv::DirectoryExists(nested.c_str()));
  EXPECT_EQ(0, Create().compare(0, nested.size() + 1, nested + L"\\"));

  ASSERT_TRUE(Orv::SetTempSubDirectory(nullptr));
  EXPECT_EQ(L"", Orv::GetTempSubDirectory());
  EXPECT_EQ(AreaDirectory(nullptr), Orv::GetTempDirectory());
}

TEST_F(TempFileTest, RefusesSubDirectoriesOutsideTheArea) {
  const wchar_t* outside[] = {L"..",    L"..\\elsewhere", L"a\\..\\..\\b",      L"C:\\Windows",
                              L"C:sub", L"\\rooted",      L"\\\\server\\share", L"\\\\?\\C:\\x"};
  for (const wchar_t* name : outside) {
    EXPECT_FALSE(Orv::SetTempSubDirectory(name)) << name;
    EXPECT_EQ(Sub(), Orv::GetTempSubDirectory()) << name;
  }
  EXPECT_TRUE(Orv::SetTempSubDirectory(L"a\\..\\b"));
  EXPECT_EQ(L"b", Orv::GetTempSubDirectory());
  EXPECT_TRUE(Orv::SetTempSubDirectory(L"..name"));  // a name starting with dots is no climb
  EXPECT_EQ(AreaDirectory(L"..name"), Orv::GetTempDirectory());
}

TEST_F(TempFileTest, KnowsItsOwnFiles) {
  tstring file = Create();
  ASSERT_FALSE(file.empty());
  EXPECT_TRUE(Orv::IsTempFile(file.c_str()));
  tstring upper = file;
  Orv::UpperCaseInPlace(upper.begin(), upper.size());
  EXPECT_TRUE(Orv::IsTempFile(upper.c_str()));
  EXPECT_TRUE(Orv::IsTempFile((Orv::GetTempDirectory() + L"\\not\\yet\\made").c_str()));
  EXPECT_FALSE(Orv::IsTempFile(Orv::GetTempDirectory().c_str()));
  EXPECT_FALSE(Orv::IsTempFile((RunTempDirectory() + L"\\elsewhere.tmp").c_str()));
  EXPECT_FALSE(Orv::IsTempFile(nullptr));
  EXPECT_FALSE(Orv::IsTempFile(L""));
}

TEST_F(TempFileTest, ClearingRemovesFilesOfTheSubDirectoryOnly) {
  tstring a = Create(), b = Create(L"other", L"bin");
  tstring kept = Orv::GetTempDirectory() + L"\\kept";
  ASSERT_TRUE(ScratchFiles::MakeDirectoryRaw(kept));
  EXPECT_TRUE(Orv::ClearTempSubDirectory());
  EXPECT_FALSE(ExistsRaw(a));
  EXPECT_FALSE(ExistsRaw(b));
  EXPECT_TRUE(ExistsRaw(kept));

  // The shared directory is never cleared.
  ASSERT_TRUE(Orv::SetTempSubDirectory(L""));
  tstring shared = Create();
  ASSERT_FALSE(shared.empty());
  EXPECT_TRUE(Orv::ClearTempSubDirectory());
  EXPECT_TRUE(ExistsRaw(shared));
}
