// Savers and loaders against a writer that fails after N bytes and a reader that fails at N: every
// failure is reported, every success wrote or read the whole, and a failed load leaves nothing.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "../support/failing_io.h"
#include "../support/new_object.h"
#include "../support/samples.h"

namespace OrvTest {

// Hears how a compression ended.
class CChunkCounter : public Orv::CComBase, public Orv::IChunkListener {
 public:
  ORV_INTERFACES(Orv::IChunkListener)
  int finished = 0, failed = 0;
  bool OnProgress(unsigned, unsigned, unsigned) override { return true; }
  void OnFinished(unsigned) override { ++finished; }
  void OnFailed(unsigned, unsigned) override { ++failed; }
  // Exactly one end was heard, the one the result tells.
  bool HeardOneEnd(bool result) const { return finished + failed == 1 && (finished == 1) == result; }
};

}  // namespace OrvTest

ORV_CLASS_GUID(OrvTest::CChunkCounter, 0x3c5d7e90, 0x1f2a, 0x4b3c, 0x8d, 0x4e, 0x5f, 0x60, 0x71, 0x82, 0x93, 0xa4)

namespace {

using namespace OrvTest;

// Every limit for small totals; for large ones the edges and a spread between them.
std::vector<unsigned> Limits(unsigned total) {
  std::vector<unsigned> limits;
  for (unsigned n = 0; n <= total; ++n) {
    if (total <= 4096 || n < 16 || total - n < 16 || n % (total / 32) == 0) limits.push_back(n);
  }
  return limits;
}

Ptr<Orv::IData> Compressed(const std::string& bytes) {
  Ptr<Orv::IData> packed;
  Orv::CompressData(Block(bytes), packed.Receive(), nullptr);
  return packed;
}

// A saver that writes into `writer`; false when it saw its writes fail. `heard` tells whether its
// listeners agree with the result (and, for the log, whether its other writer got every line).
using Saver = std::function<bool(Orv::IDataWriter* writer, bool& heard)>;

TEST(FaultInjection, EveryWriteFailureIsReportedAndEverySuccessIsWhole) {
  Ptr<Orv::IPackage> package = SamplePackage();
  Orv::CDict dict = SampleDict();
  std::string large = SampleBytes(300000, 4), small = SampleBytes(5000, 5);
  Ptr<Orv::IData> packed = Compressed(large);
  auto coded = [&](bool compress) -> Saver {
    return [&, compress](Orv::IDataWriter* w, bool& heard) {
      auto counter = New<CChunkCounter>();
      bool saved = compress ? Orv::CompressData(ReaderOf(Block(large)), 300000, w, counter)
                            : Orv::UncompressData(ReaderOf(packed), packed->GetSize(), w, counter);
      heard = counter->HeardOneEnd(saved);
      return saved;
    };
  };
  struct Case {
    const char* name;
    Saver save;
  } cases[] = {
      {"SavePackage", [&](Orv::IDataWriter* w, bool&) { return Orv::SavePackage(w, package); }},
      {"WriteDict", [&](Orv::IDataWriter* w, bool&) { return Orv::Detail::WriteDict(dict, false, w, nullptr); }},
      {"StreamCopyData",
       [&](Orv::IDataWriter* w, bool&) { return Orv::StreamCopyData(ReaderOf(Block(small)), 5000, w, 700); }},
      {"CompressData", coded(true)},
      {"UncompressData", coded(false)},
      {"CLog", [&](Orv::IDataWriter* w, bool& heard) {
         Orv::CLog log;
         Ptr<Orv::IDataVector> kept;
         Ptr<Orv::IDataWriter> healthy;
         Orv::CreateDataWriter(kept.Receive(), healthy.Receive());
         log.AddWriter(w);
         log.AddWriter(healthy);  // a failing writer costs the others none of their lines
         bool traced = true;
         std::wstring lines;
         for (int i = 0; i < 12; ++i) {
           traced = log.TraceF(L"line %d of the log\r\n", i) && traced;
           lines += L"line " + std::to_wstring(i) + L" of the log\r\n";
         }
         heard = Bytes(kept) == std::string(reinterpret_cast<const char*>(lines.data()), lines.size() * sizeof(wchar_t));
         return traced;
       }}};
  for (auto& c : cases) {
    unsigned total = 0;
    Ptr<Orv::IDataVector> whole;
    bool heard = true;
    ASSERT_TRUE(c.save(OrvTest::FailingWriter(~0u, &whole, &total), heard)) << c.name;
    for (unsigned limit : Limits(total)) {
      Ptr<Orv::IDataVector> written;
      heard = true;
      bool saved = c.save(OrvTest::FailingWriter(limit, &written), heard);
      EXPECT_EQ(limit >= total, saved) << c.name << " with " << limit << " of " << total << " bytes";
      EXPECT_TRUE(heard) << c.name << " with " << limit << " of " << total << " bytes";
      if (saved) {
        EXPECT_EQ(Bytes(whole), Bytes(written)) << c.name;
      }
    }
  }
}

// A loader that reads `size` bytes from `reader` and describes what it made; false when it failed.
using Loader = std::function<bool(Orv::IDataReader* reader, unsigned size, std::string& made)>;

TEST(FaultInjection, EveryReadFailureIsReportedAndLeavesNothing) {
  Ptr<Orv::IData> packageBytes = Block(Saved(SamplePackage()));
  Ptr<Orv::IDataVector> dictBytes;
  Ptr<Orv::IDataWriter> writer;
  Orv::CreateDataWriter(dictBytes.Receive(), writer.Receive());
  ASSERT_TRUE(Orv::Detail::WriteDict(SampleDict(), false, writer, nullptr));
  Ptr<Orv::IData> large = Block(SampleBytes(300000, 6)), packed = Compressed(Bytes(large));
  enum Coding { kCopy, kCompress, kUncompress };
  auto streamed = [](Coding coding) -> Loader {
    return [coding](Orv::IDataReader* r, unsigned size, std::string& made) {
      auto counter = New<CChunkCounter>();
      Ptr<Orv::IDataVector> out;
      Ptr<Orv::IDataWriter> w;
      Orv::CreateDataWriter(out.Receive(), w.Receive());
      bool done = coding == kCompress     ? Orv::CompressData(r, size, w, counter)
                  : coding == kUncompress ? Orv::UncompressData(r, size, w, counter)
                                          : Orv::StreamCopyData(r, size, w, 4096);
      made = done ? Bytes(out) : std::string();
      return done && (coding == kCopy || counter->HeardOneEnd(done));
    };
  };
  struct Case {
    const char* name;
    Orv::IData* bytes;
    Loader load;
  } cases[] = {
      {"LoadPackage", packageBytes,
       [](Orv::IDataReader* r, unsigned, std::string& made) {
         Ptr<Orv::IPackage> loaded;
         bool done = Orv::LoadPackage(r, loaded.Receive());
         made = Describe(loaded);  // payloads are read here, from the same reader's data
         return done;
       }},
      {"ReadDict", dictBytes,
       [](Orv::IDataReader* r, unsigned, std::string& made) {
         Orv::CDict read;
         bool done = Orv::Detail::ReadDict(r, read, nullptr);
         made = Describe(read);
         return done;
       }},
      {"StreamCopyData", packageBytes, streamed(kCopy)},
      {"CompressData", large, streamed(kCompress)},
      {"UncompressData", packed, streamed(kUncompress)}};
  for (auto& c : cases) {
    unsigned size = c.bytes->GetSize();
    std::string whole;
    ASSERT_TRUE(c.load(OrvTest::FailingReader(c.bytes, ~0u), size, whole)) << c.name;
    for (unsigned limit : Limits(size)) {
      std::string made;
      bool done = c.load(OrvTest::FailingReader(c.bytes, limit), size, made);
      EXPECT_EQ(done ? whole : std::string(), made) << c.name << " with " << limit << " of " << size << " bytes";
      EXPECT_TRUE(done || limit < size) << c.name << " with all " << size << " bytes";
    }
  }
}

}  // namespace
