// orvview: a window showing the node tree of a package file and, for the selected node, its
// properties, dictionary values and a preview of its bytes.
//
//   orvview [FILE.pak [NODE/PATH]]      NODE/PATH: entry names joined with '/', selected at start
#include "viewer_window.h"

ORV_DEFINE_MODULE(Orv::CModule)

int main() {
  Orv::tObjVector<Orv::tstring> words;
  Orv::TokenizeCommandLine(GetCommandLineW(), words);
  Orv::CWinMainInit init(Orv::eWinMainComApartment | Orv::eWinMainCommonControls);
  OrvView::CViewerWindow window(true);
  if (!window.Create()) return 1;
  if (words.Count() > 1 && !window.Open(words[1].c_str())) {
    std::wstring message = L"Cannot read a package from " + std::wstring(words[1].c_str());
    MessageBoxW(nullptr, message.c_str(), L"orvview", MB_OK | MB_ICONERROR);
  }
  if (words.Count() > 2) window.SelectPath(words[2].c_str());
  ShowWindow(window, SW_SHOWNORMAL);
  while (Orv::WaitForMessage()) {
  }
  return 0;
}
