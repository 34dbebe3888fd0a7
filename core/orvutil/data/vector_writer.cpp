// CVectorDataWriter: writes into a data vector at a position, growing it; the writer creators over
// data vectors.
#include <cstring>

#include "detail.h"
#include "orvutil/data/readers.h"
#include "orvutil/data/saved_data.h"
#include "orvutil/foundation/smartptr.h"

namespace Orv {

namespace {

// Grows `bytes` to `count` elements, reserving half as much again so that many small writes stay
// linear.
bool GrowTo(tVectorPOD<unsigned char>& bytes, unsigned count) {
  if (count > bytes.Capacity()) {
    unsigned capacity = bytes.Capacity();
    unsigned roomy = capacity + capacity / 2;
    bytes.Reserve(roomy > count ? roomy : count);  // only a hint: Resize below decides
  }
  return bytes.Resize(count) && bytes.Count() == count;
}

}  // namespace

class CVectorDataWriter : public CComBase, public IDataWriter {
 public:
  ORV_INTERFACES(IDataStream, IDataWriter)

  bool Set(IDataVector* vector, unsigned pos) {
    m_vector = vector;
    return SetPos(pos);
  }

  unsigned int GetSize() override { return m_vector->GetSize(); }
  unsigned int GetPos() override { return m_pos; }
  bool SetPos(unsigned int pos) override {
    if (pos > m_vector->GetVector().Count()) return false;
    m_pos = pos;
    return true;
  }

  bool CreateSavedData(unsigned int offset, unsigned int savedSize, unsigned int loadedSize, bool compressed,
                       ISavedData** out) override {
    if (out) *out = nullptr;
    tSmartPtr<IData> range;
    return CreateDataInData(m_vector, offset, savedSize, range.Receive()) &&
           CreateSavedDataFromMemory(range, loadedSize, compressed, out);
  }

  bool Write(const void* p, unsigned int size) override {
    if (!p) return false;
    if (size == 0) return true;
    if (size > 0xFFFFFFFFu - m_pos) return false;
    tVectorPOD<unsigned char>& bytes = m_vector->GetVector();
    const unsigned char* source = static_cast<const unsigned char*>(p);
    if (source < bytes.end() && source + size > bytes.begin()) return WriteCopy(source, size);
    unsigned end = m_pos + size;
    if (end > bytes.Count() && !GrowTo(bytes, end)) return false;
    std::memcpy(bytes.Data() + m_pos, source, size);
    m_pos = end;
    return true;
  }

 private:
  // Writes bytes that lie inside the vector itself, which growing may move.
  bool WriteCopy(const unsigned char* source, unsigned size) {
    tVectorPOD<unsigned char> copy;
    if (!copy.Insert(0, source, size)) return false;
    return Write(copy.Data(), size);
  }

  tSmartPtr<IDataVector> m_vector;
  unsigned m_pos = 0;
};

}  // namespace Orv

ORV_CLASS_GUID(Orv::CVectorDataWriter, 0xbc86d138, 0xeee6, 0x4d11, 0x99, 0x1b, 0xa7, 0xb8, 0x1f, 0xb6, 0x68, 0xa2)

namespace Orv {

bool CreateDataWriter(IDataVector* vector, unsigned int pos, IDataWriter** out) {
  if (out) *out = nullptr;
  if (!vector) return false;
  return DataDetail::HandOut<CVectorDataWriter>(out,
                                                [&](CVectorDataWriter& writer) { return writer.Set(vector, pos); });
}

bool CreateDataWriter(IDataVector** vectorOut, IDataWriter** out) {
  if (vectorOut) *vectorOut = nullptr;
  if (out) *out = nullptr;
  if (!out) return false;
  tSmartPtr<IDataVector> vector;
  if (!CreateDataVector(0, vector.Receive()) || !CreateDataWriter(vector, 0, out)) return false;
  if (vectorOut) *vectorOut = vector.Detach();
  return true;
}

}  // namespace Orv
