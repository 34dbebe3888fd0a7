// CPackageParser: the state of one compilation (tokens, position, first error, imports, search
// directories), the context runner, and the CompilePackage entry points.
#include "orvutil/com/module.h"
#include "orvutil/com/plugins.h"
#include "orvutil/foundation/paths.h"
#include "orvutil/package/manager.h"
#include "orvutil/system/filesystem.h"
#include "parser_impl.h"

namespace Orv {
namespace Detail {

CPackageParser::CPackageParser(IPackage* package, tObjVector<Token> const& tokens, tstring const& directory,
                               tObjVector<tstring> const* includeDirs, tObjVector<tstring>* errors)
    : m_tokens(&tokens), m_directory(directory), m_errors(errors) {
  m_packages.PushBack(tSmartPtr<IPackage>(package));
  if (includeDirs) m_includeDirs = *includeDirs;
}

CPackageParser::~CPackageParser() {
  m_outers.clear();
  IComModules* modules = GetComModules();
  for (unsigned int i = 0; modules && i < m_plugIns.Count(); ++i) modules->UnloadModule(m_plugIns[i]);
}

tstring CPackageParser::FindImportFile(tstring const& name) {
  if (name.empty()) return tstring();
  for (unsigned int i = 0; i <= m_includeDirs.Count(); ++i) {
    tstring path = i == 0 ? m_directory : m_includeDirs[i - 1];
    AppendPathTail(path, name.c_str());
    if (FileExists(path.c_str())) return path;
  }
  return tstring();
}

IUnknown* CPackageParser::GetCategoryUnkOuter(GUID const& category) {
  if (IsEqualGUID(category, GUID_NULL)) return nullptr;
  auto found = m_outers.find(category);
  if (found != m_outers.end()) return found->second.Get();
  tSmartPtr<IUnknown> outer;
  if (!GetModuleUnkOuterForCategory(category, outer.Receive())) outer = nullptr;
  return m_outers.emplace(category, outer).first->second.Get();
}

void CPackageParser::AddError(wchar_t const* message) {
  if (m_errors) m_errors->PushBack(tstring(message ? message : L"Package parsing error"));
}

bool CPackageParser::IsWord(Token const& token, wchar_t const* word) const {
  return token.kind == eTokenIdentifier && token.text.compare(token.start, token.length, word) == 0;
}

bool CPackageParser::Run(IParseContext* context) {
  if (!context || m_index >= m_tokens->Count()) return false;
  for (;;) {
    IParseContext::EResult result = context->Parse(this);
    if (result == IParseContext::eDone) return true;
    bool more = result == IParseContext::eContinue && m_index + 1 < m_tokens->Count();
    if (!more) {
      if (m_error.kind == eTokenNone) m_error = Current();
      return false;
    }
    ++m_index;
  }
}

bool CPackageParser::EnterObject() {
  if (m_depth >= kMaxPackageNesting) return false;
  ++m_depth;
  return true;
}

// A ".dll" is a plug-in module; anything else a package. A path found beside the source text or on
// the include directories is used as found (made absolute), any other as written.
bool CPackageParser::Import(tstring const& path) {
  tstring found = FindImportFile(path);
  wchar_t full[MAX_PATH];
  DWORD n = found.empty() ? 0 : GetFullPathNameW(found.c_str(), MAX_PATH, full, nullptr);
  tstring file = n > 0 && n < MAX_PATH ? tstring(full) : path;
  tstring extension = GetPathExtension(path.c_str());
  if (_wcsicmp(extension.c_str(), L"dll") == 0) {
    IComModules* modules = GetComModules();
    HMODULE module = modules ? modules->LoadModule(file.c_str()) : nullptr;
    return module && m_plugIns.PushBack(module);
  }
  IPackageManager* manager = GetPackageManager();
  tSmartPtr<IPackage> package;
  if (!manager || !manager->GetPackageByPath(file.c_str(), package.Receive())) return false;
  return m_packages.PushBack(package);
}

}  // namespace Detail

bool CompilePackageText(tstring const& text, wchar_t const* directory, IPackage** out,
                        tObjVector<tstring> const* includeDirs, tObjVector<tstring>* errors) {
  if (!directory || !out) return false;
  tSmartPtr<IPackage> package;
  GUID id = GUID_NULL;
  if (FAILED(CoCreateGuid(&id)) || !CreatePackage(package.Receive())) return false;
  package->SetID(id);  // a compiled package is a new package
  tObjVector<Token> tokens;
  Token error;
  bool tokenized = TokenizePackageText(text, tokens, error);
  for (unsigned int i = 0; tokenized && i < tokens.Count() && error.kind == eTokenNone; ++i) {
    if (tokens[i].kind == eTokenBad) error = tokens[i];
  }
  if (!tokenized || error.kind != eTokenNone) {
    if (errors && error.kind != eTokenNone) errors->PushBack(GetTokenPositionMessage(error));
    return false;
  }
  bool compiled;
  {
    Detail::CPackageParser parser(package, tokens, tstring(directory), includeDirs, errors);
    Detail::CRootContext root;
    compiled = parser.Run(&root);
    if (parser.GetErrorToken().kind != eTokenNone && errors) {
      errors->PushBack(GetTokenPositionMessage(parser.GetErrorToken()));
    }
  }
  if (compiled) *out = package.Detach();
  return compiled;
}

bool CompilePackage(wchar_t const* text, wchar_t const* directory, IPackage** out,
                    tObjVector<tstring> const* includeDirs, tObjVector<tstring>* errors) {
  if (!text) return false;
  return CompilePackageText(tstring(text), directory, out, includeDirs, errors);
}

bool CompilePackage(wchar_t const* path, IPackage** out, tObjVector<tstring> const* includeDirs,
                    tObjVector<tstring>* errors) {
  tstring text;
  if (!path || !out || !ReadWholeFile(path, text)) return false;
  tstring directory(path);
  StripPathTail(directory);
  if (directory.empty()) {
    wchar_t current[MAX_PATH] = {};
    DWORD n = GetCurrentDirectoryW(MAX_PATH, current);
    if (n == 0 || n >= MAX_PATH) return false;
    directory = current;
  }
  return CompilePackageText(text, directory.c_str(), out, includeDirs, errors);
}

}  // namespace Orv
