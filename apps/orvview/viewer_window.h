// The orvview main window: the node tree of one package file on the left, the selected node's
// pane text (see pane_text.h) in a rich edit control on the right, and a File menu.
//
// Threading: the thread that created the window (the main thread).
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "orvutil/orvutil.h"

namespace OrvView {

class CViewerWindow : public Orv::CCustomWindow {
 public:
  // With quitOnClose, destroying the window ends the message loop.
  explicit CViewerWindow(bool quitOnClose) : m_quitOnClose(quitOnClose) {}
  ~CViewerWindow() override;

  // The hidden main window with its tree view and pane; false when any of them cannot be made (the
  // tree view needs the common controls: CWinMainInit with eWinMainCommonControls).
  bool Create();
  // Shows the package in the file: its nodes in the tree, the first one selected. On failure the
  // previous package stays and the result is false.
  bool Open(std::wstring const& path);
  // Selects the node with this index in document order (parents before children); false when there
  // is none.
  bool SelectNode(unsigned index);
  // Selects the node named by entry names joined with '/', such as L"manual/usage".
  bool SelectPath(std::wstring const& path);
  unsigned GetNodeCount() const { return static_cast<unsigned>(m_nodes.size()); }
  // The text in the pane, as the rich edit control holds it (line ends as "\r").
  std::wstring PaneText();

  LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  void AddNodes(Orv::PackageNode node, HTREEITEM parent, std::wstring const& prefix);
  void ShowNode(LPARAM index);
  void Layout();
  void OpenFromDialog();

  bool m_quitOnClose;
  Orv::CStdWindow m_tree;
  Orv::CRichEditControl m_pane;
  HFONT m_font = nullptr;
  Orv::tSmartPtr<Orv::IPackage> m_package;
  std::vector<Orv::PackageNode> m_nodes;  // in document order, as the tree items' lParam
  std::vector<HTREEITEM> m_items;
  std::vector<std::wstring> m_paths;
};

}  // namespace OrvView
