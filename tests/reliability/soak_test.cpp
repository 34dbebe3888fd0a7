// A long-running host's cycles: compile, save, load and release packages with their payloads, and
// save and load dictionaries, many times over; handles, the library's pools and the private bytes
// come back to where they stood after a warm-up. 10,000 rounds each (a package round takes 2 to 25 ms
// under Wine, a dictionary round well under 1 ms); ORV_SOAK_ROUNDS sets another number.
#include <gtest/gtest.h>

#include <functional>
#include <utility>
#include <vector>

#include "../support/new_object.h"
#include "../support/process_usage.h"
#include "../support/scratch.h"
#include "../support/samples.h"

namespace OrvTest {

// An item that keeps its worker busy for a while.
class CBusyItem : public Orv::IWorkItem {
 public:
  void Run() override { Sleep(20); }
};

}  // namespace OrvTest

ORV_CLASS_GUID(OrvTest::CBusyItem, 0x3c5d7e91, 0x1f2a, 0x4b3c, 0x8d, 0x4e, 0x5f, 0x60, 0x71, 0x82, 0x93, 0xa5)

namespace {

using namespace OrvTest;

constexpr unsigned kRounds = 10000, kWarmUpRounds = 20;
constexpr SIZE_T kPrivateBytesTolerance = 512 * 1024;

// Starts every worker of the shared pool (a new one starts while all others are busy), as a long
// run would sooner or later: their threads are no leak.
void StartAllWorkers() {
  Orv::IThreadPool* pool = Orv::GetGlobalThreadPool();
  for (int i = 0; i < Orv::CThreadPool::kMaxThreadLimit; ++i) pool->AddWorkItem(New<CBusyItem>());
  pool->WaitForAllWork();
}

// What a leak would raise: the process's handles, the library's pools and, last, its private bytes.
std::vector<std::pair<const char*, size_t>> Usage() {
  Orv::FlushAllThreadPoolWork();
  Orv::SStringAllocatorStats s = Orv::StringAllocator::GetStats();
  return {{"handles", OrvTest::HandleCount()},
          {"pooled strings", s.heapInUse + s.poolInUse[0] + s.poolInUse[1] + s.poolInUse[2] + s.poolInUse[3]},
          {"string records", Orv::tstring::GetSharedStringAllocator().InUse()},
          {"shared sections", Orv::GetSharedSectionStats().liveSections},
          {"private bytes", OrvTest::PrivateBytes()}};
}

class Soak : public ScratchFiles::ScratchTest {
 protected:
  // Runs `round` for the warm-up and then for the rounds; false at the first round that fails.
  void Run(const char* name, const std::function<bool()>& round) {
    StartAllWorkers();
    for (unsigned i = 0; i < kWarmUpRounds; ++i) ASSERT_TRUE(round()) << name << " warm-up " << i;
    auto before = Usage();
    unsigned rounds = RoundsFromEnvironment("ORV_SOAK_ROUNDS", kRounds);
    for (unsigned i = 0; i < rounds; ++i) ASSERT_TRUE(round()) << name << " round " << i;
    auto after = Usage();
    // A leak only ever raises a count; one may fall when a worker lets go of the last round's item
    // after the count was taken.
    for (size_t i = 0; i < before.size(); ++i) {
      size_t tolerance = i + 1 == before.size() ? kPrivateBytesTolerance : 0;
      EXPECT_LE(after[i].second, before[i].second + tolerance) << name << ": " << before[i].first;
    }
  }
};

// The payload of the byte-data object at `node`, loaded in the background and waited for.
std::string LoadBytes(Orv::PackageNode node) {
  Ptr<Orv::IPackageByteData> bytes;
  Ptr<Orv::IPackageNodePersist> persist = ByteData(bytes);
  return persist && persist->Load(node) && persist->Wait() ? Bytes(bytes->GetData()) : std::string();
}

TEST_F(Soak, PackagesCompiledSavedLoadedAndReleased) {
  std::string first = SampleBytes(3000, 9), second = SampleBytes(40000, 10);
  ASSERT_TRUE(ScratchFiles::WriteRaw(Path(L"a.bin"), first));
  ASSERT_TRUE(ScratchFiles::WriteRaw(Path(L"b.bin"), second));
  const wchar_t* text = L"new bytes ('a') { string file { 'a.bin' } } new bytes ('b') { string file { 'b.bin' } }";
  Orv::tstring path = Path(L"soak.pak");
  Run("packages", [&] {
    Ptr<Orv::IPackage> compiled, loaded;
    Ptr<Orv::IDataFile> file;
    Ptr<Orv::IDataReader> reader;
    return Orv::CompilePackage(text, Dir().c_str(), compiled.Receive(), nullptr, nullptr) &&
           Orv::SavePackageToFile(compiled, path.c_str()) && Orv::CreateDataFile(path.c_str(), false, file.Receive()) &&
           Orv::CreateDataReader(file, 0, reader.Receive()) && Orv::LoadPackage(reader, loaded.Receive()) &&
           LoadBytes(loaded->FindNode(L"a", GUID_NULL, GUID_NULL)) == first &&
           LoadBytes(loaded->FindNode(L"b", GUID_NULL, GUID_NULL)) == second;
  });
}

TEST_F(Soak, DictionariesSavedAndLoaded) {
  Orv::CDict dict = SampleDict();
  std::string expected = Describe(dict);
  Run("dictionaries", [&] {
    Ptr<Orv::ISavedData> saved, stored;
    Orv::CDict loaded;
    return Orv::SaveDict(dict, false, saved.Receive()) &&
           Orv::CreateSavedDataFromMemory(saved->GetSavedData(), saved->GetLoadedSize(), true, stored.Receive()) &&
           Orv::LoadDict(stored, loaded) && Describe(loaded) == expected;
  });
}

}  // namespace
