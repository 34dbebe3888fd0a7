// The orvview main window.
#include "viewer_window.h"

#include <commdlg.h>
#include <richedit.h>

#include <algorithm>

#include "package_file.h"
#include "pane_text.h"

namespace OrvView {

namespace {

const wchar_t kClassName[] = L"OrvViewWindow";
const wchar_t kTitle[] = L"orvview";

enum : UINT { eTreeId = 1, ePaneId = 2, eOpenCommand = 100, eExitCommand = 101 };

HMENU MakeMenu() {
  HMENU file = CreatePopupMenu();
  AppendMenuW(file, MF_STRING, eOpenCommand, L"&Open...");
  AppendMenuW(file, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(file, MF_STRING, eExitCommand, L"E&xit");
  HMENU bar = CreateMenu();
  AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), L"&File");
  return bar;
}

}  // namespace

CViewerWindow::~CViewerWindow() {
  // Here rather than in the base class, so that this class sees WM_DESTROY.
  if (m_hwnd) DestroyWindow(m_hwnd);
  if (m_font) DeleteObject(m_font);
}

bool CViewerWindow::Create() {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  if (!CreateClass(kClassName, 0, instance, LoadCursorW(nullptr, IDC_ARROW),
                   reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1))) {
    return false;
  }
  HMENU menu = MakeMenu();
  if (!CCustomWindow::Create(kClassName, kTitle, nullptr, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, CW_USEDEFAULT,
                             CW_USEDEFAULT, 1000, 680, instance, menu)) {
    DestroyMenu(menu);
    return false;
  }
  DWORD treeStyle =
      WS_CHILD | WS_VISIBLE | WS_TABSTOP | TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT | TVS_SHOWSELALWAYS;
  DWORD paneStyle = WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_READONLY;
  if (!m_tree.Create(WC_TREEVIEWW, L"", m_hwnd, treeStyle, WS_EX_CLIENTEDGE, 0, 0, 0, 0, instance,
                     reinterpret_cast<HMENU>(static_cast<UINT_PTR>(eTreeId))) ||
      !m_pane.Create(m_hwnd, L"", paneStyle, WS_EX_CLIENTEDGE, RECT{0, 0, 0, 0}, ePaneId)) {
    return false;
  }
  SendMessageW(m_tree, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
  m_font = CreateFontW(-13, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN, L"Courier New");
  if (m_font) m_pane.SetFont(m_font);
  SendMessageW(m_pane, EM_SETTARGETDEVICE, 0, 1);  // no word wrap: hex lines stay whole
  Layout();
  return true;
}

bool CViewerWindow::Open(std::wstring const& path) {
  Orv::tSmartPtr<Orv::IPackage> package;
  if (!m_hwnd || !OrvApps::OpenPackageFile(path, package)) return false;
  m_nodes.clear();  // first: deleting the items may announce a selection change
  m_items.clear();
  m_paths.clear();
  TreeView_DeleteAllItems(m_tree);
  m_package = package;
  AddNodes(package->GetFirstNode(), TVI_ROOT, L"");
  SetWindowTextW(m_hwnd, (std::wstring(kTitle) + L" - " + path).c_str());
  ShowNode(-1);
  return m_nodes.empty() || SelectNode(0);
}

void CViewerWindow::AddNodes(Orv::PackageNode node, HTREEITEM parent, std::wstring const& prefix) {
  for (; !!node; node = node->GetNextSibling()) {
    Orv::IPackageEntry* entry = node.GetEntry();
    std::wstring name = entry ? OrvApps::Text(entry->GetName()) : std::wstring();
    TVINSERTSTRUCTW insert = {};
    insert.hParent = parent;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM;
    insert.item.pszText = const_cast<wchar_t*>(name.c_str());
    insert.item.lParam = static_cast<LPARAM>(m_nodes.size());
    HTREEITEM item = TreeView_InsertItem(m_tree, &insert);
    m_nodes.push_back(node);
    m_items.push_back(item);
    m_paths.push_back(prefix + name);
    AddNodes(node->GetFirstChild(), item, prefix + name + L"/");
    if (item) TreeView_Expand(m_tree, item, TVE_EXPAND);
  }
}

bool CViewerWindow::SelectNode(unsigned index) {
  return index < m_items.size() && m_items[index] && TreeView_SelectItem(m_tree, m_items[index]);
}

bool CViewerWindow::SelectPath(std::wstring const& path) {
  auto found = std::find(m_paths.begin(), m_paths.end(), path);
  return found != m_paths.end() && SelectNode(static_cast<unsigned>(found - m_paths.begin()));
}

std::wstring CViewerWindow::PaneText() {
  return OrvApps::Text(m_pane.GetText());
}

void CViewerWindow::ShowNode(LPARAM index) {
  bool known = index >= 0 && static_cast<size_t>(index) < m_nodes.size();
  SetWindowTextW(m_pane, known ? OrvView::PaneText(m_nodes[index]).c_str() : L"");
}

void CViewerWindow::Layout() {
  RECT client;
  if (!GetClientRect(m_hwnd, &client)) return;
  int treeWidth = std::max(180L, client.right / 4);
  MoveWindow(m_tree, 0, 0, treeWidth, client.bottom, TRUE);
  MoveWindow(m_pane, treeWidth, 0, std::max(0L, client.right - treeWidth), client.bottom, TRUE);
}

void CViewerWindow::OpenFromDialog() {
  wchar_t file[MAX_PATH] = L"";
  OPENFILENAMEW dialog = {};
  dialog.lStructSize = sizeof(dialog);
  dialog.hwndOwner = m_hwnd;
  dialog.lpstrFilter = L"Packages (*.pak)\0*.pak\0All files (*.*)\0*.*\0";
  dialog.lpstrFile = file;
  dialog.nMaxFile = MAX_PATH;
  dialog.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST;
  if (GetOpenFileNameW(&dialog) && !Open(file)) {
    MessageBoxW(m_hwnd, (L"Cannot read a package from " + std::wstring(file)).c_str(), kTitle, MB_OK | MB_ICONERROR);
  }
}

LRESULT CViewerWindow::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_SIZE:
      Layout();
      return 0;
    case WM_SETFOCUS:
      SetFocus(m_tree);
      return 0;
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(lParam);
      if (header->hwndFrom == m_tree.GetHwnd() && header->code == TVN_SELCHANGEDW) {
        ShowNode(reinterpret_cast<NMTREEVIEWW*>(lParam)->itemNew.lParam);
      }
      break;
    }
    case WM_COMMAND:
      if (lParam == 0 && LOWORD(wParam) == eOpenCommand) OpenFromDialog();
      if (lParam == 0 && LOWORD(wParam) == eExitCommand) DestroyWindow(hwnd);
      break;
    case WM_DESTROY:
      if (m_quitOnClose) PostQuitMessage(0);
      break;
  }
  return CCustomWindow::WindowProc(hwnd, msg, wParam, lParam);
}

}  // namespace OrvView
