// Readers and writers: one walk over memory and file readers, the end of data, sizes that would
// wrap positions around 32 bits, and writers growing vectors and files.
#include "../system/scratch.h"
#include "data_test_support.h"

using namespace DataTests;
using Orv::IDataFile;
using Orv::IDataReader;
using Orv::IDataWriter;

namespace {

class ReaderTest : public ScratchFiles::ScratchTest {};

std::string Take(IDataReader* reader, unsigned n) {
  const unsigned char* p = reader->Read(n);
  return p ? std::string(reinterpret_cast<const char*>(p), n) : "<null>";
}

}  // namespace

TEST_F(ReaderTest, EveryReaderWalksTheSameWayAndStopsAtTheEnd) {
  const std::string text = "0123456789abcdef";
  Orv::tstring path = Path(L"reader.bin");
  ASSERT_TRUE(ScratchFiles::WriteRaw(path, text));
  Ptr<IDataFile> mapped, unmapped;
  Ptr<Orv::IData> mapping;
  ASSERT_TRUE(Orv::CreateDataFile(path.c_str(), false, mapped.Receive()));
  ASSERT_TRUE(Orv::CreateDataFile(path.c_str(), false, unmapped.Receive()));
  ASSERT_TRUE(Orv::CreateDataInMemMappedFile(mapped, mapping.Receive()));
  Ptr<IDataReader> readers[4];
  ASSERT_TRUE(Orv::CreateDataReader(Block(text), 0, readers[0].Receive()));
  ASSERT_TRUE(Orv::CreateDataReader(reinterpret_cast<const unsigned char*>(text.data()), 16, 0, readers[1].Receive()));
  ASSERT_TRUE(Orv::CreateDataReader(mapped, 0, readers[2].Receive()));
  ASSERT_TRUE(Orv::CreateDataReader(unmapped, 0, readers[3].Receive()));
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    IDataReader* reader = readers[i];
    EXPECT_EQ(16u, reader->GetSize());
    EXPECT_EQ("0123", Take(reader, 4));
    Ptr<Orv::IData> part;
    ASSERT_TRUE(reader->ReadData(3, part.Receive()));
    EXPECT_EQ("456", Bytes(part));
    EXPECT_TRUE(reader->ReadData(2, nullptr));  // skips
    EXPECT_EQ("<null>", Take(reader, 8));       // one byte short: nothing moves
    EXPECT_FALSE(reader->ReadData(8, nullptr));
    EXPECT_EQ("9abcdef", Take(reader, 7));
    EXPECT_EQ("<null>", Take(reader, 1));
    EXPECT_NE(nullptr, reader->Read(0));
    ASSERT_TRUE(reader->SetPos(8));
    for (unsigned huge : {0xFFFFFFF8u, 0xFFFFFFFFu, 0x80000000u}) {
      EXPECT_EQ(nullptr, reader->Read(huge)) << huge;
      EXPECT_FALSE(reader->ReadData(huge, part.Receive())) << huge;
    }
    EXPECT_EQ(8u, reader->GetPos());
  }
  EXPECT_FALSE(Orv::CreateDataReader(Block("abc"), 4, readers[0].Receive()));
  EXPECT_EQ(nullptr, readers[0].Get());
  EXPECT_FALSE(Orv::CreateDataReader(static_cast<const unsigned char*>(nullptr), 3, 0, readers[0].Receive()));
}

TEST(DataWriters, VectorWriterGrowsTheVectorExactly) {
  Ptr<Orv::IDataVector> vector;
  Ptr<IDataWriter> writer;
  ASSERT_TRUE(Orv::CreateDataVector(10, vector.Receive()));
  EXPECT_FALSE(Orv::CreateDataWriter(vector, 11, writer.Receive()));
  ASSERT_TRUE(Orv::CreateDataWriter(vector, 10, writer.Receive()));
  EXPECT_TRUE(writer->Write("wxyz", 4));
  EXPECT_EQ(14u, vector->GetSize());
  EXPECT_TRUE(writer->SetPos(2));
  EXPECT_TRUE(writer->Write("AB", 2));
  EXPECT_FALSE(writer->Write(nullptr, 1));
  EXPECT_EQ(std::string("\0\0AB\0\0\0\0\0\0wxyz", 14), Bytes(vector));
  EXPECT_TRUE(writer->SetPos(14));
  EXPECT_TRUE(writer->Write(vector->GetPointer() + 10, 4));  // its own bytes, which growing moves
  EXPECT_TRUE(writer->SetPos(16));
  EXPECT_TRUE(writer->Write("1234", 4));  // two bytes in place, two appended
  EXPECT_EQ("wxyzwx1234", Bytes(vector).substr(10));
  vector->GetVector().Resize(5);  // the owner shrinks it under the writer
  EXPECT_TRUE(writer->Write("z", 1));
  EXPECT_EQ(std::string("\0\0AB\0", 5) + std::string(15, '\0') + "z", Bytes(vector));
  EXPECT_FALSE(writer->SetPos(22));
}

TEST_F(ReaderTest, FileWriterTruncatesOnlyWhenAskedTo) {
  Orv::tstring path = Path(L"written.bin");
  ASSERT_TRUE(ScratchFiles::WriteRaw(path, "old contents"));
  Ptr<IDataFile> file;
  ASSERT_TRUE(Orv::CreateDataFile(path.c_str(), false, file.Receive()));
  const std::pair<unsigned, const char*> cases[] = {{4, "old NEWtents"}, {12, "old NEWtentsNEW"}, {0xFFFFFFFFu, "NEW"}};
  for (auto& c : cases) {
    Ptr<IDataWriter> writer;
    ASSERT_TRUE(Orv::CreateDataWriter(file, c.first, writer.Receive()));
    EXPECT_TRUE(writer->Write("NEW", 3));
    EXPECT_FALSE(writer->Write(nullptr, 3));
    writer = nullptr;
    std::string contents;
    ASSERT_TRUE(ScratchFiles::ReadRaw(path, contents));
    EXPECT_EQ(c.second, contents);
  }
}
