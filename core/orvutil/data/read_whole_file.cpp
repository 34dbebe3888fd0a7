// ReadWholeFile into a data block: the file's bytes in a new data vector.
#include "orvutil/data/blocks.h"
#include "orvutil/system/file.h"

namespace Orv {

bool ReadWholeFile(const wchar_t* path, IData** out) {
  if (out) *out = nullptr;
  if (!out) return false;
  CFile file;
  if (!file.OpenRead(path)) return false;
  unsigned size = GetFileSize(file.GetHandle());
  if (size == 0xFFFFFFFFu) return false;  // 4 GiB or more
  IDataVector* vector = nullptr;
  if (!CreateDataVector(size, &vector)) return false;
  if (!Orv::ReadFile(file, size, vector->GetVector().Data())) {
    vector->Release();
    return false;
  }
  *out = vector;
  return true;
}

}  // namespace Orv
