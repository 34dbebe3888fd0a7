// Readers and writers: the same walk over memory and file readers, the end of data, positions that
// would pass 32 bits, and writers growing vectors and files.
#include <functional>

#include "../system/scratch.h"
#include "data_test_support.h"

using namespace DataTests;
using Orv::IData;
using Orv::IDataFile;
using Orv::IDataReader;
using Orv::IDataVector;
using Orv::IDataWriter;

namespace {

const std::string kText = "0123456789abcdef";

class ReaderTest : public ScratchFiles::ScratchTest {
 protected:
  // A reader over kText of each kind: a block, caller memory, a mapped file, an unmapped file.
  std::vector<std::pair<const char*, Ptr<IDataReader>>> Readers() {
    std::vector<std::pair<const char*, Ptr<IDataReader>>> readers(4);
    Orv::tstring path = Path(L"reader.bin");
    EXPECT_TRUE(ScratchFiles::WriteRaw(path, kText));
    EXPECT_TRUE(Orv::CreateDataFile(path.c_str(), false, m_file.Receive()));
    EXPECT_TRUE(Orv::CreateDataInMemMappedFile(m_file, m_mapping.Receive()));
    Ptr<IDataFile> unmapped;
    EXPECT_TRUE(Orv::CreateDataFile(path.c_str(), false, unmapped.Receive()));
    const auto* bytes = reinterpret_cast<const unsigned char*>(kText.data());
    readers[0].first = "block";
    EXPECT_TRUE(Orv::CreateDataReader(Vector(kText), 0, readers[0].second.Receive()));
    readers[1].first = "memory";
    EXPECT_TRUE(Orv::CreateDataReader(bytes, 16, 0, readers[1].second.Receive()));
    readers[2].first = "mapped file";
    EXPECT_TRUE(Orv::CreateDataReader(m_file, 0, readers[2].second.Receive()));
    readers[3].first = "file";
    EXPECT_TRUE(Orv::CreateDataReader(unmapped, 0, readers[3].second.Receive()));
    return readers;
  }

 private:
  Ptr<IDataFile> m_file;
  Ptr<IData> m_mapping;
};

std::string Take(IDataReader* reader, unsigned n) {
  const unsigned char* p = reader->Read(n);
  return p ? std::string(reinterpret_cast<const char*>(p), n) : "<null>";
}

}  // namespace

TEST_F(ReaderTest, EveryReaderWalksTheSameWayAndStopsAtTheEnd) {
  for (auto& named : Readers()) {
    SCOPED_TRACE(named.first);
    IDataReader* reader = named.second;
    ASSERT_NE(nullptr, reader);
    EXPECT_EQ(16u, reader->GetSize());
    EXPECT_EQ("0123", Take(reader, 4));
    Ptr<IData> part;
    ASSERT_TRUE(reader->ReadData(3, part.Receive()));
    EXPECT_EQ("456", Bytes(part));
    EXPECT_TRUE(reader->ReadData(2, nullptr));  // skips
    EXPECT_EQ(9u, reader->GetPos());
    EXPECT_EQ("<null>", Take(reader, 8));  // one byte short: nothing moves
    EXPECT_EQ(9u, reader->GetPos());
    EXPECT_FALSE(reader->ReadData(8, nullptr));
    EXPECT_EQ("9abcdef", Take(reader, 7));
    EXPECT_EQ("<null>", Take(reader, 1));
    EXPECT_NE(nullptr, reader->Read(0));
    // Sizes that wrap the position around 32 bits fail instead of reading before the data.
    EXPECT_TRUE(reader->SetPos(8));
    for (unsigned huge : {0xFFFFFFF8u, 0xFFFFFFFFu, 0x80000000u}) {
      EXPECT_EQ(nullptr, reader->Read(huge)) << huge;
      EXPECT_FALSE(reader->ReadData(huge, part.Receive())) << huge;
      EXPECT_EQ(8u, reader->GetPos());
    }
    EXPECT_FALSE(reader->SetPos(17) && reader->Read(1));
  }
}

TEST(DataReaders, CreatorsRefuseBadPositionsAndNullArguments) {
  Ptr<IData> data = Vector("abc");
  Ptr<IDataReader> reader;
  EXPECT_TRUE(Orv::CreateDataReader(data, 3, reader.Receive()));
  EXPECT_FALSE(Orv::CreateDataReader(data, 4, reader.Receive()));
  EXPECT_EQ(nullptr, reader.Get());
  EXPECT_FALSE(Orv::CreateDataReader(static_cast<IData*>(nullptr), 0, reader.Receive()));
  EXPECT_FALSE(Orv::CreateDataReader(data, 0, nullptr));
  EXPECT_FALSE(Orv::CreateDataReader(static_cast<const unsigned char*>(nullptr), 3, 0, reader.Receive()));
}

TEST(DataWriters, VectorWriterGrowsTheVectorExactlyAndOverwritesInPlace) {
  Ptr<IDataVector> vector;
  ASSERT_TRUE(Orv::CreateDataVector(10, vector.Receive()));
  Ptr<IDataWriter> writer;
  EXPECT_FALSE(Orv::CreateDataWriter(vector, 11, writer.Receive()));
  ASSERT_TRUE(Orv::CreateDataWriter(vector, 10, writer.Receive()));
  EXPECT_TRUE(writer->Write("wxyz", 4));
  EXPECT_EQ(14u, vector->GetSize());
  EXPECT_TRUE(writer->SetPos(2));
  EXPECT_TRUE(writer->Write("AB", 2));
  EXPECT_FALSE(writer->Write(nullptr, 1));
  EXPECT_TRUE(writer->Write("", 0));
  EXPECT_EQ(std::string("\0\0AB\0\0\0\0\0\0wxyz", 14), Bytes(vector));
  // Its own bytes, which growing moves, are copied first.
  EXPECT_TRUE(writer->SetPos(14));
  EXPECT_TRUE(writer->Write(vector->GetPointer() + 10, 4));
  EXPECT_EQ("wxyzwxyz", Bytes(vector).substr(10));
  EXPECT_FALSE(writer->SetPos(19));

  Ptr<IDataVector> fresh;
  ASSERT_TRUE(Orv::CreateDataWriter(fresh.Receive(), writer.Receive()));
  EXPECT_EQ(0u, fresh->GetSize());
  EXPECT_TRUE(writer->Write("abc", 3));
  EXPECT_EQ("abc", Bytes(fresh));
}

TEST_F(ReaderTest, FileWriterTruncatesOnlyWhenAskedTo) {
  Orv::tstring path = Path(L"written.bin");
  ASSERT_TRUE(ScratchFiles::WriteRaw(path, "old contents"));
  Ptr<IDataFile> file;
  ASSERT_TRUE(Orv::CreateDataFile(path.c_str(), false, file.Receive()));
  struct Case {
    unsigned pos;
    const char* expected;
  } cases[] = {{4, "old NEWtents"}, {12, "old NEWtentsNEW"}, {0xFFFFFFFFu, "NEW"}};
  for (const Case& c : cases) {
    Ptr<IDataWriter> writer;
    ASSERT_TRUE(Orv::CreateDataWriter(file, c.pos, writer.Receive()));
    EXPECT_TRUE(writer->Write("NEW", 3));
    EXPECT_FALSE(writer->Write(nullptr, 3));
    writer = nullptr;
    std::string contents;
    ASSERT_TRUE(ScratchFiles::ReadRaw(path, contents));
    EXPECT_EQ(c.expected, contents);
  }
}
