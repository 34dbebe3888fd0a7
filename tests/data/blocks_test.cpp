// Data blocks and data files: ranges, views over vectors, shared file mappings, temporary files,
// resources.
#include "../system/scratch.h"
#include "data_test_support.h"
#include "orvutil/com.h"

using namespace DataTests;
using Orv::IData;
using Orv::IDataFile;

namespace {

class DataFileTest : public ScratchFiles::ScratchTest {};

// Whether nothing of the library holds the file open: it can be opened without sharing.
bool Unheld(const Orv::tstring& path) {
  HANDLE file = ::CreateFileW(ScratchFiles::Long(path).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file != INVALID_HANDLE_VALUE) ::CloseHandle(file);
  return file != INVALID_HANDLE_VALUE;
}

}  // namespace

TEST(DataBlocks, ChildRangesMustLieInsideTheParentAndFollowItsStorage) {
  const std::string text = "0123456789";
  Ptr<IData> parent = Block(text), child;
  const unsigned cases[][2] = {{0, 10}, {10, 0}, {3, 4}, {11, 0}, {5, 6}, {9, 0xFFFFFFFFu}, {0xFFFFFFFFu, 2}};
  for (auto& c : cases) {
    bool inside = c[0] <= 10 && c[0] + static_cast<unsigned long long>(c[1]) <= 10;
    EXPECT_EQ(inside, Orv::CreateDataInData(parent, c[0], c[1], child.Receive())) << c[0] << "+" << c[1];
    EXPECT_EQ(inside ? text.substr(c[0], c[1]) : "", Bytes(child));
  }
  Ptr<Orv::IDataVector> vector;
  ASSERT_TRUE(Orv::CreateDataVector(4, vector.Receive()));
  ASSERT_TRUE(Orv::CreateDataInData(vector, 2, 2, child.Receive()));
  vector->GetVector().Resize(1 << 20, 'a');  // moves the storage
  vector->GetVector()[2] = 'x';
  EXPECT_EQ(std::string("x") + '\0', Bytes(child));
  EXPECT_FALSE(child->IsReadOnly());
  ASSERT_TRUE(Orv::CreateDataInStaticMem(vector->GetPointer(), 8, parent.Receive()));
  ASSERT_TRUE(Orv::CreateDataInData(parent, 5, 3, child.Receive()));
  EXPECT_TRUE(child->IsReadOnly());
  EXPECT_FALSE(Orv::CreateDataInStaticMem(nullptr, 3, parent.Receive()));
  EXPECT_EQ(nullptr, parent.Get());
}

TEST_F(DataFileTest, BlocksShareOneMappingAndTheLastReleaseClosesIt) {
  Orv::tstring path = Path(L"mapped.bin");
  Ptr<IDataFile> file;
  ASSERT_TRUE(Orv::CreateDataFile(path.c_str(), false, file.Receive()));
  Ptr<IData> whole, part;
  EXPECT_FALSE(Orv::CreateDataInMemMappedFile(file, whole.Receive()));  // no file yet
  ASSERT_TRUE(ScratchFiles::WriteRaw(path, "mapped bytes"));
  EXPECT_EQ(12u, file->GetSize());
  ASSERT_TRUE(Orv::CreateDataInMemMappedFile(file, whole.Receive()));  // the failure took no use
  const unsigned char* view = file->GetMappedPointer();
  ASSERT_TRUE(Orv::CreateDataInMemMappedFile(view + 7, 5, file, part.Receive()));
  EXPECT_EQ(view, file->GetMappedPointer());
  EXPECT_EQ("mapped bytes", Bytes(whole));
  EXPECT_EQ("bytes", Bytes(part));
  EXPECT_EQ(file.Get(), part->GetDataFile());
  whole = nullptr;
  EXPECT_FALSE(Unheld(path));
  part = nullptr;
  EXPECT_EQ(nullptr, file->GetMappedPointer());
  EXPECT_TRUE(Unheld(path));
  EXPECT_FALSE(file->Unmap());
  EXPECT_FALSE(Orv::CreateDataFile(L"", false, file.Receive()));
}

TEST_F(DataFileTest, TemporaryDataFileIsDeletedOnRelease) {
  Ptr<IDataFile> file;
  ASSERT_TRUE(Orv::CreateTempDataFile(file.Receive()));
  Orv::tstring path = file->GetPath();
  Ptr<Orv::IDataWriter> writer;
  ASSERT_TRUE(Orv::CreateDataWriter(file, 0, writer.Receive()));
  EXPECT_TRUE(writer->Write("temp", 4));
  writer = nullptr;
  Ptr<IData> whole;
  ASSERT_TRUE(Orv::ReadWholeFile(path.c_str(), whole.Receive()));
  EXPECT_EQ("temp", Bytes(whole));
  file = nullptr;
  EXPECT_FALSE(ScratchFiles::ExistsRaw(path));
  EXPECT_FALSE(Orv::ReadWholeFile(path.c_str(), whole.Receive()));
}

TEST(DataBlocks, ResourcesAreReadInPlaceAndEmptyOnesFail) {
  HINSTANCE exe = ::GetModuleHandleW(nullptr), library = Orv::GetOrvutilModule().GetInstance();
  HRSRC found = ::FindResourceW(exe, MAKEINTRESOURCEW(101), RT_RCDATA);
  Ptr<IData> data;
  ASSERT_TRUE(Orv::CreateDataInResource(exe, MAKEINTRESOURCEW(101), RT_RCDATA, data.Receive()));
  EXPECT_EQ(::LockResource(::LoadResource(exe, found)), data->GetPointer());
  EXPECT_EQ(::SizeofResource(exe, found), data->GetSize());
  for (unsigned missing : {102, 103}) {
    EXPECT_FALSE(Orv::CreateDataInResource(exe, MAKEINTRESOURCEW(missing), RT_RCDATA, data.Receive()));
  }
  EXPECT_FALSE(Orv::CreateDataInResource(nullptr, MAKEINTRESOURCEW(101), RT_RCDATA, data.Receive()));
  ASSERT_TRUE(Orv::GetOrvutilModule().GetResourceFileData(1, RT_VERSION, data.Receive()));
  EXPECT_EQ(::SizeofResource(library, ::FindResourceW(library, MAKEINTRESOURCEW(1), RT_VERSION)), data->GetSize());
}
