// Package text: tokens, the grammar driven through a recording creator, error messages with their
// positions, hostile text, imports of packages and plug-ins, and embedded byte data.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "../support/byte_records.h"
#include "test_objects.h"

namespace ParserTests {

using PackageTests::CNote;
using Orv::tSmartPtr;
using Orv::tstring;

// Makes notes whose text logs every member as "type name=v,v;" and every child as "child{...};". A
// string member "fail" fails Complete; an int member "extras" asks for that many extra objects.
class CProbeCreator : public Orv::CComBase, public Orv::IObjectCreator {
 public:
  ORV_INTERFACES(Orv::IObjectCreator)
  tSmartPtr<Orv::IObjectCreator> parent;
  std::wstring log;
  bool fail = false;
  int extras = 0;
  Orv::tSmartPtrVector<Orv::IPackageNodePersist> objects;

  bool SetName(tstring const&) override { return true; }
  bool Complete(Orv::IPackageParser*) override;
  bool SetObjectValues(tstring const& m, IUnknown* const* v, unsigned n) override { return Log(L"obj", m, v, n); }
  bool SetStringValues(tstring const& m, tstring const* v, unsigned n) override {
    fail = fail || m == L"fail";
    return Log(L"string", m, v, n);
  }
  bool SetFloatValues(tstring const& m, float const* v, unsigned n) override { return Log(L"float", m, v, n); }
  bool SetIntValues(tstring const& m, int const* v, unsigned n) override {
    if (m == L"extras") extras = v[0];
    return Log(L"int", m, v, n);
  }
  bool CreateChild(tstring const& className, Orv::IObjectCreator** out) override;
  IUnknown* GetObject(unsigned index) override {
    return index < objects.Count() && !parent ? objects[index].Get() : nullptr;
  }

 private:
  static std::wstring Text(tstring const& s) { return s.c_str(); }
  static std::wstring Text(int n) { return std::to_wstring(n); }
  static std::wstring Text(float f) { return std::to_wstring(f); }
  static std::wstring Text(IUnknown* object) {
    tSmartPtr<Orv::IPackageNodePersist> persist;
    object->QueryInterface(__uuidof(Orv::IPackageNodePersist), reinterpret_cast<void**>(persist.Receive()));
    return persist->GetName().c_str();
  }
  template <class T>
  bool Log(wchar_t const* type, tstring const& member, T const* values, unsigned count) {
    log += std::wstring(type) + L" " + member.c_str() + L"=";
    for (unsigned i = 0; i < count; ++i) log += (i ? L"," : L"") + Text(values[i]);
    log += L";";
    return true;
  }
};

}  // namespace ParserTests

ORV_CLASS_GUID(ParserTests::CProbeCreator, 0x5e0c7a10, 0x2b9d, 0x4f3e, 0x8a, 0x61, 0x11, 0x70, 0x3c, 0x2d, 0x90, 0x02)

namespace ParserTests {

bool CProbeCreator::Complete(Orv::IPackageParser*) {
  if (fail) return false;
  for (int i = 0; i <= extras; ++i) {
    CNote* probe = nullptr;
    Orv::CComObject<CNote>::CreateObject(nullptr, &probe);
    probe->text = i == 0 ? log : L"extra";
    probe->SetName(i == 0 ? L"" : (L"x" + std::to_wstring(i)).c_str());
    objects.PushBack(tSmartPtr<Orv::IPackageNodePersist>(probe));
    static_cast<Orv::IPackageNodePersist*>(probe)->Release();
  }
  if (parent) static_cast<CProbeCreator*>(parent.Get())->log += L"child{" + log + L"};";
  return true;
}

bool CProbeCreator::CreateChild(tstring const& className, Orv::IObjectCreator** out) {
  if (className != L"probe") return false;
  CProbeCreator* child = nullptr;
  Orv::CComObject<CProbeCreator>::CreateObject(nullptr, &child);
  child->parent = this;
  *out = child;
  return true;
}

namespace {

Orv::StaticModuleClassInfo g_probeCreator(Orv::GetThisModule(), __uuidof(CProbeCreator), GUID_NULL, GUID_NULL,
                                          L"Probe Creator", Orv::CComObject<CProbeCreator>::CreateInstance);
Orv::StaticModuleObjectCreatorInfo g_probeName(Orv::GetThisModule(), L"probe", __uuidof(CProbeCreator),
                                               __uuidof(CNote));

// A scratch folder of this test run.
std::wstring Scratch() {
  std::wstring dir = std::wstring(Orv::GetTempDirectory().c_str()) + L"\\orv_parser_test";
  CreateDirectoryW(dir.c_str(), nullptr);
  return dir;
}

void PutFile(std::wstring const& path, std::string const& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
}

struct Compiled {
  bool ok = false;
  tSmartPtr<Orv::IPackage> package;
  std::wstring errors;
};

Compiled Compile(std::wstring const& text, std::wstring const& dir = Scratch(),
                 Orv::tObjVector<tstring> const* includes = nullptr) {
  Compiled result;
  Orv::tObjVector<tstring> errors;
  result.ok = Orv::CompilePackageText(tstring(text.data(), static_cast<unsigned>(text.size())), dir.c_str(),
                                      result.package.Receive(), includes, &errors);
  for (unsigned i = 0; i < errors.Count(); ++i) result.errors += std::wstring(i ? L"\n" : L"") + std::wstring(errors[i].c_str(), errors[i].size());
  return result;
}

// The package's nodes depth first as "name=payload", children in brackets.
std::wstring Dump(Orv::PackageNode node) {
  std::wstring out;
  for (; !!node; node = node->GetNextSibling()) {
    Orv::ISavedData* saved = node.GetEntry()->GetSavedData();
    Orv::IData* data = saved ? saved->Load() : nullptr;
    std::wstring name = node.GetEntry()->GetName().c_str();
    out += (out.empty() ? L"" : L"|") + (name[0] == L'{' ? L"?" : name) + L"=";
    if (data) out.append(reinterpret_cast<const wchar_t*>(data->GetPointer()), data->GetSize() / 2);
    Orv::PackageNode child = node->GetFirstChild();
    if (!!child) out += L"[" + Dump(child) + L"]";
  }
  return out;
}

// The tokens as "kind:spelling" words, or "!" and the spelling where tokenizing stopped.
std::wstring Tokens(std::wstring const& text) {
  Orv::tObjVector<Orv::Token> tokens;
  Orv::Token bad;
  static const wchar_t* kinds[] = {L"0", L"I:", L"S:", L"N:", L"F:", L"{", L"}", L"(", L")", L"/", L",", L";", L"B:", L"E"};
  if (!Orv::TokenizePackageText(tstring(text.c_str()), tokens, bad)) return L"!" + std::wstring(bad.GetSpelling().c_str());
  std::wstring out;
  for (unsigned i = 0; i < tokens.Count(); ++i) {
    bool spelled = tokens[i].kind <= Orv::eTokenFloat || tokens[i].kind == Orv::eTokenBad;
    out += std::wstring(i ? L" " : L"") + kinds[tokens[i].kind] + (spelled ? tokens[i].GetSpelling().c_str() : L"");
  }
  return out;
}

TEST(PackageTokenizer, KindsSpellingsAndFailures) {
  const std::pair<const wchar_t*, const wchar_t*> kCases[] = {
      {L"", L"E"},
      {L"a;b,c/d", L"I:a I:b I:c I:d E"},
      {L"a//b\nc # d\r e # a comment ends with the text", L"I:a I:c I:e E"},
      {L"1e5 .5 -x a.b my-name +7 1. nan inf _u", L"F:1e5 F:.5 B:-x B:a.b I:my-name N:+7 F:1. I:nan I:inf I:_u E"},
      {L"99999999999 2147483647 -2147483648 1e50 1e-50 1-2", L"B:99999999999 N:2147483647 N:-2147483648 B:1e50 B:1e-50 B:1-2 E"},
      {L"\"it's\" 'say \"hi\"' ''", L"S:it's S:say \"hi\" S: E"},
      {L"{a}(b)", L"{ I:a } ( I:b ) E"},
      {L"\u00f1ame \u65e5\u672c\u3000x 'caf\u00e9'", L"I:\u00f1ame I:\u65e5\u672c I:x S:caf\u00e9 E"},
      {L"a * b", L"!*"},
      {L"'ab\ncd'", L"!ab"},
      {L"x 'open", L"!open"},
  };
  for (auto const& c : kCases) EXPECT_EQ(c.second, Tokens(c.first)) << c.first;
}

TEST(PackageParser, GrammarDrivesTheCreatorFillsThePackageAndNamesWhereItStopped) {
  struct Case {
    const wchar_t* text;
    const wchar_t* result;  // the dump on success; on failure "!" and the messages, or "!" alone
  } cases[] = {
      {L"", L""},
      {L"new probe {}", L"?="},
      {L"new probe (\"a\") { int n { 1 -2 } float f { 1 2.5 } string s { \"x\" 'y\"z' } }",
       L"a=int n=1,-2;float f=1.000000,2.500000;string s=x,y\"z;"},
      {L"new probe('a'){ new probe { int k {3} new probe {} } }", L"a=child{int k=3;child{};};"},
      {L"new unsaved probe('a') {} new probe('b'){}", L"b="},
      {L"new probe('a') { int extras { 2 } }", L"a=int extras=2;[x1=extra|x2=extra]"},
      {L"new probe('a') { obj o { new probe('b') {} new unsaved probe('c') {} } }", L"b=|a=obj o=b,c;"},
      {L"new probe('a') {} new probe('b') { obj o { 'probe:a' } }", L"a=|b=obj o=a;"},
      {L"new probe('\u00e9') { int \u00f1 { 1 } string s { '\u65e5' } }", L"\u00e9=int \u00f1=1;string s=\u65e5;"},
      {L"new probe", L"!Stopped at token at line:1, column:10, text:''"},
      {L"x\r\n  *", L"!Stopped at token at line:2, column:3, text:'*'"},
      {L"\r\r\nnew probe {\n  int n { 99999999999 } }", L"!Stopped at token at line:4, column:11, text:'99999999999'"},
      {L"new probe ('a' 'bad-guid') {}", L"!Stopped at token at line:1, column:17, text:'bad-guid'"},
      {L"new nothing ('n') {}", L"!Failed to create type:nothing, Name:n\nStopped at token at line:1, column:17, text:')'"},
      {L"new probe { new nothing {} }",
       L"!Failed to create child type:nothing, Name:\nStopped at token at line:1, column:25, text:'{'"},
      {L"new probe ('p') { string fail { 'x' } }",
       L"!Failed to create type:probe, Name:p\nStopped at token at line:1, column:39, text:'}'"},
      {L"new unsaved unsaved {}", L"!Failed to create type:unsaved, Name:\nStopped at token at line:1, column:21, text:'{'"},
      {L"new probe ('a') new probe {}", L"!"},
      {L"new probe { int n { 1.5 } }", L"!"},
      {L"new probe { int n { } }", L"!"},
      {L"new probe { long n { 1 } }", L"!"},
      {L"new probe { obj o { 'a' } }", L"!"},
      {L"new probe { obj o { 'probe:missing' } }", L"!"},
      {L"new probe ('a' '' 'x') {}", L"!"},
      {L"new probe ('a' '{12345678-1234-1234-1234-123456789abcd}') {}", L"!"},
      {L"new probe {} }", L"!"},
      {L"import 'x'", L"!"},
  };
  for (auto const& c : cases) {
    Compiled result = Compile(c.text);
    bool fails = c.result[0] == L'!';
    ASSERT_EQ(!fails, result.ok) << c.text << L"\n" << result.errors;
    std::wstring got = result.ok ? Dump(result.package->GetFirstNode()) : result.errors;
    EXPECT_EQ(c.result + fails, fails && !c.result[1] ? L"" : got) << c.text;
  }
  EXPECT_EQ(std::wstring(L"Stopped at token at line:1, column:2, text:'") + L'\0' + L"'",
            Compile(std::wstring(L"a\0b", 3)).errors);
  tSmartPtr<Orv::IPackage> package;  // no error list
  EXPECT_FALSE(Orv::CompilePackage(L"new probe", L".", package.Receive(), nullptr, nullptr));
  EXPECT_FALSE(Orv::CompilePackage(L"", nullptr, package.Receive(), nullptr, nullptr));
  // A GUID parameter with or without braces names the instance.
  const GUID expected = {0x12345678, 0x1234, 0x1234, {0x12, 0x34, 0x12, 0x34, 0x56, 0x78, 0x9a, 0xbc}};
  for (const wchar_t* id : {L"12345678-1234-1234-1234-123456789abc", L"{12345678-1234-1234-1234-123456789ABC}"}) {
    Compiled result = Compile(std::wstring(L"new probe ('g' '") + id + L"') {}");
    ASSERT_TRUE(result.ok) << id;
    EXPECT_TRUE(IsEqualGUID(expected, result.package->GetFirstNode().GetEntry()->GetInstanceID())) << id;
  }
}

TEST(PackageParser, NestingIsLimited) {
  auto nested = [](unsigned depth) {
    std::wstring text;
    for (unsigned i = 0; i < depth; ++i) text += L"new probe {";
    return text + std::wstring(depth, L'}');
  };
  EXPECT_TRUE(Compile(nested(Orv::kMaxPackageNesting)).ok);
  Compiled deep = Compile(nested(100000));
  EXPECT_FALSE(deep.ok);
  EXPECT_EQ(L"Stopped at token at line:1, column:" + std::to_wstring(Orv::kMaxPackageNesting * 11 + 1) + L", text:'new'",
            deep.errors);
}

// The bytes of the byte-data object made from the entry named `name` of the package.
std::string StoredBytes(Orv::IPackage* package, const wchar_t* name) {
  Orv::PackageNode node = package->FindNode(name, Orv::GetPackageByteDataClassID(), GUID_NULL);
  tSmartPtr<IClassFactory> factory;
  tSmartPtr<Orv::IPackageByteData> bytes;
  if (!node || FAILED(node->QueryInterface(IID_IClassFactory, reinterpret_cast<void**>(factory.Receive()))) ||
      FAILED(factory->CreateInstance(nullptr, __uuidof(Orv::IPackageByteData), reinterpret_cast<void**>(bytes.Receive()))))
    return "<none>";
  return OrvTest::Bytes(bytes->GetData());
}

// Files found on the include folders (their contents are checked by the plug-in import below, by
// orvpack's test and by orvview's), creator failures, and a stored form that does not begin with 0.
TEST(PackageByteData, FilesOnTheIncludesCreatorFailuresAndABadStoredForm) {
  std::wstring dir = Scratch(), include = dir + L"\\include";
  CreateDirectoryW(include.c_str(), nullptr);
  PutFile(include + L"\\empty.bin", "");
  Orv::tObjVector<tstring> includes;
  includes.PushBack(tstring(include.c_str()));
  Compiled result = Compile(L"new bytes ('empty') { string file { 'empty.bin' } }", dir, &includes);
  ASSERT_TRUE(result.ok) << result.errors;
  EXPECT_EQ(8u, result.package->FindNode(L"empty", GUID_NULL, GUID_NULL).GetEntry()->GetSavedData()->GetLoadedSize());
  EXPECT_EQ("", StoredBytes(result.package, L"empty"));
  for (const wchar_t* text : {L"new bytes { }", L"new bytes { string file { 'empty.bin' 'empty.bin' } }",
                              L"new bytes { string name { 'empty.bin' } }", L"new bytes { int file { 1 } }",
                              L"new bytes { string file { 'missing.bin' } }", L"new bytes { new bytes {} }"}) {
    EXPECT_FALSE(Compile(text, dir, &includes).ok) << text;
  }
  tSmartPtr<Orv::ISavedData> saved;
  ASSERT_TRUE(Orv::CreateLoadedDataFromMemory(OrvTest::Block(std::string("\1\0\0\0\0\0\0\0", 8)), false, saved.Receive()));
  result.package->FindNode(L"empty", GUID_NULL, GUID_NULL).GetEntry()->SetSavedData(saved);
  std::string unread;
  std::thread([&] { unread = StoredBytes(result.package, L"empty"); }).join();  // loads at once off the main thread
  EXPECT_EQ("<none>", unread);
}

TEST(PackageParser, ImportsPackagesAndPlugIns) {
  std::wstring dir = Scratch();
  {
    Compiled library = Compile(L"new probe ('shared') { new probe { } int extras { 1 } }");
    ASSERT_TRUE(library.ok);
    library.package->SetID(GUID{0x5e0c7a10, 1, 2, {3, 4, 5, 6, 7, 8, 9, 10}});
    ASSERT_TRUE(Orv::SavePackageToFile(library.package, (dir + L"\\library.pak").c_str()));
  }
  const wchar_t* useShared = L"new probe ('user') { obj o { 'probe:shared' 'probe:shared:x1' } }";
  EXPECT_FALSE(Compile(useShared, dir).ok);  // not live, not imported
  Compiled imported = Compile(std::wstring(L"import { 'library.pak' } ") + useShared, dir);
  ASSERT_TRUE(imported.ok) << imported.errors;
  EXPECT_EQ(L"user=obj o=shared,x1;", Dump(imported.package->GetFirstNode()));
  Orv::IPackage::GuidInfo record;
  EXPECT_TRUE(imported.package->FindGuidInfo(__uuidof(CNote), &record));
  EXPECT_FALSE(Compile(L"import { 'missing.pak' }", dir).ok);
  // A plug-in's registration is usable after its import, and the plug-in goes with the parser.
  tstring exeDir = Orv::GetExecutableDir();
  Orv::tObjVector<tstring> includes;
  includes.PushBack(tstring(dir.c_str()));
  PutFile(dir + L"\\plugged.bin", "plug");
  const wchar_t* plugged = L"new plugged-bytes ('p') { string file { 'plugged.bin' } }";
  EXPECT_FALSE(Compile(plugged, exeDir.c_str(), &includes).ok);
  Compiled withPlugIn = Compile(std::wstring(L"import { 'orv_package_plugin.dll' } ") + plugged, exeDir.c_str(), &includes);
  ASSERT_TRUE(withPlugIn.ok) << withPlugIn.errors;
  EXPECT_EQ("plug", StoredBytes(withPlugIn.package, L"p"));
  HMODULE module = nullptr;
  EXPECT_FALSE(Orv::GetComModules()->FindModule((std::wstring(exeDir.c_str()) + L"\\orv_package_plugin.dll").c_str(), &module));
}

}  // namespace
}  // namespace ParserTests
