// The process's idle master, its message filter and its timer procedure.
#include <atomic>

#include "idle_master.h"
#include "orvutil/com/module.h"
#include "orvutil/com/startup.h"

namespace Orv {

namespace {

std::atomic<CIdleMaster*> g_master{nullptr};
std::atomic<bool> g_released{false};

void ReleaseIdleMaster() {
  g_released = true;
  if (CIdleMaster* master = g_master.exchange(nullptr)) static_cast<IIdleMaster*>(master)->Release();
}

}  // namespace

namespace Detail {

bool IdleMessageFilter(MSG& msg) {
  if (CIdleMaster* master = g_master) master->OnMessage(msg);
  return false;
}

void CALLBACK IdleTimerProc(HWND, UINT, UINT_PTR timer, DWORD) {
  if (CIdleMaster* master = g_master) master->OnTimer(timer);
}

}  // namespace Detail

IIdleMaster* GetIdleMaster() {
  if (CIdleMaster* master = g_master) return master;
  if (g_released) return nullptr;
  CIdleMaster* created = nullptr;
  if (FAILED(CComObject<CIdleMaster>::CreateObject(nullptr, &created)) || !created) return nullptr;
  CIdleMaster* expected = nullptr;
  if (!g_master.compare_exchange_strong(expected, created)) {
    static_cast<IIdleMaster*>(created)->Release();
    return expected;
  }
  AtShutdown(&ReleaseIdleMaster, &GetOrvutilModule());
  return created;
}

}  // namespace Orv
