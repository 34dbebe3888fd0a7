// What orvpack and orvview share about binary package files: opening one, and the text forms of
// GUIDs, GUID record kinds and entry payloads.
#pragma once

#include <string>

#include "orvutil/orvutil.h"

namespace OrvApps {

std::wstring Text(Orv::tstring const& text);
// The package in the file at `path`; the file stays open while the package lives.
bool OpenPackageFile(std::wstring const& path, Orv::tSmartPtr<Orv::IPackage>& package);
std::wstring GuidText(GUID const& id);
// "module", "package", "class", "foreign-object", "category", else "kind-N".
std::wstring GuidKindName(unsigned kind);
// "SAVED/LOADED compressed" or "SAVED/LOADED plain" (sizes in bytes), or "none".
std::wstring PayloadText(Orv::ISavedData* saved);
// The byte-data object stored at `node`, created and loaded through the node; false when the node
// holds none.
bool LoadByteData(Orv::PackageNode const& node, Orv::tSmartPtr<Orv::IPackageByteData>& bytes);

}  // namespace OrvApps
