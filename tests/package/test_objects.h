// The package tests' objects: a persistent object whose payload is a text (it can be told to fail
// either hook), and a listener counting what it hears of background work and of objects' loads.
#pragma once

#include <atomic>
#include <string>

#include "../support/new_object.h"

namespace PackageTests {

class CNote : public Orv::CPackagePersistAsyncHelper {
 public:
  std::wstring text;
  bool failSave = false, failLoad = false;

 protected:
  bool InternalLoad(Orv::IDataReader* reader, Orv::PackageNode) override {
    unsigned n = reader->GetSize();
    const unsigned char* p = reader->Read(n);
    if (failLoad || (!p && n)) return false;
    text.assign(reinterpret_cast<const wchar_t*>(p), n / 2);
    return true;
  }
  bool InternalSave(Orv::IDataWriter* writer, Orv::PackageNode) override {
    return !failSave && writer->Write(text.data(), static_cast<unsigned>(text.size() * 2));
  }
};

class CCounter : public Orv::CComBase, public Orv::IAsyncDataListener, public Orv::IPersistListener {
 public:
  ORV_INTERFACES(Orv::IAsyncDataListener, Orv::IPersistListener)
  std::atomic<int> completed{0}, cancelled{0}, offMainThread{0};
  void OnComplete(Orv::ISavedData*, Orv::EDataWorkType) override { Heard(completed); }
  void OnCancel(Orv::ISavedData*, Orv::EDataWorkType) override { Heard(cancelled); }
  void OnLoadFinished(Orv::IPackageNodePersist*) override { Heard(completed); }
  void OnLoadCancelled(Orv::IPackageNodePersist*) override { Heard(cancelled); }

 private:
  void Heard(std::atomic<int>& counter) {
    ++counter;
    if (!Orv::IsRunningOnMainThread()) ++offMainThread;
  }
};

}  // namespace PackageTests

ORV_CLASS_GUID(PackageTests::CNote, 0x7a11b1c0, 0x55e2, 0x4d8a, 0x93, 0x0b, 0x6c, 0x01, 0x2e, 0x44, 0x20, 0x01)
ORV_CLASS_GUID(PackageTests::CCounter, 0x7a11b1c0, 0x55e2, 0x4d8a, 0x93, 0x0b, 0x6c, 0x01, 0x2e, 0x44, 0x10, 0x01)

namespace PackageTests {

inline auto NewNote() { return OrvTest::New<CNote, Orv::IPackageNodePersist>(); }
inline auto NewCounter() { return OrvTest::New<CCounter, Orv::IAsyncDataListener>(); }

}  // namespace PackageTests
