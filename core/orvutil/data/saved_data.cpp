// CSavedData: one persisted blob in its loaded form, its saved (possibly compressed) form and a
// data-file range, converted lazily; the saved-data creators.
#include "detail.h"
#include "orvutil/data/async_loader.h"
#include "orvutil/data/encodings.h"
#include "orvutil/foundation/smartptr.h"
#include "zlib_stream.h"

namespace Orv {
class CSavedData;
}  // namespace Orv

// Named before the class, whose CopyFrom asks other objects for it.
ORV_CLASS_GUID(Orv::CSavedData, 0x66761cf1, 0xbd84, 0x4c58, 0x81, 0xa8, 0xd5, 0xf0, 0x17, 0x4d, 0xf7, 0xb5)

namespace Orv {

class CSavedData : public CComBase, public ISavedData, public IChunkListener {
 public:
  ORV_INTERFACES(ISavedData, IChunkListener)

  void SetLoaded(IData* loaded, bool compressed) {
    m_loaded = loaded;
    m_compressed = compressed;
    if (!compressed) MakeSaved();
  }
  void SetSaved(IData* saved, unsigned loadedSize, bool compressed) {
    m_saved = saved;
    m_loadedSize = loadedSize;
    m_compressed = compressed;
    if (!compressed) m_loaded = saved;
  }
  void SetFileRange(IDataFile* file, unsigned offset, unsigned savedSize, unsigned loadedSize, bool compressed) {
    m_file = file;
    m_fileOffset = offset;
    m_fileSavedSize = savedSize;
    m_fileLoadedSize = loadedSize;
    m_compressed = compressed;
  }

  IData* Load() override {
    WaitForLoader();
    if (!m_loaded) LoadFromSaved();
    return m_loaded;
  }

  bool Unload() override {
    WaitForLoader();
    if (m_file) {
      if (m_saved && !m_saved->IsReadOnly()) m_saved = nullptr;
    } else if (!m_saved && m_loaded && !MakeSaved()) {
      return false;  // the loaded form is the only copy: keep it
    }
    m_loaded = nullptr;
    return true;
  }

  IData* GetSavedData() override {
    WaitForLoader();
    if (!m_saved) {
      if (m_file) {
        CopyFileRange();
      } else if (m_loaded) {
        MakeSaved();
      }
    }
    if (!m_saved) return nullptr;
    m_loaded = nullptr;
    return m_saved;
  }

  bool SaveToTempFile() override {
    WaitForLoader();
    if (!m_file && (!m_saved || !m_saved->IsReadOnly())) return WriteTempFile();
    return m_file || m_saved;
  }

  unsigned int GetSavedSize() override {
    if (!m_saved && !m_file && m_loaded) {
      WaitForLoader();
      MakeSaved();  // keeps the loaded form: a block handed out by Load stays valid
    }
    if (m_saved) return m_saved->GetSize();
    return m_file ? m_fileSavedSize : 0;
  }

  unsigned int GetLoadedSize() override {
    if (m_loaded) return m_loaded->GetSize();
    if (m_saved) return m_loadedSize;
    return m_file ? m_fileLoadedSize : 0;
  }

  bool IsCompressed() override { return m_compressed; }

  bool CreateSavedReader(IDataReader** out) override {
    if (out) *out = nullptr;
    if (!out) return false;
    if (!m_file && !m_saved) MakeSaved();
    if (m_saved) return CreateDataReader(m_saved, 0, out);
    return m_file && CreateDataReader(m_file, m_fileOffset, out);
  }

  bool Clone(ISavedData** out) override;

  bool CopyFrom(ISavedData* other) override {
    CSavedData* source = Implementation(other);
    if (!source) return false;
    if (source == this) return true;
    m_loaded = source->m_loaded;
    m_compressed = source->m_compressed;
    m_saved = source->m_saved;
    m_loadedSize = source->m_loadedSize;
    m_file = source->m_file;
    m_fileOffset = source->m_fileOffset;
    m_fileSavedSize = source->m_fileSavedSize;
    m_fileLoadedSize = source->m_fileLoadedSize;
    return true;
  }

  void SetAsyncLoader(IAsyncDataLoader* loader) override { m_loader = loader; }
  bool GetAsyncLoader(IAsyncDataLoader** out) override {
    if (out) *out = nullptr;
    return m_loader && m_loader.CopyTo(out);
  }

  // IChunkListener: progress is not followed.
  bool OnProgress(unsigned int, unsigned int, unsigned int) override { return true; }
  void OnFinished(unsigned int) override {}
  void OnFailed(unsigned int, unsigned int) override {}

 private:
  static CSavedData* Implementation(ISavedData* other) {
    if (!other) return nullptr;
    void* object = nullptr;
    if (FAILED(other->QueryInterface(__uuidof(CSavedData), &object)) || !object) return nullptr;
    CSavedData* found = static_cast<CSavedData*>(static_cast<CComBaseEx*>(object));
    other->Release();  // the caller holds `other`: no reference is kept here
    return found;
  }

  void WaitForLoader() {
    tSmartPtr<IAsyncDataLoader> loader = m_loader;  // the wait may detach it
    if (loader) loader->WaitForData(this);
  }

  // The size of the saved bytes held in memory or in the file.
  unsigned SavedSourceSize() { return m_file ? m_fileSavedSize : m_saved ? m_saved->GetSize() : 0; }

  bool CreateSourceReader(IDataReader** reader) {
    if (m_file) return CreateDataReader(m_file, m_fileOffset, reader);
    return m_saved && CreateDataReader(m_saved, 0, reader);
  }

  // Produces the loaded form from the saved bytes; the output must be exactly the loaded size.
  void LoadFromSaved() {
    unsigned loadedSize = GetLoadedSize();
    unsigned savedSize = SavedSourceSize();
    if (!m_file && !m_saved) return;
    if (!m_compressed && savedSize != loadedSize) return;
    if (!m_compressed && m_saved) {
      m_loaded = m_saved;  // not compressed: the saved block is the loaded one
      return;
    }
    tSmartPtr<IDataVector> vector;
    tSmartPtr<IDataWriter> writer;
    tSmartPtr<IDataReader> reader;
    if (!CreateDataWriter(vector.Receive(), writer.Receive())) return;
    if (m_compressed && savedSize == 0 && loadedSize == 0) {
      TakeLoaded(vector.Get());  // compressing nothing stores nothing
      return;
    }
    if (!CreateSourceReader(reader.Receive())) return;
    // Room for the output, but never more than the saved bytes can expand to.
    DataDetail::ReserveForOutput(vector->GetVector(), loadedSize, m_compressed ? 1032ull * savedSize + 64 : savedSize);
    bool done = m_compressed ? DataDetail::UncompressBounded(reader, savedSize, writer, nullptr, loadedSize)
                             : StreamCopyData(reader, savedSize, writer, 0xFFFFFFFFu);
    if (done && writer->GetPos() == loadedSize) TakeLoaded(vector.Get());
  }

  // The new loaded form; an in-memory saved vector goes, so memory never holds two copies.
  void TakeLoaded(IData* loaded) {
    m_loaded = loaded;
    if (m_saved && !m_saved->IsReadOnly() && m_saved.Get() != loaded) {
      m_loadedSize = loaded->GetSize();
      m_saved = nullptr;
    }
  }

  // Makes the saved form from the loaded one, keeping the loaded form.
  bool MakeSaved() {
    if (m_saved) return true;
    if (!m_loaded) return false;
    tSmartPtr<IData> saved = m_loaded;
    if (m_compressed && !CompressData(m_loaded, saved.Receive(), nullptr)) return false;
    m_saved = saved;
    m_loadedSize = m_loaded->GetSize();
    return true;
  }

  // Copies the file range into memory as the saved form.
  void CopyFileRange() {
    tSmartPtr<IDataReader> reader;
    tSmartPtr<IDataVector> vector;
    tSmartPtr<IDataWriter> writer;
    if (!CreateDataReader(m_file, m_fileOffset, reader.Receive()) ||
        !CreateDataWriter(vector.Receive(), writer.Receive()) ||
        !StreamCopyData(reader, m_fileSavedSize, writer, 0xFFFFFFFFu)) {
      return;
    }
    m_saved = static_cast<IData*>(vector.Get());
    m_loadedSize = m_fileLoadedSize;
  }

  // Writes the saved form (made from the loaded one when needed) to a new temporary data file
  // that then holds it; the in-memory forms go.
  bool WriteTempFile() {
    if (!m_saved && !m_loaded) return false;
    unsigned loadedSize = GetLoadedSize();
    tSmartPtr<IDataFile> file;
    tSmartPtr<IDataWriter> writer;
    if (!CreateTempDataFile(file.Receive()) || !CreateDataWriter(file, 0, writer.Receive())) return false;
    IData* source = m_saved ? m_saved.Get() : m_loaded.Get();
    tSmartPtr<IDataReader> reader;
    if (!CreateDataReader(source, 0, reader.Receive())) return false;
    bool written = !m_saved && m_compressed ? CompressData(reader, source->GetSize(), writer, nullptr)
                                            : StreamCopyData(reader, source->GetSize(), writer, 0xFFFFFFFFu);
    unsigned savedSize = writer->GetPos();
    writer = nullptr;  // closes the handle, so that the file can be read and mapped
    if (!written || savedSize == 0xFFFFFFFFu) return false;
    SetFileRange(file, 0, savedSize, loadedSize, m_compressed);
    m_saved = nullptr;
    m_loaded = nullptr;
    return true;
  }

  tSmartPtr<IAsyncDataLoader> m_loader;
  tSmartPtr<IData> m_loaded;
  bool m_compressed = false;
  tSmartPtr<IData> m_saved;
  unsigned m_loadedSize = 0;
  tSmartPtr<IDataFile> m_file;
  unsigned m_fileOffset = 0;
  unsigned m_fileSavedSize = 0;
  unsigned m_fileLoadedSize = 0;
};

bool CSavedData::Clone(ISavedData** out) {
  return DataDetail::HandOut<CSavedData>(out, [&](CSavedData& copy) { return copy.CopyFrom(this); });
}

bool CreateSavedDataFromMemory(IData* saved, unsigned int loadedSize, bool compressed, ISavedData** out) {
  if (out) *out = nullptr;
  if (!saved || (!compressed && saved->GetSize() != loadedSize)) return false;
  return DataDetail::HandOut<CSavedData>(out, [&](CSavedData& data) {
    data.SetSaved(saved, loadedSize, compressed);
    return true;
  });
}

bool CreateLoadedDataFromMemory(IData* loaded, bool compressed, ISavedData** out) {
  if (out) *out = nullptr;
  if (!loaded) return false;
  return DataDetail::HandOut<CSavedData>(out, [&](CSavedData& data) {
    data.SetLoaded(loaded, compressed);
    return true;
  });
}

bool CreateSavedDataFromFile(IDataFile* file, unsigned int offset, unsigned int savedSize, unsigned int loadedSize,
                             bool compressed, ISavedData** out) {
  if (out) *out = nullptr;
  if (!file || !out || (!compressed && savedSize != loadedSize)) return false;
  if (const unsigned char* view = file->GetMappedPointer()) {
    if (!DataDetail::RangeFits(offset, savedSize, file->GetSize())) return false;
    tSmartPtr<IData> range;
    return CreateDataInMemMappedFile(view + offset, savedSize, file, range.Receive()) &&
           CreateSavedDataFromMemory(range, loadedSize, compressed, out);
  }
  return DataDetail::HandOut<CSavedData>(out, [&](CSavedData& data) {
    data.SetFileRange(file, offset, savedSize, loadedSize, compressed);
    return true;
  });
}

}  // namespace Orv
