// orvpack compile: package text to a binary package file, with diagnostics in the compiler's
// "file:line:column: error:" form.
#include <cwchar>

#include "commands.h"
#include "console.h"

namespace OrvPack {

namespace {

struct Options {
  std::wstring input, output;
  Orv::tObjVector<Orv::tstring> includes;
  std::vector<std::wstring> plugIns;
};

bool ReadOptions(Args const& args, Options& options) {
  for (size_t i = 0; i < args.size(); ++i) {
    std::wstring const& arg = args[i];
    bool valued = arg == L"-o" || arg == L"-I" || arg == L"--plugin";
    if (valued && i + 1 == args.size()) return false;
    if (arg == L"-o") {
      options.output = args[++i];
    } else if (arg == L"-I") {
      options.includes.PushBack(Orv::tstring(args[++i].c_str()));
    } else if (arg == L"--plugin") {
      options.plugIns.push_back(args[++i]);
    } else if (options.input.empty() && !arg.empty() && arg[0] != L'-') {
      options.input = arg;
    } else {
      return false;
    }
  }
  return !options.input.empty() && !options.output.empty();
}

// Reports the compiler's messages at the position its position message names.
void Report(std::wstring const& input, Orv::tObjVector<Orv::tstring> const& errors) {
  unsigned line = 0, column = 0;
  std::wstring stopped;
  for (unsigned i = 0; i < errors.Count(); ++i) {
    std::wstring message = Text(errors[i]);
    int used = 0;
    if (std::swscanf(message.c_str(), L"Stopped at token at line:%u, column:%u, text:'%n", &line, &column, &used) == 2 &&
        used > 0) {
      stopped = message.substr(used, message.size() - used - 1);
    }
  }
  for (unsigned i = 0; i < errors.Count(); ++i) {
    std::wstring message = Text(errors[i]);
    if (message.rfind(L"Stopped at token", 0) != 0) Diagnose(input, line, column, message);
  }
  Diagnose(input, line, column, line ? L"stopped at '" + stopped + L"'" : L"the package text does not compile");
}

std::wstring Stem(std::wstring const& path) {
  size_t slash = path.find_last_of(L"\\/");
  std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
  size_t dot = name.rfind(L'.');
  return dot == std::wstring::npos || dot == 0 ? name : name.substr(0, dot);
}

// A relative path that names an existing file from the current directory, made absolute; any
// other path as given (the plug-in registry then tries its search directories).
std::wstring FromCurrentDirectory(std::wstring const& path) {
  wchar_t full[MAX_PATH];
  DWORD n = GetFullPathNameW(path.c_str(), MAX_PATH, full, nullptr);
  return n > 0 && n < MAX_PATH && Orv::FileExists(full) ? std::wstring(full) : path;
}

}  // namespace

int Compile(Args const& args) {
  Options options;
  if (!ReadOptions(args, options)) {
    Fail(L"usage: orvpack compile INPUT.txt -o OUT.pak [-I DIR]... [--plugin X.dll]...");
    return eExitUsage;
  }
  for (std::wstring const& plugIn : options.plugIns) {
    if (!Orv::GetComModules()->LoadModule(FromCurrentDirectory(plugIn).c_str())) return Fail(L"cannot load plug-in " + plugIn);
  }
  if (!Orv::FileExists(options.input.c_str())) return Fail(L"cannot read " + options.input);
  Orv::tSmartPtr<Orv::IPackage> package;
  Orv::tObjVector<Orv::tstring> errors;
  if (!Orv::CompilePackage(options.input.c_str(), package.Receive(), &options.includes, &errors)) {
    Report(options.input, errors);
    return eExitFailed;
  }
  package->SetName(Stem(options.input).c_str());
  if (!Orv::SavePackageToFile(package, options.output.c_str())) return Fail(L"cannot write " + options.output);
  return eExitOk;
}

}  // namespace OrvPack
