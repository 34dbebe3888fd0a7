// Packages built in memory: entries and their listeners, nested nodes and their navigation, GUID
// records, the live list, and objects saved under nodes and loaded back, at once, in the background
// and from dictionaries.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "test_objects.h"

namespace {

using namespace PackageTests;
using Orv::PackageNode;
using Orv::tSmartPtr;
using OrvTest::New;

// Records the order in which entry listeners hear a change.
struct CEntryWatch : Orv::IPackageEntryListener {
  CEntryWatch(std::vector<int>* order, int id) : order(order), id(id) {}
  std::vector<int>* order;
  int id;
  void OnEntryChanged(Orv::IPackageEntry*) override { order->push_back(id); }
};

const GUID kNoteCategory = {0x7a11b1c0, 0x55e2, 0x4d8a, {0x93, 0x0b, 0x6c, 0x01, 0x2e, 0x44, 0x20, 0x03}};
Orv::StaticModuleClassInfo g_noteClass(Orv::GetThisModule(), __uuidof(CNote), kNoteCategory, IID_IUnknown, L"Note",
                                       Orv::CComObject<CNote>::CreateInstance);

tSmartPtr<Orv::IPackageEntry> Entry(const wchar_t* name) {
  tSmartPtr<Orv::IPackageEntry> entry;
  Orv::CreatePackageEntry(name, __uuidof(CNote), kNoteCategory, GUID_NULL, nullptr, entry.Receive());
  return entry;
}

tSmartPtr<Orv::IPackage> NewPackage() {
  tSmartPtr<Orv::IPackage> package;
  Orv::CreatePackage(package.Receive());
  return package;
}

TEST(PackageEntry, NamesGuidsCloningAndListeners) {
  tSmartPtr<Orv::IPackageEntry> unnamed = Entry(nullptr), copy;
  EXPECT_FALSE(IsEqualGUID(GUID_NULL, unnamed->GetInstanceID()));  // a new instance GUID names it
  EXPECT_EQ(Orv::StringFromGUID(unnamed->GetInstanceID()), unnamed->GetName());
  tSmartPtr<Orv::IData> bytes;
  Orv::CreateDataInStaticMem(reinterpret_cast<const unsigned char*>("abcd"), 4, bytes.Receive());
  unnamed->SetValue64(0x123456789ULL);
  unnamed->SetValue32(77);
  unnamed->SetInlineData(bytes);
  ASSERT_TRUE(unnamed->Clone(copy.Receive()));
  EXPECT_TRUE(IsEqualGUID(unnamed->GetInstanceID(), copy->GetInstanceID()));
  EXPECT_EQ(unnamed->GetName(), copy->GetName());
  EXPECT_TRUE(copy->GetValue64() == 0x123456789ULL && copy->GetValue32() == 77 && copy->GetInlineData() == bytes.Get());
  // Every setter tells each listener once, the most recently added first.
  std::vector<int> order;
  CEntryWatch a{&order, 1}, b{&order, 2};
  for (CEntryWatch* watch : {&a, &b, &a}) copy->AddListener(watch);
  copy->SetName(L"n");
  copy->SetObjectClassID(GUID_NULL);
  copy->SetValue32(1);
  copy->SetSavedData(nullptr);
  copy->RemoveListener(&b);
  copy->SetName(L"m");
  EXPECT_EQ((std::vector<int>{2, 1, 2, 1, 2, 1, 2, 1, 1}), order);
}

TEST(Package, NestedNodesNavigateAndAreFound) {
  tSmartPtr<Orv::IPackage> package = NewPackage();
  PackageNode top(package.Get());
  ASSERT_TRUE(top.IsTopLevel());
  PackageNode a = top.AddChild(Entry(L"a")), b = top.AddChild(Entry(L"b"));
  PackageNode a1 = a.AddChild(Entry(L"a1")), a2 = a.AddChild(Entry(L"a2")), a21 = a2.AddChild(Entry(L"a21"));
  ASSERT_FALSE(!a21);
  EXPECT_EQ(5u, package->GetNodeCount());
  // Each pair: what navigation or a look-up gives, and the node expected.
  const std::pair<PackageNode, PackageNode> kCases[] = {
      {package->GetFirstNode(), a}, {a->GetFirstChild(), a1}, {a1->GetNextSibling(), a2}, {a->GetNextSibling(), b},
      {a21->GetParent(), a2}, {b->GetFirstChild(), PackageNode()}, {a2->GetNextSibling(), PackageNode()},
      {package->FindNode(L"a21", GUID_NULL, GUID_NULL), a21}, {package->FindNode(L"a1", __uuidof(CNote), kNoteCategory), a1},
      {package->FindNode(L"a1", kNoteCategory, GUID_NULL), PackageNode()},
      {package->FindNodeByID(a2.GetEntry()->GetInstanceID()), a2}, {package->FindNodeByID(kNoteCategory), PackageNode()},
      {PackageNode(a2.GetNode(), nullptr), a2},  // handles of one node are equal whatever package they name
  };
  for (auto const& c : kCases) EXPECT_TRUE(c.first == c.second) << &c - kCases;
  EXPECT_TRUE(a->GetParent().IsTopLevel());
  // Removing a node takes its subtree with it.
  EXPECT_TRUE(package->RemoveNode(a2));
  EXPECT_EQ(3u, package->GetNodeCount());
  EXPECT_EQ(nullptr, a21->GetPackage());
  EXPECT_TRUE(!a1->GetNextSibling());
}

TEST(Package, GuidRecordsNamesAndTheLiveList) {
  tSmartPtr<Orv::IPackage> package = NewPackage();
  package->SetPath(L"C:\\data\\things.pak");
  EXPECT_EQ(Orv::tstring(L"things.pak"), package->GetName());
  package->SetName(L"Things");
  EXPECT_EQ(Orv::tstring(L"Things"), package->GetName());
  Orv::IPackage::GuidInfo info{kNoteCategory, GUID_NULL, Orv::IPackage::GuidInfo::eCategory, L"Note category"}, found;
  EXPECT_TRUE(package->AddGuidInfo(info));
  info.name = L"other";
  EXPECT_FALSE(package->AddGuidInfo(info));  // one record per GUID
  ASSERT_TRUE(package->FindGuidInfo(kNoteCategory, &found));
  EXPECT_EQ(Orv::tstring(L"Note category"), found.name);
  EXPECT_TRUE(package->RemoveGuidInfo(kNoteCategory));
  EXPECT_FALSE(package->RemoveGuidInfo(kNoteCategory));
  EXPECT_EQ(0u, package->GetGuidInfoCount());
  // Live from creation to the last release.
  auto isLive = [](Orv::IPackage* p) {
    Orv::tSmartPtrVector<Orv::IPackage> live;
    Orv::GetLivePackages(live);
    for (unsigned i = 0; i < live.Count(); ++i)
      if (live[i].Get() == p) return true;
    return false;
  };
  Orv::IPackage* raw = package;
  EXPECT_TRUE(isLive(raw));
  package = nullptr;
  EXPECT_FALSE(isLive(raw));
}

class Persist : public testing::Test {
 protected:
  tSmartPtr<Orv::IPackage> package = NewPackage();
  // A note saved at the top level, with its payload compressed and not loaded.
  PackageNode SaveNote(const std::wstring& text) {
    auto note = NewNote();
    note->text = text;
    note->SetName(L"note");
    PackageNode node = note->Save(PackageNode(package.Get()));
    Orv::ISavedData* saved = node.GetEntry() ? node.GetEntry()->GetSavedData() : nullptr;
    tSmartPtr<Orv::ISavedData> compressed;
    if (saved && Orv::CreateLoadedDataFromMemory(saved->Load(), true, compressed.Receive()) && compressed->Unload())
      node.GetEntry()->SetSavedData(compressed);
    return node;
  }
};

TEST_F(Persist, SavedObjectsLoadBackAtOnceOnWorkersAndInTheBackgroundOnTheMainThread) {
  const std::wstring text = std::wstring(30000, L'q') + L"end";
  PackageNode node = SaveNote(text);
  ASSERT_FALSE(!node);
  EXPECT_EQ(Orv::tstring(L"note"), node.GetEntry()->GetName());
  // On a worker the load is complete when it returns.
  auto onWorker = NewNote();
  bool loaded = false;
  std::thread([&] { loaded = onWorker->Load(node); }).join();
  EXPECT_TRUE(loaded);
  EXPECT_EQ(text, onWorker->text);
  // On the main thread it returns at once; listeners added meanwhile hear once.
  auto onMain = NewNote();
  auto watch = NewCounter();
  onMain->AddListener(watch);  // no load outstanding: ignored
  ASSERT_TRUE(onMain->Load(node));
  EXPECT_FALSE(onMain->IsLoaded());
  EXPECT_FALSE(onMain->Load(node));  // one load at a time
  onMain->AddListener(watch);
  onMain->AddListener(watch);
  EXPECT_TRUE(onMain->Wait());
  EXPECT_TRUE(onMain->IsLoaded());
  EXPECT_EQ(1, watch->completed);
  EXPECT_EQ(text, onMain->text);
  EXPECT_TRUE(IsEqualGUID(node.GetEntry()->GetInstanceID(), onMain->GetInstanceID()));
  EXPECT_TRUE(onMain->GetOriginalNode() == node);
}

TEST_F(Persist, FailuresLeaveNothingBehindAndAreHeardAsCancelled) {
  auto note = NewNote();
  EXPECT_TRUE(!note->Save(PackageNode()));  // no parent
  note->failSave = true;
  EXPECT_TRUE(!note->Save(PackageNode(package.Get())));
  EXPECT_EQ(0u, package->GetNodeCount());
  PackageNode node = SaveNote(L"payload");
  auto reader = NewNote();
  auto watch = NewCounter();
  reader->failLoad = true;
  ASSERT_TRUE(reader->Load(node));
  reader->AddListener(watch);
  reader->Wait();
  EXPECT_EQ(0, watch->completed);
  EXPECT_EQ(1, watch->cancelled);
  EXPECT_TRUE(reader->IsLoaded());  // the attempt is over
  EXPECT_FALSE(reader->Load(PackageNode(package.Get())));  // a package's top level has no entry
}

TEST_F(Persist, DictionariesKeepObjectsAsTheirNodes) {
  auto note = NewNote();
  note->text = L"inside";
  note->SetName(L"n");
  tSmartPtr<Orv::ITree> notPersistent;
  Orv::CreateTree(notPersistent.Receive());
  Orv::CDict dict;
  const std::pair<const wchar_t*, IUnknown*> kObjects[] = {
      {L"note", static_cast<Orv::IPackageNodePersist*>(note.Get())}, {L"tree", notPersistent}, {L"none", nullptr}};
  for (auto const& o : kObjects) {
    Orv::CValue* value;
    Orv::CValue::CreateObject(o.second, &value);
    dict.SetValue(o.first, value);
    value->Release();
  }
  dict.SetInt(dict.GetAtom(L"n", false), 3);
  const GUID id = {0x11, 2, 3, {4}};
  PackageNode node = Orv::SaveDict(PackageNode(package.Get()), id, dict, false);
  ASSERT_FALSE(!node);
  EXPECT_EQ(2u, package->GetNodeCount());  // the note was placed in the package first
  EXPECT_TRUE(IsEqualGUID(Orv::GetCategoryDict(), node.GetEntry()->GetObjectCategoryID()));
  Orv::CDict back;
  ASSERT_TRUE(Orv::LoadDict(node, back));
  EXPECT_EQ(nullptr, back.GetValue(L"tree", false));  // could not persist itself: left out
  EXPECT_EQ(nullptr, back.GetValue(L"none", false)->AsObject());
  EXPECT_EQ(3, back.GetInt(back.GetAtom(L"n", true), 0));
  tSmartPtr<Orv::IPackageNodePersist> persist;
  IUnknown* loaded = back.GetValue(L"note", false)->AsObject();
  ASSERT_TRUE(loaded && Orv::IPackageNodePersist::Wait(loaded));
  loaded->QueryInterface(__uuidof(Orv::IPackageNodePersist), reinterpret_cast<void**>(persist.Receive()));
  EXPECT_EQ(L"inside", static_cast<CNote*>(persist.Get())->text);
  // Without the note's node the reference cannot be resolved, and nothing is stored.
  package->RemoveNode(package->FindNode(L"n", GUID_NULL, GUID_NULL));
  Orv::CDict target;
  EXPECT_FALSE(Orv::LoadDict(node, target));
  EXPECT_EQ(0u, target.GetCount());
  EXPECT_TRUE(!Orv::SaveDict(PackageNode(), id, dict, false));
}

}  // namespace
