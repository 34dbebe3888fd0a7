// CRichEditControl: the system rich edit control ("RICHEDIT50W" from "msftedit.dll") as a
// subclassed window, exchanging all text in UTF-16. Its main use is a text view that new text is
// appended to: the view follows the end while the caret sits there, and a user's selection
// elsewhere is neither moved nor scrolled to.
//
// Threading: the thread that owns the window. "msftedit.dll" is loaded once per process, on the
// first Create, and never unloaded.
#pragma once

#include <windows.h>

#include "orvutil/export.h"
#include "orvutil/foundation/tstring.h"
#include "orvutil/ui/window.h"

struct ITextDocument;
struct ITextSelection;

namespace Orv {

class ORV_API CRichEditControl : public CStdWindow {
 public:
  CRichEditControl() = default;
  ~CRichEditControl() override;

  // Releases the cached text document on WM_DESTROY; everything goes on to DoDefault.
  LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;

  // A child control (`style` plus WS_CHILD) at `rect` with control identifier `id`; false when the
  // module cannot be loaded or the window cannot be made.
  bool Create(HWND parent, const wchar_t* title, DWORD style, DWORD exStyle, const RECT& rect, UINT id);

  void SetFont(HFONT font);
  void SetEventMask(DWORD mask);
  void SetUndoLimit(unsigned int limit);
  void SetTextMode(unsigned int mode);

  unsigned int GetTextLength();
  tstring GetText();

  bool GetSelection(unsigned int& start, unsigned int& end);
  // Ignored unless start <= end and both are below 0x80000000.
  void SetSelection(unsigned int start, unsigned int end);
  void SetSelectionToEnd();
  tstring GetSelectionText();
  bool IsSelectionAtEnd();
  void SetSelectionText(const wchar_t* text);

  // Adds `text` at the end. With the caret at the end, the caret moves to the new end and is
  // scrolled into view; otherwise the selection and the scroll position stay as they were.
  void AppendText(const wchar_t* text);
  // Scrolls the end of the selection into view.
  void ShowSelection();

  // The control's text object model document (cached; no reference for the caller), or null.
  ITextDocument* GetTextDocument();
  // The document's selection with one reference; false when there is none.
  bool GetSelection(ITextSelection** selection);

  // The module handle of "msftedit.dll"; null until the first Create.
  static HMODULE GetRichEditModule();

 private:
  void ReleaseTextDocument();

  ITextDocument* m_textDocument = nullptr;
};

}  // namespace Orv
