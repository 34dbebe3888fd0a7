// IStream over blocks and vectors, side by side with OLE's own stream on global memory, and read
// by shlwapi's stream helpers.
#include <objidl.h>
#include <shlwapi.h>

#include "data_test_support.h"

using namespace DataTests;

namespace {

Ptr<IStream> HGlobalStream(const std::string& bytes) {
  Ptr<IStream> stream;
  EXPECT_EQ(S_OK, ::CreateStreamOnHGlobal(nullptr, TRUE, stream.Receive()));
  ULONG written = 0;
  if (!bytes.empty()) stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written);
  LARGE_INTEGER zero = {};
  stream->Seek(zero, STREAM_SEEK_SET, nullptr);
  return stream;
}

std::string Contents(IStream* stream) {
  STATSTG stat = {};
  EXPECT_EQ(S_OK, stream->Stat(&stat, STATFLAG_NONAME));
  std::string bytes(static_cast<size_t>(stat.cbSize.QuadPart), '\0');
  LARGE_INTEGER zero = {};
  stream->Seek(zero, STREAM_SEEK_SET, nullptr);
  ULONG read = 0;
  if (!bytes.empty()) stream->Read(&bytes[0], static_cast<ULONG>(bytes.size()), &read);
  return bytes.substr(0, read);
}

// One step on a stream: a seek, a read or a write.
struct Step {
  char op;  // 's' seek (from `origin`), 'r' read, 'w' write
  long long amount;
  DWORD origin;
};

// The count, the position afterwards and the bytes read; for seeks and writes also the result. A
// read's result is checked here instead: S_FALSE exactly when fewer bytes came than were asked for
// (OLE's own stream says S_OK there).
std::string Outcome(IStream* stream, const Step& step, bool ours) {
  HRESULT hr = E_UNEXPECTED;
  ULONG count = 0;
  char buffer[64] = {};
  if (step.op == 's') {
    LARGE_INTEGER move;
    move.QuadPart = step.amount;
    hr = stream->Seek(move, step.origin, nullptr);
  } else if (step.op == 'r') {
    hr = stream->Read(buffer, static_cast<ULONG>(step.amount), &count);
    if (ours) {
      EXPECT_EQ(count < step.amount ? S_FALSE : S_OK, hr);
    }
    hr = S_OK;
  } else {
    hr = stream->Write("0123456789", static_cast<ULONG>(step.amount), &count);
  }
  LARGE_INTEGER zero = {};
  ULARGE_INTEGER pos = {};
  stream->Seek(zero, STREAM_SEEK_CUR, &pos);
  return testing::PrintToString(hr) + " " + std::to_string(count) + " @" + std::to_string(pos.QuadPart) + " " +
         std::string(buffer, count);
}

void ExpectSameSteps(IStream* peer, IStream* ours, const Step* steps, size_t n) {
  for (size_t i = 0; i < n; ++i) {
    EXPECT_EQ(Outcome(peer, steps[i], false), Outcome(ours, steps[i], true)) << steps[i].op << steps[i].amount;
  }
}

}  // namespace

TEST(DataStreams, ReadsSeeksAndWritesLikeOleStreams) {
  Ptr<Orv::IDataVector> vector;
  Ptr<IStream> ours;
  ASSERT_TRUE(Orv::CreateWriteStream(vector.Receive(), ours.Receive()));
  Ptr<IStream> peer = HGlobalStream("");
  const Step writes[] = {{'w', 4, 0}, {'s', 6, STREAM_SEEK_SET}, {'w', 3, 0},      {'s', -2, STREAM_SEEK_CUR},
                         {'w', 10, 0}, {'s', 3, STREAM_SEEK_SET}, {'r', 5, 0},     {'s', -4, STREAM_SEEK_END},
                         {'r', 9, 0},  {'s', 0, STREAM_SEEK_SET}, {'r', 0, 0}};
  ExpectSameSteps(peer, ours, writes, sizeof(writes) / sizeof(writes[0]));
  EXPECT_EQ(Contents(peer), Contents(ours));  // the gap after the first write is zero-filled
  EXPECT_EQ(Contents(peer), Bytes(vector));

  Ptr<IStream> reading;
  ASSERT_TRUE(Orv::CreateReadStream(Vector("abcd"), 0, reading.Receive()));
  Ptr<IStream> peerReading = HGlobalStream("abcd");
  const Step reads[] = {{'r', 2, 0}, {'s', 1, STREAM_SEEK_SET}, {'r', 2, 0}, {'s', -1, STREAM_SEEK_CUR},
                        {'r', 8, 0}, {'s', 0, STREAM_SEEK_END}};
  ExpectSameSteps(peerReading, reading, reads, sizeof(reads) / sizeof(reads[0]));
  // Past the end: a seek lands there and reads copy nothing.
  const Step pastEnd[] = {{'s', 2, STREAM_SEEK_END}, {'r', 3, 0}};
  EXPECT_EQ("0 0 @6 ", Outcome(reading, pastEnd[0], true));
  EXPECT_EQ("0 0 @6 ", Outcome(reading, pastEnd[1], true));
  ULONG written = 5;
  EXPECT_EQ(STG_E_CANTSAVE, reading->Write("x", 1, &written));
  EXPECT_EQ(0u, written);
  EXPECT_EQ(STG_E_INVALIDFUNCTION, reading->SetSize(ULARGE_INTEGER{}));
}

TEST(DataStreams, OleAndShellHelpersWorkThroughIt) {
  std::string text = MixedBytes(100000);
  Ptr<IStream> ours;
  ASSERT_TRUE(Orv::CreateReadStream(Vector(text), 0, ours.Receive()));
  ULARGE_INTEGER size = {};
  EXPECT_EQ(S_OK, ::IStream_Size(ours, &size));
  EXPECT_EQ(text.size(), size.QuadPart);
  std::string head(1000, '\0');
  EXPECT_EQ(S_OK, ::IStream_Read(ours, &head[0], 1000));
  EXPECT_EQ(text.substr(0, 1000), head);

  Ptr<IStream> target = HGlobalStream("");
  ULARGE_INTEGER all, read, copied;
  all.QuadPart = ~0ull;
  EXPECT_EQ(S_OK, ours->CopyTo(target, all, &read, &copied));
  EXPECT_EQ(text.size() - 1000, read.QuadPart);
  EXPECT_EQ(read.QuadPart, copied.QuadPart);
  EXPECT_TRUE(Contents(target) == text.substr(1000));
  EXPECT_EQ(STG_E_INVALIDPOINTER, ours->CopyTo(nullptr, all, &read, &copied));

  STATSTG ourStat, peerStat;
  EXPECT_EQ(S_OK, ours->Stat(&ourStat, STATFLAG_NONAME));
  EXPECT_EQ(S_OK, target->Stat(&peerStat, STATFLAG_NONAME));
  EXPECT_EQ(peerStat.type, ourStat.type);
  EXPECT_EQ(nullptr, ourStat.pwcsName);
  EXPECT_EQ(STG_E_INVALIDPOINTER, ours->Stat(nullptr, STATFLAG_NONAME));

  Ptr<IStream> clone;
  ASSERT_EQ(S_OK, ours->Clone(clone.Receive()));
  LARGE_INTEGER back;
  back.QuadPart = -4;
  ULARGE_INTEGER pos = {};
  EXPECT_EQ(S_OK, clone->Seek(back, STREAM_SEEK_END, &pos));
  EXPECT_EQ(text.size() - 4, pos.QuadPart);
  EXPECT_EQ(STG_E_INVALIDPOINTER, ours->Clone(nullptr));
}

TEST(DataStreams, PositionsBeyond32BitsAreRefused) {
  Ptr<Orv::IDataVector> vector;
  Ptr<IStream> ours;
  ASSERT_TRUE(Orv::CreateWriteStream(vector.Receive(), ours.Receive()));
  LARGE_INTEGER move;
  move.QuadPart = 0xFFFFFFFEll;
  ASSERT_EQ(S_OK, ours->Seek(move, STREAM_SEEK_SET, nullptr));
  ULONG written = 0;
  EXPECT_EQ(STG_E_MEDIUMFULL, ours->Write("abcd", 4, &written));  // would wrap the position
  EXPECT_EQ(0u, vector->GetSize());
  move.QuadPart = 0x100000000ll;
  EXPECT_EQ(STG_E_INVALIDFUNCTION, ours->Seek(move, STREAM_SEEK_SET, nullptr));
  move.QuadPart = -1;
  EXPECT_EQ(STG_E_INVALIDFUNCTION, ours->Seek(move, STREAM_SEEK_SET, nullptr));
  EXPECT_EQ(STG_E_INVALIDFUNCTION, ours->Seek(move, 7, nullptr));
  ULARGE_INTEGER huge;
  huge.QuadPart = 0x100000000ull;
  EXPECT_EQ(STG_E_MEDIUMFULL, ours->SetSize(huge));
  huge.QuadPart = 3;
  EXPECT_EQ(S_OK, ours->SetSize(huge));
  EXPECT_EQ(std::string(3, '\0'), Bytes(vector));
}
