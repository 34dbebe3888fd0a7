// Dialog objects: a CDialog runs a dialog from a template, modal or modeless, and receives its
// messages through DialogProc; CListenedDialog lets a listener answer messages first.
//
// The library's dialog procedure attaches the object on WM_INITDIALOG (the object pointer lives in
// the dialog's user slot) and centres the dialog on its parent; messages before that get 0. After
// WM_NCDESTROY the object lets go of the dialog and PostNcDestroy runs. Modeless dialogs are kept
// in the pump's modeless list (IsDialogMessageW routing) until they are destroyed. Dialogs belong to
// the thread that created them.
#pragma once

#include <windows.h>

#include "orvutil/export.h"
#include "orvutil/ui/window.h"

namespace Orv {

class ORV_API CDialog : public CWindow {
 public:
  // Destroys the dialog when it is a modeless one; a modal dialog is ended by its own loop.
  ~CDialog() override;

  LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;
  LRESULT DoDefault(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;
  // Default handling: WM_INITDIALOG returns TRUE; a WM_COMMAND of IDOK or IDCANCEL ends the dialog
  // with that identifier (a modeless dialog is destroyed); WM_DESTROY takes a modeless dialog off
  // the modeless list; everything returns 0 otherwise.
  virtual INT_PTR DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

  // Modal: runs the dialog and returns its result (-1 on failure). Modeless: creates it, adds it to
  // the modeless list and returns 1 (0 on failure). Fails when the object already holds a dialog.
  INT_PTR Create(wchar_t const* templateName, HWND parent, HINSTANCE instance, bool modal);
  INT_PTR Create(UINT templateId, HWND parent, HINSTANCE instance, bool modal);

 private:
  static INT_PTR CALLBACK BaseDialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  void Detach();
};

// Sees every message of a CListenedDialog (from WM_INITDIALOG on) before the dialog does.
class IDialogProcListener {
 public:
  // True when the listener handled the message and set `result` (which starts at 0).
  virtual bool ProcessMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, INT_PTR& result) = 0;

 protected:
  ~IDialogProcListener() = default;
};

// A dialog whose listener (not owned; null by default) answers messages first; what the listener
// leaves goes to CDialog::DialogProc.
class ORV_API CListenedDialog : public CDialog {
 public:
  INT_PTR DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;

  void SetListener(IDialogProcListener* listener) { m_listener = listener; }
  IDialogProcListener* GetListener() const { return m_listener; }

 private:
  IDialogProcListener* m_listener = nullptr;
};

}  // namespace Orv
