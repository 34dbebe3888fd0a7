// Data blocks: read-only views of contiguous bytes (caller memory, a mapped data file, a module
// resource, a range of another block) and growable byte vectors; data files that hand out handles
// and one shared read mapping.
//
// Threading: a block may be read from several threads at once; a data vector is not locked. The
// mapping use count of a data file is interlocked, so blocks over one file may come and go on
// several threads.
#pragma once

#include <windows.h>

#include "orvutil/com/object.h"
#include "orvutil/export.h"
#include "orvutil/foundation/vector.h"

namespace Orv {

struct IDataFile;

// A read-only range of bytes.
struct IData : public IUnknown {
  virtual const unsigned char* GetPointer() = 0;
  virtual unsigned int GetSize() = 0;
  // The data file whose mapping holds the bytes (no new reference), or null.
  virtual IDataFile* GetDataFile() = 0;
  // True for fixed memory (files, resources, caller memory), false for vectors.
  virtual bool IsReadOnly() = 0;
};

// A block whose owner may resize and fill its vector.
struct IDataVector : public IData {
  virtual tVectorPOD<unsigned char>& GetVector() = 0;
};

// A file on disk: handles for reading and writing, and one shared read mapping with a use count.
struct IDataFile : public IUnknown {
  // A new handle (the caller closes it) through CFile::OpenWrite(path, append).
  virtual bool OpenWrite(HANDLE* out, bool append) = 0;
  virtual bool OpenRead(HANDLE* out) = 0;
  // Takes one use of the read mapping, mapping the file on the first; true while a mapping exists.
  // A failed Map takes no use.
  virtual bool Map() = 0;
  // Gives one use back, unmapping on the last; false when there was none.
  virtual bool Unmap() = 0;
  // The mapped view, or null when not mapped.
  virtual const unsigned char* GetMappedPointer() = 0;
  virtual const wchar_t* GetPath() = 0;
  // While mapped the mapping's size; otherwise the size on disk (0 when missing or 4 GiB or more).
  virtual unsigned int GetSize() = 0;
};

// Every creator clears *out first, fails when `out` is null and hands out one reference.

// A block over the caller's memory (not copied; it must outlive the block). A null `p` fails.
ORV_API bool CreateDataInStaticMem(const unsigned char* p, unsigned int n, IData** out);
// A block over `p`/`n` that keeps `file` referenced and mapped (one Map use) while it lives; a null
// `p` means the file's whole view. A null `file` makes it the static-memory form.
ORV_API bool CreateDataInMemMappedFile(const unsigned char* p, unsigned int n, IDataFile* file, IData** out);
ORV_API bool CreateDataInMemMappedFile(IDataFile* file, IData** out);
// A block over the bytes of a module resource; a missing or empty resource fails.
ORV_API bool CreateDataInResource(HINSTANCE module, const wchar_t* name, const wchar_t* type, IData** out);
// A view of `size` bytes at `offset` of `parent`, following the parent's current storage. The
// range must lie inside the parent.
ORV_API bool CreateDataInData(IData* parent, unsigned int offset, unsigned int size, IData** out);
// A data vector of `size` zero bytes.
ORV_API bool CreateDataVector(unsigned int size, IDataVector** out);
// A data file for `path` (not opened). A null or empty path fails.
ORV_API bool CreateDataFile(const wchar_t* path, bool deleteOnRelease, IDataFile** out);
// A data file over a new, empty temporary file (CreateTempFile), deleted when the data file goes.
ORV_API bool CreateTempDataFile(IDataFile** out);

// Reads a whole file into a new data vector; an unreadable file fails.
ORV_API bool ReadWholeFile(const wchar_t* path, IData** out);

}  // namespace Orv

ORV_CLASS_GUID(Orv::IData, 0x38bbeba3, 0x3ea4, 0x4f91, 0xa2, 0xe0, 0xe0, 0x91, 0xee, 0x25, 0xb2, 0x91)
ORV_CLASS_GUID(Orv::IDataVector, 0x4bbe0bfd, 0xb728, 0x466a, 0xa1, 0x8a, 0x5e, 0xbd, 0x1d, 0xe1, 0x1e, 0xb7)
ORV_CLASS_GUID(Orv::IDataFile, 0x64f954ad, 0x330b, 0x461c, 0xa5, 0xfb, 0xfd, 0xea, 0xd4, 0x8a, 0x19, 0x1f)
