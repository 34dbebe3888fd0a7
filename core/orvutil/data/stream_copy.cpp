// StreamCopyData: a chunked copy from a reader to a writer.
#include "orvutil/data/encodings.h"

namespace Orv {

bool StreamCopyData(IDataReader* in, unsigned int size, IDataWriter* out, unsigned int chunk) {
  if (!in || !out) return false;
  if (chunk == 0xFFFFFFFFu) chunk = 0x40000;
  if (size == 0) return true;
  if (chunk == 0) return false;  // would never move a byte
  for (unsigned done = 0; done < size;) {
    unsigned n = size - done < chunk ? size - done : chunk;
    const unsigned char* p = in->Read(n);
    if (!p || !out->Write(p, n)) return false;
    done += n;
  }
  return true;
}

}  // namespace Orv
