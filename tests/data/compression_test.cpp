// Compression against zlib itself: byte-for-byte equal to compress2 at level 9, readable by
// uncompress, and reading what compress2 writes; broken and hostile streams; listeners.
#include <zlib.h>

#include <vector>

#include "data_test_support.h"
#include "orvutil/com.h"
#include "orvutil/diag.h"

using namespace DataTests;
using Orv::IData;

namespace {

std::string Compress2(const std::string& input) {
  uLongf size = compressBound(static_cast<uLong>(input.size()));
  std::string out(size, '\0');
  EXPECT_EQ(Z_OK, compress2(reinterpret_cast<Bytef*>(&out[0]), &size,
                            reinterpret_cast<const Bytef*>(input.data()), static_cast<uLong>(input.size()), 9));
  out.resize(size);
  return out;
}

// Records the listener calls; cancels at progress call `cancelAt` (0: never).
class CRecordingListener : public Orv::CComBase, public Orv::IChunkListener {
 public:
  ORV_INTERFACES(Orv::IChunkListener)
  bool OnProgress(unsigned int, unsigned int done, unsigned int total) override {
    lastDone = done;
    EXPECT_LE(done, total);
    return ++progressCalls != cancelAt;
  }
  void OnFinished(unsigned int total) override { finished.push_back(total); }
  void OnFailed(unsigned int done, unsigned int total) override { failed.push_back({done, total}); }

  unsigned cancelAt = 0, progressCalls = 0, lastDone = 0;
  std::vector<unsigned> finished;
  std::vector<std::pair<unsigned, unsigned>> failed;
};

}  // namespace

ORV_CLASS_GUID(CRecordingListener, 0x5b7e0f6e, 0x44a1, 0x4c0e, 0x9d, 0x1c, 0x2b, 0x8f, 0x6a, 0x51, 0x03, 0x7d)

namespace {

Ptr<CRecordingListener> NewListener() {
  CRecordingListener* listener = nullptr;
  EXPECT_EQ(S_OK, Orv::CComObject<CRecordingListener>::CreateObject(nullptr, &listener));
  Ptr<CRecordingListener> held(listener);
  listener->Release();
  return held;
}

}  // namespace

TEST(DataCompression, MatchesZlibAcrossChunkBoundaries) {
  const size_t kChunk = 256 * 1024;
  for (size_t size : {size_t(1), kChunk - 1, kChunk, kChunk + 1, size_t(5) << 20}) {
    SCOPED_TRACE(size);
    std::string input = MixedBytes(size, static_cast<unsigned>(size));
    Ptr<IData> compressed, restored, fromZlib;
    ASSERT_TRUE(Orv::CompressData(reinterpret_cast<const unsigned char*>(input.data()), static_cast<unsigned>(size),
                                  compressed.Receive(), nullptr));
    std::string peer = Compress2(input);
    EXPECT_TRUE(Bytes(compressed) == peer);
    std::string unpacked(size, '\0');
    uLongf unpackedSize = static_cast<uLongf>(size);
    EXPECT_EQ(Z_OK, uncompress(reinterpret_cast<Bytef*>(&unpacked[0]), &unpackedSize, compressed->GetPointer(),
                               compressed->GetSize()));
    EXPECT_TRUE(unpacked == input);
    ASSERT_TRUE(Orv::UncompressData(Vector(peer), static_cast<unsigned>(size), fromZlib.Receive(), nullptr));
    EXPECT_TRUE(Bytes(fromZlib) == input);
    ASSERT_TRUE(Orv::UncompressData(compressed, 0xFFFFFFFFu, restored.Receive(), nullptr));
    EXPECT_TRUE(Bytes(restored) == input);
  }
}

TEST(DataCompression, EmptyInputWritesNothingAndEmptyStreamsFail) {
  Ptr<CRecordingListener> listener = NewListener();
  Ptr<IData> compressed, restored;
  ASSERT_TRUE(Orv::CompressData(Vector(""), compressed.Receive(), listener));
  EXPECT_EQ(0u, compressed->GetSize());
  EXPECT_EQ(0u, listener->progressCalls);
  EXPECT_EQ(std::vector<unsigned>{0}, listener->finished);
  EXPECT_FALSE(Orv::UncompressData(compressed, 0xFFFFFFFFu, restored.Receive(), nullptr));
  EXPECT_FALSE(Orv::CompressData(nullptr, 1, compressed.Receive(), nullptr));
  EXPECT_EQ(nullptr, compressed.Get());
}

TEST(DataCompression, BrokenStreamsFailAndHandNothingOut) {
  std::string input = MixedBytes(100000);
  std::string good = Compress2(input);
  std::string corrupted = good;
  corrupted[good.size() / 2] ^= 0x55;
  std::string badChecksum = good;
  badChecksum.back() ^= 1;
  struct Case {
    const char* what;
    std::string stream;
    unsigned expected;
    bool streamFails;  // false: the stream itself is sound, only its size is wrong
  } cases[] = {
      {"truncated", good.substr(0, good.size() / 2), 0xFFFFFFFFu, true},
      {"missing checksum", good.substr(0, good.size() - 1), 0xFFFFFFFFu, true},
      {"corrupted", corrupted, 0xFFFFFFFFu, true},
      {"wrong checksum", badChecksum, 0xFFFFFFFFu, true},
      {"trailing bytes", good + "x", 0xFFFFFFFFu, true},
      {"not zlib", input.substr(0, 1000), 0xFFFFFFFFu, true},
      {"expected one byte more", good, 100001, false},
      {"expected one byte less", good, 99999, true},
  };
  for (const Case& c : cases) {
    Ptr<CRecordingListener> listener = NewListener();
    Ptr<IData> restored;
    EXPECT_FALSE(Orv::UncompressData(Vector(c.stream), c.expected, restored.Receive(), listener)) << c.what;
    EXPECT_EQ(nullptr, restored.Get()) << c.what;
    EXPECT_EQ(c.streamFails ? 1u : 0u, listener->failed.size()) << c.what;
    EXPECT_EQ(!c.streamFails, !listener->finished.empty()) << c.what;
  }
}

TEST(DataCompression, ExpandingStreamStopsOnceItPassesTheExpectedSize) {
  std::string bomb = Compress2(std::string(16 << 20, '\0'));  // about 16 KiB inflating to 16 MiB
  Ptr<CRecordingListener> listener = NewListener();
  Ptr<IData> restored;
  EXPECT_FALSE(Orv::UncompressData(Vector(bomb), 1000, restored.Receive(), listener));
  ASSERT_EQ(1u, listener->failed.size());
  EXPECT_LT(listener->failed[0].first, bomb.size() / 8);  // stopped after the first output buffer
}

TEST(DataCompression, ListenerCancelsMidway) {
  std::string input = MixedBytes(1 << 20);
  for (bool compressing : {true, false}) {
    Ptr<CRecordingListener> listener = NewListener();
    listener->cancelAt = 2;
    Ptr<IData> out;
    std::string source = compressing ? input : Compress2(input);
    bool done = compressing ? Orv::CompressData(Vector(source), out.Receive(), listener)
                            : Orv::UncompressData(Vector(source), 1 << 20, out.Receive(), listener);
    EXPECT_FALSE(done);
    EXPECT_EQ(nullptr, out.Get());
    EXPECT_EQ(2u, listener->progressCalls);
    ASSERT_EQ(1u, listener->failed.size());
    EXPECT_EQ(listener->lastDone, listener->failed[0].first);
    EXPECT_LT(listener->failed[0].first, source.size());
    EXPECT_TRUE(listener->finished.empty());
  }
}

namespace {

// Memory that faults when read; the test's vectored handler reports those faults as page-in
// failures, as a mapped file on a vanished medium would.
void* g_faultingPage = nullptr;

LONG CALLBACK ReportAsPageInFailure(EXCEPTION_POINTERS* pointers) {
  EXCEPTION_RECORD* record = pointers->ExceptionRecord;
  if (record->ExceptionCode == EXCEPTION_ACCESS_VIOLATION && record->NumberParameters >= 2) {
    auto address = reinterpret_cast<unsigned char*>(record->ExceptionInformation[1]);
    auto page = static_cast<unsigned char*>(g_faultingPage);
    if (address >= page && address < page + 4096) record->ExceptionCode = EXCEPTION_IN_PAGE_ERROR;
  }
  return EXCEPTION_CONTINUE_SEARCH;
}

}  // namespace

TEST(DataCompression, PageInFailureOfMappedInputFailsTheOperation) {
  Orv::InstallStructuredExceptionTranslator();
  auto* memory = static_cast<unsigned char*>(::VirtualAlloc(nullptr, 8192, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
  ASSERT_NE(nullptr, memory);
  std::string good = Compress2(MixedBytes(8192));
  memcpy(memory, good.data(), good.size() < 4096 ? good.size() : 4096);
  DWORD old = 0;
  g_faultingPage = memory + 4096;
  ASSERT_TRUE(::VirtualProtect(g_faultingPage, 4096, PAGE_NOACCESS, &old));
  void* handler = ::AddVectoredExceptionHandler(1, ReportAsPageInFailure);
  Ptr<IData> out;
  EXPECT_FALSE(Orv::CompressData(memory, 8192, out.Receive(), nullptr));
  EXPECT_FALSE(Orv::UncompressData(memory, 8192, 0xFFFFFFFFu, out.Receive(), nullptr));
  ::RemoveVectoredExceptionHandler(handler);
  // Other faults are not swallowed.
  EXPECT_THROW(Orv::CompressData(memory, 8192, out.Receive(), nullptr), Orv::CStructuredException);
  ::VirtualFree(memory, 0, MEM_RELEASE);
}
