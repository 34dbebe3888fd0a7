// Data: write records into a growing data vector, compress the block with zlib, and read the
// records back from the decompressed copy.
#include <cstdio>
#include <cstring>

#include "orvutil/orvutil.h"

int main() {
  // A writer over a new data vector: records are little-endian and 4-byte aligned.
  Orv::tSmartPtr<Orv::IDataVector> vector;
  Orv::tSmartPtr<Orv::IDataWriter> writer;
  if (!Orv::CreateDataWriter(vector.Receive(), writer.Receive())) return 1;
  int count = 3;
  bool written = Orv::SaveBytes(writer, &count, sizeof(count));
  for (const wchar_t* word : {L"alpha", L"beta", L"gamma"}) written = written && Orv::SaveData(writer, Orv::tstring(word));
  if (!written) return 1;
  std::printf("wrote %u bytes\n", vector->GetSize());

  // Compress the whole block and expand it again; the sizes travel beside the data.
  Orv::tSmartPtr<Orv::IData> packed, unpacked;
  if (!Orv::CompressData(vector, packed.Receive(), nullptr) ||
      !Orv::UncompressData(packed, vector->GetSize(), unpacked.Receive(), nullptr)) {
    return 1;
  }
  std::printf("compressed to %u bytes, expanded to %u\n", packed->GetSize(), unpacked->GetSize());

  // A reader hands out pointers into the block; each load checks what is left.
  Orv::tSmartPtr<Orv::IDataReader> reader;
  if (!Orv::CreateDataReader(unpacked, 0, reader.Receive())) return 1;
  int read = 0;
  if (!Orv::LoadBytes(reader, &read, sizeof(read)) || read != count) return 1;
  for (int i = 0; i < read; ++i) {
    Orv::tstring word;
    if (!Orv::LoadData(reader, word)) return 1;
    std::printf("  %ls\n", word.c_str());
  }
  // Past the end: a failure, not a crash.
  Orv::tstring extra;
  return Orv::LoadData(reader, extra) ? 1 : 0;
}
