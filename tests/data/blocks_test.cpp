// Data blocks and data files: ranges, views over vectors, file mappings shared by blocks,
// temporary files, resources.
#include "../system/scratch.h"
#include "data_test_support.h"
#include "orvutil/com.h"
#include "orvutil/system.h"

using namespace DataTests;
using Orv::IData;
using Orv::IDataFile;
using Orv::IDataVector;
using Orv::IDataWriter;

namespace {

class DataFileTest : public ScratchFiles::ScratchTest {};

// Whether the file can be opened for writing now: no read handle or mapping of the library holds it.
bool WritableNow(const Orv::tstring& path) {
  HANDLE file = ::CreateFileW(ScratchFiles::Long(path).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  ::CloseHandle(file);
  return true;
}

}  // namespace

TEST(DataBlocks, ChildRangesMustLieInsideTheParent) {
  Ptr<IData> parent = Vector("0123456789");
  struct Case {
    unsigned offset, size;
  } cases[] = {{0, 10}, {10, 0}, {3, 4}, {11, 0}, {5, 6}, {9, 0xFFFFFFFFu}, {0xFFFFFFFFu, 2}, {2, 0xFFFFFFFEu}};
  for (const Case& c : cases) {
    Ptr<IData> child;
    bool inside = c.offset <= 10 && static_cast<unsigned long long>(c.offset) + c.size <= 10;
    EXPECT_EQ(inside, Orv::CreateDataInData(parent, c.offset, c.size, child.Receive())) << c.offset << "+" << c.size;
    if (inside) {
      EXPECT_EQ(std::string("0123456789").substr(c.offset, c.size), Bytes(child));
    }
    if (!inside) {
      EXPECT_EQ(nullptr, child.Get());
    }
  }
  IData* untouched = reinterpret_cast<IData*>(1);
  EXPECT_FALSE(Orv::CreateDataInData(nullptr, 0, 0, &untouched));
  EXPECT_EQ(nullptr, untouched);
}

TEST(DataBlocks, ChildOfVectorFollowsItsStorageAndReadOnlyComesFromTheParent) {
  Ptr<IDataVector> vector;
  ASSERT_TRUE(Orv::CreateDataVector(4, vector.Receive()));
  Ptr<IData> child;
  ASSERT_TRUE(Orv::CreateDataInData(vector, 2, 2, child.Receive()));
  vector->GetVector().Resize(1 << 20, 'x');  // moves the storage
  vector->GetVector()[2] = 'a';
  EXPECT_EQ(vector->GetPointer() + 2, child->GetPointer());
  EXPECT_EQ(std::string("a") + '\0', Bytes(child));
  EXPECT_FALSE(child->IsReadOnly());

  static const unsigned char kFixed[] = {1, 2, 3};
  Ptr<IData> fixed, fixedChild;
  ASSERT_TRUE(Orv::CreateDataInStaticMem(kFixed, 3, fixed.Receive()));
  ASSERT_TRUE(Orv::CreateDataInData(fixed, 1, 2, fixedChild.Receive()));
  EXPECT_TRUE(fixedChild->IsReadOnly());
  EXPECT_EQ(kFixed + 1, fixedChild->GetPointer());
  EXPECT_FALSE(Orv::CreateDataInStaticMem(nullptr, 3, fixed.Receive()));
}

TEST_F(DataFileTest, TwoBlocksMapTheFileOnceAndTheLastReleaseClosesIt) {
  Orv::tstring path = Path(L"mapped.bin");
  ASSERT_TRUE(ScratchFiles::WriteRaw(path, "mapped bytes"));
  Ptr<IDataFile> file;
  ASSERT_TRUE(Orv::CreateDataFile(path.c_str(), false, file.Receive()));
  Ptr<IData> whole, part;
  ASSERT_TRUE(Orv::CreateDataInMemMappedFile(file, whole.Receive()));
  const unsigned char* view = file->GetMappedPointer();
  ASSERT_TRUE(Orv::CreateDataInMemMappedFile(view + 7, 5, file, part.Receive()));
  EXPECT_EQ(view, file->GetMappedPointer());  // one mapping for both
  EXPECT_EQ("mapped bytes", Bytes(whole));
  EXPECT_EQ("bytes", Bytes(part));
  EXPECT_EQ(file.Get(), part->GetDataFile());
  EXPECT_FALSE(WritableNow(path));
  whole = nullptr;
  EXPECT_EQ(view, file->GetMappedPointer());
  part = nullptr;
  EXPECT_EQ(nullptr, file->GetMappedPointer());
  EXPECT_TRUE(WritableNow(path));
  EXPECT_FALSE(file->Unmap());  // no use is left to give back
}

TEST_F(DataFileTest, FailedMappingTakesNoUseAndMissingFilesHaveNoSize) {
  Orv::tstring path = Path(L"later.bin");
  Ptr<IDataFile> file;
  ASSERT_TRUE(Orv::CreateDataFile(path.c_str(), false, file.Receive()));
  Ptr<IData> block;
  EXPECT_FALSE(Orv::CreateDataInMemMappedFile(file, block.Receive()));
  EXPECT_EQ(0u, file->GetSize());
  ASSERT_TRUE(ScratchFiles::WriteRaw(path, "now here"));
  EXPECT_EQ(8u, file->GetSize());
  ASSERT_TRUE(Orv::CreateDataInMemMappedFile(file, block.Receive()));  // the failure left no use behind
  EXPECT_EQ("now here", Bytes(block));
  EXPECT_FALSE(Orv::CreateDataFile(L"", false, file.Receive()));
  EXPECT_FALSE(Orv::CreateDataFile(nullptr, false, file.Receive()));
}

TEST_F(DataFileTest, TemporaryDataFileIsDeletedOnRelease) {
  Ptr<IDataFile> file;
  ASSERT_TRUE(Orv::CreateTempDataFile(file.Receive()));
  Orv::tstring path = file->GetPath();
  EXPECT_TRUE(Orv::IsTempFile(path.c_str()));
  Ptr<IDataWriter> writer;
  ASSERT_TRUE(Orv::CreateDataWriter(file, 0, writer.Receive()));
  EXPECT_TRUE(writer->Write("temp", 4));
  writer = nullptr;
  Ptr<IData> whole;
  ASSERT_TRUE(Orv::ReadWholeFile(path.c_str(), whole.Receive()));
  EXPECT_EQ("temp", Bytes(whole));
  EXPECT_TRUE(ScratchFiles::ExistsRaw(path));
  file = nullptr;
  EXPECT_FALSE(ScratchFiles::ExistsRaw(path));
}

TEST(DataBlocks, ResourcesAreReadInPlaceAndEmptyOnesFail) {
  HINSTANCE exe = ::GetModuleHandleW(nullptr);
  HRSRC found = ::FindResourceW(exe, MAKEINTRESOURCEW(101), RT_RCDATA);
  ASSERT_NE(nullptr, found);
  Ptr<IData> data;
  ASSERT_TRUE(Orv::CreateDataInResource(exe, MAKEINTRESOURCEW(101), RT_RCDATA, data.Receive()));
  EXPECT_EQ(::LockResource(::LoadResource(exe, found)), data->GetPointer());
  EXPECT_EQ(::SizeofResource(exe, found), data->GetSize());
  EXPECT_FALSE(Orv::CreateDataInResource(exe, MAKEINTRESOURCEW(102), RT_RCDATA, data.Receive()));
  EXPECT_FALSE(Orv::CreateDataInResource(exe, MAKEINTRESOURCEW(103), RT_RCDATA, data.Receive()));
  EXPECT_FALSE(Orv::CreateDataInResource(nullptr, MAKEINTRESOURCEW(101), RT_RCDATA, data.Receive()));

  // The library's module reads its own version resource the same way.
  HINSTANCE library = Orv::GetOrvutilModule().GetInstance();
  HRSRC version = ::FindResourceW(library, MAKEINTRESOURCEW(1), RT_VERSION);
  ASSERT_NE(nullptr, version);
  ASSERT_TRUE(Orv::GetOrvutilModule().GetResourceFileData(1, RT_VERSION, data.Receive()));
  EXPECT_EQ(::SizeofResource(library, version), data->GetSize());
  EXPECT_FALSE(Orv::GetOrvutilModule().GetResourceFileData(4711, RT_VERSION, data.Receive()));
}

// The test executable's own module, counting the listeners and loaders the tests make.
ORV_DEFINE_MODULE(Orv::CModule)
