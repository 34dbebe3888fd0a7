// Version information of binaries: the module identity and internal name live there.
#include "version_info.h"

#include "orvutil/com/module.h"
#include "orvutil/foundation/strings.h"

namespace Orv {
namespace Detail {

bool ReadVersionInfo(HINSTANCE instance, VersionBlock& block) {
  block.Clear();
  if (!instance) return false;
  HRSRC resource = ::FindResourceW(instance, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(16) /* RT_VERSION */);
  if (!resource) return false;
  HGLOBAL loaded = ::LoadResource(instance, resource);
  DWORD size = ::SizeofResource(instance, resource);
  void const* data = loaded ? ::LockResource(loaded) : nullptr;
  if (!data || size == 0) return false;
  // VerQueryValueW may write converted strings behind the block: give it a private, larger copy.
  block.Resize(size * 2, 0);
  ::memcpy(block.Data(), data, size);
  return true;
}

bool ReadVersionInfo(wchar_t const* path, VersionBlock& block) {
  block.Clear();
  if (!path || !*path) return false;
  DWORD handle = 0;
  DWORD size = ::GetFileVersionInfoSizeW(path, &handle);
  if (size == 0) return false;
  block.Resize(size, 0);
  if (!::GetFileVersionInfoW(path, 0, size, block.Data())) {
    block.Clear();
    return false;
  }
  return true;
}

tstring QueryVersionString(VersionBlock& block, wchar_t const* name, bool (*accept)(tstring const&)) {
  if (block.Count() == 0) return tstring();
  void* translations = nullptr;
  UINT length = 0;
  if (!::VerQueryValueW(block.Data(), L"\\VarFileInfo\\Translation", &translations, &length) || length < 2) {
    return tstring();
  }
  WORD const* pairs = static_cast<WORD const*>(translations);
  for (UINT i = 0; i + 1 < length / sizeof(WORD); i += 2) {
    tstring query = tstring::format_new(L"\\StringFileInfo\\%04x%04x\\%s", pairs[i], pairs[i + 1], name);
    void* value = nullptr;
    UINT chars = 0;
    if (!::VerQueryValueW(block.Data(), query.c_str(), &value, &chars) || !value || chars == 0) continue;
    tstring text(static_cast<wchar_t const*>(value));
    if (!accept || accept(text)) return text;
  }
  return tstring();
}

VS_FIXEDFILEINFO const* QueryFixedFileInfo(VersionBlock& block) {
  if (block.Count() == 0) return nullptr;
  void* info = nullptr;
  UINT length = 0;
  if (!::VerQueryValueW(block.Data(), L"\\", &info, &length) || length < sizeof(VS_FIXEDFILEINFO)) return nullptr;
  return static_cast<VS_FIXEDFILEINFO const*>(info);
}

namespace {

GUID GuidFromVersionBlock(VersionBlock& block) {
  auto isGuid = [](tstring const& text) {
    GUID id;
    return StringToGUID(text.c_str(), id);
  };
  GUID id = GUID_NULL;
  tstring text = QueryVersionString(block, L"GUID", isGuid);
  if (text.empty() || !StringToGUID(text.c_str(), id)) return GUID_NULL;
  return id;
}

}  // namespace

}  // namespace Detail

GUID GetModuleID(HINSTANCE instance) {
  Detail::VersionBlock block;
  Detail::ReadVersionInfo(instance, block);
  return Detail::GuidFromVersionBlock(block);
}

GUID GetModuleID(wchar_t const* path) {
  Detail::VersionBlock block;
  Detail::ReadVersionInfo(path, block);
  return Detail::GuidFromVersionBlock(block);
}

tstring GetModuleInternalName(HINSTANCE instance) {
  Detail::VersionBlock block;
  Detail::ReadVersionInfo(instance, block);
  return Detail::QueryVersionString(block, L"InternalName");
}

}  // namespace Orv
