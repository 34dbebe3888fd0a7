// orvview's window: the pane of each selected node against what the package API says about the
// node, and the embedded file's bytes against the file itself.
#include <gtest/gtest.h>

#include <iomanip>
#include <map>
#include <sstream>

#include "../support/samples.h"
#include "package_file.h"
#include "pane_text.h"
#include "viewer_window.h"

ORV_DEFINE_MODULE(Orv::CModule)

namespace {

using OrvApps::Text;

// Line ends as the rich edit control keeps them.
std::wstring Lines(std::wstring text) {
  for (size_t at = 0; (at = text.find(L"\r\n", at)) != std::wstring::npos;) text.erase(at, 1);
  for (wchar_t& c : text) c = c == L'\n' ? L'\r' : c;
  return text;
}

std::wstring Bytes(Orv::IData* data) {
  return std::wstring(reinterpret_cast<wchar_t const*>(data->GetPointer()), data->GetSize() / sizeof(wchar_t));
}

void Collect(Orv::PackageNode node, std::vector<Orv::PackageNode>& nodes) {
  for (; !!node; node = node->GetNextSibling()) {
    nodes.push_back(node);
    Collect(node->GetFirstChild(), nodes);
  }
}

class Viewer : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(window.Create()); }
  std::wstring Save(Orv::IPackage* package, wchar_t const* name) {
    std::wstring path = Text(Orv::GetTempDirectory()) + L"\\" + name;
    EXPECT_TRUE(Orv::SavePackageToFile(package, path.c_str()));
    return path;
  }
  std::wstring const data = Text(Orv::GetExecutableDir()) + L"\\orvview_data\\";
  OrvView::CViewerWindow window{false};
};

// Every node of the compiled example: name, GUIDs with their records' names, payload size, and the
// payload as text (the embedded file's bytes, or the sections' UTF-16 members).
TEST_F(Viewer, ExamplePackageNodeByNode) {
  Orv::tSmartPtr<Orv::IPackage> package;
  Orv::tObjVector<Orv::tstring> includes, errors;
  includes.PushBack(Orv::GetExecutableDir());
  ASSERT_TRUE(Orv::CompilePackage((data + L"demo.txt").c_str(), package.Receive(), &includes, &errors));
  Orv::tSmartPtr<Orv::IData> logo;
  ASSERT_TRUE(Orv::ReadWholeFile((data + L"logo.txt").c_str(), logo.Receive()));
  ASSERT_TRUE(window.Open(Save(package, L"orvview_demo.pak")));
  std::vector<Orv::PackageNode> nodes;
  Collect(package->GetFirstNode(), nodes);
  ASSERT_EQ(nodes.size(), window.GetNodeCount());
  for (unsigned i = 0; i < nodes.size(); ++i) {
    ASSERT_TRUE(window.SelectNode(i));
    std::wstring pane = window.PaneText();
    Orv::IPackageEntry* entry = nodes[i].GetEntry();
    EXPECT_EQ(0u, pane.find(Text(entry->GetName()) + L"\r")) << pane;
    Orv::IPackage::GuidInfo info;
    for (GUID const& id : {entry->GetObjectClassID(), entry->GetObjectCategoryID(), entry->GetInstanceID()}) {
      std::wstring named = OrvApps::GuidText(id);
      if (package->FindGuidInfo(id, &info)) named += L"  \"" + Text(info.name) + L"\"";
      EXPECT_NE(std::wstring::npos, pane.find(named)) << pane;
    }
    Orv::IData* payload = entry->GetSavedData()->Load();
    EXPECT_NE(std::wstring::npos, pane.find(L"/" + std::to_wstring(payload->GetSize()) + L" ")) << pane;
    bool bytes = IsEqualGUID(entry->GetObjectClassID(), Orv::GetPackageByteDataClassID());
    std::wstring text = bytes ? std::wstring(logo->GetPointer(), logo->GetPointer() + logo->GetSize()) : Bytes(payload);
    EXPECT_NE(std::wstring::npos, pane.find(L"\r\r" + Lines(text))) << pane;
  }
  EXPECT_TRUE(window.SelectPath(L"manual/install/linux"));
  EXPECT_EQ(0u, window.PaneText().find(L"linux\r"));
  for (std::wstring bad : {L"manual/nothing", L"install", L""}) EXPECT_FALSE(window.SelectPath(bad)) << bad;
  EXPECT_FALSE(window.SelectNode(window.GetNodeCount()));
  // What is no package changes nothing.
  std::wstring pane = window.PaneText();
  for (std::wstring bad : {data + L"demo.txt", data + L"missing.pak", std::wstring()}) EXPECT_FALSE(window.Open(bad));
  EXPECT_EQ(nodes.size(), window.GetNodeCount());
  EXPECT_EQ(pane, window.PaneText());
}

// A dictionary node lists its values; binary byte data shows as hex, only its first bytes.
TEST_F(Viewer, DictionaryValuesAndBinaryBytes) {
  Orv::tSmartPtr<Orv::IPackage> package;
  ASSERT_TRUE(Orv::CreatePackage(package.Receive()));
  std::map<std::wstring, int> values = {{L"width", 640}, {L"height", -2}, {L"depth", 24}};
  Orv::CDict dict;
  for (auto const& value : values) dict.SetInt(dict.GetAtom(value.first.c_str(), false), value.second);
  ASSERT_FALSE(!Orv::SaveDict(Orv::PackageNode(package), GUID_NULL, dict, false));
  std::string block(300, '\0');
  for (unsigned i = 0; i < 300; ++i) block[i] = static_cast<char>(i * 7);
  Orv::tSmartPtr<Orv::IPackageByteData> bytes;
  Orv::tSmartPtr<Orv::IPackageNodePersist> persist = OrvTest::ByteData(bytes);
  bytes->SetData(OrvTest::Block(block));
  ASSERT_FALSE(!persist->Save(Orv::PackageNode(package)));
  ASSERT_TRUE(window.Open(Save(package, L"orvview_api.pak")));
  ASSERT_TRUE(window.SelectNode(0));
  for (auto const& value : values) {
    EXPECT_NE(std::wstring::npos, window.PaneText().find(value.first + L" = " + std::to_wstring(value.second) + L"\r"));
  }
  ASSERT_TRUE(window.SelectNode(1));
  std::wstring pane = window.PaneText();
  for (unsigned line = 0; line < 300; line += 16) {
    std::wostringstream hex;
    hex << std::hex << std::uppercase << std::setfill(L'0') << std::setw(8) << line << L' ';
    for (unsigned i = line; i < line + 16 && i < 300; ++i) hex << L' ' << std::setw(2) << (block[i] & 0xFF);
    EXPECT_EQ(line < OrvView::kHexPreviewBytes, pane.find(hex.str()) != std::wstring::npos) << line;
  }
}

}  // namespace

int main(int argc, char** argv) {
  int result;
  {
    Orv::CWinMainInit init(Orv::eWinMainCommonControls);
    ::testing::InitGoogleTest(&argc, argv);
    result = RUN_ALL_TESTS();
  }
  return result;
}
