// Package byte data: a block of raw bytes stored as a package entry. Package text embeds a file
// with `new bytes { string file { "name" } }`; the name is looked up beside the text, then on the
// include directories.
//
// Stored form: format number 0, the block's size, then the bytes padded with zeros to a multiple of
// 4 (all integers little-endian 32-bit).
#pragma once

#include "orvutil/data/blocks.h"
#include "orvutil/export.h"
#include "orvutil/package/persist.h"

namespace Orv {

struct IPackageByteData : public IUnknown {
  // The block (no reference added), once any outstanding load has ended; may be null.
  virtual IData* GetData() = 0;
  virtual void SetData(IData* data) = 0;
};

// A new, empty byte-data object with one reference.
ORV_API bool CreatePackageByteData(IPackageByteData** out);

// The class of byte-data objects (the class GUID of their entries), the class of their creator, and
// their category.
ORV_API GUID const& GetPackageByteDataClassID();
ORV_API GUID const& GetPackageByteDataCreatorClassID();
ORV_API GUID const& GetPackageByteDataCategory();

}  // namespace Orv

ORV_CLASS_GUID(Orv::IPackageByteData, 0x1f6a8d20, 0x4c5b, 0x4e7f, 0xa9, 0x31, 0x0d, 0x82, 0x6e, 0x57, 0xb4, 0x13)
