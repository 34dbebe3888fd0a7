// Readers and writers: sequential access to a data block or data file (readers) and to a growing
// data vector or data file (writers), at 32-bit positions.
//
// A memory reader hands out pointers into its block and child blocks instead of copies; a file
// reader reads into a buffer of its own, valid until its next Read. Threading: one thread uses a
// reader or writer at a time; several memory readers may read one block at once.
#pragma once

#include "orvutil/data/blocks.h"

namespace Orv {

struct ISavedData;

struct IDataStream : public IUnknown {
  // The size of the underlying data or file.
  virtual unsigned int GetSize() = 0;
  // The current offset; 0xFFFFFFFF when a file position cannot be told.
  virtual unsigned int GetPos() = 0;
  virtual bool SetPos(unsigned int pos) = 0;
  // Wraps `savedSize` bytes at `offset` of the underlying data as saved data.
  virtual bool CreateSavedData(unsigned int offset, unsigned int savedSize, unsigned int loadedSize, bool compressed,
                               ISavedData** out) = 0;
};

struct IDataReader : public IDataStream {
  // Takes the next `size` bytes as a block; a null `out` skips them.
  virtual bool ReadData(unsigned int size, IData** out) = 0;
  // The next `size` bytes, or null when they are not all there.
  virtual const unsigned char* Read(unsigned int size) = 0;
};

struct IDataWriter : public IDataStream {
  virtual bool Write(const void* p, unsigned int size) = 0;
};

// Hears of the progress of a compression or decompression.
struct IChunkListener : public IUnknown {
  // False cancels the operation.
  virtual bool OnProgress(unsigned int chunkBytes, unsigned int doneBytes, unsigned int totalBytes) = 0;
  virtual void OnFinished(unsigned int totalBytes) = 0;
  virtual void OnFailed(unsigned int doneBytes, unsigned int totalBytes) = 0;
};

// Readers: a memory reader over a block (or over caller memory, which must outlive the reader) at
// `pos`; `pos` beyond the end fails. Over a data file: a memory reader over its view while it is
// mapped, otherwise a file reader with a handle of its own.
ORV_API bool CreateDataReader(IData* data, unsigned int pos, IDataReader** out);
ORV_API bool CreateDataReader(const unsigned char* p, unsigned int size, unsigned int pos, IDataReader** out);
ORV_API bool CreateDataReader(IDataFile* file, unsigned int pos, IDataReader** out);

// Writers: into a data vector at `pos` (not beyond its count); into a new empty vector, handed out
// through `vectorOut` when that is not null; into a data file. The file writer opens the file
// without truncating and starts at `pos`, except that 0xFFFFFFFF creates or truncates the file
// and starts at 0.
ORV_API bool CreateDataWriter(IDataVector* vector, unsigned int pos, IDataWriter** out);
ORV_API bool CreateDataWriter(IDataVector** vectorOut, IDataWriter** out);
ORV_API bool CreateDataWriter(IDataFile* file, unsigned int pos, IDataWriter** out);

}  // namespace Orv

ORV_CLASS_GUID(Orv::IDataStream, 0x257d4a5c, 0x02fc, 0x45c9, 0x82, 0x8d, 0x9e, 0x20, 0x94, 0x3d, 0x2b, 0x61)
ORV_CLASS_GUID(Orv::IDataReader, 0xe9102f6b, 0xf044, 0x430d, 0x95, 0xf4, 0xb3, 0x60, 0xff, 0xb9, 0xd4, 0xe1)
ORV_CLASS_GUID(Orv::IDataWriter, 0x6a2d173a, 0xf366, 0x4bd0, 0xb0, 0xb1, 0x9c, 0xd5, 0xf8, 0x96, 0x8f, 0x12)
ORV_CLASS_GUID(Orv::IChunkListener, 0x7a17a5b4, 0xf086, 0x4352, 0xb1, 0x01, 0xc8, 0xf4, 0xfc, 0x18, 0xd0, 0x8a)
