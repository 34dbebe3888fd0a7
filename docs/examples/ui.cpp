// Windows: a window object over the library's blank window class that counts timer ticks, closes
// itself after three and ends the program's message loop.
#include <cstdio>

#include "orvutil/orvutil.h"

ORV_DEFINE_MODULE(Orv::CModule)

namespace {

class CTickWindow : public Orv::CCustomWindow {
 public:
  int ticks = 0;

  LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override {
    switch (msg) {
      case WM_CREATE:
        ::SetTimer(hwnd, 1, 50, nullptr);
        break;
      case WM_TIMER:
        if (++ticks == 3) ::DestroyWindow(hwnd);
        return 0;
      case WM_DESTROY:
        ::KillTimer(hwnd, 1);
        ::PostQuitMessage(0);
        break;
    }
    return CCustomWindow::WindowProc(hwnd, msg, wParam, lParam);
  }
  // The window is gone; the object could delete itself here.
  void PostNcDestroy() override { std::printf("window gone after %d ticks\n", ticks); }
};

}  // namespace

int main() {
  Orv::CWinMainInit init(Orv::eWinMainComApartment | Orv::eWinMainCommonControls);
  if (!init.Success()) return 1;

  CTickWindow window;  // lives on this thread, which created it
  if (!window.CreateBlank(L"orvutil example", nullptr, WS_OVERLAPPEDWINDOW, 0, CW_USEDEFAULT, CW_USEDEFAULT, 320,
                          200)) {
    return 1;
  }
  Orv::CenterWindow(window, nullptr);
  ::ShowWindow(window, SW_SHOWNORMAL);
  Orv::tRect<int> client = Orv::GetClientRect(window);
  std::printf("client area %d x %d\n", client.right - client.left, client.bottom - client.top);

  while (Orv::WaitForMessage()) {
  }
  return window.ticks == 3 && !window.GetHwnd() ? 0 : 1;
}
