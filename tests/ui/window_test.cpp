// Window objects: attaching and detaching, class registration, message-only and blank windows,
// listeners and subclassing.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "orvutil/com.h"
#include "orvutil/ui.h"
#include "ui_test_support.h"

namespace UiTests {
namespace {

using Orv::CCustomWindow;
using Orv::CStdWindow;

wchar_t const kTestClass[] = L"OrvUiTests.Window";

bool CreateTestWindow(CCustomWindow& window) {
  HINSTANCE instance = ::GetModuleHandleW(nullptr);
  return CCustomWindow::CreateClass(kTestClass, 0, instance) &&
         window.Create(kTestClass, L"test", nullptr, WS_POPUP, 0, 0, 0, 100, 80, instance);
}

std::wstring ClassOf(HWND hwnd) {
  wchar_t name[300] = {};
  ::GetClassNameW(hwnd, name, 300);
  return name;
}

TEST(CustomWindow, AttachesOnCreationAndDetachesOnceAfterNcDestroy) {
  CRecordingWindow window;
  ASSERT_TRUE(CreateTestWindow(window));
  HWND hwnd = window.GetHwnd();
  EXPECT_EQ(hwnd, static_cast<HWND>(window));
  EXPECT_EQ(::GetWindowLongPtrW(hwnd, 0), reinterpret_cast<LONG_PTR>(&window));
  EXPECT_EQ(1u, window.CountOf(WM_NCCREATE));
  EXPECT_EQ(1u, window.CountOf(WM_CREATE));
  EXPECT_FALSE(CreateTestWindow(window));  // one window per object
  EXPECT_EQ(hwnd, window.GetHwnd());

  EXPECT_TRUE(::DestroyWindow(hwnd));
  EXPECT_EQ(nullptr, window.GetHwnd());
  EXPECT_EQ(1, window.postNcDestroyCount);
  EXPECT_EQ(static_cast<UINT>(WM_NCDESTROY), window.messages.back());
}

// Deletes itself in PostNcDestroy, as heap-allocated windows do.
class CSelfDeletingWindow : public CCustomWindow {
 public:
  explicit CSelfDeletingWindow(int& destructions) : m_destructions(destructions) {}
  ~CSelfDeletingWindow() override { ++m_destructions; }
  void PostNcDestroy() override { delete this; }

 private:
  int& m_destructions;
};

TEST(CustomWindow, DestructorDestroysTheWindowAndPostNcDestroyMayDeleteTheObject) {
  HWND hwnd;
  {
    CRecordingWindow window;
    ASSERT_TRUE(CreateTestWindow(window));
    hwnd = window.GetHwnd();
  }
  EXPECT_FALSE(::IsWindow(hwnd));

  int destructions = 0;
  auto* self = new CSelfDeletingWindow(destructions);
  ASSERT_TRUE(CreateTestWindow(*self));
  ::DestroyWindow(self->GetHwnd());
  EXPECT_EQ(1, destructions);
}

class CRefusingWindow : public CRecordingWindow {
 public:
  LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override {
    LRESULT result = CRecordingWindow::WindowProc(hwnd, msg, wParam, lParam);
    return msg == WM_CREATE ? -1 : result;
  }
};

TEST(CustomWindow, FailedCreationLeavesNoWindow) {
  CRefusingWindow refusing;
  EXPECT_FALSE(CreateTestWindow(refusing));
  EXPECT_EQ(nullptr, refusing.GetHwnd());
  EXPECT_EQ(1, refusing.postNcDestroyCount);

  // A class the library does not serve cannot attach the object: the window is not kept.
  CRecordingWindow foreign;
  wchar_t const title[] = L"OrvUiTests foreign class window";
  EXPECT_FALSE(foreign.Create(L"STATIC", title, nullptr, WS_POPUP, 0, 0, 0, 10, 10, nullptr));
  EXPECT_EQ(nullptr, ::FindWindowW(L"STATIC", title));
  EXPECT_FALSE(foreign.Create(nullptr, title, nullptr, WS_POPUP, 0, 0, 0, 10, 10, nullptr));
}

// A class is registered once; names end at 255 characters and longer ones fail everywhere.
TEST(CustomWindow, ClassesRegisterOnceAndOverlongNamesFail) {
  HINSTANCE instance = ::GetModuleHandleW(nullptr);
  ASSERT_TRUE(CCustomWindow::CreateClass(L"OrvUiTests.ClassInfo", CS_HREDRAW, instance));
  EXPECT_TRUE(CCustomWindow::CreateClass(L"OrvUiTests.ClassInfo", CS_VREDRAW, instance));
  WNDCLASSEXW info = {};
  info.cbSize = sizeof(info);
  ASSERT_TRUE(::GetClassInfoExW(instance, L"OrvUiTests.ClassInfo", &info));
  EXPECT_EQ(static_cast<UINT>(CS_HREDRAW), info.style);
  EXPECT_FALSE(CCustomWindow::CreateClass(nullptr, 0, instance) || CCustomWindow::CreateClass(L"", 0, instance));
  EXPECT_TRUE(CCustomWindow::CreateClass(std::wstring(255, L'x').c_str(), 0, instance));
  std::wstring name(256, L'y');
  CRecordingWindow custom;
  CStdWindow standard;
  EXPECT_FALSE(CCustomWindow::CreateClass(name.c_str(), 0, instance) ||
               custom.Create(name.c_str(), L"", nullptr, WS_POPUP, 0, 0, 0, 1, 1, instance) ||
               custom.CreateMessageWindow(name.c_str()) ||
               standard.Create(name.c_str(), L"", nullptr, WS_POPUP, 0, 0, 0, 1, 1, instance));
}

TEST(CustomWindow, MessageOnlyAndBlankWindowsUseTheLibraryClasses) {
  EXPECT_STREQ(CCustomWindow::GetMessageWindowClassName(), L"Orv::MessageOnlyWindow");
  wchar_t const title[] = L"OrvUiTests message window";
  for (wchar_t const* name : {static_cast<wchar_t const*>(nullptr), L"", L"OrvUiTests.Messages"}) {
    std::wstring expected = name && *name ? name : L"Orv::MessageOnlyWindow";
    CRecordingWindow window;
    ASSERT_TRUE(window.CreateMessageWindow(name, title));
    EXPECT_EQ(expected, ClassOf(window.GetHwnd()));
    EXPECT_EQ(::FindWindowExW(HWND_MESSAGE, nullptr, expected.c_str(), title), window.GetHwnd());
  }
  CRecordingWindow blank;
  ASSERT_TRUE(blank.CreateBlank(L"blank", nullptr, WS_POPUP, 0, 0, 0, 50, 50));
  EXPECT_EQ(L"BlankCustomWindow", ClassOf(blank.GetHwnd()));
  EXPECT_TRUE(::GetClassLongPtrW(blank.GetHwnd(), GCL_STYLE) & CS_DBLCLKS);
  EXPECT_EQ(reinterpret_cast<HCURSOR>(::GetClassLongPtrW(blank.GetHwnd(), GCLP_HCURSOR)),
            ::LoadCursorW(nullptr, IDC_ARROW));
  EXPECT_EQ(reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(blank.GetHwnd(), GWLP_HINSTANCE)),
            Orv::GetOrvutilInstance());
}

// Answers kAnswered with 42 and claims kSilent without setting a result; leaves the rest.
class CAnsweringListener : public Orv::IWindowProcListener {
 public:
  static constexpr UINT kAnswered = WM_APP + 100;
  static constexpr UINT kSilent = WM_APP + 101;
  bool ProcessMessage(HWND, UINT msg, WPARAM, LPARAM, LRESULT& result) override {
    if (msg == kAnswered) result = 42;
    return msg == kAnswered || msg == kSilent;
  }
};

TEST(ListenedWindow, ListenerAnswersFirstAndTheRestGoesToTheDefault) {
  Orv::CListenedWindow window;
  CAnsweringListener listener;
  ASSERT_TRUE(window.CreateMessageWindow());
  HWND hwnd = window.GetHwnd();
  EXPECT_EQ(0, ::SendMessageW(hwnd, CAnsweringListener::kAnswered, 0, 0));  // no listener yet
  window.SetListener(&listener);
  EXPECT_EQ(42, ::SendMessageW(hwnd, CAnsweringListener::kAnswered, 0, 0));
  EXPECT_EQ(0, ::SendMessageW(hwnd, CAnsweringListener::kSilent, 0, 0));
  EXPECT_TRUE(::SetWindowTextW(hwnd, L"kept by the default procedure"));
  EXPECT_EQ(L"kept by the default procedure", Orv::GetWindowTextW(hwnd));
}

// Records what a subclassed window sends to the object, and the window's state when let go.
class CRecordingStdWindow : public CStdWindow {
 public:
  LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override {
    messages.push_back(msg);
    if (msg == WM_CREATE) {
      auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
      createClass = create ? create->lpszClass : L"";
      if (refuseCreate) return -1;
    }
    if (msg == WM_NCDESTROY) destroyedHwnd = hwnd;
    return CStdWindow::WindowProc(hwnd, msg, wParam, lParam);
  }
  void PostNcDestroy() override {
    ++postNcDestroyCount;
    procAfterDetach = ::GetWindowLongPtrW(destroyedHwnd, GWLP_WNDPROC);
    userDataAfterDetach = ::GetWindowLongPtrW(destroyedHwnd, GWLP_USERDATA);
  }

  std::vector<UINT> messages;
  std::wstring createClass;
  bool refuseCreate = false;
  HWND destroyedHwnd = nullptr;
  int postNcDestroyCount = 0;
  LONG_PTR procAfterDetach = 0;
  LONG_PTR userDataAfterDetach = -1;
};

TEST(StdWindow, SubclassesForwardsAndRestoresThePreviousProcedure) {
  CPlainWindow plain(0, 0, 40, 20);
  LONG_PTR original = ::GetWindowLongPtrW(plain, GWLP_WNDPROC);
  CRecordingStdWindow window;
  ASSERT_TRUE(window.Subclass(plain));
  EXPECT_EQ(reinterpret_cast<LONG_PTR>(window.GetPreviousProc()), original);
  EXPECT_EQ(::GetWindowLongPtrW(plain, GWLP_USERDATA), reinterpret_cast<LONG_PTR>(&window));
  ASSERT_EQ(std::vector<UINT>{WM_CREATE}, window.messages);
  EXPECT_EQ(0, _wcsicmp(window.createClass.c_str(), L"STATIC"));
  // The static control's own procedure still keeps the text.
  EXPECT_TRUE(::SetWindowTextW(plain, L"static text"));
  EXPECT_EQ(L"static text", Orv::GetWindowTextW(plain));

  ::DestroyWindow(plain);
  EXPECT_EQ(nullptr, window.GetHwnd());
  EXPECT_EQ(nullptr, window.GetPreviousProc());
  EXPECT_EQ(1, window.postNcDestroyCount);
  EXPECT_EQ(original, window.procAfterDetach);
  EXPECT_EQ(0, window.userDataAfterDetach);
}

TEST(StdWindow, SubclassRefusesBadTargetsASecondObjectAndWmCreateRefusal) {
  CPlainWindow plain(0, 0, 40, 20);
  CPlainWindow other(0, 0, 40, 20);
  CRecordingStdWindow first;
  CRecordingStdWindow second;
  EXPECT_FALSE(first.Subclass(nullptr));
  EXPECT_FALSE(first.Subclass(reinterpret_cast<HWND>(0x7FFF0)));
  ASSERT_TRUE(first.Subclass(plain));
  EXPECT_FALSE(second.Subclass(plain));
  EXPECT_EQ(::GetWindowLongPtrW(plain, GWLP_USERDATA), reinterpret_cast<LONG_PTR>(&first));
  EXPECT_FALSE(first.Subclass(other));

  CRecordingStdWindow refusing;
  refusing.refuseCreate = true;
  EXPECT_FALSE(refusing.Create(L"STATIC", L"", nullptr, WS_POPUP, 0, 0, 0, 10, 10, nullptr));
  EXPECT_FALSE(::IsWindow(refusing.destroyedHwnd));
  EXPECT_EQ(1, refusing.postNcDestroyCount);
}

TEST(StdWindow, SubclassingACustomWindowChainsBothObjects) {
  CRecordingWindow custom;
  ASSERT_TRUE(CreateTestWindow(custom));
  CRecordingStdWindow subclass;
  ASSERT_TRUE(subclass.Subclass(custom.GetHwnd()));
  ::SendMessageW(custom.GetHwnd(), WM_APP + 7, 0, 0);
  EXPECT_EQ(1u, custom.CountOf(WM_APP + 7));
  EXPECT_EQ(1u, custom.CountOf(WM_CREATE));  // the subclass answered the second WM_CREATE itself
  ::DestroyWindow(custom.GetHwnd());
  EXPECT_EQ(1, subclass.postNcDestroyCount);
  EXPECT_EQ(1, custom.postNcDestroyCount);
  EXPECT_EQ(nullptr, custom.GetHwnd());
  HWND edit;
  {
    CRecordingStdWindow window;  // a subclassed system window, destroyed with the object
    ASSERT_TRUE(window.Create(L"EDIT", L"edit text", nullptr, WS_POPUP, 0, 0, 0, 80, 20, nullptr));
    edit = window.GetHwnd();
    EXPECT_EQ(L"edit text", Orv::GetWindowTextW(edit));
  }
  EXPECT_FALSE(::IsWindow(edit));
}

}  // namespace
}  // namespace UiTests
