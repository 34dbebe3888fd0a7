// IStream over blocks and vectors, step by step beside OLE's own stream on global memory, and used
// by OLE and shell helpers.
#include <objidl.h>
#include <shlwapi.h>

#include "data_test_support.h"

using namespace DataTests;

namespace {

Ptr<IStream> HGlobalStream(const std::string& bytes) {
  Ptr<IStream> stream;
  EXPECT_EQ(S_OK, ::CreateStreamOnHGlobal(nullptr, TRUE, stream.Receive()));
  stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), nullptr);
  stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
  return stream;
}

std::string Contents(IStream* stream) {
  STATSTG stat = {};
  EXPECT_EQ(S_OK, stream->Stat(&stat, STATFLAG_NONAME));
  EXPECT_EQ(STGTY_STREAM, stat.type);
  std::string bytes(static_cast<size_t>(stat.cbSize.QuadPart), '\0');
  stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
  ULONG read = 0;
  stream->Read(&bytes[0], static_cast<ULONG>(bytes.size()), &read);
  return bytes.substr(0, read);
}

// One step ('s' seek from `origin`, 'r' read, 'w' write) and what it did: the result, the count,
// the position afterwards and the bytes read. A read's result is checked here instead: S_FALSE
// exactly when fewer bytes came than were asked for (OLE's own stream says S_OK there).
struct Step {
  char op;
  long long amount;
  DWORD origin;
};

std::string Outcome(IStream* stream, const Step& step, bool ours) {
  HRESULT hr = S_OK;
  ULONG count = 0;
  char buffer[16] = {};
  LARGE_INTEGER move;
  move.QuadPart = step.amount;
  if (step.op == 's') hr = stream->Seek(move, step.origin, nullptr);
  if (step.op == 'w') hr = stream->Write("0123456789", static_cast<ULONG>(step.amount), &count);
  if (step.op == 'r') {
    HRESULT read = stream->Read(buffer, static_cast<ULONG>(step.amount), &count);
    EXPECT_TRUE(!ours || read == (count < step.amount ? S_FALSE : S_OK));
  }
  ULARGE_INTEGER pos = {};
  stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_CUR, &pos);
  return testing::PrintToString(hr) + " " + std::to_string(count) + " @" + std::to_string(pos.QuadPart) + " " +
         std::string(buffer, count);
}

}  // namespace

TEST(DataStreams, ReadsSeeksAndWritesLikeOleStreams) {
  Ptr<Orv::IDataVector> vector;
  Ptr<IStream> ours, reading, peer = HGlobalStream(""), peerReading = HGlobalStream("abcd");
  ASSERT_TRUE(Orv::CreateWriteStream(vector.Receive(), ours.Receive()));
  ASSERT_TRUE(Orv::CreateReadStream(Block("abcd"), 0, reading.Receive()));
  const Step writes[] = {{'w', 4, 0},  {'s', 6, STREAM_SEEK_SET},
                         {'w', 3, 0},  {'s', -2, STREAM_SEEK_CUR},
                         {'w', 10, 0}, {'s', 3, STREAM_SEEK_SET},
                         {'r', 5, 0},  {'s', -4, STREAM_SEEK_END},
                         {'r', 9, 0},  {'r', 0, 0}};
  for (const Step& step : writes) EXPECT_EQ(Outcome(peer, step, false), Outcome(ours, step, true)) << &step - writes;
  EXPECT_EQ(Contents(peer), Contents(ours));  // the gap left by the seek is zero-filled
  EXPECT_EQ(Contents(peer), Bytes(vector));
  const Step reads[] = {{'r', 2, 0}, {'s', 1, STREAM_SEEK_SET}, {'r', 2, 0}, {'s', -1, STREAM_SEEK_CUR},
                        {'r', 8, 0}, {'s', 0, STREAM_SEEK_END}};
  for (const Step& step : reads) {
    EXPECT_EQ(Outcome(peerReading, step, false), Outcome(reading, step, true)) << &step - reads;
  }
  // Past the end a seek lands and a read copies nothing; a read stream takes no writes.
  EXPECT_EQ("0 0 @6 ", Outcome(reading, {'s', 2, STREAM_SEEK_END}, true));
  EXPECT_EQ("0 0 @6 ", Outcome(reading, {'r', 3, 0}, true));
  EXPECT_EQ("-2147286781 0 @6 ", Outcome(reading, {'w', 1, 0}, true));  // STG_E_CANTSAVE
  EXPECT_EQ(STG_E_INVALIDFUNCTION, reading->SetSize(ULARGE_INTEGER{}));
}

TEST(DataStreams, OleAndShellHelpersWorkThroughIt) {
  std::string text = MixedBytes(100000);
  Ptr<IStream> ours, clone, target = HGlobalStream("");
  ASSERT_TRUE(Orv::CreateReadStream(Block(text), 0, ours.Receive()));
  ULARGE_INTEGER size = {}, read = {}, copied = {}, all;
  EXPECT_EQ(S_OK, ::IStream_Size(ours, &size));
  EXPECT_EQ(text.size(), size.QuadPart);
  std::string head(1000, '\0');
  EXPECT_EQ(S_OK, ::IStream_Read(ours, &head[0], 1000));
  EXPECT_EQ(text.substr(0, 1000), head);
  ASSERT_EQ(S_OK, ours->Clone(clone.Receive()));
  all.QuadPart = ~0ull;
  EXPECT_EQ(S_OK, ours->CopyTo(target, all, &read, &copied));
  EXPECT_EQ(text.size() - 1000, copied.QuadPart);
  EXPECT_TRUE(Contents(target) == text.substr(1000));
  EXPECT_EQ(STG_E_INVALIDPOINTER, ours->CopyTo(nullptr, all, &read, &copied));
  EXPECT_EQ(S_OK, clone->CopyTo(target, all, &read, &copied));  // the clone kept its own position
  EXPECT_EQ(text.size() - 1000, copied.QuadPart);
  EXPECT_EQ(STG_E_INVALIDPOINTER, ours->Stat(nullptr, STATFLAG_NONAME));
  EXPECT_EQ(STG_E_INVALIDPOINTER, ours->Clone(nullptr));
}

TEST(DataStreams, PositionsBeyond32BitsAreRefused) {
  Ptr<Orv::IDataVector> vector;
  Ptr<IStream> ours;
  ASSERT_TRUE(Orv::CreateWriteStream(vector.Receive(), ours.Receive()));
  LARGE_INTEGER move;
  move.QuadPart = 0xFFFFFFFEll;
  ASSERT_EQ(S_OK, ours->Seek(move, STREAM_SEEK_SET, nullptr));
  EXPECT_EQ(STG_E_MEDIUMFULL, ours->Write("abcd", 4, nullptr));  // would wrap the position
  EXPECT_EQ(0u, vector->GetSize());
  for (long long distance : {0x100000000ll, -1ll}) {
    move.QuadPart = distance;
    EXPECT_EQ(STG_E_INVALIDFUNCTION, ours->Seek(move, STREAM_SEEK_SET, nullptr)) << distance;
  }
  EXPECT_EQ(STG_E_INVALIDFUNCTION, ours->Seek(LARGE_INTEGER{}, 7, nullptr));
  ULARGE_INTEGER huge;
  huge.QuadPart = 0x100000000ull;
  EXPECT_EQ(STG_E_MEDIUMFULL, ours->SetSize(huge));
  huge.QuadPart = 3;
  EXPECT_EQ(S_OK, ours->SetSize(huge));
  EXPECT_EQ(std::string(3, '\0'), Bytes(vector));
}
