// CRichEditControl: creation, text, selection and appending.
#include "orvutil/ui/richedit.h"

#include <richedit.h>

#include <vector>

#include "orvutil/com/module.h"
#include "orvutil/threads/locks.h"

namespace Orv {

namespace {

constexpr UINT kUtf16 = 1200;
constexpr unsigned int kLimit = 0x80000000u;
HMODULE volatile s_hRichEditDll = nullptr;

bool LoadRichEditModule() {
  if (s_hRichEditDll) return true;
  CScopeCriticalSection guard(eGlobalCSLibrary);
  if (!s_hRichEditDll) s_hRichEditDll = ::LoadLibraryW(L"msftedit.dll");
  return s_hRichEditDll != nullptr;
}

}  // namespace

HMODULE CRichEditControl::GetRichEditModule() { return s_hRichEditDll; }

CRichEditControl::~CRichEditControl() { ReleaseTextDocument(); }

LRESULT CRichEditControl::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_DESTROY) ReleaseTextDocument();
  return DoDefault(hwnd, msg, wParam, lParam);
}

bool CRichEditControl::Create(HWND parent, const wchar_t* title, DWORD style, DWORD exStyle, const RECT& rect, UINT id) {
  if (!LoadRichEditModule()) return false;
  return CStdWindow::Create(L"RICHEDIT50W", title, parent, style | WS_CHILD, exStyle, rect.left, rect.top,
                            rect.right - rect.left, rect.bottom - rect.top,
                            GetOrvutilModule().GetInstance(), reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)));
}

void CRichEditControl::SetFont(HFONT font) { ::SendMessageW(m_hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE); }
void CRichEditControl::SetEventMask(DWORD mask) { ::SendMessageW(m_hwnd, EM_SETEVENTMASK, 0, mask); }
void CRichEditControl::SetUndoLimit(unsigned int limit) { ::SendMessageW(m_hwnd, EM_SETUNDOLIMIT, limit, 0); }
void CRichEditControl::SetTextMode(unsigned int mode) { ::SendMessageW(m_hwnd, EM_SETTEXTMODE, mode, 0); }

unsigned int CRichEditControl::GetTextLength() {
  GETTEXTLENGTHEX request = {GTL_DEFAULT, kUtf16};
  LRESULT length = ::SendMessageW(m_hwnd, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&request), 0);
  return length > 0 ? static_cast<unsigned int>(length) : 0;
}

namespace {

// The text (or the selection, `flags` GT_SELECTION) of up to `length` characters.
tstring ReadText(HWND hwnd, unsigned int length, DWORD flags) {
  if (length == 0 || length >= kLimit / 2) return tstring();
  std::vector<wchar_t> buffer(size_t(length) + 1, L'\0');
  GETTEXTEX request = {static_cast<DWORD>(buffer.size() * sizeof(wchar_t)), flags, kUtf16, nullptr, nullptr};
  LRESULT copied = ::SendMessageW(hwnd, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&request),
                                  reinterpret_cast<LPARAM>(buffer.data()));
  if (copied <= 0) return tstring();
  return tstring(buffer.data(), copied < LRESULT(length) ? size_t(copied) : size_t(length));
}

}  // namespace

tstring CRichEditControl::GetText() { return ReadText(m_hwnd, GetTextLength(), GT_DEFAULT); }

bool CRichEditControl::GetSelection(unsigned int& start, unsigned int& end) {
  CHARRANGE range = {0, 0};
  ::SendMessageW(m_hwnd, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
  start = static_cast<unsigned int>(range.cpMin);
  end = static_cast<unsigned int>(range.cpMax);
  return true;
}

void CRichEditControl::SetSelection(unsigned int start, unsigned int end) {
  if (start >= kLimit || end >= kLimit || start > end) return;
  CHARRANGE range = {static_cast<LONG>(start), static_cast<LONG>(end)};
  ::SendMessageW(m_hwnd, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
}

void CRichEditControl::SetSelectionToEnd() {
  unsigned int length = GetTextLength();
  if (length < kLimit) SetSelection(length, length);
}

tstring CRichEditControl::GetSelectionText() {
  unsigned int start = 0, end = 0;
  GetSelection(start, end);
  return end > start ? ReadText(m_hwnd, end - start, GT_SELECTION) : tstring();
}

bool CRichEditControl::IsSelectionAtEnd() {
  unsigned int start = 0, end = 0;
  GetSelection(start, end);
  return start == end && end == GetTextLength();
}

void CRichEditControl::SetSelectionText(const wchar_t* text) {
  SETTEXTEX request = {ST_SELECTION, kUtf16};
  ::SendMessageW(m_hwnd, EM_SETTEXTEX, reinterpret_cast<WPARAM>(&request), reinterpret_cast<LPARAM>(text ? text : L""));
}

void CRichEditControl::AppendText(const wchar_t* text) {
  if (!text || !*text || !m_hwnd) return;
  unsigned int start = 0, end = 0;
  GetSelection(start, end);
  bool atEnd = start == end && end == GetTextLength();
  POINT scroll = {0, 0};
  ::SendMessageW(m_hwnd, EM_GETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&scroll));
  SetSelectionToEnd();
  SetSelectionText(text);
  if (atEnd) {
    SetSelectionToEnd();
    ShowSelection();
  } else {
    SetSelection(start, end);
    ::SendMessageW(m_hwnd, EM_SETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&scroll));
  }
}

}  // namespace Orv
