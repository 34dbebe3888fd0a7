// The rich edit control, compared with a std::wstring that receives the same edits.
#include <richedit.h>

#include <string>

#include "ui_test_support.h"

namespace {

std::wstring Text(const Orv::tstring& s) { return std::wstring(s.c_str(), s.size()); }
LRESULT FirstVisibleLine(HWND edit) { return ::SendMessageW(edit, EM_GETFIRSTVISIBLELINE, 0, 0); }

}  // namespace

// Appends follow the end while the caret is there; a selection elsewhere stays put, unscrolled.
// Selections out of order or beyond the limit change nothing; the text document is cached and
// dropped with the window.
TEST(RichEdit, AppendsSelectionsAndTheTextDocument) {
  UiTests::CPlainWindow parent(0, 0, 320, 200, WS_POPUP | WS_VISIBLE);
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
