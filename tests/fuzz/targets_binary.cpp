// Binary targets: package streams, persisted dictionaries, zlib streams and the record encodings.
#include <cstring>

#include "fuzz.h"

namespace Fuzz {

using Orv::PackageNode;

void ExpectSavedAgain(Bytes const& once) {
  tSmartPtr<Orv::IPackage> again;
  ASSERT_FALSE(once.empty());
  ASSERT_TRUE(Orv::LoadPackage(ReaderOf(Block(once)), again.Receive()));
  EXPECT_EQ(once, Saved(again));
}

namespace {

// --- dictionaries ---
tSmartPtr<Orv::ISavedData> SavedFrom(Bytes const& stored, unsigned loadedSize, bool compressed) {
  tSmartPtr<Orv::ISavedData> saved;
  Orv::CreateSavedDataFromMemory(Block(stored), loadedSize, compressed, saved.Receive());
  return saved;
}

// The instance GUID of an object node beside the dictionary's node.
const GUID kObjectNode = {0x2f6a9c51, 0x7d1e, 0x4b83, {0x9a, 0x04, 0x6e, 0x31, 0xc8, 0x5b, 0x12, 0x10}};

// Object entries (written here: only a package's dictionaries save them) naming that node, nothing,
// and maybe the dictionary's own node.
Bytes ObjectDict(bool self) {
  Bytes b(8, '\0');
  Put32(b, 4, self ? 3 : 2);
  for (GUID const& id : {kObjectNode, GUID_NULL, Orv::GetCategoryDict()}) {
    if (!self && IsEqualGUID(id, Orv::GetCategoryDict())) break;
    b += Bytes("\x08\0\0\0\x04\0\0\0o\0\0\0", 12) + Bytes(reinterpret_cast<const char*>(&id), 16);
    b[b.size() - 20] = char('a' + b.size() / 28);
  }
  return b;
}

std::vector<Bytes> DictSeeds() { return {SavedDict(OrvTest::SampleDict()), ObjectDict(false), ObjectDict(true)}; }

// The plain form, the compressed form under a loaded size that may be wrong, and the node form.
void RunDict(Bytes const& in) {
  Orv::CDict dict;
  bool ok = Orv::LoadDict(SavedFrom(in, static_cast<unsigned>(in.size()), false), dict);
  Bytes once = ok ? SavedDict(dict) : Bytes();
  if (ok) {
    Orv::CDict again;
    EXPECT_TRUE(Orv::LoadDict(SavedFrom(once, static_cast<unsigned>(once.size()), false), again));
    EXPECT_EQ(once, SavedDict(again));
  }
  const unsigned sizes[] = {static_cast<unsigned>(in.size()), static_cast<unsigned>(in.size()) - 1,
                            static_cast<unsigned>(in.size()) + 1, 0xFFFFFFFFu};
  unsigned loadedSize = sizes[in.size() % 4];
  Orv::CDict packed;
  EXPECT_EQ(ok && loadedSize == in.size(), Orv::LoadDict(SavedFrom(Deflate(in), loadedSize, true), packed));
  tSmartPtr<Orv::IPackage> package;
  tSmartPtr<Orv::IPackageEntry> entry, object;
  Orv::CreatePackage(package.Receive());
  Orv::CreatePackageEntry(L"object", kNodeClass, GUID_NULL, kObjectNode, nullptr, object.Receive());
  PackageNode(package.Get()).AddChild(object);
  Orv::CreatePackageEntry(L"CDict", GUID_NULL, Orv::GetCategoryDict(), Orv::GetCategoryDict(),
                          SavedFrom(in, static_cast<unsigned>(in.size()), false), entry.Receive());
  Orv::CDict fromNode;
  bool nodeOk = Orv::LoadDict(PackageNode(package.Get()).AddChild(entry), fromNode);
  EXPECT_TRUE(nodeOk || !ok) << "a package only adds objects";
  if (ok && nodeOk) {
    EXPECT_EQ(once, SavedDict(fromNode));
  }
}

Bytes MutateDict(Bytes const& in, Rng& rng) { return MutateBytes(in, rng, {0, 4, 8, 12}); }

// --- package streams ---
// Header fields: count, table offset, stored and loaded size, compressed flag, name count.
const std::vector<size_t> kHeaderFields = {20, 24, 28, 32, 36, 40};

std::vector<Bytes> PackageSeeds() {
  tSmartPtr<Orv::IPackage> deep;
  // A long chain of nodes: nesting that recursion over the tree would feel.
  Orv::CreatePackage(deep.Receive());
  PackageNode node(deep.Get());
  for (int i = 0; i < 400; ++i) node = node.AddChild(OrvTest::SampleEntry(L"n", i % 100 ? "" : "x", false));
  return {Saved(OrvTest::SamplePackage()), Saved(deep)};
}

// The record table's fields by its records' tags: child counts, payload fields, name counts.
std::vector<size_t> TableFields(Bytes const& table) {
  std::vector<size_t> fields;
  for (size_t at = 0; at + 88 <= table.size(); at += 4) {
    uint32_t tag = Get32(table, at);
    if (tag == 0x50414B01) fields.insert(fields.end(), {at, at + 4, at + 56, at + 60, at + 64, at + 68, at + 84});
    if (tag == 0x50414B02) fields.insert(fields.end(), {at, at + 36, at + 40});
  }
  return fields;
}

// Either the stream's bytes, or its record table inflated, changed and deflated again (a valid
// zlib stream of hostile records) with the header's sizes made to match.
Bytes MutatePackage(Bytes const& in, Rng& rng) {
  uint32_t offset = Get32(in, 24), stored = Get32(in, 28);
  bool ok = false;
  Bytes table = offset >= 40 && uint64_t(offset) + stored <= in.size() ? Inflate(in.substr(offset, stored), ok) : "";
  if (!ok || Pick(rng, 3) == 0) return MutateBytes(in, rng, kHeaderFields);
  Bytes packed = Deflate(MutateBytes(table, rng, TableFields(table)));
  Bytes out = in.substr(0, offset) + packed + Bytes((4 - packed.size() % 4) % 4, '\0');
  Put32(out, 28, static_cast<uint32_t>(packed.size()));
  Put32(out, 32, Pick(rng, 8) ? static_cast<uint32_t>(Inflate(packed, ok).size()) : Boundary(rng, table.size()));
  return out;
}

// Loads every payload (and reads dictionaries from their nodes), without recursion.
void TouchPayloads(Orv::IPackage* package) {
  std::vector<PackageNode> pending;
  for (PackageNode n = package->GetFirstNode(); !!n; n = n->GetNextSibling()) pending.push_back(n);
  while (!pending.empty()) {
    PackageNode node = pending.back();
    pending.pop_back();
    Orv::ISavedData* saved = node.GetEntry()->GetSavedData();
    if (Orv::IData* data = saved ? saved->Load() : nullptr) {
      EXPECT_EQ(saved->GetLoadedSize(), data->GetSize());
    }
    Orv::CDict dict;
    if (IsEqualGUID(node.GetEntry()->GetObjectCategoryID(), Orv::GetCategoryDict())) Orv::LoadDict(node, dict);
    for (PackageNode c = node->GetFirstChild(); !!c; c = c->GetNextSibling()) pending.push_back(c);
  }
}

// The package loader is one over every reader (file ranges are checked by the data tests).
void RunPackage(Bytes const& in) {
  tSmartPtr<Orv::IDataReader> reader = ReaderOf(Block(in));
  GUID id = Orv::GetPackageID(reader);
  tSmartPtr<Orv::IPackage> package;
  if (!Orv::LoadPackage(reader, package.Receive())) return;
  EXPECT_TRUE(IsEqualGUID(id, package->GetID())) << "a package that loads is identified alike";
  Bytes once = Saved(package);
  TouchPayloads(package);
  ExpectSavedAgain(once);
}

// --- zlib streams: a 32-bit expected size, then the stream; zlib's inflate is the peer ---
std::vector<Bytes> ZlibSeeds() {
  std::vector<Bytes> seeds;
  for (Bytes const& plain : {Bytes("hello hello hello"), OrvTest::SampleBytes(2000, 1), Bytes(300000, 'z'), Bytes()}) {
    Bytes s(4, '\0');
    Put32(s, 0, static_cast<uint32_t>(plain.size()));
    seeds.push_back(s + Deflate(plain));
  }
  return seeds;
}

Bytes MutateZlib(Bytes const& in, Rng& rng) {
  bool ok = false;
  Bytes plain = in.size() >= 4 ? Inflate(in.substr(4), ok) : "";
  if (!ok || Pick(rng, 2)) return MutateBytes(in, rng, {0});
  Bytes out = in.substr(0, 4) + Deflate(MutateBytes(plain, rng));
  if (Pick(rng, 2)) Put32(out, 0, Boundary(rng, plain.size()));
  return out;
}

void RunZlib(Bytes const& in) {
  if (in.size() < 4) return;
  uint32_t expected = Get32(in, 0);
  Bytes stream = in.substr(4);
  bool peerOk = false;
  Bytes peer = Inflate(stream, peerOk);
  tSmartPtr<Orv::IData> block;
  bool ok = Orv::UncompressData(Block(stream), expected, block.Receive(), nullptr);
  EXPECT_EQ(peerOk && (expected == 0xFFFFFFFFu || expected == peer.size()), ok);
  if (ok) {
    EXPECT_EQ(peer, OrvTest::Bytes(block));
  }
  tSmartPtr<Orv::IDataVector> vector;
  tSmartPtr<Orv::IDataWriter> writer;
  Orv::CreateDataWriter(vector.Receive(), writer.Receive());
  ok = Orv::UncompressData(ReaderOf(Block(stream)), static_cast<unsigned>(stream.size()), writer, nullptr);
  EXPECT_EQ(peerOk, ok);
  if (!ok) return;
  EXPECT_EQ(peer, OrvTest::Bytes(vector));
}

// --- records: strings and byte blocks against a model of the record format ---
// The model of a string record at `pos`: its UTF-16 units, and where the next record starts (0 when
// no record fits there).
size_t ReadModel(Bytes const& b, size_t pos, std::wstring& units) {
  uint64_t count = Get32(b, pos), padded = (count + 3) / 4 * 4;
  if (pos + 4 > b.size() || count == 0 || count % 2 || pos + 4 + padded > b.size()) return 0;
  units.assign(reinterpret_cast<const wchar_t*>(b.data() + pos + 4), count / 2);
  return pos + 4 + padded;
}

// A byte block of 5 and three strings, by the tests' own encoder.
std::vector<Bytes> RecordSeeds() {
  Bytes b;
  OrvTest::Put32(b, 5);
  OrvTest::PutRaw(b, "bytes", 5);
  OrvTest::Pad(b);
  for (const wchar_t* text : {L"text", L"", L"\u65e5\u672c"}) OrvTest::PutText(b, text);
  return {b};
}

void RunRecords(Bytes const& in) {
  // Strings from every aligned position; a refusal leaves the position where it was.
  for (size_t pos = 0; pos < in.size(); pos += 4) {
    std::wstring units;
    size_t next = ReadModel(in, pos, units);
    bool terminated = units.find(L'\0') != std::wstring::npos;
    std::wstring text = units.substr(0, units.find(L'\0'));
    tSmartPtr<Orv::IDataReader> r = ReaderOf(Block(in));
    r->SetPos(static_cast<unsigned>(pos));
    Orv::tstring loaded;
    ASSERT_EQ(next != 0, Orv::LoadData(r.Get(), loaded)) << "string at " << pos;
    EXPECT_EQ(next ? next : pos, r->GetPos());
    if (next) {
      EXPECT_EQ(text, std::wstring(loaded.c_str(), loaded.size()));
    }
    r->SetPos(static_cast<unsigned>(pos));
    const wchar_t* raw = nullptr;
    ASSERT_EQ(next && terminated, Orv::LoadRawString(r, raw)) << "raw string at " << pos;
    EXPECT_EQ(next && terminated ? next : pos, r->GetPos());
    if (raw) {
      EXPECT_EQ(text, std::wstring(raw));
    }
  }
  // A byte block whose length is the first word, in each form.
  if (in.size() < 4) return;
  uint64_t n = Get32(in, 0), left = in.size() - 4;
  bool fits = (n + 3) / 4 * 4 <= left;
  tSmartPtr<Orv::IDataReader> r = ReaderOf(Block(in));
  r->SetPos(4);
  const unsigned char* p = Orv::LoadBytes(r, static_cast<unsigned>(n));
  EXPECT_EQ(fits, p != nullptr);
  r->SetPos(4);
  tSmartPtr<Orv::IData> block;
  EXPECT_EQ(fits, Orv::LoadBytes(r, static_cast<unsigned>(n), block.Receive()));
  if (block) {
    EXPECT_EQ(in.substr(4, n), OrvTest::Bytes(block));
  }
  EXPECT_EQ(fits ? 4 + (n + 3) / 4 * 4 : 4, r->GetPos());
  r->SetPos(4);
  std::vector<char> dst(left + 1);  // a block that does not fit must not be copied
  EXPECT_EQ(fits, Orv::LoadBytes(r, dst.data(), static_cast<unsigned>(n)));
}

Bytes MutateRecords(Bytes const& in, Rng& rng) { return MutateBytes(in, rng, {0, 12, 20, 32}); }

}  // namespace

void RegisterTextTargets(std::vector<Target>& targets);

std::vector<Target> const& Targets() {
  static std::vector<Target> targets = [] {
    std::vector<Target> t = {{"package", PackageSeeds, MutatePackage, RunPackage, 800},
                             {"dict", DictSeeds, MutateDict, RunDict, 4000},
                             {"zlib", ZlibSeeds, MutateZlib, RunZlib, 500},
                             {"records", RecordSeeds, MutateRecords, RunRecords, 4000}};
    RegisterTextTargets(t);
    return t;
  }();
  return targets;
}

}  // namespace Fuzz
