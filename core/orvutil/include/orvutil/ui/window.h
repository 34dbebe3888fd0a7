// Window objects: a thin object layer over Win32 windows.
//
// CWindow holds a window handle and receives the window's messages through WindowProc. CCustomWindow
// windows are created from classes registered by the library (the object pointer lives in the
// window's extra bytes); CStdWindow subclasses windows of existing classes; CListenedWindow lets a
// listener see every message first. Windows belong to the thread that created them: create, use and
// destroy an object on that thread.
//
// An object holds at most one window. When the window goes (its last message, WM_NCDESTROY, has been
// handled), the object lets go of it and PostNcDestroy runs, so a derived class may delete itself
// there. Destroying an object destroys the window it still holds; messages sent during that reach
// the class whose destructor is running, so a derived class that wants to see WM_DESTROY destroys
// the window in its own destructor.
#pragma once

#include <windows.h>

#include "orvutil/export.h"

namespace Orv {

class ORV_API CWindow {
 public:
  CWindow() = default;
  virtual ~CWindow();
  CWindow(const CWindow&) = delete;
  CWindow& operator=(const CWindow&) = delete;

  virtual LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) = 0;
  virtual LRESULT DoDefault(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) = 0;
  // Called after the window's last message (WM_NCDESTROY), when the object no longer holds it.
  virtual void PostNcDestroy() {}

  HWND GetHwnd() const { return m_hwnd; }
  operator HWND() const { return m_hwnd; }
  static HWND MemberToWindow(HWND hwnd) { return hwnd; }

 protected:
  HWND m_hwnd = nullptr;
};

class ORV_API CCustomWindow : public CWindow {
 public:
  ~CCustomWindow() override;

  LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;
  LRESULT DoDefault(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;

  // Registers a window class served by the library's window procedure; true when it exists already.
  static bool CreateClass(wchar_t const* name, UINT style, HINSTANCE instance, HCURSOR cursor = nullptr,
                          HBRUSH background = nullptr, wchar_t const* menuName = nullptr, HICON icon = nullptr,
                          HICON smallIcon = nullptr);
  // Creates a window of a class made by CreateClass, attached to this object. False when the object
  // already holds a window, when creation fails, or when the class is not served by the library (a
  // window made then is destroyed again).
  bool Create(wchar_t const* className, wchar_t const* title, HWND parent, DWORD style, DWORD exStyle, int x, int y,
              int width, int height, HINSTANCE instance, HMENU menu = nullptr);
  // A window of the class "BlankCustomWindow" (double clicks, arrow cursor).
  bool CreateBlank(wchar_t const* title, HWND parent, DWORD style, DWORD exStyle, int x, int y, int width, int height,
                   HMENU menu = nullptr);
  // A message-only window of `className`, or of "Orv::MessageOnlyWindow" when it is null or empty.
  bool CreateMessageWindow(wchar_t const* className = nullptr, wchar_t const* title = nullptr);
  static wchar_t const* GetMessageWindowClassName();

 private:
  static LRESULT CALLBACK BaseWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
};

// Sees every message of a CListenedWindow before the window does.
class IWindowProcListener {
 public:
  // True when the listener handled the message and set `result` (which starts at 0).
  virtual bool ProcessMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) = 0;

 protected:
  ~IWindowProcListener() = default;
};

// A custom window whose listener (not owned; null by default) answers messages first; what the
// listener leaves goes to DoDefault.
class ORV_API CListenedWindow : public CCustomWindow {
 public:
  LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;

  void SetListener(IWindowProcListener* listener) { m_listener = listener; }
  IWindowProcListener* GetListener() const { return m_listener; }

 private:
  IWindowProcListener* m_listener = nullptr;
};

// A window of an existing (usually system) class, subclassed: the object pointer lives in the
// window's user data and the library's procedure replaces the window's, forwarding what the object
// leaves to the previous procedure. The previous procedure is put back after WM_NCDESTROY.
class ORV_API CStdWindow : public CWindow {
 public:
  ~CStdWindow() override;

  LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;
  // Answers the WM_CREATE that Subclass sends with 0; forwards everything else to the previous
  // procedure (the system default when there is none).
  LRESULT DoDefault(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;

  // Creates a window of `className` and subclasses it; false (and no window) when either fails.
  bool Create(wchar_t const* className, wchar_t const* title, HWND parent, DWORD style, DWORD exStyle, int x, int y,
              int width, int height, HINSTANCE instance, HMENU menu = nullptr);
  // Attaches the object to `hwnd` and sends it WM_CREATE; a result of -1 destroys the window. False
  // when the object already holds a window, hwnd is no window, or another object subclasses it.
  bool Subclass(HWND hwnd);

  WNDPROC GetPreviousProc() const { return m_previousProc; }

 private:
  static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

  WNDPROC m_previousProc = nullptr;
};

}  // namespace Orv
