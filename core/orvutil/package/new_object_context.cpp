// CNewObjectContext: one `new` object of package text, from its class name to its closing brace,
// created through the modules' object-creator registrations and saved into the package.
#include "orvutil/com/module.h"
#include "parser_impl.h"

namespace Orv {
namespace Detail {

namespace {

CPackageParser& Of(IPackageParser* parser) { return *static_cast<CPackageParser*>(parser); }

// A creator for a top-level class: the first module whose object-creator registration has the name.
bool CreateTopLevelCreator(tstring const& className, IObjectCreator** out) {
  for (unsigned int i = 0; i < GetModuleCount(); ++i) {
    CModule* module = GetModuleByIndex(i);
    SModuleObjectCreatorInfo const* info = module ? module->GetObjectCreatorInfo(className.c_str()) : nullptr;
    if (!info) continue;
    return SUCCEEDED(CPackagePersistAsyncHelper::CreateInstance(nullptr, info->creatorClass, __uuidof(IObjectCreator),
                                                                reinterpret_cast<void**>(out))) &&
           *out;
  }
  return false;
}

}  // namespace

tstring CNewObjectContext::Describe(wchar_t const* what) const {
  return tstring(what) + L":" + m_className + L", Name:" + m_objectName;
}

IParseContext::EResult CNewObjectContext::Parse(IPackageParser* p) {
  CPackageParser& parser = Of(p);
  Token const& token = parser.Current();
  switch (m_step) {
    case 0:
      if (token.kind != eTokenIdentifier) return eFailed;
      if (m_saved && parser.IsWord(token, L"unsaved")) {
        m_saved = false;
        return eContinue;
      }
      m_className = token.GetSpelling();
      m_step = 1;
      return eContinue;
    case 1:
      if (token.kind == eTokenOpenParen) {
        CObjectParamsContext params;
        if (!parser.Run(&params)) return eFailed;
        m_objectName = params.GetName();
        m_instanceId = params.GetID();
        m_step = 2;
      } else if (token.kind == eTokenOpenBrace) {
        m_step = 3;
      } else {
        return eFailed;
      }
      return Create(parser) ? eContinue : eFailed;
    case 2:
      if (token.kind != eTokenOpenBrace) return eFailed;
      m_step = 3;
      return eContinue;
    default:
      return ParseBodyItem(parser);
  }
}

IParseContext::EResult CNewObjectContext::ParseBodyItem(CPackageParser& parser) {
  Token const& token = parser.Current();
  if (token.kind == eTokenCloseBrace) return Finish(parser) ? eDone : eFailed;
  if (parser.IsWord(token, L"new") && parser.Next().kind == eTokenIdentifier) {
    CNewObjectContext child(m_creator);
    return ParseNewObject(parser, child);
  }
  if (token.kind == eTokenIdentifier) return ParseMember(parser);
  return eFailed;
}

// `type name { values }`; a list that came out empty fails without reaching the creator.
IParseContext::EResult CNewObjectContext::ParseMember(CPackageParser& parser) {
  CVariableNameContext variable;
  if (!parser.Run(&variable)) return eFailed;
  parser.Advance();
  if (parser.Current().kind != eTokenOpenBrace) return eFailed;
  tstring const& type = variable.GetType();
  tstring const& name = variable.GetName();
  bool set = false;
  if (type == L"int") {
    CIntValueContext list;
    set = parser.Run(&list) && list.values.Count() && m_creator->SetIntValues(name, list.values.Data(), list.values.Count());
  } else if (type == L"float") {
    CFloatValueContext list;
    set = parser.Run(&list) && list.values.Count() &&
          m_creator->SetFloatValues(name, list.values.Data(), list.values.Count());
  } else if (type == L"string") {
    CStringValueContext list;
    set = parser.Run(&list) && list.values.Count() &&
          m_creator->SetStringValues(name, list.values.Data(), list.values.Count());
  } else {
    CObjectValueContext list(m_creator);
    tObjVector<IUnknown*> objects;
    set = parser.Run(&list) && list.values.Count();
    for (unsigned int i = 0; set && i < list.values.Count(); ++i) set = objects.PushBack(list.values[i].Get());
    set = set && m_creator->SetObjectValues(name, objects.Data(), objects.Count());
  }
  return set ? eContinue : eFailed;
}

bool CNewObjectContext::Create(CPackageParser& parser) {
  bool made = m_parent ? m_parent->CreateChild(m_className, m_creator.Receive()) && m_creator
                       : CreateTopLevelCreator(m_className, m_creator.Receive());
  if (!made) {
    parser.AddError(Describe(m_parent ? L"Failed to create child type" : L"Failed to create type").c_str());
    return false;
  }
  if (!m_creator->SetName(m_objectName)) {
    parser.AddError(Describe(L"Failed to create type").c_str());
    return false;
  }
  return true;
}

bool CNewObjectContext::Finish(CPackageParser& parser) {
  if (!m_creator->Complete(&parser)) {
    parser.AddError(Describe(L"Failed to create type").c_str());
    return false;
  }
  if (m_parent) return true;
  m_main = m_creator->GetObject(0);
  if (!m_main) return false;
  tSmartPtr<IPackageNodePersist> persist;
  if (SUCCEEDED(m_main->QueryInterface(__uuidof(IPackageNodePersist), reinterpret_cast<void**>(persist.Receive())))) {
    persist->SetName(m_objectName.c_str());
    persist->SetInstanceID(m_instanceId);
  }
  for (unsigned int i = 1; IUnknown* extra = m_creator->GetObject(i); ++i) {
    if (!m_extras.PushBack(tSmartPtr<IUnknown>(extra))) return false;
  }
  return !m_saved || AddToPackage(parser);
}

// Saves the main object at the top level of the package and the extra objects below it.
bool CNewObjectContext::AddToPackage(CPackageParser& parser) {
  tSmartPtr<IPackageNodePersist> persist;
  if (FAILED(m_main->QueryInterface(__uuidof(IPackageNodePersist), reinterpret_cast<void**>(persist.Receive())))) {
    return false;
  }
  PackageNode node = persist->Save(PackageNode(parser.GetPackage()));
  if (!node) return false;
  AddTypeRecords(parser.GetPackage(), node.GetEntry());
  for (unsigned int i = 0; i < m_extras.Count(); ++i) {
    tSmartPtr<IPackageNodePersist> extra;
    PackageNode extraNode;
    if (FAILED(m_extras[i]->QueryInterface(__uuidof(IPackageNodePersist), reinterpret_cast<void**>(extra.Receive()))) ||
        !(extraNode = extra->Save(node))) {
      return false;
    }
    AddTypeRecords(parser.GetPackage(), extraNode.GetEntry());
  }
  return true;
}

}  // namespace Detail
}  // namespace Orv
