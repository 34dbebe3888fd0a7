// consumer_host: a host program built on an installed orvutil. It loads the greetings plug-in from
// its own folder, compiles package text that uses the plug-in into a binary package file, reads the
// package back and has the plug-in's objects load themselves from it. It also checks that broken
// text is refused with a message. Every step prints what it did; any failure exits with 1.
#include <windows.h>

#include <cstdio>

#include "greeting_api.h"
#include "orvutil/orvutil.h"

ORV_DEFINE_MODULE(Orv::CModule)

namespace {

const wchar_t kPackageText[] =
    L"# Two greetings from the plug-in\n"
    L"new greeting (\"welcome\") { string text { \"Hello from greetings.dll\" } int times { 2 } }\n"
    L"new greeting (\"farewell\") { string text { 'Goodbye' } }\n";

int Fail(char const* what) {
  std::fprintf(stderr, "consumer_host: %s\n", what);
  return 1;
}

Orv::tstring ProgramDirectory() {
  wchar_t path[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  if (n == 0 || n == MAX_PATH) return Orv::tstring();
  Orv::tstring text(path);
  return text.substr(0, text.find_last_of(L"\\/"));
}

bool Compile(wchar_t const* text, Orv::tstring const& dir, Orv::IPackage** out, Orv::tObjVector<Orv::tstring>& errors) {
  Orv::tObjVector<Orv::tstring> includes;
  return Orv::CompilePackageText(Orv::tstring(text), dir.c_str(), out, &includes, &errors);
}

bool Open(Orv::tstring const& path, Orv::tSmartPtr<Orv::IPackage>& package) {
  Orv::tSmartPtr<Orv::IDataFile> file;
  Orv::tSmartPtr<Orv::IDataReader> reader;
  return Orv::CreateDataFile(path.c_str(), false, file.Receive()) &&
         Orv::CreateDataReader(file, 0, reader.Receive()) && Orv::LoadPackage(reader, package.Receive());
}

// The object saved at `node`, created from its class (the plug-in's) and loaded from the package.
bool LoadGreeting(Orv::PackageNode node, Orv::tSmartPtr<Greetings::IGreeting>& greeting) {
  Orv::tSmartPtr<Orv::IPackageNodePersist> persist;
  return SUCCEEDED(Orv::CPackagePersistAsyncHelper::CreateInstance(nullptr, node.GetEntry()->GetObjectClassID(),
                                                                   __uuidof(Greetings::IGreeting),
                                                                   reinterpret_cast<void**>(greeting.Receive()))) &&
         SUCCEEDED(greeting->QueryInterface(__uuidof(Orv::IPackageNodePersist),
                                            reinterpret_cast<void**>(persist.Receive()))) &&
         persist->Load(node) && persist->Wait() && persist->IsLoaded();
}

int Run() {
  Orv::tstring dir = ProgramDirectory();
  Orv::IComModules* plugIns = Orv::GetComModules();
  if (dir.empty() || !plugIns->AddSearchPath(dir.c_str())) return Fail("cannot search the program's folder");
  HMODULE plugIn = plugIns->LoadModule(L"greetings.dll");
  if (!plugIn) return Fail("cannot load greetings.dll");
  std::printf("loaded plug-in greetings.dll (%u modules)\n", Orv::GetModuleCount());

  Orv::tSmartPtr<Orv::IPackage> package;
  Orv::tObjVector<Orv::tstring> errors;
  if (!Compile(kPackageText, dir, package.Receive(), errors)) {
    for (unsigned i = 0; i < errors.Count(); ++i) std::fprintf(stderr, "  %ls\n", errors[i].c_str());
    return Fail("the package text does not compile");
  }
  package->SetName(L"greetings");
  Orv::tstring path = dir + L"\\greetings.pak";
  if (!Orv::SavePackageToFile(package, path.c_str())) return Fail("cannot write greetings.pak");
  std::printf("compiled %u nodes into %ls\n", package->GetNodeCount(), path.c_str());

  Orv::tSmartPtr<Orv::IPackage> loaded;
  if (!Open(path, loaded)) return Fail("cannot read greetings.pak back");
  std::printf("read package \"%ls\" %ls\n", loaded->GetName().c_str(), Orv::StringFromGUID(loaded->GetID()).c_str());
  unsigned count = 0;
  for (Orv::PackageNode node = loaded->GetFirstNode(); !!node; node = node->GetNextSibling(), ++count) {
    Orv::tSmartPtr<Greetings::IGreeting> greeting;
    if (!LoadGreeting(node, greeting)) return Fail("a greeting does not load");
    std::printf("  %ls:", node.GetEntry()->GetName().c_str());
    for (int i = 0; i < greeting->GetTimes(); ++i) std::printf(" %ls", greeting->GetText().c_str());
    std::printf("\n");
  }
  if (count != 2) return Fail("the package does not hold the two greetings");

  Orv::tSmartPtr<Orv::IPackage> refused;
  errors.Clear();
  if (Compile(L"new greeting (\"empty\") { int times { 3 } }", dir, refused.Receive(), errors) || errors.Count() == 0) {
    return Fail("a greeting without text was accepted");
  }
  std::printf("refused a greeting without text:\n");
  for (unsigned i = 0; i < errors.Count(); ++i) std::printf("  %ls\n", errors[i].c_str());
  return 0;
}

}  // namespace

int main() {
  Orv::GetThisModule();  // the program's own module, so that it is the main module
  Orv::CWinMainInit init(Orv::eWinMainComApartment);
  if (!init.Success()) return Fail("the library did not start");
  int result = Run();
  if (result == 0) std::printf("consumer: all steps passed\n");
  return result;
}
