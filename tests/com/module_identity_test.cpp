// orvutil.dll loads, records its instance and carries the version resource that module
// identity is read from.
#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <cwchar>
#include <string>
#include <vector>

#include "orvutil/com.h"
#include "orvutil/version.h"

namespace {

// The version resource of a loaded module, read the way module identity reads it.
class VersionResource {
 public:
  explicit VersionResource(HMODULE module) {
    HRSRC info = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(16) /* RT_VERSION */);
    if (!info) return;
    HGLOBAL loaded = LoadResource(module, info);
    const BYTE* bytes = static_cast<const BYTE*>(LockResource(loaded));
    if (!bytes) return;
    // VerQueryValueW may write into the block it reads: query a private copy.
    bytes_.assign(bytes, bytes + SizeofResource(module, info));
  }

  bool Found() const { return !bytes_.empty(); }

  const VS_FIXEDFILEINFO* Fixed() {
    void* value = nullptr;
    UINT size = 0;
    if (!VerQueryValueW(bytes_.data(), L"\\", &value, &size) || size < sizeof(VS_FIXEDFILEINFO)) return nullptr;
    return static_cast<const VS_FIXEDFILEINFO*>(value);
  }

  // The string NAME under the first language and code page of the translation table.
  std::wstring String(const wchar_t* name) {
    void* value = nullptr;
    UINT size = 0;
    if (!VerQueryValueW(bytes_.data(), L"\\VarFileInfo\\Translation", &value, &size) || size < 4) return L"?";
    const WORD* translation = static_cast<const WORD*>(value);
    wchar_t path[64];
    swprintf(path, 64, L"\\StringFileInfo\\%04x%04x\\%ls", translation[0], translation[1], name);
    if (!VerQueryValueW(bytes_.data(), path, &value, &size)) return L"?";
    return std::wstring(static_cast<const wchar_t*>(value));
  }

 private:
  std::vector<BYTE> bytes_;
};

}  // namespace

// The library loads from beside the program, records its instance, and reads its identity from
// its version resource as the resource itself says.
TEST(ModuleIdentity, LibraryIdentityMatchesItsVersionResource) {
  HMODULE module = LoadLibraryW(L"orvutil.dll");
  ASSERT_NE(nullptr, module);
  EXPECT_EQ(module, Orv::GetOrvutilInstance());
  FreeLibrary(module);
  wchar_t program[MAX_PATH], library[MAX_PATH];
  ASSERT_GT(GetModuleFileNameW(nullptr, program, MAX_PATH), 0u);
  ASSERT_GT(GetModuleFileNameW(Orv::GetOrvutilInstance(), library, MAX_PATH), 0u);
  *wcsrchr(program, L'\\') = 0;
  wchar_t* name = wcsrchr(library, L'\\');
  *name++ = 0;
  EXPECT_EQ(0, _wcsicmp(program, library));
  EXPECT_EQ(0, _wcsicmp(L"orvutil.dll", name));

  VersionResource version(Orv::GetOrvutilInstance());
  ASSERT_TRUE(version.Found());
  ASSERT_NE(nullptr, version.Fixed());
  EXPECT_EQ(static_cast<DWORD>(VFT_DLL), version.Fixed()->dwFileType);
  GUID id;
  ASSERT_EQ(S_OK, CLSIDFromString(version.String(L"GUID").c_str(), &id));
  EXPECT_TRUE(IsEqualGUID(id, Orv::GetModuleID(Orv::GetOrvutilInstance())));
  EXPECT_EQ(version.String(L"InternalName"), std::wstring(Orv::GetModuleInternalName(Orv::GetOrvutilInstance()).c_str()));
}
