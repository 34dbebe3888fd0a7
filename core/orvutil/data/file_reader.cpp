// CFileDataReader: reads a data file through a handle of its own into its buffer; the reader
// creator over data files (a memory reader while the file is mapped).
#include "detail.h"
#include "file_stream.h"
#include "orvutil/data/readers.h"
#include "orvutil/data/saved_data.h"

namespace Orv {

class CFileDataReader : public CComBase, public CFileStreamBase<IDataReader> {
 public:
  ORV_INTERFACES(IDataStream, IDataReader)

  bool Set(IDataFile* file, unsigned pos) {
    HANDLE handle = nullptr;
    return file->OpenRead(&handle) && Attach(file, handle, pos);
  }

  bool ReadData(unsigned int size, IData** out) override {
    if (out) *out = nullptr;
    unsigned pos = GetPos();
    if (!DataDetail::RangeFits(pos, size, GetSize())) return false;
    if (!out) return SetPos(pos + size);
    IDataVector* vector = nullptr;
    if (!CreateDataVector(size, &vector)) return false;
    if (!Orv::ReadFile(Handle(), size, vector->GetVector().Data())) {
      vector->Release();
      SetPos(pos);
      return false;
    }
    *out = vector;
    return true;
  }

  const unsigned char* Read(unsigned int size) override {
    if (size == 0) return m_buffer.Data() ? m_buffer.Data() : &kNothing;
    unsigned pos = GetPos();
    if (!DataDetail::RangeFits(pos, size, GetSize())) return nullptr;
    if (Orv::ReadFile(Handle(), size, m_buffer)) return m_buffer.Data();
    SetPos(pos);
    return nullptr;
  }

 private:
  static constexpr unsigned char kNothing = 0;

  tVectorPOD<unsigned char> m_buffer;
};

}  // namespace Orv

ORV_CLASS_GUID(Orv::CFileDataReader, 0x8b0b3eeb, 0x9504, 0x423f, 0x83, 0x0d, 0xb4, 0x0a, 0x26, 0x8a, 0x46, 0x82)

namespace Orv {

bool CreateDataReader(IDataFile* file, unsigned int pos, IDataReader** out) {
  if (out) *out = nullptr;
  if (!file || !out) return false;
  if (const unsigned char* view = file->GetMappedPointer()) {
    IData* data = nullptr;
    if (!CreateDataInMemMappedFile(view, file->GetSize(), file, &data)) return false;
    bool made = CreateDataReader(data, pos, out);
    data->Release();
    return made;
  }
  return DataDetail::HandOut<CFileDataReader>(out, [&](CFileDataReader& reader) { return reader.Set(file, pos); });
}

}  // namespace Orv
