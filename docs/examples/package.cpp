// Packages: compile package text that embeds a file, add an entry of our own in code, save the
// package into memory in the binary format, load it back and walk its nodes.
#include <cstdio>
#include <cstring>

#include "orvutil/orvutil.h"

ORV_DEFINE_MODULE(Orv::CModule)

namespace {

const char kNote[] = "Packages keep objects as entries.";

// Writes the file the package text embeds into the library's temporary-file area; that directory, or
// empty on failure.
Orv::tstring WriteNote() {
  Orv::tstring dir = Orv::GetTempDirectory();
  Orv::CFile file;
  if (dir.empty() || !file.OpenWrite((dir + L"\\note.txt").c_str()) ||
      !Orv::WriteFile(file, kNote, sizeof(kNote) - 1)) {
    return Orv::tstring();
  }
  return dir;
}

void Print(Orv::PackageNode node, int depth) {
  for (; !!node; node = node->GetNextSibling()) {
    Orv::IPackageEntry* entry = node.GetEntry();
    Orv::ISavedData* saved = entry->GetSavedData();
    std::printf("%*s%ls: class %ls, %u bytes\n", depth * 2, "", entry->GetName().c_str(),
                Orv::StringFromGUID(entry->GetObjectClassID()).c_str(), saved ? saved->GetLoadedSize() : 0);
    Print(node->GetFirstChild(), depth + 1);
  }
}

}  // namespace

int main() {
  Orv::CWinMainInit init(Orv::eWinMainComApartment);
  Orv::tstring dir = WriteNote();
  if (!init.Success() || dir.empty()) return 1;

  // `bytes` is the library's own creator: it stores the named file, found beside the text.
  Orv::tSmartPtr<Orv::IPackage> package;
  Orv::tObjVector<Orv::tstring> errors;
  if (!Orv::CompilePackage(L"new bytes (\"note\") { string file { \"note.txt\" } }", dir.c_str(), package.Receive(),
                           nullptr, &errors)) {
    for (unsigned i = 0; i < errors.Count(); ++i) std::printf("error: %ls\n", errors[i].c_str());
    return 1;
  }

  // An entry made in code: any class GUID, a payload, below the compiled node.
  const GUID kMyClass = {0x3f1d2c4b, 0x5a69, 0x4b78, {0x87, 0x96, 0xa5, 0xb4, 0xc3, 0xd2, 0xe1, 0xf0}};
  Orv::tSmartPtr<Orv::IDataVector> payload;
  Orv::tSmartPtr<Orv::ISavedData> saved;
  Orv::tSmartPtr<Orv::IPackageEntry> entry;
  if (!Orv::CreateDataVector(4, payload.Receive())) return 1;
  std::memcpy(payload->GetVector().Data(), "abcd", 4);
  if (!Orv::CreateLoadedDataFromMemory(payload, true, saved.Receive()) ||
      !Orv::CreatePackageEntry(L"mine", kMyClass, GUID_NULL, GUID_NULL, saved, entry.Receive()) ||
      !package->GetFirstNode().AddChild(entry)) {
    return 1;
  }

  // Save into a data vector, then load from it: loading reads no payload until it is asked for.
  Orv::tSmartPtr<Orv::IDataVector> stream;
  Orv::tSmartPtr<Orv::IDataWriter> writer;
  Orv::tSmartPtr<Orv::IDataReader> reader;
  Orv::tSmartPtr<Orv::IPackage> loaded;
  package->SetName(L"example");
  if (!Orv::CreateDataWriter(stream.Receive(), writer.Receive()) || !Orv::SavePackage(writer, package) ||
      !Orv::CreateDataReader(stream, 0, reader.Receive()) || !Orv::LoadPackage(reader, loaded.Receive())) {
    return 1;
  }
  std::printf("package \"%ls\", %u bytes, %u nodes\n", loaded->GetName().c_str(), stream->GetSize(),
              loaded->GetNodeCount());
  Print(loaded->GetFirstNode(), 1);

  Orv::PackageNode mine = loaded->FindNode(L"mine", kMyClass, GUID_NULL);
  Orv::IData* bytes = !mine ? nullptr : mine.GetEntry()->GetSavedData()->Load();
  return bytes && bytes->GetSize() == 4 && std::memcmp(bytes->GetPointer(), "abcd", 4) == 0 ? 0 : 1;
}
