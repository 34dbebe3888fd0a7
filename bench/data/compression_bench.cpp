// The block forms of CompressData and UncompressData on 8 MiB of mixed text and binary, against
// zlib's own compress2 (level 9) and uncompress on the same bytes.
#include <zlib.h>

#include <string>

#include "../harness.h"
#include "data_bench.h"

ORV_BENCHMARK(Compression) {
  const std::string input = DataBench::MixedBytes(8u << 20);
  const auto* bytes = reinterpret_cast<const unsigned char*>(input.data());
  const unsigned size = static_cast<unsigned>(input.size());
  std::string packed(compressBound(size), '\0');
  auto compressWithZlib = [&] {
    uLongf packedSize = static_cast<uLongf>(packed.size());
    compress2(reinterpret_cast<Bytef*>(&packed[0]), &packedSize, bytes, size, 9);
    return packedSize;
  };
  packed.resize(compressWithZlib());
  std::string unpacked(size, '\0');

  OrvBench::Compare(
      "CompressData.block_8MiB", "zlib compress2 level 9",
      [&] {
        Orv::tSmartPtr<Orv::IData> out;
        Orv::CompressData(bytes, size, out.Receive(), nullptr);
        OrvBench::KeepAlive(out);
      },
      [&] {
        std::string room(compressBound(size), '\0');
        uLongf roomSize = static_cast<uLongf>(room.size());
        compress2(reinterpret_cast<Bytef*>(&room[0]), &roomSize, bytes, size, 9);
        OrvBench::KeepAlive(room);
      });
  OrvBench::Compare(
      "UncompressData.block_8MiB", "zlib uncompress",
      [&] {
        Orv::tSmartPtr<Orv::IData> out;
        Orv::UncompressData(reinterpret_cast<const unsigned char*>(packed.data()), static_cast<unsigned>(packed.size()),
                            size, out.Receive(), nullptr);
        OrvBench::KeepAlive(out);
      },
      [&] {
        std::string room(size, '\0');
        uLongf roomSize = size;
        uncompress(reinterpret_cast<Bytef*>(&room[0]), &roomSize, reinterpret_cast<const Bytef*>(packed.data()),
                   static_cast<uLong>(packed.size()));
        OrvBench::KeepAlive(room);
      });
}
