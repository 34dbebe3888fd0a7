// Object listeners: the category and object registries and their notifications.
//
// Both registries are multimaps guarded by the object-listener global section. While notifications
// run (they may nest: a callback may create or end objects), removed registrations are only cleared
// (listener set to null and released) and the registry is marked; the cleared entries are dropped
// when the outermost notification ends.
#include "../detail/never_destroyed.h"
#include "listener_registry.h"
#include "orvutil/com/listeners.h"
#include "orvutil/foundation/set.h"
#include "orvutil/threads/locks.h"

namespace Orv {

namespace {

template <typename K>
class tListenerRegistry {
 public:
  using Map = tMap<K, IComListener*>;
  using Item = typename Map::Item;

  bool Contains(K const& key, IComListener* listener) const { return FindEntry(key, listener) != nullptr; }

  bool Add(K const& key, IComListener* listener) {
    if (!m_map.Insert(key, listener, true)) return false;
    listener->AddRef();
    return true;
  }

  // Clears (during a notification) or removes the entry and releases the listener.
  bool Remove(K const& key, IComListener* listener, bool deferred) {
    Item* item = const_cast<Item*>(FindEntry(key, listener));
    if (!item) return false;
    Drop(item, deferred);
    return true;
  }

  // Removes `listener` wherever it is registered.
  bool RemoveEverywhere(IComListener* listener, bool deferred) {
    bool found = false;
    for (Item* item = m_map.First(); item;) {
      if (item->Value() == listener) {
        found = true;
        item = Drop(item, deferred);
      } else {
        item = m_map.Next(item);
      }
    }
    return found;
  }

  // The live listeners registered under `key`, each with a reference for the caller.
  void Collect(K const& key, tVectorPOD<IComListener*, 8>& listeners) const {
    for (Item const* item = m_map.Find(key); item && CompareFunc(item->Key(), key) == 0; item = m_map.Next(item)) {
      if (!item->Value()) continue;
      item->Value()->AddRef();
      listeners.PushBack(item->Value());
    }
  }

  void CleanUp() {
    if (!m_cleanUpPending) return;
    m_cleanUpPending = false;
    for (Item* item = m_map.First(); item;) item = item->Value() ? m_map.Next(item) : m_map.Remove(item);
  }

  bool IsEmpty() const { return m_map.Count() == 0; }

 private:
  Item const* FindEntry(K const& key, IComListener* listener) const {
    for (Item const* item = m_map.Find(key); item && CompareFunc(item->Key(), key) == 0; item = m_map.Next(item)) {
      if (item->Value() == listener) return item;
    }
    return nullptr;
  }

  // Returns the item after the dropped one.
  Item* Drop(Item* item, bool deferred) {
    IComListener* listener = item->Value();
    Item* next;
    if (deferred) {
      item->Value() = nullptr;
      m_cleanUpPending = true;
      next = m_map.Next(item);
    } else {
      next = m_map.Remove(item);
    }
    listener->Release();
    return next;
  }

  Map m_map;
  bool m_cleanUpPending = false;
};

struct SListenerRegistries {
  tListenerRegistry<GUID> categories;
  tListenerRegistry<IUnknown*> objects;
  unsigned nesting = 0;
};

// Never destroyed: objects may still end while the process exits.
SListenerRegistries& Registries() {
  static Detail::tNeverDestroyed<SListenerRegistries> s_registries;
  return s_registries.Get();
}

// Counts a notification in and out; the outermost one runs the pending clean-ups.
class CNotificationScope {
 public:
  explicit CNotificationScope(SListenerRegistries& registries) : m_registries(registries) { ++m_registries.nesting; }
  ~CNotificationScope() {
    if (--m_registries.nesting != 0) return;
    m_registries.categories.CleanUp();
    m_registries.objects.CleanUp();
  }

 private:
  SListenerRegistries& m_registries;
};

// Calls `notify` for each collected listener that is still registered when its turn comes (a
// callback may remove a later listener), releasing the collection's references.
template <typename K, typename Notify>
void NotifyEach(tListenerRegistry<K> const& registry, K const& key, Notify&& notify) {
  tVectorPOD<IComListener*, 8> listeners;
  registry.Collect(key, listeners);
  for (IComListener* listener : listeners) {
    if (registry.Contains(key, listener)) notify(listener);
    listener->Release();
  }
}

}  // namespace

bool AddComListener(GUID const& category, IComListener* listener) {
  if (!listener) return false;
  CScopeCriticalSection guard(eGlobalCSObjectListeners);
  SListenerRegistries& registries = Registries();
  if (registries.categories.Contains(category, listener) || registries.categories.Contains(GUID_NULL, listener)) {
    return false;
  }
  return registries.categories.Add(category, listener);
}

bool RemoveComListener(GUID const& category, IComListener* listener) {
  if (!listener) return false;
  CScopeCriticalSection guard(eGlobalCSObjectListeners);
  SListenerRegistries& registries = Registries();
  bool deferred = registries.nesting != 0;
  if (::IsEqualGUID(category, GUID_NULL)) return registries.categories.RemoveEverywhere(listener, deferred);
  return registries.categories.Remove(category, listener, deferred);
}

bool AddComListener(IUnknown* object, IComListener* listener) {
  if (!object || !listener) return false;
  CScopeCriticalSection guard(eGlobalCSObjectListeners);
  SListenerRegistries& registries = Registries();
  if (registries.objects.Contains(object, listener)) return false;
  return registries.objects.Add(object, listener);
}

bool RemoveComListener(IUnknown* object, IComListener* listener) {
  if (!object || !listener) return false;
  CScopeCriticalSection guard(eGlobalCSObjectListeners);
  SListenerRegistries& registries = Registries();
  return registries.objects.Remove(object, listener, registries.nesting != 0);
}

namespace Detail {

void NotifyComObjectCreated(IUnknown* outer, GUID const& category, GUID const& clsid, IUnknown* object) {
  CScopeCriticalSection guard(eGlobalCSObjectListeners);
  SListenerRegistries& registries = Registries();
  if (registries.categories.IsEmpty()) return;
  CNotificationScope scope(registries);
  auto created = [&](IComListener* listener) { listener->OnComObjectCreated(outer, category, clsid, object); };
  NotifyEach(registries.categories, category, created);
  if (!::IsEqualGUID(category, GUID_NULL)) NotifyEach(registries.categories, GUID_NULL, created);
}

void NotifyComObjectDestroyed(GUID const& category, GUID const& clsid, IUnknown* object) {
  if (!object) return;
  CScopeCriticalSection guard(eGlobalCSObjectListeners);
  SListenerRegistries& registries = Registries();
  if (registries.categories.IsEmpty() && registries.objects.IsEmpty()) return;
  CNotificationScope scope(registries);
  auto destroyed = [&](IComListener* listener) { listener->OnComObjectDestroyed(category, clsid, object); };
  NotifyEach(registries.categories, category, destroyed);
  if (!::IsEqualGUID(category, GUID_NULL)) NotifyEach(registries.categories, GUID_NULL, destroyed);
  // Per-object registrations hear the end once and are forgotten.
  NotifyEach(registries.objects, object, [&](IComListener* listener) {
    destroyed(listener);
    registries.objects.Remove(object, listener, true);
  });
}

}  // namespace Detail

}  // namespace Orv
