// The package manager: the process-wide list of live packages (every package is on it from its
// construction to its end, in order of creation), and finding packages by GUID or path (live ones
// first, then "PACK3" resources of every module, then files on the search directories) and nodes
// across the live packages.
//
// Threading: the manager's state is guarded by the library-wide lock; packages it loads are handed
// out with a reference and used by one thread at a time.
#pragma once

#include "orvutil/export.h"
#include "orvutil/foundation/smartptr.h"
#include "orvutil/package/package.h"

namespace Orv {

// Fills `out` with the live packages, each with a reference, in order of creation. A package whose
// last reference is being dropped is never handed out.
ORV_API void GetLivePackages(tSmartPtrVector<IPackage>& out);

struct IPackageManager : public IUnknown {
  // Adds a directory (relative ones against the executable's directory) when it exists and is not
  // listed yet. The executable's directory is always the first.
  virtual void AddSearchDirectory(wchar_t const* directory) = 0;
  // The package with GUID `id` (GUID_NULL: any) found live, in a module resource, or in the file
  // `path` (absolute, or relative to a search directory). One reference through *out.
  virtual bool GetPackage(wchar_t const* path, GUID const& id, IPackage** out) = 0;
  virtual bool GetPackageByPath(wchar_t const* path, IPackage** out) = 0;
  // The first node of a live package whose entry has instance GUID `id`; failing that, the node in
  // the package that a live package's GUID records name as holding it. Empty when none.
  virtual void FindNodeByID(PackageNode& out, GUID const& id) = 0;
  // The first node of the live packages with that name and GUIDs (GUID_NULL matches any).
  virtual void FindNode(PackageNode& out, wchar_t const* name, GUID const& classId, GUID const& categoryId) = 0;
  // The search directories in order.
  virtual unsigned int GetSearchDirectoryCount() = 0;
  virtual tstring GetSearchDirectory(unsigned int index) = 0;
};

// The manager of the process (no reference added), made on first use; null once shut-down began.
ORV_API IPackageManager* GetPackageManager();

}  // namespace Orv

ORV_CLASS_GUID(Orv::IPackageManager, 0x5d1c8a3e, 0x0b7f, 0x4e61, 0x9d, 0x2a, 0x73, 0x40, 0x1e, 0x8b, 0x62, 0x05)
