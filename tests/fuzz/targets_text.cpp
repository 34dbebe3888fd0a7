// Text targets: the package compiler over mutated package text, and the registry's typed reads of
// hostile values of every type.
#include <cwchar>

#include "../support/new_object.h"
#include "fuzz.h"

namespace Fuzz {

// The object a "node" creator makes; its payload is its members' names.
class CNode : public Orv::CPackagePersistAsyncHelper {
 public:
  std::wstring members;

 protected:
  bool InternalLoad(Orv::IDataReader* reader, Orv::PackageNode) override {
    unsigned n = reader->GetSize();
    const unsigned char* p = reader->Read(n);
    members.assign(reinterpret_cast<const wchar_t*>(p ? p : reinterpret_cast<const unsigned char*>(L"")), n / 2);
    return p || !n;
  }
  bool InternalSave(Orv::IDataWriter* writer, Orv::PackageNode) override {
    return writer->Write(members.data(), static_cast<unsigned>(members.size() * 2));
  }
};

// Takes every member and nested "node" object.
class CNodeCreator : public Orv::CComBase, public Orv::IObjectCreator {
 public:
  ORV_INTERFACES(Orv::IObjectCreator)
  bool SetName(Orv::tstring const& name) override { return object->SetName(name.c_str()), true; }
  bool Complete(Orv::IPackageParser*) override { return true; }
  bool SetObjectValues(Orv::tstring const& m, IUnknown* const*, unsigned) override { return Add(m); }
  bool SetStringValues(Orv::tstring const& m, Orv::tstring const*, unsigned) override { return Add(m); }
  bool SetFloatValues(Orv::tstring const& m, float const*, unsigned) override { return Add(m); }
  bool SetIntValues(Orv::tstring const& m, int const*, unsigned) override { return Add(m); }
  bool CreateChild(Orv::tstring const& className, Orv::IObjectCreator** out) override {
    if (className != L"node") return false;
    *out = OrvTest::New<CNodeCreator>().Detach();
    return true;
  }
  IUnknown* GetObject(unsigned index) override {
    return index ? nullptr : static_cast<Orv::IPackageNodePersist*>(object.Get());
  }

 private:
  bool Add(Orv::tstring const& member) { return object->members += member.c_str(), true; }
  tSmartPtr<CNode, Orv::IPackageNodePersist> object = OrvTest::New<CNode, Orv::IPackageNodePersist>();
};

}  // namespace Fuzz

ORV_CLASS_GUID(Fuzz::CNode, 0x2f6a9c51, 0x7d1e, 0x4b83, 0x9a, 0x04, 0x6e, 0x31, 0xc8, 0x5b, 0x12, 0x01)
ORV_CLASS_GUID(Fuzz::CNodeCreator, 0x2f6a9c51, 0x7d1e, 0x4b83, 0x9a, 0x04, 0x6e, 0x31, 0xc8, 0x5b, 0x12, 0x02)

namespace Fuzz {

const GUID kNodeClass = __uuidof(CNode);

namespace {

Orv::StaticModuleClassInfo g_node(Orv::GetThisModule(), __uuidof(CNode), GUID_NULL, GUID_NULL, L"Fuzz Node",
                                  Orv::CComObject<CNode>::CreateInstance);
Orv::StaticModuleClassInfo g_creator(Orv::GetThisModule(), __uuidof(CNodeCreator), GUID_NULL, GUID_NULL,
                                     L"Fuzz Node Creator", Orv::CComObject<CNodeCreator>::CreateInstance);
Orv::StaticModuleObjectCreatorInfo g_nodeName(Orv::GetThisModule(), L"node", __uuidof(CNodeCreator),
                                              __uuidof(CNode));

// The folder of the package text (its regression seeds are the files `bytes` objects embed).
const std::wstring kTextFolder = std::wstring(ORV_FUZZ_SEEDS) + L"/text";

std::vector<Bytes> TextSeeds() {
  return {"new node ('a') { int n { 1 -2 2147483647 } float f { 1.5 -0.25 } string s { \"x\" 'y' } }\n"
          "new unsaved node ('b' '{12345678-1234-1234-1234-123456789ABC}') { new node { new node ('c') {} } }\n"
          "new node ('d') { obj o { 'node:a' } } # comment\n// another\n",
          "import { \"missing.pkg\" }\nnew bytes ('blob') { string file { 'empty-payload.txt' } }\n"
          "new node ('\xC3\xA9') { obj o { new node {} new unsaved node ('x') {} } }"};
}

void RunText(Bytes const& in) {
  tSmartPtr<Orv::IPackage> package;
  Orv::tObjVector<Orv::tstring> errors;
  bool ok = Orv::CompilePackageText(Orv::StringFromUTF8(in.data(), static_cast<unsigned>(in.size())),
                                    kTextFolder.c_str(), package.Receive(), nullptr, &errors);
  EXPECT_EQ(ok, !!package);
  EXPECT_EQ(ok, errors.Count() == 0);
  if (ok) ExpectSavedAgain(Saved(package));
}

// --- registry values: a type selector byte, then the value's bytes ---
const DWORD kTypes[] = {REG_NONE,  REG_SZ,       REG_EXPAND_SZ, REG_BINARY,
                        REG_DWORD, REG_DWORD_BIG_ENDIAN, REG_MULTI_SZ, REG_QWORD};

// A REG_SZ GUID with its terminator and a REG_DWORD (kTypes[1], kTypes[4]); the mutator changes types.
std::vector<Bytes> RegistrySeeds() {
  const wchar_t id[] = L"{1AE9073C-5FA6-450F-9982-1C8E87A7BA91}";
  return {Bytes(1, '\1') + Bytes(reinterpret_cast<const char*>(id), sizeof(id)), Bytes(1, '\4') + "\x01\x02\x03\x04"};
}

Bytes MutateRegistry(Bytes const& in, Rng& rng) {
  Bytes out = MutateBytes(in, rng);
  if (!out.empty() && Pick(rng, 4) == 0) out[0] = char(Pick(rng, sizeof(kTypes) / sizeof(kTypes[0])));
  return out;
}

// Each typed read against what the stored type and bytes allow.
void RunRegistry(Bytes const& in) {
  if (in.empty()) return;
  DWORD type = kTypes[static_cast<unsigned char>(in[0]) % (sizeof(kTypes) / sizeof(kTypes[0]))];
  Bytes data = in.substr(1);
  Orv::CRegKey key;
  ASSERT_TRUE(key.Create(HKEY_CURRENT_USER, L"Software\\orvutil-fuzz"));
  ASSERT_EQ(ERROR_SUCCESS, ::RegSetValueExW(key, L"v", 0, type, reinterpret_cast<const BYTE*>(data.data()),
                                            static_cast<DWORD>(data.size())));
  unsigned long number = 0;
  bool isDword = type == REG_DWORD && data.size() == 4;
  EXPECT_EQ(isDword, Orv::RegGetValueW(key, L"v", number, 0xDEADBEEFul));
  EXPECT_EQ(isDword ? Get32(data, 0) : 0xDEADBEEFu, number);
  Orv::tstring text;
  bool isString = type == REG_SZ && data.size() && data.size() % 2 == 0;
  std::wstring model(data.size() / 2, L'\0');
  if (!model.empty()) memcpy(&model[0], data.data(), model.size() * 2);
  model = isString ? model.substr(0, model.find(L'\0')) : L"default";
  EXPECT_EQ(isString, Orv::RegGetValueW(key, L"v", text, L"default"));
  EXPECT_EQ(model, std::wstring(text.c_str(), text.size()));
  GUID id = GUID_NULL, peer = GUID_NULL;
  bool isGuid = isString && model.size() == 38 && SUCCEEDED(IIDFromString(model.c_str(), &peer));
  EXPECT_EQ(isGuid, Orv::RegGetValueW(key, L"v", id, Orv::GetCategoryDict()));
  EXPECT_TRUE(IsEqualGUID(isGuid ? peer : Orv::GetCategoryDict(), id));
}

}  // namespace

void RegisterTextTargets(std::vector<Target>& targets) {
  targets.push_back({"text", TextSeeds, MutateText, RunText, 1500});
  targets.push_back({"registry", RegistrySeeds, MutateRegistry, RunRegistry, 1000});
}

}  // namespace Fuzz
