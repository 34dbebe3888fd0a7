// CLog: files read back through ReadWholeFile, writer lists, truncation, and threads tracing at once.
#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "orvutil/orvutil.h"

namespace {

using Orv::tSmartPtr;

// The characters in a block of bytes, the byte-order mark included.
std::wstring Chars(Orv::IData* data) {
  return std::wstring(reinterpret_cast<const wchar_t*>(data->GetPointer()), data->GetSize() / 2);
}

TEST(Log, FilesGetOneByteOrderMarkAndAppendKeepsWhatWasThere) {
  wchar_t folder[MAX_PATH];
  GetTempPathW(MAX_PATH, folder);
  std::wstring path = std::wstring(folder) + L"orv_log_test.txt";
  DeleteFileW(path.c_str());
  struct Run {
    bool append;
    const wchar_t* line;
    const wchar_t* expected;
  } const runs[] = {{true, L"first\r\n", L"\xFEFF" L"first\r\n"},  // appending to a new file: the mark first
                    {true, L"second\r\n", L"\xFEFF" L"first\r\nsecond\r\n"},
                    {false, L"fresh", L"\xFEFF" L"fresh"}};
  for (const Run& r : runs) {
    {
      Orv::CLog log;
      ASSERT_NE(nullptr, log.AddFile(path.c_str(), r.append));
      log.TraceF(L"%s", r.line);
    }
    tSmartPtr<Orv::IData> data;
    ASSERT_TRUE(Orv::ReadWholeFile(path.c_str(), data.Receive()));
    EXPECT_EQ(r.expected, Chars(data));
  }
  DeleteFileW(path.c_str());
}

// Writer lists, truncated lines, and lines traced from two threads at once that come out whole.
TEST(Log, WritersTruncationAndThreads) {
  Orv::CLog log;
  tSmartPtr<Orv::IDataVector> bytes;
  tSmartPtr<Orv::IDataWriter> memory;
  Orv::CreateDataWriter(bytes.Receive(), memory.Receive());
  EXPECT_FALSE(log.RemoveWriter(memory));
  EXPECT_TRUE(log.AddWriter(memory));
  EXPECT_FALSE(log.AddWriter(memory));
  EXPECT_FALSE(log.AddWriter(nullptr));
  EXPECT_TRUE(log.Trace(L"line"));
  log.TraceF(L"%s", std::wstring(2000, L'x').c_str());
  log.TraceSpaces(200);
  std::wstring before = L"line" + std::wstring(1023, L'x') + std::wstring(127, L' ');
  EXPECT_EQ(before, Chars(bytes));
  auto trace = [&log](wchar_t c) {
    for (int i = 0; i < 5000; ++i) log.Trace(std::wstring(15, c).append(L"\n").c_str());
  };
  std::thread other(trace, L'b');
  trace(L'a');
  other.join();
  std::wstring all = Chars(bytes).substr(before.size());
  ASSERT_EQ(10000u * 16, all.size());
  for (size_t at = 0; at < all.size(); at += 16) {
    ASSERT_EQ(std::wstring(15, all[at]) + L'\n', all.substr(at, 16)) << at;
  }
  EXPECT_TRUE(log.RemoveWriter(memory));
}

}  // namespace
