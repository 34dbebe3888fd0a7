// Dialog objects: modal and modeless dialogs from the test templates, attachment, centring,
// modeless routing through the pump, and listeners.
#include <windows.h>

#include <gtest/gtest.h>

#include "orvutil/ui.h"
#include "test_resources.h"
#include "ui_test_support.h"

namespace UiTests {
namespace {

using Orv::CDialog;

// How a dialog ends itself once WM_INITDIALOG arrives.
enum EEnding { eNoEnding, ePostOk, eSendCancel, eTimerOk };

constexpr UINT_PTR kEndTimer = 77;

class CScriptedDialog : public Orv::CListenedDialog {
 public:
  explicit CScriptedDialog(EEnding ending = eNoEnding) : m_ending(ending) {}

  INT_PTR DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override {
    if (msg == WM_INITDIALOG) OnInit(hwnd);
    if (msg == WM_TIMER && wParam == kEndTimer) {
      ::KillTimer(hwnd, kEndTimer);
      ::PostMessageW(hwnd, WM_COMMAND, IDOK, 0);
    }
    return CListenedDialog::DialogProc(hwnd, msg, wParam, lParam);
  }
  void PostNcDestroy() override { ++postNcDestroyCount; }

  HWND initHwnd = nullptr;
  HWND heldAtInit = nullptr;
  LONG_PTR slotAtInit = 0;
  Orv::tRect<int> rectAtInit;
  int postNcDestroyCount = 0;

 private:
  void OnInit(HWND hwnd) {
    initHwnd = hwnd;
    heldAtInit = GetHwnd();
    slotAtInit = ::GetWindowLongPtrW(hwnd, DWLP_USER);
    rectAtInit = Orv::GetWindowRect(hwnd);
    if (m_ending == ePostOk) ::PostMessageW(hwnd, WM_COMMAND, IDOK, 0);
    if (m_ending == eSendCancel) ::SendMessageW(hwnd, WM_COMMAND, IDCANCEL, 0);
    if (m_ending == eTimerOk) ::SetTimer(hwnd, kEndTimer, 10, nullptr);
  }

  EEnding m_ending;
};

HINSTANCE TestInstance() {
  return ::GetModuleHandleW(nullptr);
}

TEST(ModalDialog, EndsWithTheCommandThatClosedIt) {
  struct {
    EEnding ending;
    bool byName;
    INT_PTR result;
  } const cases[] = {
      {ePostOk, false, IDOK},
      {eSendCancel, false, IDCANCEL},
      {eTimerOk, false, IDOK},
      {ePostOk, true, IDOK},
  };
  Orv::tRect<int> work = Orv::GetWorkArea(static_cast<HWND>(nullptr));
  for (auto const& c : cases) {
    CScriptedDialog dialog(c.ending);
    INT_PTR result = c.byName ? dialog.Create(L"NAMED_TEST_DIALOG", nullptr, TestInstance(), true)
                              : dialog.Create(IDD_TEST_DIALOG, nullptr, TestInstance(), true);
    EXPECT_EQ(c.result, result) << c.ending;
    EXPECT_NE(dialog.initHwnd, nullptr);
    EXPECT_EQ(dialog.heldAtInit, dialog.initHwnd);
    EXPECT_EQ(dialog.slotAtInit, reinterpret_cast<LONG_PTR>(&dialog));
    EXPECT_EQ(nullptr, dialog.GetHwnd());
    EXPECT_EQ(1, dialog.postNcDestroyCount);
    EXPECT_FALSE(Orv::IsModelessDialog(dialog.initHwnd));
    // Centred on the primary work area (no parent) before the dialog saw WM_INITDIALOG.
    Orv::tRect<int> rect = dialog.rectAtInit;
    EXPECT_EQ(rect.left, work.left + (work.Width() - rect.Width()) / 2);
    EXPECT_EQ(rect.top, work.top + (work.Height() - rect.Height()) / 2);
  }
}

// A modeless dialog is listed, gets Escape through the pump (as IDCANCEL), and goes with its object
// unless it was taken off the list; a missing template fails.
TEST(ModelessDialog, IsListedRoutedThroughThePumpAndDestroyedWithItsObject) {
  CScriptedDialog dialog;
  EXPECT_EQ(-1, dialog.Create(4242u, nullptr, TestInstance(), true));
  EXPECT_EQ(0, dialog.Create(L"NO_SUCH_DIALOG", nullptr, TestInstance(), false));
  EXPECT_EQ(0, dialog.Create(static_cast<wchar_t const*>(nullptr), nullptr, TestInstance(), false));
  ASSERT_EQ(1, dialog.Create(IDD_TEST_DIALOG, nullptr, TestInstance(), false));
  HWND hwnd = dialog.GetHwnd();
  EXPECT_TRUE(Orv::IsModelessDialog(hwnd));
  EXPECT_EQ(L"Label text", Orv::GetDialogItemText(hwnd, IDC_TEST_LABEL));
  EXPECT_EQ(0, dialog.Create(IDD_TEST_DIALOG, nullptr, TestInstance(), false));  // holds one already
  ::PostMessageW(hwnd, WM_KEYDOWN, VK_ESCAPE, 0);
  Pump();
  EXPECT_FALSE(::IsWindow(hwnd) || Orv::IsModelessDialog(hwnd));
  EXPECT_EQ(nullptr, dialog.GetHwnd());
  EXPECT_EQ(1, dialog.postNcDestroyCount);
  HWND kept;
  {
    CScriptedDialog named, unlisted;
    ASSERT_EQ(1, named.Create(L"NAMED_TEST_DIALOG", nullptr, TestInstance(), false));
    ASSERT_EQ(1, unlisted.Create(IDD_TEST_DIALOG, nullptr, TestInstance(), false));
    hwnd = named.GetHwnd();
    kept = unlisted.GetHwnd();
    Orv::RemoveModelessDialog(kept);
  }
  EXPECT_FALSE(::IsWindow(hwnd) || Orv::IsModelessDialog(hwnd));
  ASSERT_TRUE(::IsWindow(kept));
  EXPECT_EQ(0, ::GetWindowLongPtrW(kept, DWLP_USER));
  ::SendMessageW(kept, WM_COMMAND, IDOK, 0);  // no object any more: must not reach freed memory
  ::DestroyWindow(kept);
}

// Keeps IDOK and WM_DESTROY from the dialog and answers kQuery with 7.
class CBlockingListener : public Orv::IDialogProcListener {
 public:
  static constexpr UINT kQuery = WM_APP + 200;
  bool ProcessMessage(HWND, UINT msg, WPARAM wParam, LPARAM, INT_PTR& result) override {
    if (msg == kQuery) result = 7;
    return msg == kQuery || msg == WM_DESTROY || (msg == WM_COMMAND && LOWORD(wParam) == IDOK);
  }
};

TEST(ListenedDialog, ListenerAnswersFirstAndTheRestGoesToTheDialog) {
  CScriptedDialog dialog;
  CBlockingListener listener;
  dialog.SetListener(&listener);
  EXPECT_EQ(dialog.GetListener(), &listener);
  ASSERT_EQ(1, dialog.Create(IDD_TEST_DIALOG, nullptr, TestInstance(), false));
  HWND hwnd = dialog.GetHwnd();
  auto dialogProc = reinterpret_cast<DLGPROC>(::GetWindowLongPtrW(hwnd, DWLP_DLGPROC));
  EXPECT_EQ(7, dialogProc(hwnd, CBlockingListener::kQuery, 0, 0));
  ::SendMessageW(hwnd, WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(::IsWindow(hwnd));
  ::SendMessageW(hwnd, WM_COMMAND, IDCANCEL, 0);
  EXPECT_FALSE(::IsWindow(hwnd));
  EXPECT_EQ(nullptr, dialog.GetHwnd());
  EXPECT_FALSE(Orv::IsModelessDialog(hwnd));  // off the list although the listener kept WM_DESTROY
}

}  // namespace
}  // namespace UiTests
