// Service collections and object dumps.
//
// A service collection is an IServiceProvider that holds services (objects registered under a
// service GUID) and a chain of further providers that it asks, in the order they were added, only
// when none of its own services matches. Services are told apart by their whole GUID. The library
// keeps one global, thread-safe collection; more can be created, with or without locking.
//
// A collection never calls out (services' QueryInterface, providers, dumps, releases) while it holds
// its own lock, and refuses a provider that is null, itself, or a collection whose chain already
// leads back to it, so chains stay acyclic.
//
// Object dumps write the structure of an object graph to a log: objects that implement IDebugDump
// write themselves; others get one name line, "<class name> (0x<identity>)\n" for library objects
// and "IUnknown (0x<pointer>)\n" for the rest, after `indent` blanks.
#pragma once

#include <windows.h>

#include <servprov.h>

#include "orvutil/com/object.h"
#include "orvutil/diag/log.h"
#include "orvutil/export.h"

namespace Orv {

struct IServiceCollection : public IServiceProvider {
  // False for a null service, GUID_NULL, or a GUID already registered (the first service stays).
  virtual bool AddService(GUID const& sid, IUnknown* service) = 0;
  // Removes and releases the service; false when there is none under `sid`.
  virtual bool RemoveService(GUID const& sid) = 0;
  // Appends `provider` with a reference; false when it is null, this collection, already listed, or
  // a collection that reaches this one through its own providers.
  virtual bool AddServiceProvider(IServiceProvider* provider) = 0;
  virtual bool RemoveServiceProvider(IServiceProvider* provider) = 0;
};

struct IDebugDump : public IUnknown {
  virtual void DebugDump(IUnknown* parent, CLog& log, unsigned int indent) = 0;
};

// A new collection with one reference for the caller; `threadSafe` locks every operation.
ORV_API bool CreateServiceCollection(bool threadSafe, IServiceCollection** out);
// The library's thread-safe collection (no reference added for the caller); null once the library
// has shut down.
ORV_API IServiceCollection* GetGlobalServiceCollection();

// Lets `object` dump itself (IDebugDump) or writes its name line; nothing for null.
ORV_API void DebugDumpObject(IUnknown* object, IUnknown* parent, CLog& log, unsigned int indent);
ORV_API void DebugDumpName(IUnknown* object, CLog& log, unsigned int indent);

// A new GUID from CoCreateGuid; GUID_NULL when none could be made.
ORV_API GUID CreateGuid();

}  // namespace Orv

ORV_CLASS_GUID(Orv::IServiceCollection, 0x3f9d2b61, 0x57c4, 0x4e0a, 0x9b, 0x1e, 0x6c, 0x22, 0xa8, 0x47, 0xd5, 0x03)
ORV_CLASS_GUID(Orv::IDebugDump, 0x7A05F8F7, 0x0254, 0x4010, 0xA6, 0x28, 0x58, 0x73, 0x3A, 0x91, 0xED, 0x4A)
