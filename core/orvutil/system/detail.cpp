// The shared attribute look-up.
#include "detail.h"

namespace Orv {
namespace Detail {

bool ReadAttributeData(const wchar_t* path, WIN32_FILE_ATTRIBUTE_DATA& data) {
  tstring longPath = LongPath(path);
  if (longPath.empty()) return false;
  return ::GetFileAttributesExW(longPath.c_str(), GetFileExInfoStandard, &data) != FALSE;
}

}  // namespace Detail
}  // namespace Orv
