// Window objects: attaching and detaching (also of listened windows), class registration,
// message-only and blank windows, and subclassing; window text of any length, show/enable only on change, and capture
// release.
#include "orvutil/com.h"
#include "ui_test_support.h"

namespace UiTests {
namespace {

using Orv::CCustomWindow;

// The object's window: one of a class the library serves, or a subclassed system "STATIC" one.
bool Make(CCustomWindow& window) {
  HINSTANCE instance = ::GetModuleHandleW(nullptr);
  return CCustomWindow::CreateClass(L"OrvUiTests.Window", 0, instance) &&
         window.Create(L"OrvUiTests.Window", L"test", nullptr, WS_POPUP, 0, 0, 0, 100, 80, instance);
}
bool Make(Orv::CStdWindow& window) {
  return window.Create(L"STATIC", L"", nullptr, WS_POPUP, 0, 0, 0, 40, 20, nullptr);
}

template <class TWindow>
class WindowLifetime : public ::testing::Test {};
using WindowKinds = ::testing::Types<CRecordingWindow, CRecordingStdWindow, tRecordingWindow<Orv::CListenedWindow>>;
TYPED_TEST_SUITE(WindowLifetime, WindowKinds);

// Attached on creation (seeing one WM_CREATE) and holding one window; detached once after
// WM_NCDESTROY; a refused WM_CREATE keeps no window; the window goes with its object.
TYPED_TEST(WindowLifetime, AttachesOnCreationAndDetachesOnceAfterNcDestroy) {
  TypeParam window, refusing;
  ASSERT_TRUE(Make(window));
  HWND hwnd = window.GetHwnd();
  EXPECT_TRUE(::IsWindow(hwnd) && window.CountOf(WM_CREATE) == 1 && !Make(window));
  EXPECT_TRUE(::DestroyWindow(hwnd) && !window.GetHwnd() && window.postNcDestroyCount == 1);
  EXPECT_EQ(UINT(WM_NCDESTROY), window.messages.back());
  refusing.refuseCreate = true;
  EXPECT_FALSE(Make(refusing) || refusing.GetHwnd() || ::IsWindow(refusing.lastHwnd) ||
               refusing.postNcDestroyCount != 1);
  {
    TypeParam scoped;
    ASSERT_TRUE(Make(scoped));
    hwnd = scoped.GetHwnd();
  }
  EXPECT_FALSE(::IsWindow(hwnd));
}

// Class names end at 255 characters and longer ones fail everywhere (registering a class again
// succeeds: Make does it each time). A class the library does not serve cannot attach the object:
// that window is not kept. Message windows and blank windows use the library's classes.
TEST(CustomWindow, OverlongNamesFailAndLibraryClassesServe) {
  HINSTANCE instance = ::GetModuleHandleW(nullptr);
  std::wstring name(256, L'y');
  CRecordingWindow custom, blank, message;
  CRecordingStdWindow standard;
  EXPECT_TRUE(CCustomWindow::CreateClass(name.c_str() + 1, 0, instance));  // 255 characters
  EXPECT_FALSE(CCustomWindow::CreateClass(nullptr, 0, instance) || CCustomWindow::CreateClass(L"", 0, instance) ||
               CCustomWindow::CreateClass(name.c_str(), 0, instance) ||
               custom.Create(name.c_str(), L"", nullptr, WS_POPUP, 0, 0, 0, 1, 1, instance) ||
               custom.CreateMessageWindow(name.c_str()) ||
               standard.Create(name.c_str(), L"", nullptr, WS_POPUP, 0, 0, 0, 1, 1, instance));
  EXPECT_FALSE(custom.Create(L"STATIC", L"OrvUiTests foreign", nullptr, WS_POPUP, 0, 0, 0, 10, 10, nullptr) ||
               ::FindWindowW(L"STATIC", L"OrvUiTests foreign"));
  ASSERT_TRUE(message.CreateMessageWindow(L"", L"OrvUiTests message"));  // an empty name: the default class
  EXPECT_EQ(::FindWindowExW(HWND_MESSAGE, nullptr, CCustomWindow::GetMessageWindowClassName(), L"OrvUiTests message"),
            message.GetHwnd());
  ASSERT_TRUE(blank.CreateBlank(L"blank", nullptr, WS_POPUP, 0, 0, 0, 50, 50));
  EXPECT_EQ(Orv::GetOrvutilInstance(), HINSTANCE(::GetWindowLongPtrW(blank, GWLP_HINSTANCE)));
}

// The previous procedure is back, and the user data cleared, by the time PostNcDestroy runs. A
// subclassed custom window sees no second WM_CREATE: the subclass answers the one it sends.
TEST(StdWindow, SubclassesForwardsAndRestoresThePreviousProcedure) {
  CPlainWindow plain(0, 0, 40, 20), other(0, 0, 40, 20);
  LONG_PTR original = ::GetWindowLongPtrW(plain, GWLP_WNDPROC);
  CRecordingStdWindow window, second, subclass;
  EXPECT_FALSE(window.Subclass(nullptr) || window.Subclass(reinterpret_cast<HWND>(0x7FFF0)));
  ASSERT_TRUE(window.Subclass(plain));
  EXPECT_FALSE(second.Subclass(plain) || window.Subclass(other));  // one object per window, one window per object
  EXPECT_EQ(reinterpret_cast<LONG_PTR>(window.GetPreviousProc()), original);
  EXPECT_EQ(::GetWindowLongPtrW(plain, GWLP_USERDATA), reinterpret_cast<LONG_PTR>(&window));
  EXPECT_TRUE(::SetWindowTextW(plain, L"static text") && Orv::GetWindowTextW(plain) == L"static text");
  ::DestroyWindow(plain);
  EXPECT_TRUE(!window.GetPreviousProc() && window.procAfterDetach == original && window.userDataAfterDetach == 0);
  CRecordingWindow custom;
  ASSERT_TRUE(Make(custom) && subclass.Subclass(custom));
  EXPECT_EQ(1u, custom.CountOf(WM_CREATE));
}

TEST(WindowHelpers, TextVisibilityEnablingAndCapture) {
  CPlainWindow parent(0, 0, 100, 100), other(0, 0, 10, 10);
  HWND child = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 10, 10, parent, HMENU(77), nullptr, nullptr);
  Orv::tstring text = Orv::tstring(1000, L'q') + L"\u00e9nd";
  ASSERT_TRUE(::SetWindowTextW(child, text.c_str()));
  EXPECT_TRUE(text == Orv::GetWindowTextW(child) && text == Orv::GetDialogItemText(parent, 77));
  EXPECT_TRUE(Orv::GetWindowTextW(nullptr).empty() && Orv::GetDialogItemText(parent, 12345).empty());
  // Each call reports whether it changed anything; a child of a hidden parent is visible itself.
  ::EnableWindow(child, FALSE);
  for (bool (*ensure)(HWND, bool) : {Orv::EnsureWindowVisible, Orv::EnsureWindowEnabled})
    EXPECT_TRUE(ensure(child, true) && !ensure(child, true) && ensure(child, false) && !ensure(nullptr, true));
  EXPECT_TRUE(!::IsWindowEnabled(child) && !(::GetWindowLongPtrW(child, GWL_STYLE) & WS_VISIBLE));
  ::SetCapture(parent);
  EXPECT_FALSE(Orv::ReleaseCapture(other) || Orv::ReleaseCapture(nullptr) || ::GetCapture() != parent);
  EXPECT_TRUE(Orv::ReleaseCapture(parent) && !::GetCapture());
}

}  // namespace
}  // namespace UiTests
