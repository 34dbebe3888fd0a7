// Helpers shared by the ui tests: a window object that records what it receives, plain windows
// made with raw Win32 calls, and queue helpers.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "orvutil/ui.h"
#include "../foundation/tstring_print.h"

namespace Orv {
// Readable points and rectangles in failure messages.
inline void PrintTo(tPoint<int> const& p, std::ostream* os) {
  *os << '(' << p.x << ", " << p.y << ')';
}
inline void PrintTo(tRect<int> const& r, std::ostream* os) {
  *os << '(' << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ')';
}
}  // namespace Orv

namespace UiTests {

// The first application message number of the process, taken by main before the library started.
extern UINT g_firstAppMessage;

// A custom window that records the messages it sees and how often PostNcDestroy ran.
class CRecordingWindow : public Orv::CCustomWindow {
 public:
  LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override {
    messages.push_back(msg);
    return CCustomWindow::WindowProc(hwnd, msg, wParam, lParam);
  }
  void PostNcDestroy() override { ++postNcDestroyCount; }

  size_t CountOf(UINT msg) const {
    size_t count = 0;
    for (UINT seen : messages) count += seen == msg;
    return count;
  }

  std::vector<UINT> messages;
  int postNcDestroyCount = 0;
};

// A hidden top-level popup (or a child of `parent`) of the system "STATIC" class, made without the
// code under test; destroyed with the object.
class CPlainWindow {
 public:
  CPlainWindow(int x, int y, int width, int height, DWORD style = WS_POPUP, HWND parent = nullptr)
      : m_hwnd(::CreateWindowExW(0, L"STATIC", L"", style | (parent ? WS_CHILD : 0), x, y, width, height, parent,
                                 nullptr, nullptr, nullptr)) {}
  ~CPlainWindow() {
    if (::IsWindow(m_hwnd)) ::DestroyWindow(m_hwnd);
  }
  CPlainWindow(const CPlainWindow&) = delete;
  CPlainWindow& operator=(const CPlainWindow&) = delete;
  operator HWND() const { return m_hwnd; }

 private:
  HWND m_hwnd;
};

// Removes the messages with this window and number from the calling thread's queue; how many.
inline int RemoveQueued(HWND hwnd, UINT msg, std::vector<WPARAM>* wParams = nullptr) {
  int count = 0;
  MSG queued;
  while (::PeekMessageW(&queued, hwnd, msg, msg, PM_REMOVE)) {
    if (wParams) wParams->push_back(queued.wParam);
    ++count;
  }
  return count;
}

// Handles everything queued for the calling thread through the pump.
inline void Pump() {
  Orv::HandleMessages();
}

}  // namespace UiTests
