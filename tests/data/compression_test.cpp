// Compression against zlib itself: byte-for-byte equal to compress2 at level 9, readable by
// zlib, and reading what compress2 writes; broken, hostile and faulting input; listeners (corrupted
// streams against zlib's inflate are the fuzz harness's part).
#include <zlib.h>

#include <vector>

#include "data_test_support.h"
#include "orvutil/diag.h"

using namespace DataTests;
using Orv::IData;

namespace {

std::string Compress2(const std::string& input) {
  uLongf size = compressBound(static_cast<uLong>(input.size()));
  std::string out(size, '\0');
  EXPECT_EQ(Z_OK, compress2(reinterpret_cast<Bytef*>(&out[0]), &size, reinterpret_cast<const Bytef*>(input.data()),
                            static_cast<uLong>(input.size()), 9));
  return out.substr(0, size);
}

// Records the listener calls; cancels at progress call `cancelAt` (0: never). It lives on the stack.
struct CRecordingListener : public Orv::IChunkListener {
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
  ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  bool OnProgress(unsigned int, unsigned int done, unsigned int) override {
    lastDone = done;
    return ++progressCalls != cancelAt;
  }
  void OnFinished(unsigned int total) override { finished.push_back(total); }
  void OnFailed(unsigned int done, unsigned int) override { failedAt.push_back(done); }

  unsigned cancelAt = 0, progressCalls = 0, lastDone = 0;
  std::vector<unsigned> finished, failedAt;
};

}  // namespace

TEST(DataCompression, MatchesZlibAcrossChunkBoundaries) {
  for (size_t size : {size_t(1), size_t(0x3FFFF), size_t(0x40000), size_t(0x40001), size_t(5) << 20}) {
    SCOPED_TRACE(size);
    std::string input = MixedBytes(size, static_cast<unsigned>(size)), peer = Compress2(input);
    Ptr<IData> compressed, fromZlib;
    ASSERT_TRUE(Orv::CompressData(reinterpret_cast<const unsigned char*>(input.data()), static_cast<unsigned>(size),
                                  compressed.Receive(), nullptr));
    EXPECT_TRUE(Bytes(compressed) == peer);
    ASSERT_TRUE(Orv::UncompressData(Block(peer), static_cast<unsigned>(size), fromZlib.Receive(), nullptr));
    EXPECT_TRUE(Bytes(fromZlib) == input);
  }
  CRecordingListener listener;
  Ptr<IData> empty, restored;
  ASSERT_TRUE(Orv::CompressData(Block(""), empty.Receive(), &listener));
  EXPECT_EQ(0u, empty->GetSize());  // not even a zlib header
  EXPECT_EQ(0u, listener.progressCalls);
  EXPECT_EQ(std::vector<unsigned>{0}, listener.finished);
  EXPECT_FALSE(Orv::UncompressData(empty, 0xFFFFFFFFu, restored.Receive(), nullptr));
}

TEST(DataCompression, BrokenOrMissizedStreamsFailAndHandNothingOut) {
  std::string good = Compress2(MixedBytes(100000));
  struct Case {
    std::string stream;
    unsigned expected;
    bool streamFails;  // false: the stream is sound, only its size is not the expected one
  } cases[] = {{good + "x", 0xFFFFFFFFu, true},
               {good, 100001, false},
               {good, 99999, true}};
  for (const Case& c : cases) {
    CRecordingListener listener;
    Ptr<IData> restored;
    EXPECT_FALSE(Orv::UncompressData(Block(c.stream), c.expected, restored.Receive(), &listener)) << &c - cases;
    EXPECT_EQ(nullptr, restored.Get());
    EXPECT_EQ(c.streamFails, listener.finished.empty() && listener.failedAt.size() == 1) << &c - cases;
  }
  // A stream inflating to 16 MiB stops as soon as its output passes the expected 1000 bytes.
  std::string bomb = Compress2(std::string(16 << 20, '\0'));
  CRecordingListener listener;
  Ptr<IData> restored;
  EXPECT_FALSE(Orv::UncompressData(Block(bomb), 1000, restored.Receive(), &listener));
  ASSERT_EQ(1u, listener.failedAt.size());
  EXPECT_LT(listener.failedAt[0], bomb.size() / 8);
}

TEST(DataCompression, ListenerCancelsMidway) {
  std::string input = MixedBytes(1 << 20);
  for (bool compressing : {true, false}) {
    CRecordingListener listener;
    listener.cancelAt = 2;
    std::string source = compressing ? input : Compress2(input);
    Ptr<IData> out;
    EXPECT_FALSE(compressing ? Orv::CompressData(Block(source), out.Receive(), &listener)
                             : Orv::UncompressData(Block(source), 1 << 20, out.Receive(), &listener));
    EXPECT_EQ(nullptr, out.Get());
    EXPECT_EQ(2u, listener.progressCalls);
    EXPECT_EQ(std::vector<unsigned>{listener.lastDone}, listener.failedAt);
    EXPECT_LT(listener.lastDone, source.size());
    EXPECT_TRUE(listener.finished.empty());
  }
}

namespace {

// The second page of the test's memory faults when read; this handler reports those faults as
// page-in failures, as a mapped file on a vanished medium would.
unsigned char* g_faultingPage = nullptr;

LONG CALLBACK ReportAsPageInFailure(EXCEPTION_POINTERS* pointers) {
  EXCEPTION_RECORD* record = pointers->ExceptionRecord;
  auto address = reinterpret_cast<unsigned char*>(record->ExceptionInformation[1]);
  if (record->ExceptionCode == EXCEPTION_ACCESS_VIOLATION && address >= g_faultingPage &&
      address < g_faultingPage + 4096) {
    record->ExceptionCode = EXCEPTION_IN_PAGE_ERROR;
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
  g_faultingPage = memory + 4096;
  DWORD old = 0;
  ASSERT_TRUE(::VirtualProtect(g_faultingPage, 4096, PAGE_NOACCESS, &old));
  void* handler = ::AddVectoredExceptionHandler(1, ReportAsPageInFailure);
  Ptr<IData> out;
  EXPECT_FALSE(Orv::CompressData(memory, 8192, out.Receive(), nullptr));
  EXPECT_FALSE(Orv::UncompressData(memory, 8192, 0xFFFFFFFFu, out.Receive(), nullptr));
  ::RemoveVectoredExceptionHandler(handler);
  EXPECT_THROW(Orv::CompressData(memory, 8192, out.Receive(), nullptr), Orv::CStructuredException);  // other faults
  ::VirtualFree(memory, 0, MEM_RELEASE);
}
