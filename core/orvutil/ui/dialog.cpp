// CDialog and CListenedDialog: modal and modeless dialogs from templates, attached to their object
// through the dialog's user slot.
#include <windows.h>

#include "orvutil/ui/dialog.h"
#include "orvutil/ui/geometry.h"
#include "orvutil/ui/messageloop.h"

namespace Orv {

namespace {

CDialog* AttachedDialog(HWND hwnd) {
  return reinterpret_cast<CDialog*>(::GetWindowLongPtrW(hwnd, DWLP_USER));
}

}  // namespace

// Only modeless dialogs are destroyed here. A dialog that is still attached afterwards (a modal one,
// one taken off the modeless list, or one of another thread) stops pointing at this object.
CDialog::~CDialog() {
  if (m_hwnd && IsModelessDialog(m_hwnd)) ::DestroyWindow(m_hwnd);
  if (m_hwnd) Detach();
}

void CDialog::Detach() {
  ::SetWindowLongPtrW(m_hwnd, DWLP_USER, 0);
  RemoveModelessDialog(m_hwnd);
  m_hwnd = nullptr;
}

LRESULT CDialog::WindowProc(HWND, UINT, WPARAM, LPARAM) {
  return 0;
}

LRESULT CDialog::DoDefault(HWND, UINT, WPARAM, LPARAM) {
  return 0;
}

// EndDialog only hides a modeless dialog; it is destroyed instead, which also takes it off the
// modeless list.
INT_PTR CDialog::DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM) {
  switch (msg) {
    case WM_INITDIALOG:
      return TRUE;
    case WM_COMMAND: {
      WORD command = LOWORD(wParam);
      if (command != IDOK && command != IDCANCEL) break;
      if (IsModelessDialog(hwnd)) {
        ::DestroyWindow(hwnd);
      } else {
        ::EndDialog(hwnd, command);
      }
      return 0;
    }
    case WM_DESTROY:
      RemoveModelessDialog(hwnd);
      break;
  }
  return 0;
}

// Attaches the object passed to the dialog on WM_INITDIALOG, centres the dialog on its parent,
// routes the messages to the object and lets go of it after WM_NCDESTROY.
INT_PTR CALLBACK CDialog::BaseDialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  CDialog* dialog = AttachedDialog(hwnd);
  if (!dialog && msg == WM_INITDIALOG) {
    dialog = reinterpret_cast<CDialog*>(lParam);
    if (dialog) {
      dialog->m_hwnd = hwnd;
      ::SetWindowLongPtrW(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(dialog));
      CenterWindow(hwnd, ::GetParent(hwnd));
    }
  }
  if (!dialog) return 0;
  INT_PTR result = dialog->DialogProc(hwnd, msg, wParam, lParam);
  if (msg == WM_NCDESTROY) {
    // Also when a derived class kept WM_DESTROY from CDialog::DialogProc.
    RemoveModelessDialog(hwnd);
    ::SetWindowLongPtrW(hwnd, DWLP_USER, 0);
    dialog->m_hwnd = nullptr;
    dialog->PostNcDestroy();
  }
  return result;
}

INT_PTR CDialog::Create(wchar_t const* templateName, HWND parent, HINSTANCE instance, bool modal) {
  INT_PTR failure = modal ? -1 : 0;
  if (m_hwnd || !templateName) return failure;
  LPARAM self = reinterpret_cast<LPARAM>(this);
  if (modal) return ::DialogBoxParamW(instance, templateName, parent, BaseDialogProc, self);
  HWND hwnd = ::CreateDialogParamW(instance, templateName, parent, BaseDialogProc, self);
  if (!hwnd) return failure;
  // A dialog whose class does not pass WM_INITDIALOG on is not attached: do not leak it.
  if (m_hwnd != hwnd) {
    ::DestroyWindow(hwnd);
    return failure;
  }
  AddModelessDialog(hwnd);
  return 1;
}

INT_PTR CDialog::Create(UINT templateId, HWND parent, HINSTANCE instance, bool modal) {
  return Create(MAKEINTRESOURCEW(templateId), parent, instance, modal);
}

INT_PTR CListenedDialog::DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (m_listener) {
    INT_PTR result = 0;
    if (m_listener->ProcessMessage(hwnd, msg, wParam, lParam, result)) return result;
  }
  return CDialog::DialogProc(hwnd, msg, wParam, lParam);
}

}  // namespace Orv
