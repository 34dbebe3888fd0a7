// Dialog objects: modal and modeless dialogs from the test template, attachment, centring,
// modeless routing through the pump, and listeners.
#include "test_resources.h"
#include "ui_test_support.h"

namespace UiTests {
namespace {

// Records the state at WM_INITDIALOG and posts itself `closeWith` there. As a listener (of itself)
// it keeps IDOK and WM_DESTROY from the dialog and answers kQuery with 7.
class CScriptedDialog : public Orv::CListenedDialog, public Orv::IDialogProcListener {
 public:
  static constexpr UINT kQuery = WM_APP + 200;
  INT_PTR DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override {
    if (msg == WM_INITDIALOG) {
      heldAtInit = GetHwnd() == hwnd && ::GetWindowLongPtrW(hwnd, DWLP_USER) == reinterpret_cast<LONG_PTR>(this);
      if (closeWith) ::PostMessageW(hwnd, WM_COMMAND, closeWith, 0);
    }
    return CListenedDialog::DialogProc(hwnd, msg, wParam, lParam);
  }
  bool ProcessMessage(HWND, UINT msg, WPARAM wParam, LPARAM, INT_PTR& result) override {
    if (msg == kQuery) result = 7;
    return msg == kQuery || msg == WM_DESTROY || (msg == WM_COMMAND && LOWORD(wParam) == IDOK);
  }
  void PostNcDestroy() override { ++postNcDestroyCount; }

  int closeWith = 0, postNcDestroyCount = 0;
  bool heldAtInit = false;
};

HINSTANCE Instance() { return ::GetModuleHandleW(nullptr); }

// Attached before WM_INITDIALOG; detached when it ends, with the command that closed it.
TEST(ModalDialog, EndsWithTheCommandThatClosedIt) {
  for (int command : {IDCANCEL, IDOK}) {
    CScriptedDialog dialog;
    dialog.closeWith = command;
    EXPECT_EQ(command, dialog.Create(IDD_TEST_DIALOG, nullptr, Instance(), true));
    EXPECT_TRUE(dialog.heldAtInit && !dialog.GetHwnd() && dialog.postNcDestroyCount == 1);
  }
}

// A modeless dialog is centred on the primary work area (no parent), listed, gets Escape through the
// pump (as IDCANCEL), and goes with its object unless it was taken off the list; a missing template
// fails. The listener answers first.
TEST(ModelessDialog, IsListedRoutedThroughThePumpListenedAndDestroyedWithItsObject) {
  CScriptedDialog dialog;
  EXPECT_EQ(-1, dialog.Create(4242u, nullptr, Instance(), true));
  EXPECT_EQ(0, dialog.Create(L"NO_SUCH_DIALOG", nullptr, Instance(), false) +
                   dialog.Create(static_cast<wchar_t const*>(nullptr), nullptr, Instance(), false));
  dialog.SetListener(&dialog);
  ASSERT_EQ(1, dialog.Create(IDD_TEST_DIALOG, nullptr, Instance(), false));
  HWND hwnd = dialog.GetHwnd(), kept;
  Orv::tRect<int> work = Orv::GetWorkArea(static_cast<HWND>(nullptr)), rect = Orv::GetWindowRect(hwnd);
  Orv::tPoint<int> margin = work.Size() - rect.Size();
  EXPECT_EQ(work.TopLeft() + Orv::tPoint<int>(margin.x / 2, margin.y / 2), rect.TopLeft());
  EXPECT_TRUE(Orv::IsModelessDialog(hwnd));
  EXPECT_EQ(0, dialog.Create(IDD_TEST_DIALOG, nullptr, Instance(), false));  // holds one already
  EXPECT_EQ(7, reinterpret_cast<DLGPROC>(::GetWindowLongPtrW(hwnd, DWLP_DLGPROC))(hwnd, CScriptedDialog::kQuery, 0, 0));
  ::SendMessageW(hwnd, WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(::IsWindow(hwnd));
  ::PostMessageW(hwnd, WM_KEYDOWN, VK_ESCAPE, 0);
  Orv::HandleMessages();
  EXPECT_FALSE(::IsWindow(hwnd) || Orv::IsModelessDialog(hwnd) || dialog.GetHwnd());  // although WM_DESTROY was kept
  EXPECT_EQ(1, dialog.postNcDestroyCount);
  {
    CScriptedDialog listed, unlisted;
    ASSERT_EQ(2, listed.Create(IDD_TEST_DIALOG, nullptr, Instance(), false) +
                     unlisted.Create(IDD_TEST_DIALOG, nullptr, Instance(), false));
    hwnd = listed.GetHwnd();
    Orv::RemoveModelessDialog(kept = unlisted.GetHwnd());
  }
  EXPECT_FALSE(::IsWindow(hwnd) || Orv::IsModelessDialog(hwnd));
  ASSERT_TRUE(::IsWindow(kept));
  EXPECT_EQ(0, ::GetWindowLongPtrW(kept, DWLP_USER));
  ::SendMessageW(kept, WM_COMMAND, IDOK, 0);  // no object any more: must not reach freed memory
  ::DestroyWindow(kept);
}

}  // namespace
}  // namespace UiTests
