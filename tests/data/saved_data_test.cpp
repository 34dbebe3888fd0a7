// Saved data in each of its forms, moving between them, and sizes taken from stored records.
#include "../system/scratch.h"
#include "data_test_support.h"

using namespace DataTests;
using Orv::IData;
using Orv::IDataFile;
using Orv::ISavedData;

namespace {

class SavedDataTest : public ScratchFiles::ScratchTest {
 protected:
  // A data file holding "head" + `payload` + "tail".
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
  EXPECT_TRUE(Orv::CompressData(Block(input), out.Receive(), nullptr));
  return Bytes(out);
}

}  // namespace

TEST_F(SavedDataTest, EveryFormLoadsTheSameBytesAndKeepsItsSizes) {
  const std::string loaded = MixedBytes(70000), packed = Deflated(loaded);
  const unsigned size = static_cast<unsigned>(loaded.size());
  for (bool compressed : {false, true}) {
    const std::string& saved = compressed ? packed : loaded;
    const unsigned savedSize = static_cast<unsigned>(saved.size());
    Ptr<IDataFile> file = FileWith(saved), unmapped;
    Ptr<IData> mapping;
    ASSERT_TRUE(Orv::CreateDataInMemMappedFile(file, mapping.Receive()));
    ASSERT_TRUE(Orv::CreateDataFile(file->GetPath(), false, unmapped.Receive()));
    Ptr<ISavedData> forms[5];
    ASSERT_TRUE(Orv::CreateSavedDataFromMemory(Block(saved), size, compressed, forms[0].Receive()));
    ASSERT_TRUE(Orv::CreateLoadedDataFromMemory(Block(loaded), compressed, forms[1].Receive()));
    ASSERT_TRUE(Orv::CreateSavedDataFromFile(file, 4, savedSize, size, compressed, forms[2].Receive()));
    ASSERT_TRUE(Orv::CreateSavedDataFromFile(unmapped, 4, savedSize, size, compressed, forms[3].Receive()));
    ASSERT_TRUE(forms[0]->Clone(forms[4].Receive()));
    for (int i = 0; i < 5; ++i) {
      SCOPED_TRACE(testing::Message() << (compressed ? "compressed form " : "form ") << i);
      ISavedData* data = forms[i];
      EXPECT_EQ(compressed, data->IsCompressed());
      EXPECT_EQ(size, data->GetLoadedSize());
      IData* block = data->Load();
      ASSERT_NE(nullptr, block);
      EXPECT_EQ(savedSize, data->GetSavedSize());
      EXPECT_TRUE(Bytes(block) == loaded);  // asking for the saved size left the loaded block alone
      EXPECT_TRUE(Bytes(data->GetSavedData()) == saved);
      EXPECT_TRUE(data->SaveToTempFile());
      EXPECT_TRUE(Bytes(data->Load()) == loaded);
      EXPECT_TRUE(data->Unload());
      Ptr<Orv::IDataReader> reader;
      ASSERT_TRUE(data->CreateSavedReader(reader.Receive()));
      const unsigned char* bytes = reader->Read(savedSize);
      EXPECT_TRUE(bytes && std::string(reinterpret_cast<const char*>(bytes), savedSize) == saved);
    }
  }
}

TEST_F(SavedDataTest, LoadKeepsMappedSavedBlocksAndDropsSavedVectors) {
  const std::string loaded = MixedBytes(5000), packed = Deflated(loaded);
  Ptr<IDataFile> file = FileWith(packed);
  Ptr<IData> mapping, savedVector = Block(packed);
  ASSERT_TRUE(Orv::CreateDataInMemMappedFile(file, mapping.Receive()));
  Ptr<ISavedData> fromFile, fromVector;
  ASSERT_TRUE(Orv::CreateSavedDataFromFile(file, 4, file->GetSize() - 8, 5000, true, fromFile.Receive()));
  ASSERT_TRUE(Orv::CreateSavedDataFromMemory(savedVector, 5000, true, fromVector.Receive()));
  ASSERT_NE(nullptr, fromFile->Load());
  ASSERT_NE(nullptr, fromVector->Load());
  mapping = nullptr;
  EXPECT_NE(nullptr, file->GetMappedPointer());  // still used by the saved block
  savedVector->AddRef();
  EXPECT_EQ(1u, savedVector->Release());  // only this test holds the vector now
}

TEST_F(SavedDataTest, SizesFromStoredRecordsAreChecked) {
  Ptr<IDataFile> file = FileWith("0123456789");
  Ptr<IData> mapping;
  ASSERT_TRUE(Orv::CreateDataInMemMappedFile(file, mapping.Receive()));
  Ptr<ISavedData> data;
  const unsigned cases[][4] = {
      // offset, saved size, loaded size, created
      {4, 10, 10, 1}, {4, 10, 11, 0}, {10, 9, 9, 0}, {19, 0, 0, 0}, {0xFFFFFFF0u, 0x20, 0x20, 0}, {18, 0, 0, 1}};
  for (auto& c : cases) {
    EXPECT_EQ(c[3] != 0, Orv::CreateSavedDataFromFile(file, c[0], c[1], c[2], false, data.Receive())) << c[0];
  }
  EXPECT_FALSE(Orv::CreateSavedDataFromFile(nullptr, 0, 0, 0, false, data.Receive()));
  EXPECT_FALSE(Orv::CreateSavedDataFromMemory(Block("0123456789"), 11, false, data.Receive()));
  // A compressed blob loads only when it inflates to exactly the recorded size, however large that
  // size claims to be; a failed load keeps the saved form.
  std::string packed = Deflated(std::string(11, 'x'));
  for (unsigned loadedSize : {10u, 11u, 12u, 0xFFFFFFF0u}) {
    ASSERT_TRUE(Orv::CreateSavedDataFromMemory(Block(packed), loadedSize, true, data.Receive()));
    EXPECT_EQ(loadedSize == 11, data->Load() != nullptr) << loadedSize;
    EXPECT_EQ(packed, Bytes(data->GetSavedData()));
  }
  // An empty payload compresses to nothing and loads as an empty block.
  ASSERT_TRUE(Orv::CreateLoadedDataFromMemory(Block(""), true, data.Receive()));
  ASSERT_TRUE(data->Unload());
  EXPECT_EQ(0u, data->GetSavedSize());
  EXPECT_NE(nullptr, data->Load());
}
