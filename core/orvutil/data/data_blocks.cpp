// Data blocks: CData over fixed memory (caller memory, resources, file mappings), CChildData over
// a range of another block, CDataVector over a growable byte vector; their creators.
#include "detail.h"
#include "orvutil/data/blocks.h"
#include "orvutil/foundation/smartptr.h"

namespace Orv {

class CData : public CComBase, public IData {
 public:
  ORV_INTERFACES(IData)
  ~CData() override {
    if (m_file) {
      m_file->Unmap();
      m_file->Release();
    }
  }

  // Takes over one reference and one Map use of `file` (may be null).
  void Set(IDataFile* file, const unsigned char* p, unsigned n) {
    m_file = file;
    m_pointer = p;
    m_size = n;
  }

  const unsigned char* GetPointer() override { return m_pointer; }
  unsigned int GetSize() override { return m_pointer ? m_size : 0; }
  IDataFile* GetDataFile() override { return m_file; }
  bool IsReadOnly() override { return true; }

 private:
  IDataFile* m_file = nullptr;
  const unsigned char* m_pointer = nullptr;
  unsigned m_size = 0;
};

class CChildData : public CComBase, public IData {
 public:
  ORV_INTERFACES(IData)

  void Set(IData* parent, unsigned offset, unsigned size) {
    m_parent = parent;
    m_offset = offset;
    m_size = size;
  }

  // Asked every time, so that a child of a vector follows the vector's storage.
  const unsigned char* GetPointer() override {
    const unsigned char* base = m_parent->GetPointer();
    return base ? base + m_offset : nullptr;
  }
  unsigned int GetSize() override { return m_size; }
  IDataFile* GetDataFile() override { return m_parent->GetDataFile(); }
  bool IsReadOnly() override { return m_parent->IsReadOnly(); }

 private:
  tSmartPtr<IData> m_parent;
  unsigned m_offset = 0;
  unsigned m_size = 0;
};

class CDataVector : public CComBase, public IDataVector {
 public:
  ORV_INTERFACES(IData, IDataVector)

  const unsigned char* GetPointer() override { return m_vector.Data(); }
  unsigned int GetSize() override { return m_vector.Count(); }
  IDataFile* GetDataFile() override { return nullptr; }
  bool IsReadOnly() override { return false; }
  tVectorPOD<unsigned char>& GetVector() override { return m_vector; }

 private:
  tVectorPOD<unsigned char> m_vector;
};

}  // namespace Orv

ORV_CLASS_GUID(Orv::CData, 0xb5085d99, 0x4184, 0x4a2b, 0x84, 0x28, 0x3c, 0xa9, 0xa6, 0x46, 0x94, 0xfa)
ORV_CLASS_GUID(Orv::CChildData, 0x2122eb9f, 0xcbe7, 0x4274, 0xb4, 0x72, 0x4b, 0xa9, 0x32, 0x5b, 0xf5, 0x97)
ORV_CLASS_GUID(Orv::CDataVector, 0x13bf85b2, 0xa19f, 0x475c, 0xbc, 0xe3, 0xe9, 0xef, 0x5f, 0xac, 0x1e, 0x01)

namespace Orv {

bool CreateDataInStaticMem(const unsigned char* p, unsigned int n, IData** out) {
  if (out) *out = nullptr;
  if (!p) return false;
  return DataDetail::HandOut<CData>(out, [&](CData& data) {
    data.Set(nullptr, p, n);
    return true;
  });
}

bool CreateDataInMemMappedFile(const unsigned char* p, unsigned int n, IDataFile* file, IData** out) {
  if (!file) return CreateDataInStaticMem(p, n, out);
  if (!out) return false;
  *out = nullptr;
  if (!file->Map()) return false;
  if (!p) {
    p = file->GetMappedPointer();
    n = file->GetSize();
  }
  if (!p || !DataDetail::HandOut<CData>(out, [&](CData& data) {
        file->AddRef();
        data.Set(file, p, n);
        return true;
      })) {
    file->Unmap();
    return false;
  }
  return true;
}

bool CreateDataInMemMappedFile(IDataFile* file, IData** out) {
  return CreateDataInMemMappedFile(nullptr, 0, file, out);
}

bool CreateDataInResource(HINSTANCE module, const wchar_t* name, const wchar_t* type, IData** out) {
  if (out) *out = nullptr;
  if (!module || !name || !type) return false;
  HRSRC resource = ::FindResourceW(module, name, type);
  HGLOBAL loaded = resource ? ::LoadResource(module, resource) : nullptr;
  const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
  DWORD size = bytes ? ::SizeofResource(module, resource) : 0;
  if (size == 0) return false;
  return CreateDataInStaticMem(static_cast<const unsigned char*>(bytes), size, out);
}

bool CreateDataInData(IData* parent, unsigned int offset, unsigned int size, IData** out) {
  if (out) *out = nullptr;
  if (!parent || !DataDetail::RangeFits(offset, size, parent->GetSize())) return false;
  return DataDetail::HandOut<CChildData>(out, [&](CChildData& child) {
    child.Set(parent, offset, size);
    return true;
  });
}

bool CreateDataVector(unsigned int size, IDataVector** out) {
  return DataDetail::HandOut<CDataVector>(
      out, [&](CDataVector& vector) { return vector.GetVector().Resize(size) && vector.GetVector().Count() == size; });
}

}  // namespace Orv
