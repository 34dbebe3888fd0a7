// The binary package stream: exact bytes against an encoder written here from the format's table
// (zlib's compress2 at level 9 for the record table), refusals, round trips of random packages, a
// bounded fuzz run over mutated streams, and the package manager's look-ups.
#include <gtest/gtest.h>
#include <zlib.h>

#include <random>
#include <string>
#include <vector>

#include "orvutil/orvutil.h"

namespace {

using Orv::PackageNode;
using Orv::tSmartPtr;
using Bytes = std::string;

// --- an independent encoder of the stream ---
void Put32(Bytes& out, unsigned v) { out.append(reinterpret_cast<const char*>(&v), 4); }
void PutGuid(Bytes& out, GUID const& g) { out.append(reinterpret_cast<const char*>(&g), 16); }
void Pad(Bytes& out) { out.append((4 - out.size() % 4) % 4, '\0'); }
void PutText(Bytes& out, std::wstring const& text) {
  Put32(out, static_cast<unsigned>((text.size() + 1) * 2));
  out.append(reinterpret_cast<const char*>(text.c_str()), (text.size() + 1) * 2);
  Pad(out);
}

struct Model {
  std::wstring name;
  GUID ids[3];
  unsigned __int64 v64;
  unsigned v32;
  Bytes inlineBytes, payload;
  std::vector<Model> children;
};

void PutRecord(Bytes& table, Model const& m, std::vector<unsigned>& payloadOffsets, size_t& next) {
  Put32(table, 0x50414B01);
  Put32(table, static_cast<unsigned>(m.children.size()));
  for (GUID const& g : m.ids) PutGuid(table, g);
  unsigned offset = m.payload.empty() ? 0 : payloadOffsets[next++];
  Put32(table, offset);
  Put32(table, static_cast<unsigned>(m.payload.size()));
  Put32(table, static_cast<unsigned>(m.payload.size()));
  Put32(table, 0);
  table.append(reinterpret_cast<const char*>(&m.v64), 8);
  Put32(table, m.v32);
  PutText(table, m.name);
  Put32(table, static_cast<unsigned>(m.inlineBytes.size()));
  table += m.inlineBytes;
  Pad(table);
  for (Model const& child : m.children) PutRecord(table, child, payloadOffsets, next);
}

void CollectPayloads(Model const& m, std::vector<Bytes const*>& out) {
  if (!m.payload.empty()) out.push_back(&m.payload);
  for (Model const& c : m.children) CollectPayloads(c, out);
}

Bytes Encode(GUID const& id, std::wstring const& name, std::vector<Model> const& top,
             std::vector<Orv::IPackage::GuidInfo> const& records) {
  Bytes body;
  PutText(body, name);
  std::vector<Bytes const*> payloads;
  for (Model const& m : top) CollectPayloads(m, payloads);
  std::vector<unsigned> offsets;
  for (Bytes const* p : payloads) {
    offsets.push_back(static_cast<unsigned>(40 + body.size()));
    body += *p;
  }
  Bytes table;
  size_t next = 0;
  for (Model const& m : top) PutRecord(table, m, offsets, next);
  for (auto const& r : records) {
    Put32(table, 0x50414B02);
    PutGuid(table, r.id);
    PutGuid(table, r.secondId);
    Put32(table, r.kind);
    PutText(table, std::wstring(r.name.c_str()));
  }
  Bytes packed;
  if (!table.empty()) {
    uLongf size = compressBound(table.size());
    packed.resize(size);
    compress2(reinterpret_cast<Bytef*>(&packed[0]), &size, reinterpret_cast<const Bytef*>(table.data()), table.size(), 9);
    packed.resize(size);
  }
  Bytes out;
  Put32(out, 0x50414B00);
  PutGuid(out, id);
  Put32(out, static_cast<unsigned>(top.size() + records.size()));
  Put32(out, static_cast<unsigned>(40 + body.size()));
  Put32(out, static_cast<unsigned>(packed.size()));
  Put32(out, static_cast<unsigned>(table.size()));
  Put32(out, 1);
  out += body + packed;
  out.append((4 - packed.size() % 4) % 4, '\0');  // the stored table block is padded, not the stream
  return out;
}

// --- the same package built through the library ---
tSmartPtr<Orv::IData> Block(Bytes const& bytes) {
  tSmartPtr<Orv::IDataVector> vector;
  Orv::CreateDataVector(static_cast<unsigned>(bytes.size()), vector.Receive());
  if (!bytes.empty()) memcpy(vector->GetVector().Data(), bytes.data(), bytes.size());
  return tSmartPtr<Orv::IData>(vector.Get());
}

void AddModel(PackageNode const& parent, Model const& m) {
  tSmartPtr<Orv::ISavedData> saved;
  if (!m.payload.empty()) Orv::CreateLoadedDataFromMemory(Block(m.payload), false, saved.Receive());
  tSmartPtr<Orv::IPackageEntry> entry;
  Orv::CreatePackageEntry(m.name.c_str(), m.ids[0], m.ids[1], m.ids[2], saved, entry.Receive());
  entry->SetValue64(m.v64);
  entry->SetValue32(m.v32);
  if (!m.inlineBytes.empty()) entry->SetInlineData(Block(m.inlineBytes));
  PackageNode node = parent.AddChild(entry);
  for (Model const& child : m.children) AddModel(node, child);
}

tSmartPtr<Orv::IPackage> Build(GUID const& id, std::wstring const& name, std::vector<Model> const& top,
                               std::vector<Orv::IPackage::GuidInfo> const& records) {
  tSmartPtr<Orv::IPackage> package;
  Orv::CreatePackage(package.Receive());
  package->SetID(id);
  package->SetName(name.c_str());
  for (Model const& m : top) AddModel(PackageNode(package.Get()), m);
  for (auto const& r : records) package->AddGuidInfo(r);
  return package;
}

// Saves at `prefix` bytes into a vector and returns what follows the prefix.
Bytes Save(Orv::IPackage* package, unsigned prefix = 0) {
  tSmartPtr<Orv::IDataVector> vector;
  tSmartPtr<Orv::IDataWriter> writer;
  Orv::CreateDataWriter(vector.Receive(), writer.Receive());
  writer->Write(Bytes(prefix, 'p').data(), prefix);
  EXPECT_TRUE(Orv::SavePackage(writer, package));
  return Bytes(reinterpret_cast<const char*>(vector->GetPointer()), vector->GetSize()).substr(prefix);
}

bool Load(Bytes const& stream, tSmartPtr<Orv::IPackage>& out, unsigned prefix = 0) {
  tSmartPtr<Orv::IDataReader> reader;
  Orv::CreateDataReader(Block(Bytes(prefix, 'p') + stream), prefix, reader.Receive());
  return Orv::LoadPackage(reader, out.Receive());
}

GUID Guid(unsigned n) { return GUID{n, 1, 2, {3, 4, 5, 6, 7, 8, 9, static_cast<unsigned char>(n)}}; }

Model Leaf(std::wstring name, unsigned n, Bytes inlineBytes = "", Bytes payload = "") {
  return Model{name, {Guid(n), Guid(n + 1), Guid(n + 2)}, 0x1122334455667788ULL + n, n * 3, inlineBytes, payload, {}};
}

TEST(PackageFormat, BytesMatchTheFormatAtAnyStartingPosition) {
  Model nested = Leaf(L"parent", 10, "", "payload!");
  nested.children = {Leaf(L"kid", 20, "abcd"), Leaf(L"kid2", 30, "abcde", "x")};
  nested.children[0].children = {Leaf(L"", 40)};  // an empty name gets the text of its GUID
  nested.children[0].children[0].name = L"{0000002A-0001-0002-0304-05060708092A}";
  struct Case {
    const char* what;
    std::wstring name;
    std::vector<Model> top;
    std::vector<Orv::IPackage::GuidInfo> records;
  };
  const Case kCases[] = {
      {"empty", L"", {}, {}},
      {"odd name, 1-byte inline", L"abc", {Leaf(L"a", 1, "z")}, {}},
      {"even name, 4 and 5 bytes", L"ab", {Leaf(L"x", 1, "1234"), Leaf(L"y", 2, "12345", "pp")}, {}},
      {"nested with records", L"nested", {nested},
       {{Guid(90), Guid(91), 2, L"other.pak"}, {Guid(92), GUID_NULL, 6, L"Thing category"}}},
  };
  for (Case const& c : kCases) {
    for (unsigned prefix : {0u, 12u}) {
      SCOPED_TRACE(testing::Message() << c.what << " at " << prefix);
      tSmartPtr<Orv::IPackage> package = Build(Guid(7), c.name, c.top, c.records);
      Bytes expected = Encode(Guid(7), c.name, c.top, c.records);
      EXPECT_EQ(expected, Save(package, prefix));
      tSmartPtr<Orv::IPackage> loaded;
      ASSERT_TRUE(Load(expected, loaded, prefix));
      EXPECT_EQ(expected, Save(loaded));  // and back, payloads read from the stream
    }
  }
}

TEST(PackageFormat, BrokenHeadersAreRefusedByLoadAndIdentification) {
  Bytes good = Encode(Guid(5), L"n", {Leaf(L"a", 1)}, {});
  struct Case {
    const char* what;
    size_t offset;
    unsigned value;
  };
  const Case kCases[] = {{"magic", 0, 0x50414B01},         {"count", 20, 1000000}, {"table offset", 24, 39},
                         {"flag", 36, 2},                   {"table past the end", 28, 0x7FFFFFFF}};
  for (Case const& c : kCases) {
    Bytes bad = good;
    memcpy(&bad[c.offset], &c.value, 4);
    tSmartPtr<Orv::IPackage> package;
    EXPECT_FALSE(Load(bad, package)) << c.what;
    tSmartPtr<Orv::IDataReader> reader;
    Orv::CreateDataReader(Block(bad), 0, reader.Receive());
    EXPECT_TRUE(IsEqualGUID(GUID_NULL, Orv::GetPackageID(reader))) << c.what;
    EXPECT_EQ(0u, reader->GetPos());
  }
  tSmartPtr<Orv::IDataReader> reader;
  Orv::CreateDataReader(Block(good), 0, reader.Receive());
  EXPECT_TRUE(IsEqualGUID(Guid(5), Orv::GetPackageID(reader)));
  // A GUID record among an entry's children is refused.
  Model withKid = Leaf(L"p", 1);
  withKid.children = {Leaf(L"k", 2)};
  Bytes stream = Encode(Guid(5), L"", {withKid}, {{Guid(9), GUID_NULL, 1, L"m"}});
  tSmartPtr<Orv::IPackage> ok;
  EXPECT_TRUE(Load(stream, ok));
  EXPECT_EQ(1u, ok->GetGuidInfoCount());
}

// Random packages round-trip field by field; mutated streams either fail or load into a package
// whose payloads can be read, and never crash.
TEST(PackageFormat, RandomRoundTripsAndMutatedStreams) {
  std::mt19937 random(2024);
  auto text = [&](unsigned n) {
    std::wstring s;
    for (unsigned i = 0; i < n; ++i) s += static_cast<wchar_t>(L'a' + random() % 26);
    return s;
  };
  auto bytes = [&](unsigned n) {
    Bytes s;
    for (unsigned i = 0; i < n; ++i) s += static_cast<char>(random());
    return s;
  };
  // ORV_FUZZ_SCALE=N runs N times as many rounds (a longer local run).
  const char* scale = getenv("ORV_FUZZ_SCALE");
  const int rounds = 30 * (scale && atoi(scale) > 0 ? atoi(scale) : 1);
  for (int round = 0; round < rounds; ++round) {
    std::vector<Model> top;
    for (unsigned i = 0, n = random() % 4; i < n; ++i) {
      Model m = Leaf(text(random() % 9 + 1), random(), bytes(random() % 7), bytes(random() % 40));
      for (unsigned k = 0, kids = random() % 3; k < kids; ++k)
        m.children.push_back(Leaf(text(random() % 5 + 1), random(), bytes(random() % 6), bytes(random() % 9)));
      top.push_back(m);
    }
    std::vector<Orv::IPackage::GuidInfo> records;
    for (unsigned i = 0, n = random() % 3; i < n; ++i) records.push_back({Guid(random()), Guid(random()), random() % 7, text(4).c_str()});
    Bytes expected = Encode(Guid(round), text(round % 5), top, records);
    tSmartPtr<Orv::IPackage> loaded;
    ASSERT_TRUE(Load(expected, loaded));
    EXPECT_EQ(expected, Save(loaded)) << "round " << round;
    // Mutations: bit flips, truncation, inserted bytes, large counts.
    for (int m = 0; m < 40; ++m) {
      Bytes bad = expected;
      switch (m % 4) {
        case 0: bad[random() % bad.size()] ^= static_cast<char>(1 << (random() % 8)); break;
        case 1: bad.resize(random() % bad.size()); break;
        case 2: bad.insert(random() % bad.size(), bytes(random() % 9 + 1)); break;
        default: {
          unsigned big = random() % 2 ? 0xFFFFFFF0u : 999999u;
          size_t at = (random() % (bad.size() / 4)) * 4;
          memcpy(&bad[at], &big, 4);
        }
      }
      tSmartPtr<Orv::IPackage> package;
      if (!Load(bad, package)) continue;
      for (unsigned i = 0; i < package->GetTree()->GetNodeCount(); ++i) {
        tSmartPtr<Orv::IPackageNode> node;
        package->GetTree()->GetNode(i)->QueryData(__uuidof(Orv::IPackageNode), reinterpret_cast<void**>(node.Receive()));
        if (node && node->GetEntry()->GetSavedData()) node->GetEntry()->GetSavedData()->Load();
      }
    }
  }
}

TEST(PackageManager, SearchDirectoriesFilesResourcesAndLivePackages) {
  Orv::IPackageManager* manager = Orv::GetPackageManager();
  ASSERT_NE(nullptr, manager);
  EXPECT_TRUE(Orv::PathsEqual(Orv::GetExecutableDir().c_str(), manager->GetSearchDirectory(0).c_str()));
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  std::wstring folder = std::wstring(temp) + L"orv_package_manager_test";
  CreateDirectoryW(folder.c_str(), nullptr);
  unsigned count = manager->GetSearchDirectoryCount();
  manager->AddSearchDirectory(folder.c_str());
  manager->AddSearchDirectory((folder + L"\\.").c_str());  // the same folder
  manager->AddSearchDirectory((folder + L"\\missing").c_str());
  EXPECT_EQ(count + 1, manager->GetSearchDirectoryCount());
  // A file found on the search directories, answered again while it lives.
  tSmartPtr<Orv::IPackage> source = Build(Guid(77), L"filed", {Leaf(L"a", 1, "", "data")}, {});
  std::wstring path = folder + L"\\filed.pak";
  ASSERT_TRUE(Orv::SavePackageToFile(source, path.c_str()));
  EXPECT_TRUE(IsEqualGUID(Guid(77), Orv::GetPackageID(path.c_str())));
  source = nullptr;
  tSmartPtr<Orv::IPackage> first, again, byId;
  ASSERT_TRUE(manager->GetPackageByPath(L"filed.pak", first.Receive()));
  EXPECT_TRUE(manager->GetPackageByPath((folder + L"\\.\\FILED.pak").c_str(), again.Receive()));
  EXPECT_EQ(first.Get(), again.Get());
  EXPECT_TRUE(manager->GetPackage(nullptr, Guid(77), byId.Receive()));
  EXPECT_EQ(first.Get(), byId.Get());
  PackageNode node;
  manager->FindNode(node, L"a", GUID_NULL, GUID_NULL);
  EXPECT_EQ(first.Get(), node.GetPackage());
  manager->FindNodeByID(node, Guid(3));
  EXPECT_EQ(first.Get(), node.GetPackage());
  // Resources of the modules, by integer and by string name; a live package with the GUID wins.
  const GUID kFirst = {0x0A0B0C0D, 1, 2, {4, 5, 6, 7, 7, 8, 9, 1}};
  const GUID kSecond = {0x0A0B0C0D, 1, 2, {4, 5, 6, 7, 7, 8, 9, 2}};
  tSmartPtr<Orv::IPackage> fromResource, second, live, winner;
  ASSERT_TRUE(manager->GetPackage(nullptr, kFirst, fromResource.Receive()));
  EXPECT_TRUE(IsEqualGUID(kFirst, fromResource->GetID()));
  EXPECT_TRUE(manager->GetPackage(nullptr, kSecond, second.Receive()));
  Orv::CreatePackage(live.Receive());
  live->SetID(kSecond);
  second = nullptr;
  ASSERT_TRUE(manager->GetPackage(nullptr, kSecond, winner.Receive()));
  EXPECT_EQ(live.Get(), winner.Get());
  EXPECT_FALSE(manager->GetPackage(L"no such.pak", GUID_NULL, winner.Receive()));
  first = again = byId = nullptr;
  node = PackageNode();
  DeleteFileW(path.c_str());
  RemoveDirectoryW(folder.c_str());
}

TEST(PackageManager, AFailedSaveKeepsTheFileThatWasThere) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  std::wstring path = std::wstring(temp) + L"orv_keep.pak";
  tSmartPtr<Orv::IPackage> good = Build(Guid(1), L"good", {Leaf(L"a", 1)}, {});
  ASSERT_TRUE(Orv::SavePackageToFile(good, path.c_str()));
  // A payload that claims more bytes than its file holds fails the save half-way.
  std::wstring shortFile = std::wstring(temp) + L"orv_short.bin";
  tSmartPtr<Orv::IDataFile> file;
  tSmartPtr<Orv::IDataWriter> writer;
  ASSERT_TRUE(Orv::CreateDataFile(shortFile.c_str(), true, file.Receive()));
  ASSERT_TRUE(Orv::CreateDataWriter(file, ~0u, writer.Receive()));
  ASSERT_TRUE(writer->Write("four", 4));
  writer = nullptr;
  tSmartPtr<Orv::ISavedData> missing;
  ASSERT_TRUE(Orv::CreateSavedDataFromFile(file, 0, 4000, 4000, false, missing.Receive()));
  tSmartPtr<Orv::IPackage> broken = Build(Guid(2), L"broken", {Leaf(L"a", 1)}, {});
  broken->GetFirstNode().GetEntry()->SetSavedData(missing);
  EXPECT_FALSE(Orv::SavePackageToFile(broken, path.c_str()));
  EXPECT_TRUE(IsEqualGUID(Guid(1), Orv::GetPackageID(path.c_str())));
  DeleteFileW(path.c_str());
}

}  // namespace
