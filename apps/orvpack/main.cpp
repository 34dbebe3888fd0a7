// orvpack: compiles package text into binary packages and looks inside them.
#include "commands.h"
#include "console.h"

ORV_DEFINE_MODULE(Orv::CModule)

namespace {

const wchar_t kHelp[] =
    L"usage: orvpack COMMAND ...\n"
    L"\n"
    L"  compile INPUT.txt -o OUT.pak [-I DIR]... [--plugin X.dll]...\n"
    L"                          compile package text into a binary package\n"
    L"  dump FILE.pak           print the package name and GUID, its nodes and GUID records\n"
    L"  id FILE.pak             print the package GUID\n"
    L"  extract FILE.pak NODE -o OUT\n"
    L"                          write the bytes of a byte-data entry to a file\n"
    L"\n"
    L"Exit status: 0 success, 1 failure, 2 bad usage.";

int Run(OrvPack::Args const& args) {
  if (args.empty()) {
    OrvPack::Fail(L"no command (see orvpack --help)");
    return OrvPack::eExitUsage;
  }
  OrvPack::Args rest(args.begin() + 1, args.end());
  std::wstring const& command = args[0];
  if (command == L"--help" || command == L"-h" || command == L"help") {
    OrvPack::Out(kHelp);
    return OrvPack::eExitOk;
  }
  if (command == L"compile") return OrvPack::Compile(rest);
  if (command == L"dump") return OrvPack::Dump(rest);
  if (command == L"id") return OrvPack::Id(rest);
  if (command == L"extract") return OrvPack::Extract(rest);
  OrvPack::Fail(L"unknown command '" + command + L"' (see orvpack --help)");
  return OrvPack::eExitUsage;
}

}  // namespace

int main() {
  Orv::tObjVector<Orv::tstring> words;
  Orv::TokenizeCommandLine(GetCommandLineW(), words);
  OrvPack::Args args;
  for (unsigned i = 1; i < words.Count(); ++i) args.push_back(OrvPack::Text(words[i]));
  Orv::CWinMainInit init(0);
  return Run(args);
}
