// CRichEditControl: the text object model document and scrolling through it.
#include <richedit.h>
#include <richole.h>
#include <tom.h>

#include "orvutil/ui/richedit.h"

namespace Orv {

namespace {
// {8CC497C0-A1DF-11CE-8098-00AA0047BE5D}
constexpr IID kIIDTextDocument = {0x8CC497C0, 0xA1DF, 0x11CE, {0x80, 0x98, 0x00, 0xAA, 0x00, 0x47, 0xBE, 0x5D}};
}  // namespace

ITextDocument* CRichEditControl::GetTextDocument() {
  if (m_textDocument || !m_hwnd) return m_textDocument;
  IRichEditOle* ole = nullptr;
  if (!::SendMessageW(m_hwnd, EM_GETOLEINTERFACE, 0, reinterpret_cast<LPARAM>(&ole)) || !ole) return nullptr;
  void* document = nullptr;
  if (SUCCEEDED(ole->QueryInterface(kIIDTextDocument, &document))) m_textDocument = static_cast<ITextDocument*>(document);
  ole->Release();
  return m_textDocument;
}

bool CRichEditControl::GetSelection(ITextSelection** selection) {
  if (!selection) return false;
  *selection = nullptr;
  ITextDocument* document = GetTextDocument();
  if (!document || FAILED(document->GetSelection(selection)) || !*selection) {
    *selection = nullptr;
    return false;
  }
  return true;
}

void CRichEditControl::ShowSelection() {
  ITextSelection* selection = nullptr;
  bool scrolled = false;
  if (GetSelection(&selection)) {
    scrolled = SUCCEEDED(selection->ScrollIntoView(tomEnd));
    selection->Release();
  }
  if (!scrolled && m_hwnd) ::SendMessageW(m_hwnd, EM_SCROLLCARET, 0, 0);
}

void CRichEditControl::ReleaseTextDocument() {
  ITextDocument* document = m_textDocument;
  m_textDocument = nullptr;
  if (document) document->Release();
}

}  // namespace Orv
