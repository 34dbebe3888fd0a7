// CMemDataReader: reads a data block in place, handing out pointers and child blocks; the reader
// creators over blocks and caller memory.
#include "detail.h"
#include "orvutil/data/readers.h"
#include "orvutil/data/saved_data.h"
#include "orvutil/foundation/smartptr.h"

namespace Orv {

class CMemDataReader : public CComBase, public IDataReader {
 public:
  ORV_INTERFACES(IDataStream, IDataReader)

  bool Set(IData* data, unsigned pos) {
    m_data = data;
    m_base = data->GetPointer();
    m_size = data->GetSize();
    m_fixed = m_base && data->IsReadOnly();
    return SetPos(pos);
  }

  unsigned int GetSize() override { return m_fixed ? m_size : m_data->GetSize(); }
  unsigned int GetPos() override { return m_pos; }
  bool SetPos(unsigned int pos) override {
    if (pos > GetSize()) return false;
    m_pos = pos;
    return true;
  }

  bool CreateSavedData(unsigned int offset, unsigned int savedSize, unsigned int loadedSize, bool compressed,
                       ISavedData** out) override {
    if (out) *out = nullptr;
    tSmartPtr<IData> range;
    return CreateDataInData(m_data, offset, savedSize, range.Receive()) &&
           CreateSavedDataFromMemory(range, loadedSize, compressed, out);
  }

  bool ReadData(unsigned int size, IData** out) override {
    if (out) *out = nullptr;
    if (!DataDetail::RangeFits(m_pos, size, GetSize())) return false;
    if (out && !CreateDataInData(m_data, m_pos, size, out)) return false;
    m_pos += size;
    return true;
  }

  const unsigned char* Read(unsigned int size) override {
    if (m_fixed) {  // the position never passes the size here
      if (size > m_size - m_pos) return nullptr;
      const unsigned char* p = m_base + m_pos;
      m_pos += size;
      return p;
    }
    if (!DataDetail::RangeFits(m_pos, size, m_data->GetSize())) return nullptr;
    const unsigned char* base = m_data->GetPointer();
    if (!base) return size == 0 ? &kNothing : nullptr;  // an empty vector has no storage
    const unsigned char* p = base + m_pos;
    m_pos += size;
    return p;
  }

 private:
  static constexpr unsigned char kNothing = 0;

  tSmartPtr<IData> m_data;
  // Fixed memory (read-only blocks) never moves or changes size: its pointer and size are kept
  // here. A vector's are asked for on every read, since its owner may grow it.
  bool m_fixed = false;
  const unsigned char* m_base = nullptr;
  unsigned m_size = 0;
  unsigned m_pos = 0;
};

}  // namespace Orv

ORV_CLASS_GUID(Orv::CMemDataReader, 0x3db225c6, 0xbd34, 0x4d0b, 0x9a, 0x07, 0x04, 0xe4, 0xf1, 0x08, 0x50, 0x4e)

namespace Orv {

bool CreateDataReader(IData* data, unsigned int pos, IDataReader** out) {
  if (out) *out = nullptr;
  if (!data) return false;
  return DataDetail::HandOut<CMemDataReader>(out, [&](CMemDataReader& reader) { return reader.Set(data, pos); });
}

bool CreateDataReader(const unsigned char* p, unsigned int size, unsigned int pos, IDataReader** out) {
  if (out) *out = nullptr;
  if (!out) return false;
  tSmartPtr<IData> data;
  return CreateDataInMemMappedFile(p, size, nullptr, data.Receive()) && CreateDataReader(data, pos, out);
}

}  // namespace Orv
