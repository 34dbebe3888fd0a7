// The record encodings against a small model of the format (malformed records are the fuzz
// harness's part: every position of random records against the same model).
#include "data_test_support.h"

using namespace DataTests;
using Orv::IDataReader;
using Orv::tstring;

namespace {

// The model: a string record as the shared test encoder writes it.
std::string StringRecord(const std::wstring& text) {
  std::string out;
  OrvTest::PutText(out, text);
  return out;
}

struct Written {
  Ptr<Orv::IDataVector> vector;
  Ptr<Orv::IDataWriter> writer;
  Written() { EXPECT_TRUE(Orv::CreateDataWriter(vector.Receive(), writer.Receive())); }
};

Ptr<IDataReader> ReaderOver(const std::string& bytes) {
  Ptr<IDataReader> reader;
  EXPECT_TRUE(Orv::CreateDataReader(Block(bytes), 0, reader.Receive()));
  return reader;
}

}  // namespace

TEST(DataEncodings, ByteBlocksArePaddedToFourAndReadBack) {
  std::string source = MixedBytes(9);
  for (unsigned n = 0; n <= 9; ++n) {
    Written out, viaBlock;
    ASSERT_TRUE(Orv::SaveBytes(out.writer, source.data(), n));
    ASSERT_TRUE(Orv::SaveBytes(viaBlock.writer, Block(source.substr(0, n))));
    std::string expected = source.substr(0, n);
    OrvTest::Pad(expected);
    EXPECT_EQ(expected, Bytes(out.vector)) << n;
    EXPECT_EQ(expected, Bytes(viaBlock.vector)) << n;
    Ptr<IDataReader> reader = ReaderOver(expected + "tail");
    char copy[9] = {};
    ASSERT_TRUE(Orv::LoadBytes(reader, copy, n));
    EXPECT_EQ(source.substr(0, n), std::string(copy, n));
    Ptr<Orv::IData> block;
    ASSERT_TRUE(Orv::LoadBytes(reader, 4, block.Receive()));
    EXPECT_EQ("tail", Bytes(block));
  }
  Ptr<IDataReader> reader = ReaderOver("12345");
  EXPECT_FALSE(Orv::LoadBytes(reader, 5, nullptr));  // its padding is missing
  EXPECT_EQ(nullptr, Orv::LoadBytes(reader, 0xFFFFFFFDu));
  EXPECT_EQ(0u, reader->GetPos());
  EXPECT_FALSE(Orv::SaveBytes(Written().writer, static_cast<Orv::IData*>(nullptr)));
}

TEST(DataEncodings, StringRecordsMatchTheModelAndRoundTrip) {
  for (const std::wstring& text : {std::wstring(), std::wstring(L"a"), std::wstring(L"abc"), std::wstring(L"abcd"),
                                   std::wstring(L"\u00e9t\u00e9 \u4e2d"), std::wstring(1001, L'z')}) {
    Written out;
    ASSERT_TRUE(Orv::SaveData<tstring>(out.writer, tstring(text.c_str())));
    ASSERT_TRUE(Orv::SaveRawString(out.writer, text.c_str()));
    ASSERT_TRUE(Orv::WriteUnicodeBOM(out.writer));
    std::string record = StringRecord(text);
    EXPECT_EQ(record + record + "\xFF\xFE", Bytes(out.vector)) << text.size();
    Ptr<IDataReader> reader = ReaderOver(Bytes(out.vector));
    tstring loaded;
    const wchar_t* raw = nullptr;
    ASSERT_TRUE(Orv::LoadData<tstring>(reader, loaded));
    ASSERT_TRUE(Orv::LoadRawString(reader, raw));
    EXPECT_EQ(text, std::wstring(loaded.c_str()));
    EXPECT_EQ(text, std::wstring(raw));
  }
  EXPECT_FALSE(Orv::SaveRawString(Written().writer, nullptr));
  EXPECT_FALSE(Orv::WriteUnicodeBOM(nullptr));
}

TEST(DataEncodings, StreamCopyMovesEveryChunk) {
  std::string source = MixedBytes(1000);
  for (unsigned chunk : {1u, 7u, 999u, 4096u, 0xFFFFFFFFu}) {
    Written out;
    ASSERT_TRUE(Orv::StreamCopyData(ReaderOver(source), 999, out.writer, chunk)) << chunk;
    EXPECT_EQ(source.substr(0, 999), Bytes(out.vector)) << chunk;
  }
  EXPECT_FALSE(Orv::StreamCopyData(ReaderOver(source), 1001, Written().writer, 0xFFFFFFFFu));
  EXPECT_FALSE(Orv::StreamCopyData(ReaderOver(source), 10, Written().writer, 0));
}
