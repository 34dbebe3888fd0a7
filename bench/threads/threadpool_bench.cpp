// 100,000 trivial work items through a CThreadPool, completions delivered on the main thread,
// against the same number of callbacks through the Win32 thread pool with a completion counter.
#include <windows.h>

#include "../harness.h"
#include "library.h"
#include "orvutil/com.h"
#include "orvutil/threads.h"

namespace {

constexpr long kItems = 100000;

volatile LONG g_runs = 0;

class CTrivialItem : public Orv::IWorkItem {
 public:
  void Run() override { ::InterlockedIncrement(&g_runs); }
};

struct SWin32Batch {
  volatile LONG remaining = 0;
  HANDLE done = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
};

void CALLBACK Win32Callback(PTP_CALLBACK_INSTANCE, void* context) {
  auto* batch = static_cast<SWin32Batch*>(context);
  if (::InterlockedDecrement(&batch->remaining) == 0) ::SetEvent(batch->done);
}

}  // namespace

ORV_CLASS_GUID(CTrivialItem, 0xc38d2fa3, 0x4fd9, 0x49e1, 0xa1, 0x86, 0xd1, 0x8e, 0x9f, 0x15, 0x22, 0x12)

ORV_BENCHMARK(ThreadPool100kItems) {
  ThreadsBench::StartLibrary();
  Orv::tSmartPtr<Orv::IThreadPool> pool;
  Orv::CreateThreadPool(pool.Receive(), 0);
  auto ours = [&] {
    for (long i = 0; i < kItems; ++i) {
      CTrivialItem* item = nullptr;
      Orv::CComObject<CTrivialItem>::CreateObject(nullptr, &item);
      pool->AddWorkItem(item);
      item->Release();
    }
    pool->WaitForAllWork();
    Orv::FlushMainThreadFunctions();  // the posted deliveries, already done by the wait
  };
  SWin32Batch batch;
  auto peer = [&] {
    batch.remaining = kItems;
    ::ResetEvent(batch.done);
    for (long i = 0; i < kItems; ++i) ::TrySubmitThreadpoolCallback(&Win32Callback, &batch, nullptr);
    ::WaitForSingleObject(batch.done, INFINITE);
  };
  OrvBench::Compare("threadpool.100k_items_completed", "TrySubmitThreadpoolCallback", ours, peer);
  ::CloseHandle(batch.done);
}
