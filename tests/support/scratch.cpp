// The scratch area of the file tests: made when the run starts, deleted when it ends.
#include "scratch.h"

#include "orvutil/system.h"

namespace ScratchFiles {

namespace {

tstring g_runDirectory;

// Makes the run's directory and points TMP and TEMP to it; removes it all at the end of the run.
class CScratchEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    wchar_t temp[MAX_PATH + 1];
    DWORD n = ::GetTempPathW(MAX_PATH + 1, temp);
    ASSERT_GT(n, 0u);
    g_runDirectory = Orv::CanonicalizePath(tstring(temp, n).c_str());
    Orv::AppendPathTail(g_runDirectory,
                        tstring::format_new(L"orv_system_%lu_%lu", ::GetCurrentProcessId(), ::GetTickCount()).c_str());
    ASSERT_TRUE(::CreateDirectoryW(Long(g_runDirectory).c_str(), nullptr));
    ::SetEnvironmentVariableW(L"TMP", g_runDirectory.c_str());
    ::SetEnvironmentVariableW(L"TEMP", g_runDirectory.c_str());
  }
  void TearDown() override {
    if (g_runDirectory.empty()) return;
    Orv::DeleteDirectory(g_runDirectory.c_str(), true);
    EXPECT_FALSE(ExistsRaw(g_runDirectory)) << "the run's scratch directory was left behind";
  }
};

::testing::Environment* const g_environment = ::testing::AddGlobalTestEnvironment(new CScratchEnvironment);

}  // namespace

const tstring& RunDirectory() {
  return g_runDirectory;
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

// Each test's directory is numbered in the order the tests run.
void ScratchTest::SetUp() {
  static unsigned s_tests = 0;
  ASSERT_FALSE(RunDirectory().empty());
  m_dir = tstring::format_new(L"%s\\test%u", RunDirectory().c_str(), ++s_tests);
  ASSERT_TRUE(::CreateDirectoryW(Long(m_dir).c_str(), nullptr));
}

tstring ScratchTest::Path(const wchar_t* relative) const {
  tstring path = m_dir;
  return Orv::AppendPathTail(path, relative);
}

}  // namespace ScratchFiles
