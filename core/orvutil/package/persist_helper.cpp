// CPackagePersistAsyncHelper: loading an object from a package node (in the background on the main
// thread), saving it as a new node, and the listeners of an outstanding load.
#include "orvutil/com/plugins.h"
#include "orvutil/package/persist.h"
#include "orvutil/threads/mainthread.h"
#include "orvutil/threads/workitem.h"

namespace Orv {

namespace {

// Whether a payload is there to load; a payload already in memory makes the background request
// cheap, and it completes like any other.
bool HasPayload(ISavedData* saved) { return saved && saved->GetLoadedSize() != 0; }

}  // namespace

CPackagePersistAsyncHelper::~CPackagePersistAsyncHelper() { delete m_listeners; }

bool IPackageNodePersist::IsLoaded(IUnknown* object) {
  tSmartPtr<IPackageNodePersist> persist;
  if (!object || FAILED(object->QueryInterface(__uuidof(IPackageNodePersist), reinterpret_cast<void**>(persist.Receive()))))
    return true;
  return persist->IsLoaded();
}

bool IPackageNodePersist::Wait(IUnknown* object) {
  tSmartPtr<IPackageNodePersist> persist;
  if (!object || FAILED(object->QueryInterface(__uuidof(IPackageNodePersist), reinterpret_cast<void**>(persist.Receive()))))
    return true;
  return persist->Wait();
}

bool CPackagePersistAsyncHelper::Load(PackageNode node) {
  IPackageEntry* entry = node.GetEntry();
  if (!entry || m_loading) return false;
  m_original = node;
  m_name = entry->GetName();
  m_instanceId = entry->GetInstanceID();
  ISavedData* saved = entry->GetSavedData();
  IAsyncDataLoader* loader = IsRunningOnMainThread() ? GetGlobalAsyncDataLoader() : nullptr;
  if (loader && HasPayload(saved)) {
    if (!loader->LoadAsync(saved, IWorkItem::s_nDefaultPriority, this)) return false;
    m_loading = true;  // only once queued: a refused request leaves the object free to load again
    return true;
  }
  return CallInternalLoad(saved);
}

bool CPackagePersistAsyncHelper::CallInternalLoad(ISavedData* saved) {
  if (saved && saved->GetLoadedSize() != 0) {
    IData* loaded = saved->Load();
    tSmartPtr<IDataReader> reader;
    if (!loaded || !CreateDataReader(loaded, 0, reader.Receive())) return false;
    if (!InternalLoad(reader, m_original)) return false;
  }
  return InternalLoadChildNodes(m_original);
}

void CPackagePersistAsyncHelper::OnComplete(ISavedData* data, EDataWorkType) { EndLoad(data, true); }
void CPackagePersistAsyncHelper::OnCancel(ISavedData* data, EDataWorkType) { EndLoad(data, false); }

// The background load ended: run the hooks over the loaded payload, let go of the payload's loaded
// form, and tell each listener once. A load whose hooks fail is told as cancelled.
void CPackagePersistAsyncHelper::EndLoad(ISavedData* data, bool completed) {
  if (!m_loading) return;
  m_loading = false;
  tSmartPtr<IPackageNodePersist> keepAlive(this);
  IPackageEntry* entry = m_original.GetEntry();
  bool loaded = completed && entry && entry->GetSavedData() == data && CallInternalLoad(data);
  if (data) {
    if (IAsyncDataLoader* loader = GetGlobalAsyncDataLoader()) loader->UnloadAsync(data, 0, nullptr);
  }
  tSmartPtrVector<IPersistListener>* listeners = m_listeners;
  m_listeners = nullptr;
  if (!listeners) return;
  for (unsigned i = 0; i < listeners->Count(); ++i) {
    if (loaded)
      (*listeners)[i]->OnLoadFinished(this);
    else
      (*listeners)[i]->OnLoadCancelled(this);
  }
  delete listeners;
}

bool CPackagePersistAsyncHelper::Wait() {
  if (!m_loading) return true;
  IAsyncDataLoader* loader = GetGlobalAsyncDataLoader();
  if (!loader || !loader->WaitForListener(this)) return false;
  return !m_loading;
}

void CPackagePersistAsyncHelper::AddListener(IPersistListener* listener) {
  if (!listener || !m_loading) return;
  if (!m_listeners) m_listeners = new tSmartPtrVector<IPersistListener>();
  for (unsigned i = 0; i < m_listeners->Count(); ++i) {
    if ((*m_listeners)[i].Get() == listener) return;
  }
  m_listeners->PushBack(tSmartPtr<IPersistListener>(listener));
}

bool CPackagePersistAsyncHelper::AddProxyListener(IPersistListener* listener, IProxyPersistListener** out) {
  if (!m_loading || !CreateProxyPersistListener(listener, out)) return false;
  AddListener(*out);
  return true;
}

void CPackagePersistAsyncHelper::RemoveListener(IPersistListener* listener) {
  if (!m_listeners) return;
  for (unsigned i = 0; i < m_listeners->Count(); ++i) {
    if ((*m_listeners)[i].Get() == listener) {
      m_listeners->Erase(i, 1);
      return;
    }
  }
}

PackageNode CPackagePersistAsyncHelper::Save(PackageNode parent) {
  if (!parent || !Wait()) return PackageNode();
  tSmartPtr<IPackageEntry> entry;
  if (!CreatePackageEntry(m_name.c_str(), _GetClassID(), InternalGetCategory(), m_instanceId, nullptr,
                          entry.Receive()))
    return PackageNode();
  PackageNode node = parent.AddChild(entry);
  if (!node) return node;
  tSmartPtr<IDataVector> vector;
  tSmartPtr<IDataWriter> writer;
  tSmartPtr<ISavedData> saved;
  bool written = CreateDataWriter(vector.Receive(), writer.Receive()) && InternalSave(writer, node) &&
                 CreateLoadedDataFromMemory(vector, false, saved.Receive());
  if (!written) {
    node.GetPackage()->RemoveNode(node);  // no entry without its payload
    return PackageNode();
  }
  entry->SetSavedData(saved);
  return node;
}

GUID CPackagePersistAsyncHelper::GetInstanceID(IUnknown* object) {
  tSmartPtr<IPackageNodePersist> persist;
  if (!object || FAILED(object->QueryInterface(__uuidof(IPackageNodePersist), reinterpret_cast<void**>(persist.Receive()))))
    return GUID_NULL;
  return persist->GetInstanceID();
}

HRESULT CPackagePersistAsyncHelper::CreateInstance(IUnknown* outer, GUID const& clsid, GUID const& iid, void** ppv) {
  if (!ppv) return E_INVALIDARG;
  *ppv = nullptr;
  IComModules* modules = GetComModules();
  return modules ? modules->CreateInstance(outer, clsid, iid, ppv) : E_FAIL;
}

}  // namespace Orv
