// CDataFile: a named file that hands out handles and one shared read mapping, counted with
// interlocked operations; CreateDataFile and CreateTempDataFile.
#include "detail.h"
#include "orvutil/data/blocks.h"
#include "orvutil/system/file.h"
#include "orvutil/system/filesystem.h"
#include "orvutil/system/tempfiles.h"

namespace Orv {

class CDataFile : public CComBase, public IDataFile {
 public:
  ORV_INTERFACES(IDataFile)

  // The mapping and its handle close first: Windows deletes no file that is still open.
  ~CDataFile() override {
    CloseMapping();
    if (m_deleteOnRelease && FileExists(m_path.c_str())) Orv::DeleteFileW(m_path.c_str());
  }

  void Set(const tstring& path, bool deleteOnRelease) {
    m_path = path;
    m_deleteOnRelease = deleteOnRelease;
  }

  bool OpenWrite(HANDLE* out, bool append) override {
    return Hand(out, [&](CFile& file) { return file.OpenWrite(m_path.c_str(), append); });
  }
  bool OpenRead(HANDLE* out) override {
    return Hand(out, [&](CFile& file) { return file.OpenRead(m_path.c_str()); });
  }

  // A failed mapping gives its use back at once, so that the next Map tries again.
  bool Map() override {
    if (::InterlockedIncrement(&m_useCount) == 1) {
      if (m_file.OpenRead(m_path.c_str()) && !m_mapping.OpenRead(m_file)) m_file.Close();
    }
    if (m_mapping.GetMem() && m_file.IsOpen()) return true;
    Unmap();
    return false;
  }

  bool Unmap() override {
    for (;;) {
      LONG count = m_useCount;
      if (count < 1) return false;
      if (::InterlockedCompareExchange(&m_useCount, count - 1, count) != count) continue;
      if (count == 1) CloseMapping();
      return true;
    }
  }

  const unsigned char* GetMappedPointer() override { return m_mapping.GetMem(); }
  const wchar_t* GetPath() override { return m_path.c_str(); }

  unsigned int GetSize() override {
    if (m_mapping.GetMem()) return m_mapping.GetSize();
    WIN32_FIND_DATAW found;
    if (!FileExists(m_path.c_str(), &found) || found.nFileSizeHigh != 0) return 0;
    return found.nFileSizeLow;
  }

 private:
  // Opens a CFile with `open` and gives its handle to the caller.
  template <class Open>
  bool Hand(HANDLE* out, Open&& open) {
    if (!out) return false;
    *out = nullptr;
    CFile file;
    if (!open(file)) return false;
    *out = file.Detach();
    return true;
  }

  void CloseMapping() {
    m_mapping.Close();
    m_file.Close();
  }

  tstring m_path;
  bool m_deleteOnRelease = false;
  volatile LONG m_useCount = 0;
  CFile m_file;
  CMemMappedFile m_mapping;
};

}  // namespace Orv

ORV_CLASS_GUID(Orv::CDataFile, 0x0590dbae, 0x576b, 0x441c, 0x88, 0x8a, 0x31, 0x4d, 0x62, 0x94, 0xca, 0x18)

namespace Orv {

bool CreateDataFile(const wchar_t* path, bool deleteOnRelease, IDataFile** out) {
  if (out) *out = nullptr;
  if (!path || !*path) return false;
  return DataDetail::HandOut<CDataFile>(out, [&](CDataFile& file) {
    file.Set(tstring(path), deleteOnRelease);
    return true;
  });
}

bool CreateTempDataFile(IDataFile** out) {
  if (!out) return false;
  *out = nullptr;
  tstring path = CreateTempFile();
  if (path.empty()) return false;
  if (CreateDataFile(path.c_str(), true, out)) return true;
  Orv::DeleteFileW(path.c_str());
  return false;
}

}  // namespace Orv
