// ReadWholeFile: a text file into a string, its encoding told by its first bytes.
#include <climits>

#include "orvutil/foundation/strings.h"
#include "orvutil/system/file.h"
#include "orvutil/system/filesystem.h"

namespace Orv {

namespace {

const unsigned char kUtf8Mark[] = {0xEF, 0xBB, 0xBF};
const unsigned char kUtf16LEMark[] = {0xFF, 0xFE};

bool StartsWith(const unsigned char* bytes, unsigned size, const unsigned char* mark, unsigned markSize) {
  if (size < markSize) return false;
  for (unsigned i = 0; i < markSize; ++i) {
    if (bytes[i] != mark[i]) return false;
  }
  return true;
}

// Decodes `size` bytes of text. The converters are never handed 0 bytes: they would look at the
// first byte, which lies beyond the view.
tstring DecodeText(const unsigned char* bytes, unsigned size) {
  if (StartsWith(bytes, size, kUtf8Mark, sizeof(kUtf8Mark))) {
    unsigned rest = size - sizeof(kUtf8Mark);
    return rest ? StringFromUTF8(reinterpret_cast<const char*>(bytes + sizeof(kUtf8Mark)), rest) : tstring();
  }
  if (StartsWith(bytes, size, kUtf16LEMark, sizeof(kUtf16LEMark))) {
    unsigned units = (size - sizeof(kUtf16LEMark)) / sizeof(wchar_t);  // an odd last byte is no code unit
    return units ? StringFromUnicode(reinterpret_cast<const wchar_t*>(bytes + sizeof(kUtf16LEMark)), units) : tstring();
  }
  return StringFromACP(reinterpret_cast<const char*>(bytes), size);
}

}  // namespace

bool ReadWholeFile(const wchar_t* path, tstring& text) {
  text.clear();
  CFile file;
  CMemMappedFile view;
  if (!file.OpenRead(path) || !view.OpenRead(file)) return false;
  // The converters measure lengths in int: larger files cannot be decoded.
  if (view.GetSize() > static_cast<unsigned>(INT_MAX)) return false;
  text = DecodeText(view.GetMem(), view.GetSize());
  return true;
}

}  // namespace Orv
