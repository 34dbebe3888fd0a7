// CSavedDataStream: a data block (read stream) or data vector (write stream) seen as a COM
// IStream at a 32-bit position; its creators.
#include <cstring>

#include "detail.h"
#include "orvutil/data/saved_data.h"
#include "orvutil/foundation/smartptr.h"

namespace Orv {

class CSavedDataStream : public CComBase, public IStream {
 public:
  ORV_INTERFACES(ISequentialStream, IStream)

  // A write stream reads its own vector as well.
  void Set(IData* data, IDataVector* vector, unsigned pos) {
    m_data = vector ? vector : data;
    m_vector = vector;
    m_pos = pos;
  }

  HRESULT STDMETHODCALLTYPE Read(void* pv, ULONG cb, ULONG* pcbRead) override {
    if (pcbRead) *pcbRead = 0;
    if (!m_data) return E_FAIL;
    unsigned size = m_data->GetSize();
    const unsigned char* bytes = m_data->GetPointer();
    if (!bytes && size) return E_FAIL;
    if (!pv && cb) return STG_E_INVALIDPOINTER;
    unsigned n = m_pos < size ? (cb < size - m_pos ? cb : size - m_pos) : 0;
    if (n) std::memcpy(pv, bytes + m_pos, n);
    m_pos += n;
    if (pcbRead) *pcbRead = n;
    return n < cb ? S_FALSE : S_OK;
  }

  HRESULT STDMETHODCALLTYPE Write(const void* pv, ULONG cb, ULONG* pcbWritten) override {
    if (pcbWritten) *pcbWritten = 0;
    if (!m_vector) return STG_E_CANTSAVE;
    if (!pv) return STG_E_INVALIDPOINTER;
    if (cb == 0) return S_OK;
    unsigned long long end = static_cast<unsigned long long>(m_pos) + cb;
    tVectorPOD<unsigned char>& bytes = m_vector->GetVector();
    const unsigned char* source = static_cast<const unsigned char*>(pv);
    tVectorPOD<unsigned char> copy;  // bytes of the vector itself, which growing may move
    if (source < bytes.end() && source + cb > bytes.begin()) {
      if (!copy.Insert(0, source, cb)) return STG_E_MEDIUMFULL;
      source = copy.Data();
    }
    if (end > 0xFFFFFFFFull) return STG_E_MEDIUMFULL;
    if (end > bytes.Count() && (!bytes.Resize(static_cast<unsigned>(end)) || bytes.Count() != end)) {
      return STG_E_MEDIUMFULL;
    }
    std::memcpy(bytes.Data() + m_pos, source, cb);
    m_pos = static_cast<unsigned>(end);
    if (pcbWritten) *pcbWritten = cb;
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* newPos) override {
    if (!m_data) return STG_E_INVALIDFUNCTION;
    long long base = 0;
    switch (origin) {
      case STREAM_SEEK_SET:
        base = 0;
        break;
      case STREAM_SEEK_CUR:
        base = m_pos;
        break;
      case STREAM_SEEK_END:
        base = m_data->GetSize();
        break;
      default:
        return STG_E_INVALIDFUNCTION;
    }
    // Both terms are small enough that the sum cannot overflow once `move` is bounded.
    if (move.QuadPart < -0x100000000ll || move.QuadPart > 0x100000000ll) return STG_E_INVALIDFUNCTION;
    long long target = base + move.QuadPart;
    if (target < 0 || target > 0xFFFFFFFFll) return STG_E_INVALIDFUNCTION;
    m_pos = static_cast<unsigned>(target);
    if (newPos) newPos->QuadPart = m_pos;
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER size) override {
    if (!m_vector) return STG_E_INVALIDFUNCTION;
    if (size.QuadPart > 0xFFFFFFFFull) return STG_E_MEDIUMFULL;
    tVectorPOD<unsigned char>& bytes = m_vector->GetVector();
    unsigned count = static_cast<unsigned>(size.QuadPart);
    return bytes.Resize(count) && bytes.Count() == count ? S_OK : STG_E_MEDIUMFULL;
  }

  // Copies from the position on; the read count is what the target took.
  HRESULT STDMETHODCALLTYPE CopyTo(IStream* target, ULARGE_INTEGER cb, ULARGE_INTEGER* pcbRead,
                                   ULARGE_INTEGER* pcbWritten) override {
    if (pcbRead) pcbRead->QuadPart = 0;
    if (pcbWritten) pcbWritten->QuadPart = 0;
    if (!target) return STG_E_INVALIDPOINTER;
    if (!m_data) return E_FAIL;
    unsigned size = m_data->GetSize();
    unsigned left = m_pos < size ? size - m_pos : 0;
    ULONG n = cb.QuadPart < left ? static_cast<ULONG>(cb.QuadPart) : left;
    if (n == 0) return S_OK;
    if (!m_data->GetPointer()) return E_FAIL;
    ULONG written = 0;
    HRESULT hr = target->Write(m_data->GetPointer() + m_pos, n, &written);
    if (written > n) written = n;
    m_pos += written;
    if (pcbRead) pcbRead->QuadPart = written;
    if (pcbWritten) pcbWritten->QuadPart = written;
    return hr;
  }

  HRESULT STDMETHODCALLTYPE Commit(DWORD) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE Revert() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return STG_E_INVALIDFUNCTION; }
  HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
    return STG_E_INVALIDFUNCTION;
  }

  HRESULT STDMETHODCALLTYPE Stat(STATSTG* stat, DWORD) override {
    if (!stat || !m_data) return STG_E_INVALIDPOINTER;
    std::memset(stat, 0, sizeof(*stat));
    stat->type = STGTY_STREAM;
    stat->cbSize.QuadPart = m_data->GetSize();
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE Clone(IStream** out) override;

 private:
  tSmartPtr<IData> m_data;
  tSmartPtr<IDataVector> m_vector;
  unsigned m_pos = 0;
};

}  // namespace Orv

ORV_CLASS_GUID(Orv::CSavedDataStream, 0x0083daaa, 0xe9d1, 0x431a, 0xa9, 0x6c, 0x96, 0x6d, 0xd6, 0xdc, 0x71, 0x3a)

namespace Orv {

HRESULT CSavedDataStream::Clone(IStream** out) {
  if (!out) return STG_E_INVALIDPOINTER;
  return DataDetail::HandOut<CSavedDataStream>(out,
                                               [&](CSavedDataStream& copy) {
                                                 copy.m_data = m_data;
                                                 copy.m_vector = m_vector;
                                                 copy.m_pos = m_pos;
                                                 return true;
                                               })
             ? S_OK
             : E_FAIL;
}

bool CreateReadStream(IData* data, unsigned int pos, IStream** out) {
  if (out) *out = nullptr;
  if (!data) return false;
  return DataDetail::HandOut<CSavedDataStream>(out, [&](CSavedDataStream& stream) {
    stream.Set(data, nullptr, pos);
    return true;
  });
}

bool CreateWriteStream(IDataVector* vector, unsigned int pos, IStream** out) {
  if (out) *out = nullptr;
  if (!vector) return false;
  return DataDetail::HandOut<CSavedDataStream>(out, [&](CSavedDataStream& stream) {
    stream.Set(nullptr, vector, pos);
    return true;
  });
}

bool CreateWriteStream(IDataVector** vectorOut, IStream** out) {
  if (vectorOut) *vectorOut = nullptr;
  if (out) *out = nullptr;
  if (!out) return false;
  tSmartPtr<IDataVector> vector;
  if (!CreateDataVector(0, vector.Receive()) || !CreateWriteStream(vector, 0, out)) return false;
  if (vectorOut) *vectorOut = vector.Detach();
  return true;
}

}  // namespace Orv
