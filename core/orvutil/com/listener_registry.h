// The object-listener registry's notifications, called by the object bases.
#pragma once

#include <windows.h>
#include <unknwn.h>

namespace Orv {
namespace Detail {

void NotifyComObjectCreated(IUnknown* outer, GUID const& category, GUID const& clsid, IUnknown* object);
void NotifyComObjectDestroyed(GUID const& category, GUID const& clsid, IUnknown* object);

}  // namespace Detail
}  // namespace Orv
