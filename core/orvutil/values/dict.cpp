// CDict: entries, parents, settings and the typed accessors.
#include "orvutil/values/dict.h"

#include "orvutil/com/module.h"
#include "orvutil/com/startup.h"
#include "orvutil/threads/locks.h"

namespace Orv {

namespace {

constexpr unsigned kNoAtom = ~0u;
constexpr GUID kCategoryDict = {0x1ae9073c, 0x5fa6, 0x450f, {0x99, 0x82, 0x1c, 0x8e, 0x87, 0xa7, 0xba, 0x91}};

CAtomizer* g_defaultAtomizer = nullptr;

void DestroyDefaultAtomizer() {
  CAtomizer* atomizer;
  {
    CScopeCriticalSection guard(eGlobalCSDefaultAtomizer);
    atomizer = g_defaultAtomizer;
    g_defaultAtomizer = nullptr;
  }
  delete atomizer;
}

}  // namespace

GUID const& GetCategoryDict() { return kCategoryDict; }

CAtomizer& CDict::GetDefaultAtomizer() {
  CScopeCriticalSection guard(eGlobalCSDefaultAtomizer);
  if (!g_defaultAtomizer) {
    g_defaultAtomizer = new CAtomizer();
    if (DidStartup() && !IsShuttingDown() && !DidShutdown()) AtShutdown(DestroyDefaultAtomizer, &GetOrvutilModule());
  }
  return *g_defaultAtomizer;
}

CDict::CDict(const CDict* parent)
    : m_parent(nullptr), m_atomizer(&GetDefaultAtomizer()), m_entries(new EntryMap()) {
  SetParent(parent);
}

CDict::CDict(const CDict& other)
    : m_parent(other.m_parent),
      m_atomizer(other.m_atomizer),
      m_entries(new EntryMap(*other.m_entries)),
      m_caseSensitive(other.m_caseSensitive) {}

CDict& CDict::operator=(const CDict& other) {
  if (m_readOnly || this == &other) return *this;
  EntryMap* entries = new EntryMap(*other.m_entries);
  delete m_entries;
  m_entries = entries;
  m_parent = other.m_parent;
  m_atomizer = other.m_atomizer;
  m_caseSensitive = other.m_caseSensitive;
  return *this;
}

CDict::~CDict() { delete m_entries; }

bool CDict::SetParent(const CDict* parent) {
  for (const CDict* up = parent; up; up = up->m_parent) {
    if (up == this) return false;
  }
  m_parent = parent;
  return true;
}

bool CDict::SetCaseSensitive(bool caseSensitive) {
  if (caseSensitive != m_caseSensitive && m_entries->Count()) return false;
  m_caseSensitive = caseSensitive;
  return true;
}

bool CDict::SetAtomizer(CAtomizer* atomizer) {
  CAtomizer* chosen = atomizer ? atomizer : &GetDefaultAtomizer();
  if (chosen != m_atomizer && m_entries->Count()) return false;
  m_atomizer = chosen;
  return true;
}

unsigned int CDict::GetAtom(const wchar_t* name, bool findOnly) const {
  return name ? m_atomizer->GetAtom(name, !m_caseSensitive, findOnly) : kNoAtom;
}

void CDict::SetValue(unsigned int atom, CValue* value) {
  if (m_readOnly || atom == kNoAtom) return;
  if (value)
    m_entries->Insert(atom, tSmartPtr<CValue>(value));  // the new reference is taken before the old goes
  else
    m_entries->RemoveKey(atom);
}

void CDict::SetValue(const wchar_t* name, CValue* value) {
  if (!m_readOnly && name) SetValue(GetAtom(name, false), value);
}

CValue* CDict::GetValue(unsigned int atom, bool searchParents) const {
  if (atom == kNoAtom) return nullptr;
  for (const CDict* dict = this; dict; dict = searchParents ? dict->m_parent : nullptr) {
    if (const tSmartPtr<CValue>* value = dict->m_entries->FindValue(atom)) return value->Get();
  }
  return nullptr;
}

CValue* CDict::GetValue(const wchar_t* name, bool searchParents) const {
  return name ? GetValue(GetAtom(name, true), searchParents) : nullptr;
}

void CDict::Clear() {
  if (!m_readOnly) m_entries->Clear();
}

void CDict::Add(const CDict& other, bool withParents) {
  if (m_readOnly) return;
  tVectorPOD<unsigned int> names;
  other.GetAllNames(names, withParents);
  for (unsigned i = 0; i < names.Count(); ++i) SetValue(names[i], other.GetValue(names[i], withParents));
}

void CDict::GetAllNames(tSet<unsigned int>& names, bool withParents) const {
  tVectorPOD<const CDict*> chain;  // the root first, so parents' names come before the own
  for (const CDict* dict = this; dict; dict = withParents ? dict->m_parent : nullptr) chain.PushBack(dict);
  for (unsigned i = chain.Count(); i-- > 0;) {
    for (auto const& item : *chain[i]->m_entries) names.Insert(item.Key());
  }
}

void CDict::GetAllNames(tVectorPOD<unsigned int>& names, bool withParents) const {
  tSet<unsigned int> set;
  GetAllNames(set, withParents);
  for (auto const& item : set) names.PushBack(item.Key());
}

namespace {

template <class Create, class T>
void SetCreated(CDict& dict, unsigned atom, Create create, T const& value) {
  CValue* created = nullptr;
  if (!create(value, &created)) return;
  dict.SetValue(atom, created);
  created->Release();
}

}  // namespace

void CDict::SetInt(unsigned int atom, int value) { SetCreated(*this, atom, CValue::CreateInt, value); }
void CDict::SetBool(unsigned int atom, bool value) { SetCreated(*this, atom, CValue::CreateBool, value); }
void CDict::SetFloat(unsigned int atom, float value) { SetCreated(*this, atom, CValue::CreateFloat, value); }
void CDict::SetDouble(unsigned int atom, double value) { SetCreated(*this, atom, CValue::CreateDouble, value); }
void CDict::SetPoint(unsigned int atom, const tPoint<int>& value) {
  SetCreated(*this, atom, CValue::CreatePoint, value);
}
void CDict::SetRect(unsigned int atom, const tRect<int>& value) { SetCreated(*this, atom, CValue::CreateRect, value); }
void CDict::SetString(unsigned int atom, const tstring& value) {
  SetCreated(*this, atom, static_cast<bool (*)(const tstring&, CValue**)>(CValue::CreateString), value);
}
void CDict::SetGuid(unsigned int atom, const GUID& value) { SetCreated(*this, atom, CValue::CreateGuid, value); }
void CDict::SetData(unsigned int atom, IData* value) { SetCreated(*this, atom, CValue::CreateData, value); }

tSmartPtr<CValue> CDict::Converted(unsigned int atom, CValue::EType type, bool searchParents) const {
  CValue* value = GetValue(atom, searchParents);
  tSmartPtr<CValue> result;
  CValue* converted = nullptr;
  if (value && value->Convert(type, &converted)) {
    result = converted;
    converted->Release();
  }
  return result;
}

int CDict::GetInt(unsigned int atom, int def, bool searchParents) const {
  tSmartPtr<CValue> v = Converted(atom, CValue::eInt, searchParents);
  return v ? v->AsInt() : def;
}
bool CDict::GetBool(unsigned int atom, bool def, bool searchParents) const {
  tSmartPtr<CValue> v = Converted(atom, CValue::eBool, searchParents);
  return v ? v->AsBool() : def;
}
float CDict::GetFloat(unsigned int atom, float def, bool searchParents) const {
  tSmartPtr<CValue> v = Converted(atom, CValue::eFloat, searchParents);
  return v ? v->AsFloat() : def;
}
double CDict::GetDouble(unsigned int atom, double def, bool searchParents) const {
  tSmartPtr<CValue> v = Converted(atom, CValue::eDouble, searchParents);
  return v ? v->AsDouble() : def;
}
tstring CDict::GetString(unsigned int atom, const tstring& def, bool searchParents) const {
  tSmartPtr<CValue> v = Converted(atom, CValue::eString, searchParents);
  return v ? v->AsStringObj() : def;
}
GUID CDict::GetGuid(unsigned int atom, const GUID& def, bool searchParents) const {
  tSmartPtr<CValue> v = Converted(atom, CValue::eGuid, searchParents);
  return v ? v->AsGuid() : def;
}

tPoint<int> CDict::GetPoint(unsigned int atom, const tPoint<int>& def, bool searchParents) const {
  CValue* value = GetValue(atom, searchParents);
  return value && value->IsType(CValue::ePoint) ? value->AsPoint() : def;
}
tRect<int> CDict::GetRect(unsigned int atom, const tRect<int>& def, bool searchParents) const {
  CValue* value = GetValue(atom, searchParents);
  return value && value->IsType(CValue::eRect) ? value->AsRect() : def;
}
IData* CDict::GetData(unsigned int atom, bool searchParents) const {
  CValue* value = GetValue(atom, searchParents);
  return value ? value->AsData() : nullptr;
}

}  // namespace Orv
