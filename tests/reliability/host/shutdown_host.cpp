// A host that ends the library while work is in flight: work items on the shared pool and on a
// pool of its own (some queueing follow-ups as they run), background loads of saved data and of
// package objects, functions posted to the main thread from another thread, and running event
// timers. Every piece of work must end in exactly one completion or one cancellation (a posted
// function: run once, or dropped unrun; a timer: stopped for good once the library has gone).
// Prints the tallies; exit code 0 when every one is exact.
#include <atomic>
#include <cstdio>
#include <deque>
#include <memory>
#include <mutex>
#include <random>
#include <thread>

#include "../../support/new_object.h"
#include "../../support/samples.h"

ORV_DEFINE_MODULE(Orv::CModule)

namespace Host {

using Orv::tSmartPtr;

// How one piece of work ended.
struct Tally {
  std::atomic<int> completed{0}, cancelled{0};
};

// Tallies that stay put while others are added from any thread.
struct CTallies {
  std::mutex mutex;
  std::deque<Tally> tallies;
  Tally* New() {
    std::lock_guard<std::mutex> lock(mutex);
    return &tallies.emplace_back();
  }
  // Prints "kind exact/all"; true when all were exact.
  bool Report(const char* kind) {
    std::lock_guard<std::mutex> lock(mutex);
    size_t exact = 0;
    for (Tally& t : tallies) exact += t.completed + t.cancelled == 1;
    std::printf("%s %zu/%zu\n", kind, exact, tallies.size());
    return exact == tallies.size();
  }
};

// Counts how one piece of work ended, whichever kind of work it listens to.
class CListener : public Orv::CComBase,
                  public Orv::IWorkItemListener,
                  public Orv::IAsyncDataListener,
                  public Orv::IPersistListener {
 public:
  ORV_INTERFACES(Orv::IWorkItemListener, Orv::IAsyncDataListener, Orv::IPersistListener)
  Tally* tally = nullptr;
  void OnWorkItemComplete(Orv::IWorkItem*) override { ++tally->completed; }
  void OnWorkItemCancel(Orv::IWorkItem*) override { ++tally->cancelled; }
  void OnComplete(Orv::ISavedData*, Orv::EDataWorkType) override { ++tally->completed; }
  void OnCancel(Orv::ISavedData*, Orv::EDataWorkType) override { ++tally->cancelled; }
  void OnLoadFinished(Orv::IPackageNodePersist*) override { ++tally->completed; }
  void OnLoadCancelled(Orv::IPackageNodePersist*) override { ++tally->cancelled; }
};

tSmartPtr<CListener, Orv::IWorkItemListener> Listener(Tally* tally) {
  auto held = OrvTest::New<CListener, Orv::IWorkItemListener>();
  held->tally = tally;
  return held;
}

CTallies g_items, g_loads, g_objects, g_posts, g_timers;

// A posted function's ticket: counted once when the function runs, or on its end when it never ran.
struct Ticket {
  Tally* tally = g_posts.New();
  ~Ticket() { tally->cancelled += !tally->completed; }
};

void Post() {
  auto ticket = std::make_shared<Ticket>();
  Orv::PostMainThreadFunction([ticket] { ++ticket->tally->completed; });
}

// Sleeps a little, posts to the main thread, and queues a follow-up on its pool while it has one.
class CWork : public Orv::IWorkItem {
 public:
  Orv::IThreadPool* pool = nullptr;  // for follow-ups; the host keeps the pool alive
  int followUps = 0;
  unsigned sleepMs = 0;
  void Run() override {
    Sleep(sleepMs);
    Post();
    if (pool && followUps > 0) Queue(pool, followUps - 1, sleepMs);
  }
  static void Queue(Orv::IThreadPool* pool, int followUps, unsigned sleepMs) {
    tSmartPtr<CWork> item = OrvTest::New<CWork>();
    item->pool = followUps ? pool : nullptr;
    item->followUps = followUps;
    item->sleepMs = sleepMs;
    item->AddListener(Listener(g_items.New()));
    pool->AddWorkItem(item);
  }
};

}  // namespace Host

ORV_CLASS_GUID(Host::CListener, 0x6e0a4c10, 0x2d3b, 0x4e5f, 0x90, 0xa1, 0xb2, 0xc3, 0xd4, 0xe5, 0xf6, 0x01)
ORV_CLASS_GUID(Host::CWork, 0x6e0a4c13, 0x2d3b, 0x4e5f, 0x90, 0xa1, 0xb2, 0xc3, 0xd4, 0xe5, 0xf6, 0x04)

namespace Host {

// `n` bytes as compressed saved data that is not loaded yet.
tSmartPtr<Orv::ISavedData> Packed(unsigned n) {
  tSmartPtr<Orv::ISavedData> loaded, saved;
  Orv::CreateLoadedDataFromMemory(OrvTest::Block(OrvTest::SampleBytes(n, n)), true, loaded.Receive());
  Orv::CreateSavedDataFromMemory(loaded->GetSavedData(), n, true, saved.Receive());
  return saved;
}

// A package of byte-data entries saved and read back, so that their payloads load on demand.
tSmartPtr<Orv::IPackage> BytePackage(unsigned entries) {
  tSmartPtr<Orv::IPackage> made, loaded;
  Orv::CreatePackage(made.Receive());
  for (unsigned i = 0; i < entries; ++i) {
    tSmartPtr<Orv::IPackageByteData> bytes;
    tSmartPtr<Orv::IPackageNodePersist> persist = OrvTest::ByteData(bytes);
    bytes->SetData(OrvTest::Block(std::string(20000, '\0')));
    persist->Save(Orv::PackageNode(made.Get()));
  }
  Orv::LoadPackage(OrvTest::ReaderOf(OrvTest::Block(OrvTest::Saved(made))), loaded.Receive());
  return loaded;
}

int Main() {
  std::minstd_rand random(GetCurrentProcessId());
  auto* init = new Orv::CWinMainInit(0);
  if (!init->Success()) return 2;
  tSmartPtr<Orv::IThreadPool> own;
  Orv::CreateThreadPool(own.Receive(), 2);
  std::vector<tSmartPtr<Orv::ISavedData>> data;
  std::vector<tSmartPtr<Orv::IPackageNodePersist>> objects;
  tSmartPtr<Orv::IPackage> package = BytePackage(8);
  Orv::CEventTimer timers[2];

  for (int i = 0; i < 16; ++i) CWork::Queue(Orv::GetGlobalThreadPool(), 0, random() % 3);
  for (int i = 0; i < 8; ++i) CWork::Queue(own, 3, random() % 3);
  for (int i = 0; i < 12; ++i) {
    data.push_back(Packed(30000 + random() % 30000));
    Orv::GetGlobalAsyncDataLoader()->LoadAsync(data.back(), 0, Listener(g_loads.New()));
  }
  for (Orv::PackageNode node = package->GetFirstNode(); node.GetNode(); node = node->GetNextSibling()) {
    tSmartPtr<Orv::IPackageByteData> bytes;
    tSmartPtr<Orv::IPackageNodePersist> persist = OrvTest::ByteData(bytes);
    if (persist->Load(node) && !persist->IsLoaded()) persist->AddListener(Listener(g_objects.New()));
    objects.push_back(persist);
  }
  std::atomic<bool> stop{false};
  std::thread poster([&] {
    for (int i = 0; !stop; ++i) {
      Post();
      if (i % 4 == 0) CWork::Queue(own, 1, 0);
      Sleep(i % 8 == 0);
    }
  });
  for (Orv::CEventTimer& timer : timers) timer.Start(1, 1, false);
  timers[0].Wait();
  {
    tSmartPtr<Orv::IThreadPool> brief;  // released while its items still queue follow-ups
    Orv::CreateThreadPool(brief.Receive(), 2);
    for (int i = 0; i < 4; ++i) CWork::Queue(brief, 2, 1 + random() % 2);
    Sleep(random() % 3);
  }
  Sleep(random() % 4);

  delete init;  // with all of the above in flight

  stop = true;
  poster.join();
  own = nullptr;
  for (Orv::CEventTimer& timer : timers) {
    Tally* tally = g_timers.New();
    timer.Stop();
    if (!timer.Running() && !timer.IsValid()) ++tally->completed;  // stopped for good
  }
  objects.clear();
  data.clear();
  package = nullptr;
  bool exact = g_items.Report("work items") & g_loads.Report("data loads") & g_objects.Report("object loads") &
               g_posts.Report("posts") & g_timers.Report("timers");
  return exact ? 0 : 1;
}

}  // namespace Host

int main() { return Host::Main(); }
