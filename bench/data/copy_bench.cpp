// StreamCopyData of a 64 MiB file into a new file, against CopyFileW on the same file.
#include <windows.h>

#include <string>

#include "../harness.h"
#include "data_bench.h"
#include "orvutil/system.h"

ORV_BENCHMARK(FileCopy) {
  Orv::tstring dir = Orv::GetTempDirectory();
  Orv::tstring source = dir + L"\\copy_bench_source.bin", ours = dir + L"\\copy_bench_ours.bin",
               peer = dir + L"\\copy_bench_peer.bin";
  {
    Orv::tSmartPtr<Orv::IDataFile> file;
    Orv::tSmartPtr<Orv::IDataWriter> writer;
    std::string block = DataBench::MixedBytes(1u << 20);
    Orv::CreateDataFile(source.c_str(), false, file.Receive());
    Orv::CreateDataWriter(file, 0xFFFFFFFFu, writer.Receive());
    for (int i = 0; i < 64; ++i) writer->Write(block.data(), static_cast<unsigned>(block.size()));
  }
  Orv::tSmartPtr<Orv::IDataFile> from, to;
  Orv::CreateDataFile(source.c_str(), false, from.Receive());
  Orv::CreateDataFile(ours.c_str(), false, to.Receive());
  OrvBench::Compare(
      "StreamCopyData.file_64MiB", "CopyFileW",
      [&] {
        Orv::tSmartPtr<Orv::IDataReader> reader;
        Orv::tSmartPtr<Orv::IDataWriter> writer;
        Orv::CreateDataReader(from, 0, reader.Receive());
        Orv::CreateDataWriter(to, 0xFFFFFFFFu, writer.Receive());
        Orv::StreamCopyData(reader, reader->GetSize(), writer, 0xFFFFFFFFu);
      },
      [&] { ::CopyFileW(source.c_str(), peer.c_str(), FALSE); });
  for (const Orv::tstring& path : {source, ours, peer}) Orv::DeleteFileW(path.c_str());
}
