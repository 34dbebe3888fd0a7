#include "failing_io.h"

#include "new_object.h"

namespace OrvTest {

class CFailingWriter : public Orv::CComBase, public Orv::IDataWriter {
 public:
  ORV_INTERFACES(Orv::IDataStream, Orv::IDataWriter)
  Orv::tSmartPtr<Orv::IDataWriter> inner;
  unsigned limit = 0, taken = 0, offered = 0;
  unsigned* total = nullptr;
  bool failed = false;

  unsigned GetSize() override { return inner->GetSize(); }
  unsigned GetPos() override { return inner->GetPos(); }
  bool SetPos(unsigned pos) override { return inner->SetPos(pos); }
  bool CreateSavedData(unsigned offset, unsigned saved, unsigned loaded, bool compressed,
                       Orv::ISavedData** out) override {
    return inner->CreateSavedData(offset, saved, loaded, compressed, out);
  }
  bool Write(const void* p, unsigned size) override {
    offered += size;
    if (total) *total = offered;
    failed = failed || size > limit - taken;
    if (failed) return false;
    taken += size;
    return inner->Write(p, size);
  }
};

class CFailingReader : public Orv::CComBase, public Orv::IDataReader {
 public:
  ORV_INTERFACES(Orv::IDataStream, Orv::IDataReader)
  Orv::tSmartPtr<Orv::IDataReader> inner;
  unsigned limit = 0;

  unsigned GetSize() override { return inner->GetSize(); }
  unsigned GetPos() override { return inner->GetPos(); }
  bool SetPos(unsigned pos) override { return inner->SetPos(pos); }
  bool CreateSavedData(unsigned offset, unsigned saved, unsigned loaded, bool compressed,
                       Orv::ISavedData** out) override {
    if (out) *out = nullptr;
    return Within(offset, saved) && inner->CreateSavedData(offset, saved, loaded, compressed, out);
  }
  bool ReadData(unsigned size, Orv::IData** out) override {
    if (out) *out = nullptr;
    return Within(GetPos(), size) && inner->ReadData(size, out);
  }
  const unsigned char* Read(unsigned size) override { return Within(GetPos(), size) ? inner->Read(size) : nullptr; }

 private:
  bool Within(unsigned offset, unsigned size) const { return offset <= limit && size <= limit - offset; }
};

}  // namespace OrvTest

ORV_CLASS_GUID(OrvTest::CFailingWriter, 0x5f0c1e2a, 0x7b34, 0x4c8d, 0x9a, 0x10, 0x2e, 0x61, 0x7c, 0x83, 0x94, 0xa5)
ORV_CLASS_GUID(OrvTest::CFailingReader, 0x5f0c1e2b, 0x7b34, 0x4c8d, 0x9a, 0x10, 0x2e, 0x61, 0x7c, 0x83, 0x94, 0xa6)

namespace OrvTest {

Orv::tSmartPtr<Orv::IDataWriter> FailingWriter(unsigned limit, Orv::tSmartPtr<Orv::IDataVector>* written,
                                               unsigned* total) {
  auto writer = New<CFailingWriter>();
  Orv::tSmartPtr<Orv::IDataVector> vector;
  if (!writer || !Orv::CreateDataWriter(vector.Receive(), writer->inner.Receive())) return nullptr;
  writer->limit = limit;
  writer->total = total;
  if (total) *total = 0;
  if (written) *written = vector;
  return Orv::tSmartPtr<Orv::IDataWriter>(writer.Get());
}

Orv::tSmartPtr<Orv::IDataReader> FailingReader(Orv::IData* data, unsigned limit) {
  auto reader = New<CFailingReader>();
  if (!reader || !Orv::CreateDataReader(data, 0, reader->inner.Receive())) return nullptr;
  reader->limit = limit;
  return Orv::tSmartPtr<Orv::IDataReader>(reader.Get());
}

}  // namespace OrvTest
