// Record encodings shared by every persisted format, the chunked copy and zlib compression.
//
// Records are little-endian and begin and end on 4-byte boundaries: byte blocks are zero-padded to
// a multiple of 4; strings are a 32-bit byte count (terminator included) followed by UTF-16LE text,
// its terminator and padding. A null reader or writer fails every function.
#pragma once

#include "orvutil/data/readers.h"
#include "orvutil/foundation/tstring.h"

namespace Orv {

// The n bytes, then zero bytes up to the next multiple of 4.
ORV_API bool SaveBytes(IDataWriter* out, const void* p, unsigned int n);
ORV_API bool SaveBytes(IDataWriter* out, IData* data);
// Reads n bytes and their padding, copying the n bytes to `dst`.
ORV_API bool LoadBytes(IDataReader* in, void* dst, unsigned int n);
// n bytes as a block (a null `out` skips them), then past the padding.
ORV_API bool LoadBytes(IDataReader* in, unsigned int n, IData** out);
// The n bytes and their padding; null when they are not all there.
ORV_API const unsigned char* LoadBytes(IDataReader* in, unsigned int n);

template <typename T>
bool SaveData(IDataWriter* out, const T& value);
template <typename T>
bool LoadData(IDataReader* in, T& value);

// A string record. Loading yields the text up to its first 0 and consumes the whole record; a
// record whose count is 0, odd, or larger than what is left fails and leaves the position as it was.
template <>
ORV_API bool SaveData<tstring>(IDataWriter* out, const tstring& text);
template <>
ORV_API bool LoadData<tstring>(IDataReader* in, tstring& text);
// The string record of a null-terminated text; loading points `text` into the reader's memory
// (valid as long as the reader's data, or for a file reader until its next Read). A record whose
// text has no terminator fails.
ORV_API bool SaveRawString(IDataWriter* out, const wchar_t* text);
ORV_API bool LoadRawString(IDataReader* in, const wchar_t*& text);

// The UTF-16LE byte-order mark FF FE, not padded.
ORV_API bool WriteUnicodeBOM(IDataWriter* out);

// Copies `size` bytes from `in` to `out` in chunks of `chunk` bytes (0xFFFFFFFF: 256 KiB).
ORV_API bool StreamCopyData(IDataReader* in, unsigned int size, IDataWriter* out, unsigned int chunk);

// zlib streams (RFC 1950, level 9), in chunks of at most 256 KiB. The stream forms read `size`
// bytes from `in` and write to `out`; compressing nothing writes nothing. A page-in failure of
// mapped input fails the operation. The block forms hand out a new data vector on success; the
// uncompressing ones fail when `expectedSize` is not 0xFFFFFFFF and the output differs from it,
// and stop as soon as the output passes it.
ORV_API bool CompressData(IDataReader* in, unsigned int size, IDataWriter* out, IChunkListener* listener);
ORV_API bool UncompressData(IDataReader* in, unsigned int size, IDataWriter* out, IChunkListener* listener);
ORV_API bool CompressData(IData* in, IData** out, IChunkListener* listener);
ORV_API bool UncompressData(IData* in, unsigned int expectedSize, IData** out, IChunkListener* listener);
ORV_API bool CompressData(const unsigned char* p, unsigned int n, IData** out, IChunkListener* listener);
ORV_API bool UncompressData(const unsigned char* p, unsigned int size, unsigned int expectedSize, IData** out,
                            IChunkListener* listener);

}  // namespace Orv
