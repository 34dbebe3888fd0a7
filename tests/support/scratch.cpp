// The scratch area of the file tests: made when the run starts, deleted when it ends.
#include "scratch.h"

#include "orvutil/system.h"

namespace ScratchFiles {

namespace {

tstring g_runDirectory;
tstring g_runTempDirectory;

tstring ReadEnvironment(const wchar_t* name) {
  wchar_t value[4096];
  DWORD n = ::GetEnvironmentVariableW(name, value, 4096);
  return n && n < 4096 ? tstring(value, n) : tstring();
}

// Makes the run's directory and points TMP and TEMP into it; removes it all at the end of the run.
class CScratchEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    wchar_t temp[MAX_PATH + 1];
    DWORD n = ::GetTempPathW(MAX_PATH + 1, temp);
    ASSERT_GT(n, 0u);
    g_runDirectory = Orv::CanonicalizePath(tstring(temp, n).c_str());
    Orv::AppendPathTail(g_runDirectory,
                        tstring::format_new(L"orv_system_%lu_%lu", ::GetCurrentProcessId(), ::GetTickCount()).c_str());
    g_runTempDirectory = g_runDirectory + L"\\temp";
    ASSERT_TRUE(MakeDirectoryRaw(g_runDirectory));
    ASSERT_TRUE(MakeDirectoryRaw(g_runTempDirectory));
    m_savedTmp = ReadEnvironment(L"TMP");
    m_savedTemp = ReadEnvironment(L"TEMP");
    ::SetEnvironmentVariableW(L"TMP", g_runTempDirectory.c_str());
    ::SetEnvironmentVariableW(L"TEMP", g_runTempDirectory.c_str());
  }
  void TearDown() override {
    ::SetEnvironmentVariableW(L"TMP", m_savedTmp.empty() ? nullptr : m_savedTmp.c_str());
    ::SetEnvironmentVariableW(L"TEMP", m_savedTemp.empty() ? nullptr : m_savedTemp.c_str());
    if (g_runDirectory.empty()) return;
    Orv::DeleteDirectory(g_runDirectory.c_str(), true);
    EXPECT_FALSE(ExistsRaw(g_runDirectory)) << "the run's scratch directory was left behind";
  }

 private:
  tstring m_savedTmp;
  tstring m_savedTemp;
};

::testing::Environment* const g_environment = ::testing::AddGlobalTestEnvironment(new CScratchEnvironment);

}  // namespace

const tstring& RunDirectory() {
  return g_runDirectory;
}

const tstring& RunTempDirectory() {
  return g_runTempDirectory;
}

tstring Long(const tstring& path) {
  return tstring(L"\\\\?\\") + path;
}

bool WriteRaw(const tstring& path, const std::string& bytes) {
  HANDLE file = ::CreateFileW(Long(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok = bytes.empty() || ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  ::CloseHandle(file);
  return ok && written == bytes.size();
}

bool ReadRaw(const tstring& path, std::string& bytes) {
  bytes.clear();
  HANDLE file = ::CreateFileW(Long(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  char buffer[4096];
  DWORD read = 0;
  while (::ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read) bytes.append(buffer, read);
  ::CloseHandle(file);
  return true;
}

std::string Contents(const tstring& path) {
  std::string bytes;
  return ReadRaw(path, bytes) ? bytes : "<none>";
}

bool ExistsRaw(const tstring& path) {
  return ::GetFileAttributesW(Long(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool MakeDirectoryRaw(const tstring& path) {
  return ::CreateDirectoryW(Long(path).c_str(), nullptr) != FALSE;
}

void ScratchTest::SetUp() {
  ASSERT_FALSE(RunDirectory().empty());
  const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
  tstring name = Orv::StringFromACP(info->test_suite_name()) + L"." + Orv::StringFromACP(info->name());
  Orv::ReplaceAll(name, L'/', L'_');
  m_dir = RunDirectory();
  Orv::AppendPathTail(m_dir, name.c_str());
  ASSERT_TRUE(MakeDirectoryRaw(m_dir));
}

tstring ScratchTest::Path(const wchar_t* relative) const {
  tstring path = m_dir;
  return Orv::AppendPathTail(path, relative);
}

}  // namespace ScratchFiles
