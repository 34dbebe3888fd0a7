// Threads: sum ranges of numbers on a pool's workers, add each part to a total under a lock, and
// collect the results on the main thread, where completions and posted functions run.
#include <cstdio>

#include "orvutil/orvutil.h"

ORV_DEFINE_MODULE(Orv::CModule)

namespace {

Orv::CCriticalSection g_totalLock;
long long g_total = 0;
int g_completed = 0;  // touched on the main thread only

// Sums [first, last] on a worker; reports on the main thread.
class CSumItem : public Orv::IWorkItem {
 public:
  void SetRange(int first, int last) {
    m_first = first;
    m_last = last;
  }
  void Run() override {
    for (int i = m_first; i <= m_last; ++i) m_sum += i;
    Orv::CScopeCriticalSection guard(g_totalLock.GetCS());
    g_total += m_sum;
  }
  void OnComplete() override {
    ++g_completed;
    std::printf("  %d..%d = %lld (main thread: %s)\n", m_first, m_last, m_sum,
                Orv::IsRunningOnMainThread() ? "yes" : "no");
  }

 private:
  int m_first = 0, m_last = 0;
  long long m_sum = 0;
};

}  // namespace

ORV_CLASS_GUID(CSumItem, 0x4e2b7d10, 0x5c3a, 0x4f81, 0x9a, 0x60, 0x2d, 0x17, 0xb8, 0x4c, 0x93, 0x05)

int main() {
  Orv::CWinMainInit init(Orv::eWinMainComApartment);
  if (!init.Success()) return 1;

  Orv::IThreadPool* pool = Orv::GetGlobalThreadPool();
  for (int part = 0; part < 4; ++part) {
    CSumItem* item = nullptr;
    if (FAILED(Orv::CComObject<CSumItem>::CreateObject(nullptr, &item))) return 1;
    item->SetRange(part * 250 + 1, part * 250 + 250);
    pool->AddWorkItem(item);       // the pool holds its own reference
    item->_GetUnknown()->Release();
  }
  pool->WaitForAllWork();  // pumps messages: the completions run here

  // Any thread may post a function to the main thread; Flush runs what is queued.
  bool posted = false;
  Orv::PostMainThreadFunction([&posted] { posted = true; });
  Orv::FlushMainThreadFunctions();

  std::printf("total %lld, %d parts completed, posted function ran: %s\n", g_total, g_completed,
              posted ? "yes" : "no");
  return g_total == 500500 && g_completed == 4 && posted ? 0 : 1;
}
