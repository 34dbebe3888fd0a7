// Saved data in each of its forms, moving between them, and hostile sizes.
#include <zlib.h>

#include "../system/scratch.h"
#include "data_test_support.h"
#include "orvutil/com.h"

using namespace DataTests;
using Orv::IData;
using Orv::IDataFile;
using Orv::ISavedData;

namespace {

class SavedDataTest : public ScratchFiles::ScratchTest {
 protected:
  // Writes "head" + `payload` + "tail" to a file and returns a data file over it.
  Ptr<IDataFile> FileWith(const std::string& payload) {
    Orv::tstring path = Path(L"saved.bin");
    EXPECT_TRUE(ScratchFiles::WriteRaw(path, "head" + payload + "tail"));
    Ptr<IDataFile> file;
    EXPECT_TRUE(Orv::CreateDataFile(path.c_str(), false, file.Receive()));
    return file;
  }
};

std::string Deflated(const std::string& input) {
  Ptr<IData> out;
  EXPECT_TRUE(Orv::CompressData(Vector(input), out.Receive(), nullptr));
  return Bytes(out);
}

}  // namespace

TEST_F(SavedDataTest, EveryFormLoadsTheSameBytesAndKeepsItsSizes) {
  const std::string loaded = MixedBytes(70000);
  const std::string packed = Deflated(loaded);
  for (bool compressed : {false, true}) {
    const std::string& saved = compressed ? packed : loaded;
    Ptr<IDataFile> file = FileWith(saved);
    Ptr<IData> mapping;
    ASSERT_TRUE(Orv::CreateDataInMemMappedFile(file, mapping.Receive()));
    Ptr<IDataFile> unmapped;
    ASSERT_TRUE(Orv::CreateDataFile(file->GetPath(), false, unmapped.Receive()));
    Ptr<ISavedData> forms[5];
    unsigned savedSize = static_cast<unsigned>(saved.size()), size = static_cast<unsigned>(loaded.size());
    ASSERT_TRUE(Orv::CreateSavedDataFromMemory(Vector(saved), size, compressed, forms[0].Receive()));
    ASSERT_TRUE(Orv::CreateLoadedDataFromMemory(Vector(loaded), compressed, forms[1].Receive()));
    ASSERT_TRUE(Orv::CreateSavedDataFromFile(file, 4, savedSize, size, compressed, forms[2].Receive()));
    ASSERT_TRUE(Orv::CreateSavedDataFromFile(unmapped, 4, savedSize, size, compressed, forms[3].Receive()));
    ASSERT_TRUE(forms[0]->Clone(forms[4].Receive()));
    for (int i = 0; i < 5; ++i) {
      SCOPED_TRACE(testing::Message() << "form " << i << (compressed ? " compressed" : ""));
      ISavedData* data = forms[i];
      EXPECT_EQ(compressed, data->IsCompressed());
      EXPECT_EQ(size, data->GetLoadedSize());
      EXPECT_EQ(savedSize, data->GetSavedSize());
      IData* block = data->Load();
      ASSERT_NE(nullptr, block);
      EXPECT_TRUE(Bytes(block) == loaded);
      EXPECT_EQ(savedSize, data->GetSavedSize());
      EXPECT_TRUE(Bytes(block) == loaded);  // asking for sizes left the loaded block alone
      EXPECT_TRUE(Bytes(data->GetSavedData()) == saved);
      EXPECT_TRUE(data->SaveToTempFile());
      EXPECT_EQ(size, data->GetLoadedSize());
      EXPECT_EQ(savedSize, data->GetSavedSize());
      EXPECT_TRUE(Bytes(data->Load()) == loaded);
      EXPECT_TRUE(data->Unload());
      Ptr<Orv::IDataReader> reader;
      ASSERT_TRUE(data->CreateSavedReader(reader.Receive()));
      const unsigned char* bytes = reader->Read(savedSize);
      ASSERT_NE(nullptr, bytes);
      EXPECT_TRUE(std::string(reinterpret_cast<const char*>(bytes), savedSize) == saved);
    }
  }
}

TEST_F(SavedDataTest, LoadKeepsMappedSavedBlocksAndDropsSavedVectors) {
  const std::string loaded = MixedBytes(5000);
  Ptr<IDataFile> file = FileWith(Deflated(loaded));
  Ptr<IData> mapping;
  ASSERT_TRUE(Orv::CreateDataInMemMappedFile(file, mapping.Receive()));
  unsigned savedSize = file->GetSize() - 8;
  Ptr<ISavedData> fromFile, fromVector;
  Ptr<IData> savedVector = Vector(Deflated(loaded));
  ASSERT_TRUE(Orv::CreateSavedDataFromFile(file, 4, savedSize, 5000, true, fromFile.Receive()));
  ASSERT_TRUE(Orv::CreateSavedDataFromMemory(savedVector, 5000, true, fromVector.Receive()));
  ASSERT_NE(nullptr, fromFile->Load());
  ASSERT_NE(nullptr, fromVector->Load());
  savedVector->AddRef();
  EXPECT_EQ(1u, savedVector->Release());  // the saved data let go of its vector
  mapping = nullptr;
  EXPECT_NE(nullptr, file->GetMappedPointer());  // still used by the saved block
  Ptr<Orv::IDataReader> reader;
  ASSERT_TRUE(fromVector->CreateSavedReader(reader.Receive()));  // made again by compressing
  EXPECT_EQ(Deflated(loaded).size(), reader->GetSize());
}

TEST_F(SavedDataTest, SizesFromStoredRecordsAreChecked) {
  Ptr<IDataFile> file = FileWith("0123456789");
  Ptr<IData> mapping;
  ASSERT_TRUE(Orv::CreateDataInMemMappedFile(file, mapping.Receive()));
  Ptr<ISavedData> data;
  struct Case {
    unsigned offset, saved, loaded;
    bool compressed, created;
  } cases[] = {{4, 10, 10, false, true}, {4, 10, 11, false, false}, {10, 9, 9, false, false},
               {19, 0, 0, false, false}, {0xFFFFFFF0u, 0x20, 0x20, true, false}, {18, 0, 0, false, true}};
  for (const Case& c : cases) {
    EXPECT_EQ(c.created, Orv::CreateSavedDataFromFile(file, c.offset, c.saved, c.loaded, c.compressed,
                                                      data.Receive()))
        << c.offset << "+" << c.saved;
  }
  EXPECT_FALSE(Orv::CreateSavedDataFromFile(nullptr, 0, 0, 0, false, data.Receive()));
  EXPECT_FALSE(Orv::CreateSavedDataFromMemory(Vector("0123456789"), 11, false, data.Receive()));

  // A compressed blob loads only when it inflates to exactly the recorded size, however large
  // that size claims to be.
  std::string packed = Deflated(std::string(11, 'x'));
  for (unsigned loadedSize : {10u, 11u, 12u, 0xFFFFFFF0u}) {
    ASSERT_TRUE(Orv::CreateSavedDataFromMemory(Vector(packed), loadedSize, true, data.Receive()));
    EXPECT_EQ(loadedSize == 11, data->Load() != nullptr) << loadedSize;
    EXPECT_EQ(packed, Bytes(data->GetSavedData()));  // a failed load keeps the saved form
  }
  // An empty payload compresses to nothing and loads as an empty block.
  ASSERT_TRUE(Orv::CreateLoadedDataFromMemory(Vector(""), true, data.Receive()));
  ASSERT_TRUE(data->Unload());
  EXPECT_EQ(0u, data->GetSavedSize());
  ASSERT_NE(nullptr, data->Load());
  EXPECT_EQ(0u, data->GetLoadedSize());
}

namespace {

// A loader that only counts the waits a saved data asks of it.
class CWaitCounter : public Orv::CComBase, public Orv::IAsyncDataLoader {
 public:
  ORV_INTERFACES(Orv::IAsyncDataLoader)
  bool WaitForData(ISavedData* data) override {
    ++waits;
    last = data;
    return true;
  }
  bool LoadAsync(ISavedData*, int, Orv::IAsyncDataListener*) override { return false; }
  bool UnloadAsync(ISavedData*, int, Orv::IAsyncDataListener*) override { return false; }
  bool SaveAsync(ISavedData*, int, Orv::IAsyncDataListener*) override { return false; }
  bool SaveToTempFileAsync(ISavedData*, int, Orv::IAsyncDataListener*) override { return false; }
  bool WaitForListener(Orv::IAsyncDataListener*) override { return false; }
  bool CancelForListener(Orv::IAsyncDataListener*) override { return false; }
  bool CancelData(ISavedData*) override { return false; }
  bool WaitForAll() override { return false; }
  bool CancelAll() override { return false; }
  void AddListener(Orv::IAsyncDataListener*) override {}
  void RemoveListener(Orv::IAsyncDataListener*) override {}
  bool IsBusy() override { return false; }
  void ResetProgress() override {}
  bool GetProgress(unsigned int*, unsigned int*) override { return false; }

  int waits = 0;
  ISavedData* last = nullptr;
};

}  // namespace

ORV_CLASS_GUID(CWaitCounter, 0x1f0c3a9e, 0x6d2b, 0x4e57, 0x8a, 0x44, 0x90, 0x1b, 0x7c, 0x2e, 0x5f, 0x63)

TEST(SavedData, FormChangesWaitForTheAttachedLoaderAndCopiesShareBlocks) {
  CWaitCounter* loader = nullptr;
  ASSERT_EQ(S_OK, Orv::CComObject<CWaitCounter>::CreateObject(nullptr, &loader));
  Ptr<ISavedData> data, copy;
  ASSERT_TRUE(Orv::CreateLoadedDataFromMemory(Vector("payload"), false, data.Receive()));
  Ptr<Orv::IAsyncDataLoader> attached;
  EXPECT_FALSE(data->GetAsyncLoader(attached.Receive()));
  data->SetAsyncLoader(loader);
  loader->Release();
  EXPECT_TRUE(data->GetAsyncLoader(attached.Receive()));
  EXPECT_EQ(static_cast<Orv::IAsyncDataLoader*>(loader), attached.Get());
  data->Load();
  data->Unload();
  data->GetSavedData();
  data->SaveToTempFile();
  EXPECT_EQ(4, loader->waits);
  EXPECT_EQ(data.Get(), loader->last);

  ASSERT_TRUE(Orv::CreateLoadedDataFromMemory(Vector("other"), true, copy.Receive()));
  ASSERT_TRUE(copy->CopyFrom(data));
  EXPECT_FALSE(copy->GetAsyncLoader(attached.Receive()));  // the loader stays behind
  EXPECT_FALSE(copy->IsCompressed());
  EXPECT_EQ("payload", Bytes(copy->Load()));
  EXPECT_TRUE(copy->CopyFrom(copy));
  EXPECT_FALSE(copy->CopyFrom(nullptr));
}
