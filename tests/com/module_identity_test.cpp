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

std::wstring Widen(const char* text) {
  return std::wstring(text, text + strlen(text));
}

HMODULE LoadOrvutil() {
  return LoadLibraryW(L"orvutil.dll");
}

}  // namespace

TEST(ModuleIdentity, LibraryLoadsAndRecordsItsInstance) {
  HMODULE module = LoadOrvutil();
  ASSERT_NE(module, nullptr);
  EXPECT_EQ(Orv::GetOrvutilInstance(), module);
  FreeLibrary(module);
}

TEST(ModuleIdentity, LibraryIsLoadedFromBesideTheProgram) {
  wchar_t program[MAX_PATH];
  wchar_t library[MAX_PATH];
  ASSERT_GT(GetModuleFileNameW(nullptr, program, MAX_PATH), 0u);
  ASSERT_GT(GetModuleFileNameW(Orv::GetOrvutilInstance(), library, MAX_PATH), 0u);
  std::wstring programDir(program, wcsrchr(program, L'\\'));
  std::wstring libraryDir(library, wcsrchr(library, L'\\'));
  EXPECT_EQ(_wcsicmp(programDir.c_str(), libraryDir.c_str()), 0);
  EXPECT_EQ(_wcsicmp(wcsrchr(library, L'\\') + 1, L"orvutil.dll"), 0);
}

TEST(ModuleIdentity, FileVersionIsThree) {
  VersionResource version(Orv::GetOrvutilInstance());
  ASSERT_TRUE(version.Found());
  const VS_FIXEDFILEINFO* fixed = version.Fixed();
  ASSERT_NE(fixed, nullptr);
  EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
  EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(0, 3));
  EXPECT_EQ(fixed->dwFileVersionLS, 0u);
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_DLL));
  EXPECT_EQ(version.String(L"FileVersion"), L"3.0.0.0");
}

TEST(ModuleIdentity, GuidValueIsTheModuleGuidInRegistryForm) {
  VersionResource version(Orv::GetOrvutilInstance());
  std::wstring text = version.String(L"GUID");
  EXPECT_EQ(text, Widen(ORVUTIL_MODULE_GUID_TEXT));
  GUID id;
  ASSERT_EQ(CLSIDFromString(text.c_str(), &id), S_OK);
  EXPECT_EQ(id.Data1, 0xD06ABA89u);
  EXPECT_EQ(id.Data2, 0xADF3);
  EXPECT_EQ(id.Data4[7], 0xB7);
}

TEST(ModuleIdentity, InternalNameIsSet) {
  VersionResource version(Orv::GetOrvutilInstance());
  EXPECT_EQ(version.String(L"InternalName"), L"orvutil");
}
