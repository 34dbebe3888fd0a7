// CLog::Trace of short lines into a file against WriteFile of the same lines.
#include <string>

#include "../harness.h"
#include "orvutil/orvutil.h"

ORV_BENCHMARK(LogTrace) {
  wchar_t folder[MAX_PATH];
  GetTempPathW(MAX_PATH, folder);
  std::wstring ours = std::wstring(folder) + L"orv_log_bench.txt";
  std::wstring peerPath = std::wstring(folder) + L"orv_log_bench_peer.txt";
  Orv::CLog log;
  log.AddFile(ours.c_str(), false);
  HANDLE peer = CreateFileW(peerPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  const wchar_t kLine[] = L"a short line of the log\r\n";
  const DWORD kBytes = sizeof(kLine) - sizeof(wchar_t);
  OrvBench::Compare(
      "CLog.Trace x1000 short lines to a file", "WriteFile x1000 of the same lines",
      [&] {
        for (int i = 0; i < 1000; ++i) log.Trace(kLine);
      },
      [&] {
        DWORD written;
        for (int i = 0; i < 1000; ++i) WriteFile(peer, kLine, kBytes, &written, nullptr);
      });
  log.RemoveAllWriters();
  CloseHandle(peer);
  DeleteFileW(ours.c_str());
  DeleteFileW(peerPath.c_str());
}
