// Dictionaries saved into packages: the dictionary's persisted form as the payload of an entry
// ("CDict", category GetCategoryDict()), with Object values stored as the nodes of their objects.
#pragma once

#include "orvutil/export.h"
#include "orvutil/package/package.h"
#include "orvutil/values/dict.h"

namespace Orv {

// Adds a node for the dictionary under `parent` (a node or a package's top level). An object value
// is written as the instance GUID of the object's node in the same package (the object is saved at
// the top level first when it is not there yet); objects that cannot persist themselves are left
// out. Empty on failure.
ORV_API PackageNode SaveDict(PackageNode parent, GUID const& id, const CDict& dict, bool withParents);
// Reads the dictionary of a node. Object values are the objects of the package's nodes, created and
// loaded through the nodes; a GUID that names no node fails the load. Nothing is stored on failure.
ORV_API bool LoadDict(PackageNode node, CDict& dict);

}  // namespace Orv
