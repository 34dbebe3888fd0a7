// The compiler of package text: the parser that walks the tokens and the contexts that read the
// constructs of the language.
#pragma once

#include <map>

#include "orvutil/foundation/smartptr.h"
#include "orvutil/package/parser.h"
#include "orvutil/package/persist.h"

namespace Orv {
namespace Detail {

struct GuidLess {
  bool operator()(GUID const& a, GUID const& b) const { return memcmp(&a, &b, sizeof(GUID)) < 0; }
};

class CPackageParser : public IPackageParser {
 public:
  CPackageParser(IPackage* package, tObjVector<Token> const& tokens, tstring const& directory,
                 tObjVector<tstring> const* includeDirs, tObjVector<tstring>* errors);
  ~CPackageParser() override;
  CPackageParser(const CPackageParser&) = delete;
  CPackageParser& operator=(const CPackageParser&) = delete;

  tstring FindImportFile(tstring const& name) override;
  tstring const& GetDirectory() override { return m_directory; }
  IPackage* GetPackage() override { return m_packages[0]; }
  IUnknown* GetCategoryUnkOuter(GUID const& category) override;
  void AddError(wchar_t const* message) override;

  // Runs a context from the current token: Continue moves on, Done ends on the construct's last
  // token, Failed (or running off the end) records the current token as the error, once.
  bool Run(IParseContext* context);
  Token const& Current() const { return (*m_tokens)[m_index]; }
  // The token after the current one; the End token repeats.
  Token const& Next() const { return (*m_tokens)[m_index + 1 < m_tokens->Count() ? m_index + 1 : m_index]; }
  void Advance() {
    if (m_index + 1 < m_tokens->Count()) ++m_index;
  }
  bool IsWord(Token const& token, wchar_t const* word) const;
  Token const& GetErrorToken() const { return m_error; }

  // Object nesting: false (changing nothing) beyond the deepest allowed level.
  bool EnterObject();
  void LeaveObject() { --m_depth; }
  // Loads a plug-in DLL or a package named by an import statement.
  bool Import(tstring const& path);

 private:
  tObjVector<HMODULE> m_plugIns;
  tSmartPtrVector<IPackage> m_packages;
  tObjVector<Token> const* m_tokens;
  tstring m_directory;
  tObjVector<tstring> m_includeDirs;
  Token m_error;
  unsigned int m_index = 0;
  tObjVector<tstring>* m_errors;
  std::map<GUID, tSmartPtr<IUnknown>, GuidLess> m_outers;
  unsigned int m_depth = 0;
};

// Reads one `new` object from its class name (or "unsaved") to its closing brace.
class CNewObjectContext : public IParseContext {
 public:
  explicit CNewObjectContext(IObjectCreator* parent) : m_parent(parent) {}
  EResult Parse(IPackageParser* parser) override;
  IUnknown* GetMainObject() const { return m_main; }

 private:
  EResult ParseBodyItem(CPackageParser& parser);
  EResult ParseMember(CPackageParser& parser);
  bool Create(CPackageParser& parser);
  bool Finish(CPackageParser& parser);
  bool AddToPackage(CPackageParser& parser);
  tstring Describe(wchar_t const* what) const;

  unsigned int m_step = 0;
  tstring m_className;
  tstring m_objectName;
  GUID m_instanceId = GUID_NULL;
  tSmartPtr<IUnknown> m_main;
  tSmartPtrVector<IUnknown> m_extras;
  tSmartPtr<IObjectCreator> m_parent;
  tSmartPtr<IObjectCreator> m_creator;
  bool m_saved = true;
};

// The top-level statements.
class CRootContext : public IParseContext {
 public:
  EResult Parse(IPackageParser* parser) override;
};

// `(` ["name" ["guid"]] `)`.
class CObjectParamsContext : public IParseContext {
 public:
  EResult Parse(IPackageParser* parser) override;
  tstring const& GetName() const { return m_name; }
  GUID const& GetID() const { return m_id; }

 private:
  unsigned int m_step = 0;
  tstring m_name;
  GUID m_id = GUID_NULL;
};

// `type name` of a member.
class CVariableNameContext : public IParseContext {
 public:
  EResult Parse(IPackageParser* parser) override;
  tstring const& GetType() const { return m_type; }
  tstring const& GetName() const { return m_name; }

 private:
  tstring m_type;
  tstring m_name;
};

// A braced list of values of one kind.
class CIntValueContext : public IParseContext {
 public:
  EResult Parse(IPackageParser* parser) override;
  tVectorPOD<int> values;

 private:
  bool m_open = false;
};

class CFloatValueContext : public IParseContext {
 public:
  EResult Parse(IPackageParser* parser) override;
  tVectorPOD<float> values;

 private:
  bool m_open = false;
};

class CStringValueContext : public IParseContext {
 public:
  EResult Parse(IPackageParser* parser) override;
  tObjVector<tstring> values;

 private:
  bool m_open = false;
};

class CObjectValueContext : public IParseContext {
 public:
  explicit CObjectValueContext(IObjectCreator* creator) : m_creator(creator) {}
  EResult Parse(IPackageParser* parser) override;
  tSmartPtrVector<IUnknown> values;

 private:
  tSmartPtr<IObjectCreator> m_creator;
  bool m_open = false;
};

// At `new` followed by an identifier: reads the object to its `}` (Continue then steps past it).
IParseContext::EResult ParseNewObject(CPackageParser& parser, CNewObjectContext& object);

// Records in `package` for the class, category and module of the entry's class, as the modules
// register them (records already there stay).
void AddTypeRecords(IPackage* package, IPackageEntry* entry);

// The object an `obj` list names with "registration:name[:path]"; false when there is none.
bool ResolveObjectReference(CPackageParser& parser, tstring const& reference, IUnknown** out);

}  // namespace Detail
}  // namespace Orv
