// The binary package stream against an encoder written here from the format's table (zlib's
// compress2 at level 9 for the record table): random packages built through the library save to
// exactly those bytes at any starting position and load back from them; broken headers are refused;
// the package manager's look-ups. (A failed save to a file is the reliability tests' part.)
#include <gtest/gtest.h>
#include <zlib.h>

#include <random>
#include <string>
#include <vector>

#include "../support/byte_records.h"

namespace {

using namespace OrvTest;
using Orv::PackageNode;
using Orv::tSmartPtr;
using Records = std::vector<Orv::IPackage::GuidInfo>;

struct Model {
  std::wstring name;  // empty: the entry is named by the text of its instance GUID
  GUID ids[3];        // class, category, instance
  unsigned __int64 v64;
  unsigned v32;
  std::string inlineBytes, payload;
  std::vector<Model> children;
};

void PutGuid(std::string& out, GUID const& g) { PutRaw(out, &g, 16); }

// An entry record into the table, its payload into the body, then its children's.
void PutRecord(std::string& body, std::string& table, Model const& m) {
  Put32(table, 0x50414B01);
  Put32(table, static_cast<unsigned>(m.children.size()));
  for (GUID const& g : m.ids) PutGuid(table, g);
  for (size_t v : {m.payload.empty() ? 0 : 40 + body.size(), m.payload.size(), m.payload.size(), size_t(0)})
    Put32(table, static_cast<unsigned>(v));
  body += m.payload;
  PutRaw(table, &m.v64, 8);
  Put32(table, m.v32);
  PutText(table, m.name.empty() ? std::wstring(Orv::StringFromGUID(m.ids[2]).c_str()) : m.name);
  Put32(table, static_cast<unsigned>(m.inlineBytes.size()));
  table += m.inlineBytes;
  Pad(table);
  for (Model const& child : m.children) PutRecord(body, table, child);
}

std::string Encode(GUID const& id, std::wstring const& name, std::vector<Model> const& top, Records const& records) {
  std::string body, table, packed;
  PutText(body, name);
  for (Model const& m : top) PutRecord(body, table, m);
  for (auto const& r : records) {
    Put32(table, 0x50414B02);
    PutGuid(table, r.id);
    PutGuid(table, r.secondId);
    Put32(table, r.kind);
    PutText(table, r.name.c_str());
  }
  if (!table.empty()) {
    uLongf size = compressBound(table.size());
    packed.resize(size);
    compress2(reinterpret_cast<Bytef*>(&packed[0]), &size, reinterpret_cast<const Bytef*>(table.data()), table.size(), 9);
    packed.resize(size);
  }
  std::string out;
  Put32(out, 0x50414B00);
  PutGuid(out, id);
  for (size_t v : {top.size() + records.size(), 40 + body.size(), packed.size(), table.size(), size_t(1)})
    Put32(out, static_cast<unsigned>(v));
  out += body + packed;
  out.append((4 - packed.size() % 4) % 4, '\0');  // the stored table block is padded, not the stream
  return out;
}

// --- the same package built through the library ---
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
                               Records const& records) {
  tSmartPtr<Orv::IPackage> package;
  Orv::CreatePackage(package.Receive());
  package->SetID(id);
  package->SetName(name.c_str());
  for (Model const& m : top) AddModel(PackageNode(package.Get()), m);
  for (auto const& r : records) package->AddGuidInfo(r);
  return package;
}

// Saves after `prefix` bytes already in the stream and returns what follows them.
std::string Save(Orv::IPackage* package, unsigned prefix = 0) {
  tSmartPtr<Orv::IDataVector> vector;
  tSmartPtr<Orv::IDataWriter> writer;
  Orv::CreateDataWriter(vector.Receive(), writer.Receive());
  writer->Write(std::string(prefix, 'p').data(), prefix);
  EXPECT_TRUE(Orv::SavePackage(writer, package));
  return Bytes(vector).substr(prefix);
}

tSmartPtr<Orv::IDataReader> Reader(std::string const& stream, unsigned prefix = 0) {
  tSmartPtr<Orv::IDataReader> reader;
  Orv::CreateDataReader(Block(std::string(prefix, 'p') + stream), prefix, reader.Receive());
  return reader;
}

bool Load(std::string const& stream, tSmartPtr<Orv::IPackage>& out, unsigned prefix = 0) {
  return Orv::LoadPackage(Reader(stream, prefix), out.Receive());
}

GUID Guid(unsigned n) { return GUID{n, 1, 2, {3, 4, 5, 6, 7, 8, 9, static_cast<unsigned char>(n)}}; }

class Random {
 public:
  explicit Random(unsigned seed) : m_random(seed) {}
  unsigned operator()(unsigned n) { return m_random() % n; }
  std::wstring Text(unsigned n) {
    std::wstring s;
    while (s.size() < n) s += static_cast<wchar_t>(L'a' + m_random() % 26);
    return s;
  }
  std::string Bytes(unsigned n) {
    std::string s;
    while (s.size() < n) s += static_cast<char>(m_random());
    return s;
  }
  Model Entry(int depth) {
    Model m{Text((*this)(7)), {Guid(m_random()), Guid(m_random()), Guid(m_random())}, m_random() * 0x100000001ULL,
            m_random(), Bytes((*this)(7)), Bytes((*this)(3) ? (*this)(40) : 0), {}};
    for (unsigned k = 0, n = depth ? (*this)(3) : 0; k < n; ++k) m.children.push_back(Entry(depth - 1));
    return m;
  }

 private:
  std::mt19937 m_random;
};

// Random packages save to the encoder's bytes, also after a prefix, and load back to the same bytes
// (mutated streams are the fuzz harness's part).
TEST(PackageFormat, RandomPackagesMatchTheEncoder) {
  Random random(2024);
  for (int round = 0; round < 30; ++round) {
    std::vector<Model> top;
    Records records;
    for (unsigned i = 0, n = random(4); i < n; ++i) top.push_back(random.Entry(2));
    for (unsigned i = 0, n = random(3); i < n; ++i)
      records.push_back({Guid(random(~0u)), Guid(random(~0u)), random(7), random.Text(4).c_str()});
    std::wstring name = random.Text(round % 5);
    unsigned prefix = round % 2 * 12;
    std::string expected = Encode(Guid(round), name, top, records);
    EXPECT_EQ(expected, Save(Build(Guid(round), name, top, records), prefix)) << "round " << round;
    tSmartPtr<Orv::IPackage> loaded;
    ASSERT_TRUE(Load(expected, loaded, prefix));
    EXPECT_EQ(expected, Save(loaded)) << "round " << round;  // payloads read from the stream
  }
}

TEST(PackageFormat, BrokenHeadersAreRefusedByLoadAndIdentification) {
  std::string good = Encode(Guid(5), L"n", {Random(1).Entry(0)}, {});
  EXPECT_TRUE(IsEqualGUID(Guid(5), Orv::GetPackageID(Reader(good))));
  const std::pair<size_t, unsigned> kCases[] = {
      {0, 0x50414B01}, {20, 1000000}, {24, 39}, {36, 2}, {28, 0x7FFFFFFF}};  // magic, count, table offset, flag, size
  for (auto const& c : kCases) {
    std::string bad = good;
    memcpy(&bad[c.first], &c.second, 4);
    tSmartPtr<Orv::IPackage> package;
    EXPECT_FALSE(Load(bad, package)) << c.first;
    tSmartPtr<Orv::IDataReader> reader = Reader(bad);
    EXPECT_TRUE(IsEqualGUID(GUID_NULL, Orv::GetPackageID(reader))) << c.first;
    EXPECT_EQ(0u, reader->GetPos());
  }
}

TEST(PackageManager, SearchDirectoriesFilesResourcesAndLivePackages) {
  Orv::IPackageManager* manager = Orv::GetPackageManager();
  ASSERT_NE(nullptr, manager);
  EXPECT_TRUE(Orv::PathsEqual(Orv::GetExecutableDir().c_str(), manager->GetSearchDirectory(0).c_str()));
  std::wstring folder = std::wstring(Orv::GetTempDirectory().c_str()) + L"\\orv_package_manager_test";
  CreateDirectoryW(folder.c_str(), nullptr);
  unsigned count = manager->GetSearchDirectoryCount();
  for (const wchar_t* dir : {L"", L"\\.", L"\\missing"}) manager->AddSearchDirectory((folder + dir).c_str());
  EXPECT_EQ(count + 1, manager->GetSearchDirectoryCount());  // the same folder once, a missing one not
  // A file found on the search directories, answered again while it lives, by path or by GUID.
  Model filed = Random(7).Entry(0);
  filed.name = L"a";
  std::wstring path = folder + L"\\filed.pak";
  ASSERT_TRUE(Orv::SavePackageToFile(Build(Guid(77), L"filed", {filed}, {}), path.c_str()));
  EXPECT_TRUE(IsEqualGUID(Guid(77), Orv::GetPackageID(path.c_str())));
  tSmartPtr<Orv::IPackage> first, again, byId;
  ASSERT_TRUE(manager->GetPackageByPath(L"filed.pak", first.Receive()));
  EXPECT_TRUE(manager->GetPackageByPath((folder + L"\\.\\FILED.pak").c_str(), again.Receive()));
  EXPECT_TRUE(manager->GetPackage(nullptr, Guid(77), byId.Receive()));
  PackageNode byInstance;  // look-ups by name are the parser's references
  manager->FindNodeByID(byInstance, filed.ids[2]);
  for (Orv::IPackage* same : {again.Get(), byId.Get(), byInstance.GetPackage()})
    EXPECT_EQ(first.Get(), same);
  // Resources of the modules, by integer and by string name; a live package with the GUID wins.
  const GUID kFirst = {0x0A0B0C0D, 1, 2, {4, 5, 6, 7, 7, 8, 9, 1}}, kSecond = {0x0A0B0C0D, 1, 2, {4, 5, 6, 7, 7, 8, 9, 2}};
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
  byInstance = PackageNode();
  DeleteFileW(path.c_str());
  RemoveDirectoryW(folder.c_str());
}

}  // namespace
