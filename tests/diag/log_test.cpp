// CLog: files read back through ReadWholeFile, writer lists, truncation, a failing writer, and four
// threads tracing at once.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "orvutil/orvutil.h"

namespace LogTests {

// A writer that fails every write.
class CBroken : public Orv::CComBase, public Orv::IDataWriter {
 public:
  ORV_INTERFACES(Orv::IDataStream, Orv::IDataWriter)
  unsigned GetSize() override { return 0; }
  unsigned GetPos() override { return 0; }
  bool SetPos(unsigned) override { return false; }
  bool CreateSavedData(unsigned, unsigned, unsigned, bool, Orv::ISavedData**) override { return false; }
  bool Write(const void*, unsigned) override { return false; }
};

}  // namespace LogTests

ORV_CLASS_GUID(LogTests::CBroken, 0x2b7d9e40, 0x1a2c, 0x4f7e, 0x8d, 0x31, 0x5e, 0x6f, 0x70, 0x81, 0x92, 0x01)

namespace {

using Orv::tSmartPtr;

std::wstring TempFile(const wchar_t* name) {
  wchar_t folder[MAX_PATH];
  GetTempPathW(MAX_PATH, folder);
  std::wstring path = std::wstring(folder) + name;
  DeleteFileW(path.c_str());
  return path;
}

// The file's bytes, to see the byte-order mark itself.
std::string RawBytes(std::wstring const& path) {
  tSmartPtr<Orv::IData> data;
  EXPECT_TRUE(Orv::ReadWholeFile(path.c_str(), data.Receive()));
  return data ? std::string(reinterpret_cast<const char*>(data->GetPointer()), data->GetSize()) : std::string();
}

// The characters a log wrote into memory.
std::wstring Written(Orv::IDataVector* bytes) {
  return std::wstring(reinterpret_cast<const wchar_t*>(bytes->GetPointer()), bytes->GetSize() / 2);
}

TEST(Log, FilesGetOneByteOrderMarkAndAppendKeepsWhatWasThere) {
  std::wstring path = TempFile(L"orv_log_test.txt");
  {
    Orv::CLog log;
    ASSERT_NE(nullptr, log.AddFile(path.c_str(), true));  // appending to a new file: the mark first
    log.Trace(L"first\r\n");
  }
  {
    Orv::CLog log;
    ASSERT_NE(nullptr, log.AddFile(path.c_str(), true));
    log.TraceF(L"%s %d\r\n", L"second", 2);
  }
  const wchar_t both[] = L"\xFEFF" L"first\r\nsecond 2\r\n";
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(both), sizeof both - 2), RawBytes(path));
  {
    Orv::CLog log;  // not appending: the file starts again
    ASSERT_NE(nullptr, log.AddFile(path.c_str(), false));
    log.Trace(L"fresh");
  }
  const wchar_t fresh[] = L"\xFEFF" L"fresh";
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(fresh), sizeof fresh - 2), RawBytes(path));
  DeleteFileW(path.c_str());
}

TEST(Log, WritersTruncationAndAFailingWriter) {
  Orv::CLog log;
  tSmartPtr<Orv::IDataVector> bytes;
  tSmartPtr<Orv::IDataWriter> memory;
  Orv::CreateDataWriter(bytes.Receive(), memory.Receive());
  EXPECT_FALSE(log.RemoveWriter(memory));
  EXPECT_TRUE(log.AddWriter(memory));
  EXPECT_FALSE(log.AddWriter(memory));
  EXPECT_FALSE(log.AddWriter(nullptr));
  LogTests::CBroken* broken = nullptr;
  Orv::CComObject<LogTests::CBroken>::CreateObject(nullptr, &broken);
  tSmartPtr<Orv::IDataWriter> failing(broken);
  broken->Release();
  log.AddWriter(failing);
  log.AddWriter(memory);
  EXPECT_FALSE(log.Trace(L"line"));  // reported, and the other writer still has the line
  EXPECT_TRUE(log.RemoveWriter(failing));
  EXPECT_TRUE(log.Trace(L""));
  log.TraceF(L"%s", std::wstring(2000, L'x').c_str());
  log.TraceSpaces(200);
  EXPECT_EQ(L"line" + std::wstring(1023, L'x') + std::wstring(127, L' '), Written(bytes));
}

TEST(Log, FourThreadsNeverTearALine) {
  Orv::CLog log;
  tSmartPtr<Orv::IDataVector> bytes;
  tSmartPtr<Orv::IDataWriter> memory;
  Orv::CreateDataWriter(bytes.Receive(), memory.Receive());
  log.AddWriter(memory);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&log, t] {
      for (int i = 0; i < 10000; ++i) log.TraceF(L"thread %d line %05d\n", t, i);
    });
  }
  for (auto& thread : threads) thread.join();
  std::wstring all = Written(bytes);
  const size_t kLine = 20;
  ASSERT_EQ(40000 * kLine, all.size());
  std::vector<int> next(4, 0);
  for (size_t at = 0; at < all.size(); at += kLine) {  // each thread's lines whole and in order
    unsigned t = all[at + 7] - L'0';
    ASSERT_LT(t, 4u) << at;
    ASSERT_EQ(Orv::tstring::format_new(L"thread %u line %05d\n", t, next[t]++).c_str(), all.substr(at, kLine)) << at;
  }
}

}  // namespace
