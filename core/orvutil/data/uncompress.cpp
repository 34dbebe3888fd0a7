// UncompressData: zlib decompression from a reader to a writer in 256 KiB chunks, bounded by the
// size the caller expects, and its block forms.
#include "detail.h"
#include "orvutil/data/encodings.h"
#include "orvutil/foundation/smartptr.h"
#include "zlib_stream.h"

namespace Orv {

namespace {

constexpr unsigned kNoSize = 0xFFFFFFFFu;
// No zlib stream expands by more than 1032 to 1: room reserved beyond that is never used.
constexpr unsigned long long kMaxExpansion = 1032;

bool IsFatal(int result) {
  return result == Z_NEED_DICT || result == Z_DATA_ERROR || result == Z_MEM_ERROR || result == Z_STREAM_ERROR;
}

// Inflates `size` bytes of `in`, writing at most `limit` bytes; `done` counts the input consumed.
bool Inflate(IDataReader* in, unsigned size, IDataWriter* out, IChunkListener* listener, unsigned limit,
             unsigned& done) {
  DataDetail::CZlibStream stream(false);
  if (!stream.Init()) return false;
  unsigned chunk = size < DataDetail::kZlibChunk ? size : DataDetail::kZlibChunk;
  unsigned long long twice = 2ull * size;
  unsigned outSize = twice < DataDetail::kZlibChunk ? static_cast<unsigned>(twice) : DataDetail::kZlibChunk;
  tVectorPOD<unsigned char> buffer;
  if (outSize && !buffer.Resize(outSize)) return false;
  unsigned written = 0;
  int result = Z_OK;
  while (done < size && result != Z_STREAM_END) {
    unsigned n = size - done < chunk ? size - done : chunk;
    const unsigned char* p = in->Read(n);
    if (!p) return false;
    stream->next_in = const_cast<Bytef*>(p);
    stream->avail_in = n;
    do {
      unsigned before = stream->avail_in;
      stream->next_out = buffer.Data();
      stream->avail_out = outSize;
      result = inflate(stream.Get(), Z_NO_FLUSH);
      if (IsFatal(result)) return false;
      unsigned produced = outSize - stream->avail_out;
      done += before - stream->avail_in;
      if (produced > limit - written) return false;
      written += produced;
      if (produced && !out->Write(buffer.Data(), produced)) return false;
      if (listener && !listener->OnProgress(before - stream->avail_in, done, size)) return false;
    } while (stream->avail_out == 0 && result != Z_STREAM_END);
    if (stream->avail_in != 0 && result != Z_STREAM_END) return false;  // inflate made no progress
  }
  return result == Z_STREAM_END && done == size;
}

}  // namespace

namespace DataDetail {

bool UncompressBounded(IDataReader* in, unsigned size, IDataWriter* out, IChunkListener* listener, unsigned limit) {
  if (!in || !out) return false;
  unsigned done = 0;
  bool inflated = FailOnPageInError([&] { return Inflate(in, size, out, listener, limit, done); });
  NotifyEnd(listener, inflated, done, size);
  return inflated;
}

}  // namespace DataDetail

bool UncompressData(IDataReader* in, unsigned int size, IDataWriter* out, IChunkListener* listener) {
  return DataDetail::UncompressBounded(in, size, out, listener, kNoSize);
}

bool UncompressData(IData* in, unsigned int expectedSize, IData** out, IChunkListener* listener) {
  if (out) *out = nullptr;
  if (!in || !out) return false;
  tSmartPtr<IDataReader> reader;
  tSmartPtr<IDataVector> vector;
  tSmartPtr<IDataWriter> writer;
  if (!CreateDataReader(in, 0, reader.Receive()) || !CreateDataWriter(vector.Receive(), writer.Receive())) return false;
  if (expectedSize != kNoSize)
    DataDetail::ReserveForOutput(vector->GetVector(), expectedSize, kMaxExpansion * in->GetSize() + 64);
  if (!DataDetail::UncompressBounded(reader, in->GetSize(), writer, listener, expectedSize)) return false;
  if (expectedSize != kNoSize && vector->GetSize() != expectedSize) return false;
  *out = vector.Detach();
  return true;
}

bool UncompressData(const unsigned char* p, unsigned int size, unsigned int expectedSize, IData** out,
                    IChunkListener* listener) {
  if (out) *out = nullptr;
  tSmartPtr<IData> data;
  return p && out && CreateDataInMemMappedFile(p, size, nullptr, data.Receive()) &&
         UncompressData(data, expectedSize, out, listener);
}

}  // namespace Orv
