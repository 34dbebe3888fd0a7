// The record encodings against a small model of the format, and malformed records.
#include "data_test_support.h"

using namespace DataTests;
using Orv::IDataReader;
using Orv::IDataVector;
using Orv::IDataWriter;
using Orv::tstring;

namespace {

std::string Padding(size_t n) {
  return std::string((4 - n % 4) % 4, '\0');
}

std::string Le32(unsigned value) {
  std::string bytes;
  for (int i = 0; i < 4; ++i) bytes += static_cast<char>(value >> (8 * i));
  return bytes;
}

// The model: a string record is its byte count, the UTF-16LE units with a terminator, padding.
std::string StringRecord(const std::wstring& text) {
  std::string units;
  for (wchar_t c : text + L'\0') units += std::string{static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
  return Le32(static_cast<unsigned>(units.size())) + units + Padding(units.size());
}

struct Written {
  Ptr<IDataVector> vector;
  Ptr<IDataWriter> writer;
  Written() { EXPECT_TRUE(Orv::CreateDataWriter(vector.Receive(), writer.Receive())); }
};

Ptr<IDataReader> ReaderOver(const std::string& bytes) {
  Ptr<IDataReader> reader;
  EXPECT_TRUE(Orv::CreateDataReader(Vector(bytes), 0, reader.Receive()));
  return reader;
}

}  // namespace

TEST(DataEncodings, ByteBlocksArePaddedToFourAndReadBack) {
  std::string source = MixedBytes(9);
  for (unsigned n = 0; n <= 9; ++n) {
    Written out;
    ASSERT_TRUE(Orv::SaveBytes(out.writer, source.data(), n));
    std::string expected = source.substr(0, n) + Padding(n);
    EXPECT_EQ(expected, Bytes(out.vector)) << n;
    Written viaBlock;
    ASSERT_TRUE(Orv::SaveBytes(viaBlock.writer, Vector(source.substr(0, n))));
    EXPECT_EQ(expected, Bytes(viaBlock.vector)) << n;

    Ptr<IDataReader> reader = ReaderOver(expected + "tail");
    char copy[9] = {};
    ASSERT_TRUE(Orv::LoadBytes(reader, copy, n));
    EXPECT_EQ(source.substr(0, n), std::string(copy, n));
    EXPECT_EQ(expected.size(), reader->GetPos());
    reader->SetPos(0);
    Ptr<Orv::IData> block;
    ASSERT_TRUE(Orv::LoadBytes(reader, n, block.Receive()));
    EXPECT_EQ(source.substr(0, n), Bytes(block));
    EXPECT_EQ(expected.size(), reader->GetPos());
  }
  Written out;
  EXPECT_FALSE(Orv::SaveBytes(nullptr, "x", 1));
  EXPECT_FALSE(Orv::SaveBytes(out.writer, static_cast<Orv::IData*>(nullptr)));
  // A block whose padding is missing, and sizes whose padding passes 32 bits.
  Ptr<IDataReader> reader = ReaderOver("12345");
  EXPECT_FALSE(Orv::LoadBytes(reader, 5, nullptr));
  EXPECT_EQ(nullptr, Orv::LoadBytes(reader, 0xFFFFFFFDu));
  EXPECT_EQ(0u, reader->GetPos());
}

TEST(DataEncodings, StringRecordsMatchTheModelAndRoundTrip) {
  const std::wstring texts[] = {L"", L"a", L"abc", L"abcd", L"\u00e9t\u00e9 \u4e2d\u6587", std::wstring(1000, L'z')};
  for (const std::wstring& text : texts) {
    Written out;
    ASSERT_TRUE(Orv::SaveData<tstring>(out.writer, tstring(text.c_str())));
    ASSERT_TRUE(Orv::SaveRawString(out.writer, text.c_str()));
    ASSERT_TRUE(Orv::WriteUnicodeBOM(out.writer));
    std::string record = StringRecord(text);
    EXPECT_EQ(record + record + "\xFF\xFE", Bytes(out.vector)) << text.size();

    Ptr<IDataReader> reader = ReaderOver(Bytes(out.vector));
    tstring loaded;
    ASSERT_TRUE(Orv::LoadData<tstring>(reader, loaded));
    EXPECT_EQ(text, std::wstring(loaded.c_str()));
    const wchar_t* raw = nullptr;
    ASSERT_TRUE(Orv::LoadRawString(reader, raw));
    EXPECT_EQ(text, std::wstring(raw));
    EXPECT_EQ(2 * record.size(), reader->GetPos());
  }
  Written out;
  EXPECT_FALSE(Orv::SaveRawString(out.writer, nullptr));
  EXPECT_FALSE(Orv::WriteUnicodeBOM(nullptr));
}

TEST(DataEncodings, MalformedStringRecordsFailWithoutMoving) {
  struct Case {
    const char* what;
    std::string record;
    bool tstringLoads, rawLoads;
    std::wstring text;
  } cases[] = {
      {"zero count", Le32(0) + "abcd", false, false, L""},
      {"odd count", Le32(3) + "a\0b\0", false, false, L""},
      {"count past the end", Le32(12) + std::string("a\0b\0", 4), false, false, L""},
      {"count near 4 GiB", Le32(0xFFFFFFFEu) + "abcd", false, false, L""},
      {"no terminator", Le32(4) + std::string("a\0b\0", 4), true, false, L"ab"},
      {"0 in the middle", Le32(8) + std::string("a\0\0\0b\0\0\0", 8), true, true, L"a"},
      {"truncated count", "ab", false, false, L""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Ptr<IDataReader> reader = ReaderOver(c.record);
    tstring text(L"before");
    EXPECT_EQ(c.tstringLoads, Orv::LoadData<tstring>(reader, text));
    EXPECT_EQ(c.tstringLoads ? c.record.size() : 0u, reader->GetPos());
    if (c.tstringLoads) {
      EXPECT_EQ(c.text, std::wstring(text.c_str()));
    }
    reader->SetPos(0);
    const wchar_t* raw = L"before";
    EXPECT_EQ(c.rawLoads, Orv::LoadRawString(reader, raw));
    EXPECT_EQ(c.rawLoads ? c.record.size() : 0u, reader->GetPos());
    if (c.rawLoads) {
      EXPECT_EQ(c.text, std::wstring(raw));
    }
    if (!c.rawLoads) {
      EXPECT_EQ(nullptr, raw);
    }
  }
}

TEST(DataEncodings, StreamCopyMovesEveryChunk) {
  std::string source = MixedBytes(1000);
  for (unsigned chunk : {1u, 7u, 1000u, 4096u, 0xFFFFFFFFu}) {
    Written out;
    Ptr<IDataReader> reader = ReaderOver(source);
    ASSERT_TRUE(Orv::StreamCopyData(reader, 999, out.writer, chunk)) << chunk;
    EXPECT_EQ(source.substr(0, 999), Bytes(out.vector)) << chunk;
  }
  Written out;
  EXPECT_FALSE(Orv::StreamCopyData(ReaderOver(source), 1001, out.writer, 0xFFFFFFFFu));
  EXPECT_FALSE(Orv::StreamCopyData(ReaderOver(source), 10, out.writer, 0));
  EXPECT_TRUE(Orv::StreamCopyData(ReaderOver(source), 0, out.writer, 0));
}
