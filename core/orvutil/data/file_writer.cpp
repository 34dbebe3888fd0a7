// CFileDataWriter: writes through a handle of its own on a data file; the writer creator over data
// files.
#include "detail.h"
#include "file_stream.h"

namespace Orv {

class CFileDataWriter : public CComBase, public CFileStreamBase<IDataWriter> {
 public:
  ORV_INTERFACES(IDataStream, IDataWriter)

  // 0xFFFFFFFF creates or truncates the file and starts at 0; any other position keeps the
  // contents and starts there.
  bool Set(IDataFile* file, unsigned pos) {
    bool truncate = pos == kTruncate;
    HANDLE handle = nullptr;
    return file->OpenWrite(&handle, !truncate) && Attach(file, handle, truncate ? 0 : pos);
  }

  // The position is kept here: only this writer moves its handle, and asking the system for it on
  // every write would cost a call each.
  unsigned int GetPos() override { return m_pos; }
  bool SetPos(unsigned int pos) override {
    if (!CFileStreamBase<IDataWriter>::SetPos(pos)) return false;
    m_pos = pos;
    return true;
  }

  bool Write(const void* p, unsigned int size) override {
    if (!p || !Handle()) return false;
    if (size == 0) return true;
    if (m_pos == 0xFFFFFFFFu || size > 0xFFFFFFFFu - m_pos) return false;  // positions stay 32-bit
    if (!Orv::WriteFile(Handle(), p, size)) return false;
    m_pos += size;
    return true;
  }

 private:
  static constexpr unsigned kTruncate = 0xFFFFFFFFu;
  unsigned m_pos = 0xFFFFFFFFu;  // unknown until the first SetPos
};

}  // namespace Orv

ORV_CLASS_GUID(Orv::CFileDataWriter, 0x63bf683c, 0x6a78, 0x469a, 0x9e, 0x10, 0x55, 0xbc, 0x6e, 0x93, 0xb5, 0x9f)

namespace Orv {

bool CreateDataWriter(IDataFile* file, unsigned int pos, IDataWriter** out) {
  if (out) *out = nullptr;
  if (!file) return false;
  return DataDetail::HandOut<CFileDataWriter>(out, [&](CFileDataWriter& writer) { return writer.Set(file, pos); });
}

}  // namespace Orv
