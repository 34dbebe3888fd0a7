// Background loading through the global loader: 1,000 compressed 64 KiB payloads against plain zlib
// decompressing them one after another on the main thread, and the cost of one request for data
// already in memory against a PostMainThreadFunction round trip.
#include <zlib.h>

#include <string>
#include <vector>

#include "../harness.h"
#include "orvutil/orvutil.h"

ORV_DEFINE_MODULE(Orv::CModule)

namespace {

using Orv::tSmartPtr;

const unsigned kPayloads = 1000;
const unsigned kPayloadSize = 64 * 1024;

void StartLibrary() { static Orv::CWinMainInit s_init(0); }

// Compressible bytes: words with numbers, different for every payload.
std::string Payload(unsigned seed) {
  std::string text;
  while (text.size() < kPayloadSize) text += "record " + std::to_string(seed++ * 2654435761u % 100000) + " value; ";
  text.resize(kPayloadSize);
  return text;
}

}  // namespace

ORV_BENCHMARK(LoaderBackgroundDecompression) {
  StartLibrary();
  std::vector<tSmartPtr<Orv::IData>> compressed;
  for (unsigned i = 0; i < kPayloads; ++i) {
    std::string text = Payload(i * 977);
    tSmartPtr<Orv::IDataVector> vector;
    Orv::CreateDataVector(kPayloadSize, vector.Receive());
    memcpy(vector->GetVector().Data(), text.data(), kPayloadSize);
    tSmartPtr<Orv::IData> packed;
    Orv::CompressData(vector, packed.Receive(), nullptr);
    compressed.push_back(packed);
  }
  Orv::IAsyncDataLoader* loader = Orv::GetGlobalAsyncDataLoader();
  std::vector<unsigned char> out(kPayloadSize);
  unsigned long sink = 0;
  OrvBench::Compare(
      "IAsyncDataLoader.LoadAsync 1000 x 64 KiB + WaitForAll", "zlib uncompress on the main thread",
      [&] {
        std::vector<tSmartPtr<Orv::ISavedData>> data(kPayloads);
        for (unsigned i = 0; i < kPayloads; ++i) {
          Orv::CreateSavedDataFromMemory(compressed[i], kPayloadSize, true, data[i].Receive());
          loader->LoadAsync(data[i], 0, nullptr);
        }
        loader->WaitForAll();
        for (auto& d : data) sink += d->GetLoadedSize();
      },
      [&] {
        for (unsigned i = 0; i < kPayloads; ++i) {
          uLongf size = kPayloadSize;
          uncompress(out.data(), &size, compressed[i]->GetPointer(), compressed[i]->GetSize());
          sink += size;
        }
      });
  OrvBench::KeepAlive(sink);
}

ORV_BENCHMARK(LoaderRequestOverhead) {
  StartLibrary();
  const unsigned kRequests = 1000;
  std::vector<tSmartPtr<Orv::ISavedData>> data(kRequests);
  static const unsigned char kSmall[16] = {1, 2, 3};
  for (auto& d : data) {
    tSmartPtr<Orv::IData> block;
    Orv::CreateDataInStaticMem(kSmall, sizeof(kSmall), block.Receive());
    Orv::CreateSavedDataFromMemory(block, sizeof(kSmall), false, d.Receive());
  }
  Orv::IAsyncDataLoader* loader = Orv::GetGlobalAsyncDataLoader();
  volatile unsigned posted = 0;
  OrvBench::Compare(
      "IAsyncDataLoader.LoadAsync of loaded data x1000", "PostMainThreadFunction + flush x1000",
      [&] {
        for (auto& d : data) loader->LoadAsync(d, 0, nullptr);
        loader->WaitForAll();
      },
      [&] {
        for (unsigned i = 0; i < kRequests; ++i) Orv::PostMainThreadFunction([&] { posted = posted + 1; });
        Orv::FlushMainThreadFunctions();
      });
}
