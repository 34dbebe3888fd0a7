// CompressData: zlib compression (level 9) from a reader to a writer in 256 KiB chunks, and its
// block forms.
#include "orvutil/data/encodings.h"
#include "orvutil/foundation/smartptr.h"
#include "zlib_stream.h"

namespace Orv {

namespace {

// Feeds `size` bytes of `in` to deflate and writes what it produces; `done` counts the input
// consumed.
bool Deflate(IDataReader* in, unsigned size, IDataWriter* out, IChunkListener* listener, unsigned& done) {
  DataDetail::CZlibStream stream(true);
  if (!stream.Init()) return false;
  unsigned chunk = size < DataDetail::kZlibChunk ? size : DataDetail::kZlibChunk;
  tVectorPOD<unsigned char> buffer;
  if (chunk && !buffer.Resize(chunk)) return false;
  while (done < size) {
    unsigned n = size - done < chunk ? size - done : chunk;
    const unsigned char* p = in->Read(n);
    if (!p) return false;
    int flush = n == size - done ? Z_FINISH : Z_NO_FLUSH;
    stream->next_in = const_cast<Bytef*>(p);
    stream->avail_in = n;
    do {
      unsigned before = stream->avail_in;
      stream->next_out = buffer.Data();
      stream->avail_out = chunk;
      if (deflate(stream.Get(), flush) == Z_STREAM_ERROR) return false;
      unsigned produced = chunk - stream->avail_out;
      done += before - stream->avail_in;
      if (produced && !out->Write(buffer.Data(), produced)) return false;
      if (listener && !listener->OnProgress(before - stream->avail_in, done, size)) return false;
    } while (stream->avail_out == 0);
  }
  return true;
}

}  // namespace

bool CompressData(IDataReader* in, unsigned int size, IDataWriter* out, IChunkListener* listener) {
  if (!in || !out) return false;
  unsigned done = 0;
  bool compressed = DataDetail::FailOnPageInError([&] { return Deflate(in, size, out, listener, done); });
  DataDetail::NotifyEnd(listener, compressed, done, size);
  return compressed;
}

bool CompressData(IData* in, IData** out, IChunkListener* listener) {
  if (out) *out = nullptr;
  if (!in || !out) return false;
  tSmartPtr<IDataReader> reader;
  tSmartPtr<IDataVector> vector;
  tSmartPtr<IDataWriter> writer;
  if (!CreateDataReader(in, 0, reader.Receive()) || !CreateDataWriter(vector.Receive(), writer.Receive())) return false;
  if (!CompressData(reader, in->GetSize(), writer, listener)) return false;
  *out = vector.Detach();
  return true;
}

bool CompressData(const unsigned char* p, unsigned int n, IData** out, IChunkListener* listener) {
  if (out) *out = nullptr;
  tSmartPtr<IData> data;
  return p && out && CreateDataInMemMappedFile(p, n, nullptr, data.Receive()) && CompressData(data, out, listener);
}

}  // namespace Orv
