// The binary package format: loading a package file and every payload against plain zlib
// uncompress of the same compressed bytes, saving against compress2 of the payloads, and reading a
// file's package GUID against opening it and reading 40 bytes.
#include <zlib.h>

#include <string>
#include <vector>

#include "../harness.h"
#include "orvutil/orvutil.h"

namespace {

using Orv::tSmartPtr;

const unsigned kEntries = 10000;
const unsigned kPayload = 512;  // 5 MB of payloads: large enough to measure, quick enough to repeat

std::string Payload(unsigned seed) {
  std::string text;
  while (text.size() < kPayload) text += "field " + std::to_string(seed++ * 2654435761u % 1000) + "; ";
  text.resize(kPayload);
  return text;
}

std::wstring TempPath(const wchar_t* name) {
  wchar_t folder[MAX_PATH];
  GetTempPathW(MAX_PATH, folder);
  return std::wstring(folder) + name;
}

}  // namespace

ORV_BENCHMARK(PackageFormat) {
  std::vector<std::string> payloads;
  tSmartPtr<Orv::IPackage> package;
  Orv::CreatePackage(package.Receive());
  for (unsigned i = 0; i < kEntries; ++i) {
    payloads.push_back(Payload(i));
    tSmartPtr<Orv::IDataVector> vector;
    Orv::CreateDataVector(kPayload, vector.Receive());
    memcpy(vector->GetVector().Data(), payloads.back().data(), kPayload);
    tSmartPtr<Orv::ISavedData> saved;
    Orv::CreateLoadedDataFromMemory(vector, true, saved.Receive());
    tSmartPtr<Orv::IPackageEntry> entry;
    Orv::CreatePackageEntry(nullptr, GUID_NULL, GUID_NULL, GUID_NULL, saved, entry.Receive());
    package->AddNode(entry);
  }
  std::wstring path = TempPath(L"orv_format_bench.pak");
  std::vector<std::string> packed(kEntries);
  unsigned long sink = 0;
  OrvBench::Compare(
      "SavePackageToFile 10000 x 512 B (level 9)", "zlib compress2 level 9 of the payloads",
      [&] {
        tSmartPtr<Orv::IPackage> fresh;  // payloads compressed anew on every save
        Orv::CreatePackage(fresh.Receive());
        for (Orv::PackageNode n = package->GetFirstNode(); !!n; n = n->GetNextSibling()) {
          tSmartPtr<Orv::ISavedData> saved;
          Orv::CreateLoadedDataFromMemory(n.GetEntry()->GetSavedData()->Load(), true, saved.Receive());
          tSmartPtr<Orv::IPackageEntry> entry;
          Orv::CreatePackageEntry(nullptr, GUID_NULL, GUID_NULL, n.GetEntry()->GetInstanceID(), saved, entry.Receive());
          fresh->AddNode(entry);
        }
        sink += Orv::SavePackageToFile(fresh, path.c_str());
      },
      [&] {
        for (unsigned i = 0; i < kEntries; ++i) {
          uLongf size = compressBound(kPayload);
          packed[i].resize(size);
          compress2(reinterpret_cast<Bytef*>(&packed[i][0]), &size, reinterpret_cast<const Bytef*>(payloads[i].data()),
                    kPayload, 9);
          packed[i].resize(size);
        }
      });
  std::vector<unsigned char> out(kPayload);
  OrvBench::Compare(
      "LoadPackage + every payload, 10000 x 512 B", "zlib uncompress of the same bytes",
      [&] {
        tSmartPtr<Orv::IDataFile> file;
        tSmartPtr<Orv::IDataReader> reader;
        tSmartPtr<Orv::IPackage> loaded;
        Orv::CreateDataFile(path.c_str(), false, file.Receive());
        file->Map();  // payloads then read from the view
        Orv::CreateDataReader(file, 0, reader.Receive());
        Orv::LoadPackage(reader, loaded.Receive());
        for (Orv::PackageNode n = loaded->GetFirstNode(); !!n; n = n->GetNextSibling())
          sink += n.GetEntry()->GetSavedData()->Load()->GetSize();
      },
      [&] {
        for (unsigned i = 0; i < kEntries; ++i) {
          uLongf size = kPayload;
          uncompress(out.data(), &size, reinterpret_cast<const Bytef*>(packed[i].data()), packed[i].size());
          sink += size;
        }
      });
  OrvBench::Compare(
      "GetPackageID(path)", "CreateFileW + ReadFile 40 bytes",
      [&] { sink += Orv::GetPackageID(path.c_str()).Data1; },
      [&] {
        HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        char header[40];
        DWORD read = 0;
        ReadFile(h, header, 40, &read, nullptr);
        CloseHandle(h);
        sink += read;
      });
  OrvBench::KeepAlive(sink);
  DeleteFileW(path.c_str());
}
