// CPackageEntry: the stored description of one object in a package.
#include <objbase.h>

#include "orvutil/com/comobject.h"
#include "orvutil/foundation/strings.h"
#include "orvutil/package/package.h"

namespace Orv {

class CPackageEntry : public CComBase, public IPackageEntry {
 public:
  ORV_INTERFACES(IPackageEntry)

  bool Clone(IPackageEntry** out) override;
  ISavedData* GetSavedData() override { return m_savedData; }
  void SetSavedData(ISavedData* data) override { Set(m_savedData, data); }
  tstring GetName() override { return m_name; }
  void SetName(wchar_t const* name) override { Set(m_name, tstring(name ? name : L"")); }
  GUID const& GetObjectClassID() override { return m_classId; }
  void SetObjectClassID(GUID const& id) override { Set(m_classId, id); }
  GUID const& GetObjectCategoryID() override { return m_categoryId; }
  void SetObjectCategoryID(GUID const& id) override { Set(m_categoryId, id); }
  GUID const& GetInstanceID() override { return m_instanceId; }
  void SetInstanceID(GUID const& id) override { Set(m_instanceId, id); }
  unsigned __int64 GetValue64() override { return m_value64; }
  void SetValue64(unsigned __int64 value) override { Set(m_value64, value); }
  unsigned int GetValue32() override { return m_value32; }
  void SetValue32(unsigned int value) override { Set(m_value32, value); }
  IData* GetInlineData() override { return m_inline; }
  void SetInlineData(IData* data) override { Set(m_inline, data); }
  void AddListener(IPackageEntryListener* listener) override;
  void RemoveListener(IPackageEntryListener* listener) override;

 private:
  // Stores the value (smart pointers take the new reference before dropping the old), then tells the
  // listeners, the most recently added first.
  template <class T, class V>
  void Set(T& field, V const& value) {
    field = value;
    for (unsigned i = m_listeners.Count(); i-- > 0;) {
      if (i < m_listeners.Count()) m_listeners[i]->OnEntryChanged(this);
    }
  }

  GUID m_classId = GUID_NULL;
  GUID m_categoryId = GUID_NULL;
  GUID m_instanceId = GUID_NULL;
  tstring m_name;
  unsigned __int64 m_value64 = 0;
  unsigned int m_value32 = 0;
  tSmartPtr<IData> m_inline;
  tSmartPtr<ISavedData> m_savedData;
  tVectorPOD<IPackageEntryListener*> m_listeners;
};

}  // namespace Orv

ORV_CLASS_GUID(Orv::CPackageEntry, 0x0d3bb5a4, 0x69b2, 0x4c83, 0x92, 0x5e, 0x1b, 0x26, 0x3c, 0x5e, 0x4f, 0x01)

namespace Orv {

bool CreatePackageEntry(wchar_t const* name, GUID const& classId, GUID const& categoryId, GUID const& instanceId,
                        ISavedData* savedData, IPackageEntry** out) {
  if (!out) return false;
  *out = nullptr;
  CPackageEntry* entry = nullptr;
  if (FAILED(CComObject<CPackageEntry>::CreateObject(nullptr, &entry))) return false;
  GUID id = instanceId;
  if (IsEqualGUID(id, GUID_NULL) && FAILED(CoCreateGuid(&id))) {
    entry->Release();
    return false;
  }
  entry->SetObjectClassID(classId);
  entry->SetObjectCategoryID(categoryId);
  entry->SetInstanceID(id);
  entry->SetName(name && *name ? name : StringFromGUID(id).c_str());
  entry->SetSavedData(savedData);
  *out = entry;
  return true;
}

bool CPackageEntry::Clone(IPackageEntry** out) {
  if (!CreatePackageEntry(m_name.c_str(), m_classId, m_categoryId, m_instanceId, m_savedData, out)) return false;
  (*out)->SetValue64(m_value64);
  (*out)->SetValue32(m_value32);
  (*out)->SetInlineData(m_inline);
  return true;
}

void CPackageEntry::AddListener(IPackageEntryListener* listener) {
  if (!listener) return;
  for (unsigned i = 0; i < m_listeners.Count(); ++i) {
    if (m_listeners[i] == listener) return;
  }
  m_listeners.PushBack(listener);
}

void CPackageEntry::RemoveListener(IPackageEntryListener* listener) {
  for (unsigned i = 0; i < m_listeners.Count(); ++i) {
    if (m_listeners[i] == listener) {
      m_listeners.Erase(i, 1);
      return;
    }
  }
}

}  // namespace Orv
