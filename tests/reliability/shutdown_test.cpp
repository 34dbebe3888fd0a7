// Shut-down under load: the host program ends the library with work of every kind in flight, many
// times over, several at once. No run may hang or crash, and every run must count exactly one end
// for every piece of work. ORV_SHUTDOWN_RUNS sets the number of runs (200 by default).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../support/process_usage.h"
#include "orvutil/orvutil.h"

namespace {

constexpr unsigned kDefaultRuns = 200, kAtOnce = 4;
constexpr DWORD kHangMs = 120000;  // far beyond any run: a run still going then is hung

struct Child {
  PROCESS_INFORMATION process = {};
  DWORD started = 0;
};

// Starts the host, printing to this test's output; a start that fails is tried again a few times
// (Wine has been seen to refuse one process start now and then). 0, or the last error.
DWORD Start(Child& child) {
  std::wstring host = std::wstring(Orv::GetExecutableDir().c_str()) + L"\\orv_shutdown_host.exe";
  std::wstring commandLine = L"\"" + host + L"\"";
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = startup.hStdError = GetStdHandle(STD_OUTPUT_HANDLE);
  DWORD error = 0;
  for (int attempt = 0; attempt < 5; ++attempt, Sleep(200)) {
    child.started = GetTickCount();
    if (CreateProcessW(host.c_str(), &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                       &child.process)) {
      return 0;
    }
    error = GetLastError();
  }
  return error;
}

// "" for a run that ended well, else what went wrong.
std::string Finish(Child& child, bool hung) {
  DWORD code = 0;
  if (hung) TerminateProcess(child.process.hProcess, 99);
  WaitForSingleObject(child.process.hProcess, INFINITE);
  GetExitCodeProcess(child.process.hProcess, &code);
  CloseHandle(child.process.hProcess);
  CloseHandle(child.process.hThread);
  if (hung || code) return (hung ? "hung" : "exit code " + std::to_string(code)) + ", its tallies printed above";
  return "";
}

TEST(ShutdownUnderLoad, EveryRunEndsAndHearsEveryPieceOfWorkEndOnce) {
  unsigned runs = OrvTest::RoundsFromEnvironment("ORV_SHUTDOWN_RUNS", kDefaultRuns), launched = 0;
  std::vector<Child> running;
  while (launched < runs || !running.empty()) {
    while (launched < runs && running.size() < kAtOnce) {
      running.emplace_back();
      ASSERT_EQ(0u, Start(running.back())) << "the error starting run " << launched;
      ++launched;
    }
    Sleep(20);
    for (size_t i = running.size(); i-- > 0;) {
      bool ended = WaitForSingleObject(running[i].process.hProcess, 0) == WAIT_OBJECT_0;
      bool hung = !ended && GetTickCount() - running[i].started > kHangMs;
      if (!ended && !hung) continue;
      EXPECT_EQ("", Finish(running[i], hung));
      running.erase(running.begin() + i);
    }
  }
}

}  // namespace
