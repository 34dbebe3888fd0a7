// CStdWindow: windows of existing classes, subclassed with the object pointer in the user data.
#include <windows.h>

#include "orvutil/ui/geometry.h"
#include "orvutil/ui/window.h"
#include "class_name.h"

namespace Orv {

namespace {

CStdWindow* SubclassingObject(HWND hwnd) {
  return reinterpret_cast<CStdWindow*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

// What a handler of WM_CREATE may read, taken from the window as it is now. The strings live in
// the caller's buffers.
CREATESTRUCTW DescribeWindow(HWND hwnd, wchar_t (&className)[256], wchar_t (&title)[256]) {
  CREATESTRUCTW create = {};
  className[0] = title[0] = L'\0';
  ::GetClassNameW(hwnd, className, 256);
  ::GetWindowTextW(hwnd, title, 256);
  tRect<int> rect = GetWindowRectOnParentClient(hwnd);
  LONG_PTR style = ::GetWindowLongPtrW(hwnd, GWL_STYLE);
  create.hInstance = reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(hwnd, GWLP_HINSTANCE));
  create.hMenu = (style & WS_CHILD) ? reinterpret_cast<HMENU>(::GetWindowLongPtrW(hwnd, GWLP_ID)) : ::GetMenu(hwnd);
  create.hwndParent = ::GetParent(hwnd);
  create.x = rect.left;
  create.y = rect.top;
  create.cx = rect.Width();
  create.cy = rect.Height();
  create.style = static_cast<LONG>(style);
  create.lpszName = title;
  create.lpszClass = className;
  create.dwExStyle = static_cast<DWORD>(::GetWindowLongPtrW(hwnd, GWL_EXSTYLE));
  return create;
}

}  // namespace

// As for custom windows: a window of another thread cannot be destroyed here, so it is unhooked
// from this object instead (its previous procedure back in place).
CStdWindow::~CStdWindow() {
  if (!m_hwnd) return;
  HWND hwnd = m_hwnd;
  if (!::DestroyWindow(hwnd) && m_hwnd) {
    ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_previousProc));
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    m_hwnd = nullptr;
    m_previousProc = nullptr;
  }
}

LRESULT CStdWindow::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return DoDefault(hwnd, msg, wParam, lParam);
}

LRESULT CStdWindow::DoDefault(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_CREATE) return 0;
  if (m_previousProc) return ::CallWindowProcW(m_previousProc, hwnd, msg, wParam, lParam);
  return ::DefWindowProcW(hwnd, msg, wParam, lParam);
}

// Routes every message to the subclassing object; after WM_NCDESTROY puts the previous procedure
// back and lets go of the object.
LRESULT CALLBACK CStdWindow::SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  CStdWindow* window = SubclassingObject(hwnd);
  if (!window) return ::DefWindowProcW(hwnd, msg, wParam, lParam);
  LRESULT result = window->WindowProc(hwnd, msg, wParam, lParam);
  if (msg == WM_NCDESTROY) {
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(window->m_previousProc));
    window->m_hwnd = nullptr;
    window->m_previousProc = nullptr;
    window->PostNcDestroy();
  }
  return result;
}

bool CStdWindow::Create(wchar_t const* className, wchar_t const* title, HWND parent, DWORD style, DWORD exStyle, int x,
                        int y, int width, int height, HINSTANCE instance, HMENU menu) {
  if (m_hwnd || !Detail::IsUsableClassName(className)) return false;
  HWND hwnd = ::CreateWindowExW(exStyle, className, title, style, x, y, width, height, parent, menu, instance, nullptr);
  if (!hwnd) return false;
  if (Subclass(hwnd)) return true;
  if (::IsWindow(hwnd)) ::DestroyWindow(hwnd);
  return false;
}

bool CStdWindow::Subclass(HWND hwnd) {
  if (m_hwnd || !hwnd || !::IsWindow(hwnd)) return false;
  // A second object on the same window would overwrite the user data and forward to itself.
  LONG_PTR ourProc = reinterpret_cast<LONG_PTR>(SubclassProc);
  if (::GetWindowLongPtrW(hwnd, GWLP_WNDPROC) == ourProc) return false;
  wchar_t className[256];
  wchar_t title[256];
  CREATESTRUCTW create = DescribeWindow(hwnd, className, title);
  m_hwnd = hwnd;
  ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  LONG_PTR previous = ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, ourProc);
  if (::GetWindowLongPtrW(hwnd, GWLP_WNDPROC) != ourProc) {  // not ours to change
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    m_hwnd = nullptr;
    return false;
  }
  m_previousProc = reinterpret_cast<WNDPROC>(previous);
  if (::SendMessageW(hwnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create)) == -1) ::DestroyWindow(hwnd);
  return m_hwnd == hwnd;
}

}  // namespace Orv
