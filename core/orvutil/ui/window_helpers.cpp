// Window text as tstring, state changes only when needed, and capture release.
#include <windows.h>

#include <climits>

#include "orvutil/ui/windowhelpers.h"

namespace Orv {

// The length is a hint (it may be larger than the text); the copy tells the real length.
tstring GetWindowTextW(HWND hwnd) {
  tstring text;
  if (!hwnd) return text;
  int length = ::GetWindowTextLengthW(hwnd);
  if (length <= 0 || length == INT_MAX) return text;
  text.resize(static_cast<unsigned>(length) + 1);
  int copied = ::GetWindowTextW(hwnd, &text[0], length + 1);
  text.resize(copied > 0 && copied <= length ? static_cast<unsigned>(copied) : 0);
  return text;
}

tstring GetDialogItemText(HWND hwnd, int id) {
  return hwnd ? GetWindowTextW(::GetDlgItem(hwnd, id)) : tstring();
}

// The window's own WS_VISIBLE bit: IsWindowVisible would also look at the parents.
bool EnsureWindowVisible(HWND hwnd, bool visible) {
  if (!hwnd || !::IsWindow(hwnd)) return false;
  bool isVisible = (::GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_VISIBLE) != 0;
  if (isVisible == visible) return false;
  ::ShowWindow(hwnd, visible ? SW_SHOW : SW_HIDE);
  return true;
}

bool EnsureWindowEnabled(HWND hwnd, bool enabled) {
  if (!hwnd || !::IsWindow(hwnd)) return false;
  if ((::IsWindowEnabled(hwnd) != FALSE) == enabled) return false;
  ::EnableWindow(hwnd, enabled);
  return true;
}

bool ReleaseCapture(HWND hwnd) {
  if (!hwnd || ::GetCapture() != hwnd) return false;
  return ::ReleaseCapture() != FALSE;
}

}  // namespace Orv
