// Saved data: one persisted blob in up to three forms (the loaded bytes, the saved bytes as stored,
// possibly zlib-compressed, and a range of a data file read on demand), converted lazily. Data
// streams: a block or data vector seen as a COM IStream.
//
// Lifetime of handed-out blocks: Load and GetSavedData hand out no reference. A block from Load
// stays valid until Unload, GetSavedData, SaveToTempFile, CopyFrom or the end of the saved data;
// the size getters never drop it. Threading: one thread at a time changes the forms; an attached
// asynchronous loader is waited for before every change.
#pragma once

#include <objidl.h>

#include "orvutil/data/readers.h"

namespace Orv {

struct IAsyncDataLoader;

struct ISavedData : public IUnknown {
  // The loaded form, produced if needed; null on failure.
  virtual IData* Load() = 0;
  // Drops the loaded form once a saved form exists; false (and nothing dropped) when none can be made.
  virtual bool Unload() = 0;
  // The saved form in memory, produced if needed; drops the loaded form.
  virtual IData* GetSavedData() = 0;
  // Moves the saved form out to a new temporary data file.
  virtual bool SaveToTempFile() = 0;
  virtual unsigned int GetSavedSize() = 0;
  virtual unsigned int GetLoadedSize() = 0;
  virtual bool IsCompressed() = 0;
  // A reader over the saved bytes.
  virtual bool CreateSavedReader(IDataReader** out) = 0;
  virtual bool Clone(ISavedData** out) = 0;
  // Takes over the forms of another saved data of this library (not its loader).
  virtual bool CopyFrom(ISavedData* other) = 0;
  virtual void SetAsyncLoader(IAsyncDataLoader* loader) = 0;
  virtual bool GetAsyncLoader(IAsyncDataLoader** out) = 0;
};

// Creators: each clears *out first, fails when `out` is null and hands out one reference.

// `saved` is the stored form: not compressed, its size must equal `loadedSize` and it is also the
// loaded form; compressed, it is decompressed on the first Load.
ORV_API bool CreateSavedDataFromMemory(IData* saved, unsigned int loadedSize, bool compressed, ISavedData** out);
// `loaded` is the loaded form; the compressed saved form is made on demand.
ORV_API bool CreateLoadedDataFromMemory(IData* loaded, bool compressed, ISavedData** out);
// `savedSize` bytes at `offset` of a data file, which must lie inside the file (read in place while
// it is mapped, else on demand).
ORV_API bool CreateSavedDataFromFile(IDataFile* file, unsigned int offset, unsigned int savedSize,
                                     unsigned int loadedSize, bool compressed, ISavedData** out);

// A stream reading `data` from `pos`.
ORV_API bool CreateReadStream(IData* data, unsigned int pos, IStream** out);
// A stream writing into `vector` from `pos`; the other form makes a new empty vector and hands it
// out through `vectorOut` when that is not null.
ORV_API bool CreateWriteStream(IDataVector* vector, unsigned int pos, IStream** out);
ORV_API bool CreateWriteStream(IDataVector** vectorOut, IStream** out);

}  // namespace Orv

ORV_CLASS_GUID(Orv::ISavedData, 0xecde3d4c, 0x7eb3, 0x400a, 0x84, 0x9f, 0x50, 0xab, 0x8d, 0xfc, 0x48, 0x8c)
