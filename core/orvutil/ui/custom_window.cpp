// CWindow, CCustomWindow and CListenedWindow: windows of classes served by the library's window
// procedure, with the object pointer in the window's extra bytes.
#include <windows.h>

#include "orvutil/com/module.h"
#include "orvutil/ui/window.h"
#include "class_name.h"

namespace Orv {

namespace {

constexpr wchar_t kBlankClassName[] = L"BlankCustomWindow";
constexpr wchar_t kMessageWindowClassName[] = L"Orv::MessageOnlyWindow";
// The extra bytes hold one pointer, at offset 0.
constexpr int kObjectSlot = 0;

CCustomWindow* AttachedObject(HWND hwnd) {
  return reinterpret_cast<CCustomWindow*>(::GetWindowLongPtrW(hwnd, kObjectSlot));
}

}  // namespace

CWindow::~CWindow() = default;

// Windows can only be destroyed by their own thread: when that fails, the window at least stops
// pointing at this object.
CCustomWindow::~CCustomWindow() {
  if (!m_hwnd) return;
  HWND hwnd = m_hwnd;
  if (!::DestroyWindow(hwnd) && m_hwnd) {
    ::SetWindowLongPtrW(hwnd, kObjectSlot, 0);
    m_hwnd = nullptr;
  }
}

LRESULT CCustomWindow::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return DoDefault(hwnd, msg, wParam, lParam);
}

LRESULT CCustomWindow::DoDefault(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return ::DefWindowProcW(hwnd, msg, wParam, lParam);
}

// Attaches the creating object on WM_NCCREATE, routes every message to the attached object and
// lets go of it after WM_NCDESTROY.
LRESULT CALLBACK CCustomWindow::BaseWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  CCustomWindow* window = AttachedObject(hwnd);
  if (!window && msg == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    window = create ? static_cast<CCustomWindow*>(create->lpCreateParams) : nullptr;
    if (window) {
      window->m_hwnd = hwnd;
      ::SetWindowLongPtrW(hwnd, kObjectSlot, reinterpret_cast<LONG_PTR>(window));
    }
  }
  if (!window) return ::DefWindowProcW(hwnd, msg, wParam, lParam);
  LRESULT result = window->WindowProc(hwnd, msg, wParam, lParam);
  if (msg == WM_NCDESTROY) {
    ::SetWindowLongPtrW(hwnd, kObjectSlot, 0);
    window->m_hwnd = nullptr;
    window->PostNcDestroy();
  }
  return result;
}

bool CCustomWindow::CreateClass(wchar_t const* name, UINT style, HINSTANCE instance, HCURSOR cursor, HBRUSH background,
                                wchar_t const* menuName, HICON icon, HICON smallIcon) {
  if (!Detail::IsClassNameString(name)) return false;
  WNDCLASSEXW existing = {};
  existing.cbSize = sizeof(existing);
  if (::GetClassInfoExW(instance, name, &existing)) return true;
  WNDCLASSEXW info = {};
  info.cbSize = sizeof(info);
  info.style = style;
  info.lpfnWndProc = BaseWindowProc;
  info.cbClsExtra = 0;
  info.cbWndExtra = sizeof(void*);
  info.hInstance = instance;
  info.hIcon = icon;
  info.hCursor = cursor;
  info.hbrBackground = background;
  info.lpszMenuName = menuName;
  info.lpszClassName = name;
  info.hIconSm = smallIcon;
  return ::RegisterClassExW(&info) != 0;
}

bool CCustomWindow::Create(wchar_t const* className, wchar_t const* title, HWND parent, DWORD style, DWORD exStyle,
                           int x, int y, int width, int height, HINSTANCE instance, HMENU menu) {
  if (m_hwnd || !Detail::IsUsableClassName(className)) return false;
  HWND hwnd = ::CreateWindowExW(exStyle, className, title, style, x, y, width, height, parent, menu, instance, this);
  // A class not served by the library leaves the object without the window: do not leak it.
  if (hwnd && m_hwnd != hwnd) {
    ::DestroyWindow(hwnd);
    return false;
  }
  return m_hwnd != nullptr;
}

bool CCustomWindow::CreateBlank(wchar_t const* title, HWND parent, DWORD style, DWORD exStyle, int x, int y, int width,
                                int height, HMENU menu) {
  HINSTANCE instance = GetOrvutilInstance();
  if (!CreateClass(kBlankClassName, CS_DBLCLKS, instance, ::LoadCursorW(nullptr, IDC_ARROW))) return false;
  return Create(kBlankClassName, title, parent, style, exStyle, x, y, width, height, instance, menu);
}

bool CCustomWindow::CreateMessageWindow(wchar_t const* className, wchar_t const* title) {
  wchar_t const* name = className && *className ? className : kMessageWindowClassName;
  HINSTANCE instance = GetOrvutilInstance();
  if (!CreateClass(name, 0, instance)) return false;
  return Create(name, title, HWND_MESSAGE, 0, 0, 0, 0, 0, 0, instance);
}

wchar_t const* CCustomWindow::GetMessageWindowClassName() {
  return kMessageWindowClassName;
}

LRESULT CListenedWindow::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (m_listener) {
    LRESULT result = 0;
    if (m_listener->ProcessMessage(hwnd, msg, wParam, lParam, result)) return result;
  }
  return DoDefault(hwnd, msg, wParam, lParam);
}

}  // namespace Orv
