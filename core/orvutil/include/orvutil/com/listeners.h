// Object listeners: hear of the construction and the end of component-model objects.
//
// A listener is registered for a category (GUID_NULL: every object) or for one object (by its
// identity, the IUnknown pointer of IID_IUnknown). Registrations hold a reference to the listener.
// Callbacks run on the thread that creates or ends the object, under the library's object-listener
// lock: a callback may add or remove listeners (removals take effect at once, the clean-up is
// deferred) but must not wait for another thread that creates or ends objects.
#pragma once

#include <windows.h>

#include "orvutil/com/object.h"
#include "orvutil/export.h"

namespace Orv {

struct IComListener : public IUnknown {
  virtual void OnComObjectCreated(IUnknown* outer, GUID const& category, GUID const& clsid, IUnknown* object) = 0;
  virtual void OnComObjectDestroyed(GUID const& category, GUID const& clsid, IUnknown* object) = 0;
};

// A listener that forwards to another one while its target is set; clearing the target detaches the
// real listener without unregistering the proxy.
struct IProxyComListener : public IComListener {
  virtual void SetComListener(IComListener* target) = 0;
};

// Category registrations: a listener is refused when it is already registered for the category or
// for GUID_NULL. Removing with GUID_NULL finds the listener under any category.
ORV_API bool AddComListener(GUID const& category, IComListener* listener);
ORV_API bool RemoveComListener(GUID const& category, IComListener* listener);
// Per-object registrations: heard once, when the object ends, and then forgotten.
ORV_API bool AddComListener(IUnknown* object, IComListener* listener);
ORV_API bool RemoveComListener(IUnknown* object, IComListener* listener);

ORV_API bool CreateProxyComListener(IComListener* target, IProxyComListener** out);

}  // namespace Orv

ORV_CLASS_GUID(Orv::IComListener, 0x59c330b7, 0x3c9d, 0x45bb, 0xb1, 0xe7, 0x70, 0x03, 0xe5, 0xaa, 0xb1, 0xa4)
ORV_CLASS_GUID(Orv::IProxyComListener, 0x3fbe7dcd, 0xe53f, 0x4751, 0xa6, 0xaf, 0x9b, 0xc2, 0x80, 0x54, 0x64, 0x60)
