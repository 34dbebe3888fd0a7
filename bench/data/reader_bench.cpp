// A memory reader reading 1M 4-byte records through Read, against a raw pointer walk over the same
// bytes; both fold every record into a running hash, as a record parser would use them.
#include <cstring>
#include <vector>

#include "../harness.h"
#include "data_bench.h"

namespace {

constexpr unsigned kRecords = 1000000;

inline unsigned Fold(unsigned hash, const unsigned char* record) {
  unsigned value;
  std::memcpy(&value, record, 4);
  return hash * 31u + value;
}

}  // namespace

ORV_BENCHMARK(MemoryReader) {
  std::vector<unsigned char> bytes(4u * kRecords);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<unsigned char>(i * 13);
  Orv::tSmartPtr<Orv::IData> data;
  Orv::CreateDataInStaticMem(bytes.data(), static_cast<unsigned>(bytes.size()), data.Receive());

  OrvBench::Compare(
      "IDataReader.Read_1M_records", "raw pointer walk",
      [&] {
        Orv::tSmartPtr<Orv::IDataReader> reader;
        Orv::CreateDataReader(data, 0, reader.Receive());
        unsigned hash = 0;
        while (const unsigned char* record = reader->Read(4)) hash = Fold(hash, record);
        OrvBench::KeepAlive(hash);
      },
      [&] {
        const unsigned char* p = bytes.data();
        const unsigned char* end = p + bytes.size();
        unsigned hash = 0;
        for (; p + 4 <= end; p += 4) hash = Fold(hash, p);
        OrvBench::KeepAlive(hash);
      });
}
