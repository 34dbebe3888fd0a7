// The IDataStream side shared by the file reader and the file writer: a data file, a handle of
// their own on it, and the position and size taken from that handle.
#pragma once

#include "orvutil/data/readers.h"
#include "orvutil/data/saved_data.h"
#include "orvutil/foundation/smartptr.h"
#include "orvutil/system/file.h"

namespace Orv {

template <class Interface>
class CFileStreamBase : public Interface {
 public:
  ~CFileStreamBase() {
    if (m_handle) ::CloseHandle(m_handle);
  }

  // The end of file; 0 when it cannot be read or is 4 GiB or more.
  unsigned int GetSize() override {
    unsigned size = Orv::GetFileSize(m_handle);
    return size == 0xFFFFFFFFu ? 0 : size;
  }
  unsigned int GetPos() override { return GetFilePointer(m_handle); }
  bool SetPos(unsigned int pos) override {
    return Orv::SetFilePointer(m_handle, pos) && GetFilePointer(m_handle) == pos;
  }

  bool CreateSavedData(unsigned int offset, unsigned int savedSize, unsigned int loadedSize, bool compressed,
                       ISavedData** out) override {
    return CreateSavedDataFromFile(m_file, offset, savedSize, loadedSize, compressed, out);
  }

 protected:
  // Takes over `handle` (closed here) and moves to `pos`.
  bool Attach(IDataFile* file, HANDLE handle, unsigned pos) {
    m_file = file;
    m_handle = handle;
    return SetPos(pos);
  }
  HANDLE Handle() const { return m_handle; }

 private:
  tSmartPtr<IDataFile> m_file;
  HANDLE m_handle = nullptr;
};

}  // namespace Orv
