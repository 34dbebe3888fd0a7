// What compression and decompression share: the chunk size, a zlib stream that ends itself, the
// listener's notifications, and the guard that turns a page-in failure of mapped input into a
// failed operation.
#pragma once

#include <windows.h>
#include <zlib.h>

#include "orvutil/data/readers.h"
#include "orvutil/diag/structured_exception.h"

namespace Orv {
namespace DataDetail {

constexpr unsigned kZlibChunk = 0x40000;

// One deflate and one inflate stream per thread, kept for reuse: setting up a stream's state
// (about 256 KiB for deflate at level 9) costs far more than the work on a small input, so a stream
// is reset rather than made anew. A stream is used in place: zlib's state points back at it.
struct SZlibSlot {
  z_stream stream = {};
  bool ready = false;  // initialised; reset before each use
  bool busy = false;   // lent to a CZlibStream of this thread
};
struct SZlibThreadCache {
  SZlibSlot deflater;
  SZlibSlot inflater;
  SZlibThreadCache() = default;
  SZlibThreadCache(const SZlibThreadCache&) = delete;
  SZlibThreadCache& operator=(const SZlibThreadCache&) = delete;
  ~SZlibThreadCache() {
    if (deflater.ready) deflateEnd(&deflater.stream);
    if (inflater.ready) inflateEnd(&inflater.stream);
  }
};
inline SZlibThreadCache& ThreadZlibCache() {
  static thread_local SZlibThreadCache cache;
  return cache;
}

// A z_stream for deflating or inflating: the thread's cached one when it is free, else one of its
// own that is ended when it goes (also while an exception unwinds).
class CZlibStream {
 public:
  explicit CZlibStream(bool deflating) : m_deflating(deflating) {}
  ~CZlibStream() {
    if (m_slot)
      m_slot->busy = false;
    else if (m_open)
      m_deflating ? deflateEnd(&m_own) : inflateEnd(&m_own);
  }
  CZlibStream(const CZlibStream&) = delete;
  CZlibStream& operator=(const CZlibStream&) = delete;

  // deflateInit at level 9 (15-bit window, memory level 8, default strategy) or inflateInit, or
  // the reset of the thread's stream that was made so.
  bool Init() {
    SZlibThreadCache& cache = ThreadZlibCache();
    SZlibSlot& slot = m_deflating ? cache.deflater : cache.inflater;
    if (!slot.busy && Prepare(slot)) {
      slot.busy = true;
      m_slot = &slot;
      m_stream = &slot.stream;
      return m_open = true;
    }
    m_open = (m_deflating ? deflateInit(&m_own, 9) : inflateInit(&m_own)) == Z_OK;
    return m_open;
  }
  z_stream* operator->() { return m_stream; }
  z_stream* Get() { return m_stream; }

 private:
  bool Prepare(SZlibSlot& slot) {
    if (slot.ready) return (m_deflating ? deflateReset(&slot.stream) : inflateReset(&slot.stream)) == Z_OK;
    slot.stream = z_stream{};
    slot.ready = (m_deflating ? deflateInit(&slot.stream, 9) : inflateInit(&slot.stream)) == Z_OK;
    return slot.ready;
  }

  z_stream m_own = {};
  z_stream* m_stream = &m_own;
  SZlibSlot* m_slot = nullptr;
  bool m_deflating;
  bool m_open = false;
};

// Runs `work` (returning bool); a page-in failure (EXCEPTION_IN_PAGE_ERROR) raised while it reads
// mapped input makes it false. Other structured exceptions go on to the caller.
template <class Work>
bool FailOnPageInError(Work&& work) {
  try {
    return work();
  } catch (CStructuredException const& fault) {
    if (fault.GetCode() != EXCEPTION_IN_PAGE_ERROR) throw;
    return false;
  }
}

// Tells `listener` (may be null) how the operation ended.
inline void NotifyEnd(IChunkListener* listener, bool succeeded, unsigned done, unsigned total) {
  if (!listener) return;
  if (succeeded) {
    listener->OnFinished(total);
  } else {
    listener->OnFailed(done, total);
  }
}

}  // namespace DataDetail
}  // namespace Orv

namespace Orv {
namespace DataDetail {

// The stream form of UncompressData that also fails as soon as the output passes `limit` bytes.
bool UncompressBounded(IDataReader* in, unsigned size, IDataWriter* out, IChunkListener* listener, unsigned limit);

}  // namespace DataDetail
}  // namespace Orv
