// Package text: compiling a generated 10 MB text of 100,000 objects against tokenizing it alone,
// and compiling plus dumping a package that embeds a 50 MB file against copying the file and
// compressing it with zlib.
#include <zlib.h>

#include <cstdio>
#include <string>
#include <vector>

#include "../harness.h"
#include "orvutil/orvutil.h"

namespace ParserBench {

// The object of a "record": its int members are its payload.
class CRecord : public Orv::CPackagePersistAsyncHelper {
 public:
  std::vector<int> values;

 protected:
  bool InternalLoad(Orv::IDataReader* reader, Orv::PackageNode) override {
    values.resize(reader->GetSize() / sizeof(int));
    return Orv::LoadBytes(reader, values.data(), static_cast<unsigned>(values.size() * sizeof(int)));
  }
  bool InternalSave(Orv::IDataWriter* writer, Orv::PackageNode) override {
    return Orv::SaveBytes(writer, values.data(), static_cast<unsigned>(values.size() * sizeof(int)));
  }
};

class CRecordCreator : public Orv::CComBase, public Orv::IObjectCreator {
 public:
  ORV_INTERFACES(Orv::IObjectCreator)
  ~CRecordCreator() override {
    if (m_record) static_cast<Orv::IPackageNodePersist*>(m_record)->Release();
  }
  bool SetName(Orv::tstring const&) override { return Orv::CComObject<CRecord>::CreateObject(nullptr, &m_record) == S_OK; }
  bool Complete(Orv::IPackageParser*) override { return true; }
  bool SetObjectValues(Orv::tstring const&, IUnknown* const*, unsigned) override { return false; }
  bool SetStringValues(Orv::tstring const&, Orv::tstring const* values, unsigned count) override {
    for (unsigned i = 0; i < count; ++i) m_record->values.push_back(static_cast<int>(values[i].size()));
    return true;
  }
  bool SetFloatValues(Orv::tstring const&, float const* values, unsigned count) override {
    for (unsigned i = 0; i < count; ++i) m_record->values.push_back(static_cast<int>(values[i]));
    return true;
  }
  bool SetIntValues(Orv::tstring const&, int const* values, unsigned count) override {
    m_record->values.insert(m_record->values.end(), values, values + count);
    return true;
  }
  bool CreateChild(Orv::tstring const&, Orv::IObjectCreator**) override { return false; }
  IUnknown* GetObject(unsigned index) override {
    return index == 0 ? static_cast<Orv::IPackageNodePersist*>(m_record) : nullptr;
  }

 private:
  CRecord* m_record = nullptr;
};

}  // namespace ParserBench

ORV_CLASS_GUID(ParserBench::CRecord, 0x4a7be310, 0x1c2d, 0x4e3f, 0x90, 0x81, 0x72, 0x63, 0x54, 0x45, 0x36, 0x01)
ORV_CLASS_GUID(ParserBench::CRecordCreator, 0x4a7be310, 0x1c2d, 0x4e3f, 0x90, 0x81, 0x72, 0x63, 0x54, 0x45, 0x36, 0x02)

namespace {

Orv::StaticModuleClassInfo s_record(Orv::GetThisModule(), __uuidof(ParserBench::CRecord), GUID_NULL, GUID_NULL,
                                    L"Record", Orv::CComObject<ParserBench::CRecord>::CreateInstance);
Orv::StaticModuleClassInfo s_recordCreator(Orv::GetThisModule(), __uuidof(ParserBench::CRecordCreator), GUID_NULL,
                                           GUID_NULL, L"Record Creator",
                                           Orv::CComObject<ParserBench::CRecordCreator>::CreateInstance);
Orv::StaticModuleObjectCreatorInfo s_recordName(Orv::GetThisModule(), L"record",
                                                __uuidof(ParserBench::CRecordCreator), __uuidof(ParserBench::CRecord));

// About 100 characters per object, with members of every value type.
Orv::tstring GeneratedText(unsigned objects) {
  std::wstring text;
  for (unsigned i = 0; i < objects; ++i) {
    text += L"new record (\"item-" + std::to_wstring(i) + L"\") { int n { " + std::to_wstring(i % 977) +
            L" 42 -7 } float f { 1.5 2e3 } string s { 'text " + std::to_wstring(i) + L"' } }\n";
  }
  return Orv::tstring(text.c_str());
}

std::wstring TempPath(const wchar_t* name) {
  wchar_t folder[MAX_PATH];
  GetTempPathW(MAX_PATH, folder);
  return std::wstring(folder) + name;
}

}  // namespace

ORV_BENCHMARK(PackageCompile) {
  static Orv::CWinMainInit s_init(0);
  Orv::tstring text = GeneratedText(100000);
  Orv::tObjVector<Orv::Token> tokens;
  Orv::Token error;
  OrvBench::Result result = OrvBench::Compare(
      "CompilePackage 10MB text", "tokenizing alone",
      [&] {
        Orv::tSmartPtr<Orv::IPackage> package;
        if (!Orv::CompilePackageText(text, L".", package.Receive(), nullptr, nullptr)) std::printf("compile failed\n");
      },
      [&] { Orv::TokenizePackageText(text, tokens, error); });
  double megabytes = text.size() * sizeof(wchar_t) / 1e6;
  std::printf("%-40s %.1f MB of text, %.1f MB/s compiled, %.1f MB/s tokenized\n", "CompilePackage throughput", megabytes,
              megabytes / (result.oursNs / 1e9), megabytes / (result.peerNs / 1e9));
}

ORV_BENCHMARK(PackageEmbed) {
  static Orv::CWinMainInit s_init(0);
  std::wstring dir = TempPath(L"orv_embed_bench");
  CreateDirectoryW(dir.c_str(), nullptr);
  std::string bytes(50u << 20, '\0');
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>((i * 2654435761u) >> 24 & 0x3F);
  std::wstring file = dir + L"\\big.bin", pak = dir + L"\\big.pak", copy = dir + L"\\copy.bin";
  HANDLE out = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(out);
  std::vector<unsigned char> packed(compressBound(static_cast<uLong>(bytes.size())));
  OrvBench::Compare(
      "compile + dump, 50MB byte data", "CopyFileW + zlib compress2",
      [&] {
        Orv::tSmartPtr<Orv::IPackage> package, loaded;
        Orv::tSmartPtr<Orv::IDataFile> data;
        Orv::tSmartPtr<Orv::IDataReader> reader;
        bool ok = Orv::CompilePackage(L"new bytes ('big') { string file { 'big.bin' } }", dir.c_str(), package.Receive(),
                                      nullptr, nullptr) &&
                  Orv::SavePackageToFile(package, pak.c_str()) && Orv::CreateDataFile(pak.c_str(), false, data.Receive()) &&
                  Orv::CreateDataReader(data, 0, reader.Receive()) && Orv::LoadPackage(reader, loaded.Receive());
        unsigned count = ok ? loaded->GetNodeCount() : 0;
        Orv::IPackage::GuidInfo info;
        for (unsigned i = 0; ok && loaded->GetGuidInfo(i, &info); ++i) count += info.kind;
        OrvBench::KeepAlive(count);
      },
      [&] {
        std::string read(bytes.size(), '\0');
        CopyFileW(file.c_str(), copy.c_str(), FALSE);
        HANDLE in = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        DWORD got = 0;
        ReadFile(in, &read[0], static_cast<DWORD>(read.size()), &got, nullptr);
        CloseHandle(in);
        uLongf size = static_cast<uLongf>(packed.size());
        compress2(packed.data(), &size, reinterpret_cast<const Bytef*>(read.data()), got, Z_DEFAULT_COMPRESSION);
        OrvBench::KeepAlive(size);
      });
}
