// CLog: files read back through ReadWholeFile, writer lists, truncation, and threads tracing at once.
#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "orvutil/orvutil.h"

// The characters in a block of bytes, the byte-order mark included.
static std::wstring Chars(Orv::IData* data) {
  return std::wstring(reinterpret_cast<const wchar_t*>(data->GetPointer()), data->GetSize() / 2);
}

// Appending to a new file writes the byte-order mark first, appending to an old one keeps what was
// there, and not appending starts the file over.
TEST(Log, FilesGetOneByteOrderMarkAndAppendKeepsWhatWasThere) {
  const std::wstring path = L"orv_log_test.txt";  // in the current directory
  DeleteFileW(path.c_str());
  const std::pair<bool, std::wstring> runs[] = {{true, L"first\r\n"}, {true, L"second\r\n"}, {false, L"fresh"}};
  std::wstring expected;
  for (const auto& [append, line] : runs) {
    Orv::CLog log;
    Orv::IDataWriter* file = log.AddFile(path.c_str(), append);
    ASSERT_TRUE(file && log.Trace(line.c_str()) && log.RemoveWriter(file));  // removing it closes the file
    expected = (append && !expected.empty() ? expected : L"\xFEFF") + line;
    Orv::tSmartPtr<Orv::IData> data;
    ASSERT_TRUE(Orv::ReadWholeFile(path.c_str(), data.Receive()));
    EXPECT_EQ(expected, Chars(data));
  }
  DeleteFileW(path.c_str());
}

// Writer lists, and lines traced from two threads at once that come out whole, cut to 1023 characters.
TEST(Log, WritersTruncationAndThreads) {
  Orv::CLog log;
  Orv::tSmartPtr<Orv::IDataVector> bytes;
  Orv::tSmartPtr<Orv::IDataWriter> memory;
  Orv::CreateDataWriter(bytes.Receive(), memory.Receive());
  EXPECT_FALSE(log.RemoveWriter(memory) || log.AddWriter(nullptr));
  EXPECT_TRUE(log.AddWriter(memory) && !log.AddWriter(memory));  // once only
  EXPECT_TRUE(log.TraceSpaces(200));
  EXPECT_EQ(std::wstring(127, L' '), Chars(bytes));
  auto trace = [&log](wchar_t c) {
    for (int i = 0; i < 500; ++i) log.TraceF(L"%s", std::wstring(2000, c).c_str());
  };
  std::thread other(trace, L'b');
  trace(L'a');
  other.join();
  std::wstring all = Chars(bytes).substr(127);
  ASSERT_EQ(1000u * 1023, all.size());
  for (size_t at = 0; at < all.size(); at += 1023) ASSERT_EQ(std::wstring(1023, all[at]), all.substr(at, 1023));
}
