// Helpers shared by the ui tests: window objects that record what they receive, plain windows
// made with raw Win32 calls, and a queue helper.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "orvutil/ui.h"
#include "../foundation/tstring_print.h"

namespace Orv {
// Readable points and rectangles in failure messages.
inline void PrintTo(tPoint<int> const& p, std::ostream* os) { *os << '(' << p.x << ", " << p.y << ')'; }
inline void PrintTo(tRect<int> const& r, std::ostream* os) {
  *os << '(' << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ')';
}
}  // namespace Orv

namespace UiTests {

// A window object that records the messages it sees, how often PostNcDestroy ran and the window's
// procedure and user data by then. It refuses WM_CREATE when told to.
template <class TBase>
class tRecordingWindow : public TBase {
 public:
  LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override {
    messages.push_back(msg);
    if (msg == WM_NCDESTROY) lastHwnd = hwnd;
    LRESULT result = TBase::WindowProc(hwnd, msg, wParam, lParam);
    return msg == WM_CREATE && refuseCreate ? -1 : result;
  }
  void PostNcDestroy() override {
    ++postNcDestroyCount;
    procAfterDetach = ::GetWindowLongPtrW(lastHwnd, GWLP_WNDPROC);
    userDataAfterDetach = ::GetWindowLongPtrW(lastHwnd, GWLP_USERDATA);
  }
  size_t CountOf(UINT msg) const { return std::count(messages.begin(), messages.end(), msg); }

  std::vector<UINT> messages;
  HWND lastHwnd = nullptr;
  bool refuseCreate = false;
  int postNcDestroyCount = 0;
  LONG_PTR procAfterDetach = 0, userDataAfterDetach = -1;
};
using CRecordingWindow = tRecordingWindow<Orv::CCustomWindow>;
using CRecordingStdWindow = tRecordingWindow<Orv::CStdWindow>;

// A hidden top-level popup (or a child of `parent`) of the system "STATIC" class, made without the
// code under test; destroyed with the object.
class CPlainWindow {
 public:
  CPlainWindow(int x, int y, int width, int height, DWORD style = WS_POPUP, HWND parent = nullptr)
      : m_hwnd(::CreateWindowExW(0, L"STATIC", L"", style | (parent ? WS_CHILD : 0), x, y, width, height, parent,
                                 nullptr, nullptr, nullptr)) {}
  ~CPlainWindow() { if (::IsWindow(m_hwnd)) ::DestroyWindow(m_hwnd); }
  CPlainWindow(const CPlainWindow&) = delete;
  CPlainWindow& operator=(const CPlainWindow&) = delete;
  operator HWND() const { return m_hwnd; }

 private:
  HWND m_hwnd;
};

// Removes the messages with this window and number from the calling thread's queue; how many.
inline int RemoveQueued(HWND hwnd, UINT msg, std::vector<WPARAM>* wParams = nullptr) {
  int count = 0;
  for (MSG queued; ::PeekMessageW(&queued, hwnd, msg, msg, PM_REMOVE); ++count)
    if (wParams) wParams->push_back(queued.wParam);
  return count;
}

}  // namespace UiTests
