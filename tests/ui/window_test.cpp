// Window objects: attaching and detaching (also of listened windows), class registration,
// message-only and blank windows, and subclassing; window text of any length, show/enable only on
// change, and capture release. The rich edit control, compared with a std::wstring that receives
// the same edits. Dialog objects: modal and modeless dialogs from the test template, attachment,
// centring, modeless routing through the pump, and listeners.
#include <richedit.h>

#include <string>

#include "orvutil/com.h"
#include "test_resources.h"
#include "ui_test_support.h"

namespace UiTests {
namespace {

using Orv::CCustomWindow;

HINSTANCE Instance() { return ::GetModuleHandleW(nullptr); }

// The object's window: one of a class the library serves, or a subclassed system "STATIC" one.
bool Make(CCustomWindow& window) {
  return CCustomWindow::CreateClass(L"OrvUiTests.Window", 0, Instance()) &&
         window.Create(L"OrvUiTests.Window", L"test", nullptr, WS_POPUP, 0, 0, 0, 100, 80, Instance());
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
  std::wstring name(256, L'y');
  CRecordingWindow custom, blank, message;
  CRecordingStdWindow standard;
  EXPECT_TRUE(CCustomWindow::CreateClass(name.c_str() + 1, 0, Instance()));  // 255 characters
  EXPECT_FALSE(CCustomWindow::CreateClass(nullptr, 0, Instance()) || CCustomWindow::CreateClass(L"", 0, Instance()) ||
               CCustomWindow::CreateClass(name.c_str(), 0, Instance()) ||
               custom.Create(name.c_str(), L"", nullptr, WS_POPUP, 0, 0, 0, 1, 1, Instance()) ||
               standard.Create(name.c_str(), L"", nullptr, WS_POPUP, 0, 0, 0, 1, 1, Instance()));
  EXPECT_FALSE(custom.Create(L"STATIC", L"OrvUiTests foreign", nullptr, WS_POPUP, 0, 0, 0, 10, 10, nullptr) ||
               ::FindWindowW(L"STATIC", L"OrvUiTests foreign"));
  EXPECT_TRUE(message.CreateMessageWindow(L""));  // an empty name: the default class
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
  EXPECT_TRUE(reinterpret_cast<LONG_PTR>(window.GetPreviousProc()) == original &&
              ::GetWindowLongPtrW(plain, GWLP_USERDATA) == reinterpret_cast<LONG_PTR>(&window));
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

// The rich edit control's text as a std::wstring; its first visible line.
std::wstring Text(const Orv::tstring& s) { return std::wstring(s.c_str(), s.size()); }
LRESULT FirstVisibleLine(HWND edit) { return ::SendMessageW(edit, EM_GETFIRSTVISIBLELINE, 0, 0); }

// Appends follow the end while the caret is there; a selection elsewhere stays put, unscrolled.
// Selections out of order or beyond the limit change nothing; the text document is cached and
// dropped with the window.
TEST(RichEdit, AppendsSelectionsAndTheTextDocument) {
  CPlainWindow parent(0, 0, 320, 200, WS_POPUP | WS_VISIBLE);
  Orv::CRichEditControl edit;
  ASSERT_TRUE(edit.Create(parent, L"", WS_VISIBLE | ES_MULTILINE | WS_VSCROLL, 0, RECT{0, 0, 300, 120}, 7));
  std::wstring model;
  for (int i = 0; i < 40; ++i) {
    std::wstring line = L"line " + std::to_wstring(i) + L"\r";
    edit.AppendText(line.c_str());
    model += line;
    ASSERT_TRUE(model == Text(edit.GetText()) && edit.IsSelectionAtEnd()) << i;
  }
  EXPECT_GT(FirstVisibleLine(edit), 0);
  ::SendMessageW(edit, WM_VSCROLL, SB_TOP, 0);
  edit.SetSelection(5, 9);
  for (const wchar_t* more : {L"tail\r", static_cast<const wchar_t*>(nullptr)}) {
    edit.AppendText(more);
    model += more ? more : L"";
    unsigned int start = 0, end = 0;
    edit.GetSelection(start, end);
    EXPECT_TRUE(start == 5 && end == 9 && FirstVisibleLine(edit) == 0 && model == Text(edit.GetText()));
  }
  struct { unsigned int start, end; } const ignored[] = {{9, 5}, {0x80000000u, 0x80000001u}, {1, 0xFFFFFFFFu}};
  for (const auto& s : ignored) {
    edit.SetSelection(s.start, s.end);
    EXPECT_EQ(model.substr(5, 4), Text(edit.GetSelectionText())) << s.start;
  }
  edit.SetSelectionText(L"ab");
  EXPECT_TRUE(Text(edit.GetText()) == model.replace(5, 4, L"ab") && !edit.IsSelectionAtEnd());
  ITextDocument* document = edit.GetTextDocument();
  ITextSelection* selection = nullptr;
  ASSERT_TRUE(document && document == edit.GetTextDocument() && edit.GetSelection(&selection));
  reinterpret_cast<IUnknown*>(selection)->Release();
  ::DestroyWindow(edit);
  EXPECT_FALSE(edit.GetTextDocument() || edit.GetSelection(&selection) || !Text(edit.GetText()).empty());
}

// Records the state at WM_INITDIALOG and posts itself `closeWith` there. As a listener (of itself)
// it keeps IDOK and WM_DESTROY from the dialog and answers kQuery with 7.
class CScriptedDialog : public Orv::CListenedDialog, public Orv::IDialogProcListener {
 public:
  static constexpr UINT kQuery = WM_APP + 200;
  INT_PTR DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override {
    if (msg == WM_INITDIALOG && closeWith) ::PostMessageW(hwnd, WM_COMMAND, closeWith, 0);
    if (msg == WM_INITDIALOG)
      heldAtInit = GetHwnd() == hwnd && ::GetWindowLongPtrW(hwnd, DWLP_USER) == reinterpret_cast<LONG_PTR>(this);
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

// A modal dialog is attached before WM_INITDIALOG and detached when it ends, with the command that
// closed it. A modeless dialog is centred on the primary work area (no parent), listed, gets Escape
// through the pump (as IDCANCEL), and goes with its object unless it was taken off the list; a
// missing template fails. The listener answers first.
TEST(Dialog, ModalEndsWithItsCommandModelessIsListedRoutedListenedAndDestroyedWithItsObject) {
  CScriptedDialog modal, dialog;
  modal.closeWith = IDOK;
  EXPECT_EQ(IDOK, modal.Create(IDD_TEST_DIALOG, nullptr, Instance(), true));
  EXPECT_TRUE(modal.heldAtInit && !modal.GetHwnd() && modal.postNcDestroyCount == 1);
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
  ASSERT_TRUE(::IsWindow(kept) && ::GetWindowLongPtrW(kept, DWLP_USER) == 0);
  ::SendMessageW(kept, WM_COMMAND, IDOK, 0);  // no object any more: must not reach freed memory
  ::DestroyWindow(kept);
}

}  // namespace
}  // namespace UiTests
