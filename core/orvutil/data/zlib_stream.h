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

// A z_stream for deflating or inflating, ended when it goes (also while an exception unwinds).
class CZlibStream {
 public:
  explicit CZlibStream(bool deflating) : m_deflating(deflating) {}
  ~CZlibStream() {
    if (m_open) m_deflating ? deflateEnd(&m_stream) : inflateEnd(&m_stream);
  }
  CZlibStream(const CZlibStream&) = delete;
  CZlibStream& operator=(const CZlibStream&) = delete;

  // deflateInit at level 9 (15-bit window, memory level 8, default strategy) or inflateInit.
  bool Init() {
    m_open = (m_deflating ? deflateInit(&m_stream, 9) : inflateInit(&m_stream)) == Z_OK;
    return m_open;
  }
  z_stream* operator->() { return &m_stream; }
  z_stream* Get() { return &m_stream; }

 private:
  z_stream m_stream = {};
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
