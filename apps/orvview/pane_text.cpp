// The pane text of orvview, built from what the package says about a node.
#include "pane_text.h"

#include <cstring>
#include <cwchar>
#include <map>

#include "package_file.h"

namespace OrvView {

namespace {

using OrvApps::Text;

// The GUID, with the name its GUID record in the package gives it (and a class's module).
std::wstring Described(Orv::IPackage* package, GUID const& id) {
  std::wstring text = OrvApps::GuidText(id);
  Orv::IPackage::GuidInfo info, module;
  if (!package || !package->FindGuidInfo(id, &info)) return text;
  text += L"  \"" + Text(info.name) + L"\"";
  if (info.kind == Orv::IPackage::GuidInfo::eClass && package->FindGuidInfo(info.secondId, &module)) {
    text += L" from " + Text(module.name);
  }
  return text;
}

std::wstring Properties(Orv::PackageNode const& node) {
  Orv::IPackageEntry* entry = node.GetEntry();
  Orv::IPackage* package = node.GetPackage();
  Orv::IData* inlineData = entry->GetInlineData();
  return Text(entry->GetName()) + L"\n\n" + L"class       " + Described(package, entry->GetObjectClassID()) + L"\n" +
         L"category    " + Described(package, entry->GetObjectCategoryID()) + L"\n" + L"instance    " +
         Described(package, entry->GetInstanceID()) + L"\n" + L"value64     " + std::to_wstring(entry->GetValue64()) +
         L"\n" + L"value32     " + std::to_wstring(entry->GetValue32()) + L"\n" + L"inline      " +
         std::to_wstring(inlineData ? inlineData->GetSize() : 0) + L" bytes\n" + L"payload     " +
         OrvApps::PayloadText(entry->GetSavedData()) + L" (saved/loaded bytes)\n";
}

// The value as text where it converts to text, else its type number.
std::wstring ValueText(Orv::CValue* value) {
  Orv::tSmartPtr<Orv::CValue> text;
  if (!value) return L"(none)";
  if (value->Convert(Orv::CValue::eString, text.Receive())) return Text(text->AsStringObj());
  return L"(value of type " + std::to_wstring(static_cast<unsigned>(value->GetType())) + L")";
}

// The dictionary's entries sorted by name, each value as text where it converts to text.
std::wstring DictionaryText(Orv::PackageNode const& node) {
  Orv::CDict dict;
  if (!Orv::LoadDict(node, dict)) return L"\ndictionary: cannot be read\n";
  Orv::tVectorPOD<unsigned int> atoms;
  dict.GetAllNames(atoms, false);
  std::map<std::wstring, std::wstring> lines;
  for (unsigned i = 0; i < atoms.Count(); ++i) {
    wchar_t const* name = dict.GetAtomizer().GetStr(atoms[i]);
    lines[name ? name : L"?"] = ValueText(dict.GetValue(atoms[i], false));
  }
  std::wstring out = L"\ndictionary (" + std::to_wstring(lines.size()) + L" values)\n";
  for (auto const& line : lines) out += L"  " + line.first + L" = " + line.second + L"\n";
  return out;
}

// The stored bytes, as text or hex: those of byte data, else the node's loaded payload.
std::wstring Preview(Orv::PackageNode const& node) {
  Orv::tSmartPtr<Orv::IPackageByteData> bytes;
  Orv::ISavedData* saved = node.GetEntry()->GetSavedData();
  bool byteData = OrvApps::LoadByteData(node, bytes);
  Orv::IData* data = byteData ? bytes->GetData() : saved ? saved->Load() : nullptr;
  if (!data || !data->GetSize()) return L"";
  std::wstring what = byteData ? L"byte data" : L"payload", text;
  unsigned size = data->GetSize();
  if (BytesAsText(data->GetPointer(), size, text)) {
    bool cut = text.size() > kTextPreviewChars;
    if (cut) text.resize(kTextPreviewChars);
    return L"\n" + what + L" as text" + (cut ? L" (beginning)" : L"") + L"\n\n" + text + L"\n";
  }
  unsigned shown = size < kHexPreviewBytes ? size : kHexPreviewBytes;
  return L"\n" + what + L", first " + std::to_wstring(shown) + L" of " + std::to_wstring(size) + L" bytes\n\n" +
         HexDump(data->GetPointer(), shown);
}

bool IsTextChar(wchar_t c) {
  return c >= 0x20 ? c != 0x7F : c == L'\t' || c == L'\r' || c == L'\n';
}

bool AllTextChars(std::wstring const& text) {
  for (wchar_t c : text) {
    if (!IsTextChar(c)) return false;
  }
  return true;
}

}  // namespace

bool BytesAsText(unsigned char const* bytes, unsigned size, std::wstring& text) {
  text.clear();
  if (!bytes || !size || size > 0x7FFFFFFF) return false;
  char const* chars = reinterpret_cast<char const*>(bytes);
  int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, chars, static_cast<int>(size), nullptr, 0);
  if (n > 0) {
    text.resize(n);
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, chars, static_cast<int>(size), &text[0], n);
    if (AllTextChars(text)) return true;
  }
  // UTF-16 only for text mostly in the first 256 code points: random bytes would pass otherwise.
  text.assign(size / 2, L'\0');
  std::memcpy(&text[0], bytes, text.size() * sizeof(wchar_t));
  unsigned low = 0;
  for (wchar_t c : text) low += c < 0x100;
  if (size % 2 == 0 && AllTextChars(text) && low * 2 >= text.size()) return true;
  text.clear();
  return false;
}

std::wstring HexDump(unsigned char const* bytes, unsigned size) {
  std::wstring out;
  wchar_t cell[16];
  for (unsigned line = 0; line < size; line += 16) {
    unsigned count = size - line < 16 ? size - line : 16;
    std::swprintf(cell, 16, L"%08X ", line);
    out += cell;
    std::wstring ascii;
    for (unsigned i = 0; i < 16; ++i) {
      if (i >= count) {
        out += L"   ";
        continue;
      }
      unsigned char byte = bytes[line + i];
      std::swprintf(cell, 16, L" %02X", byte);
      out += cell;
      ascii += byte >= 0x20 && byte < 0x7F ? wchar_t(byte) : L'.';
    }
    out += L"  " + ascii + L"\n";
    if (size - line <= 16) break;
  }
  return out;
}

std::wstring PaneText(Orv::PackageNode const& node) {
  Orv::IPackageEntry* entry = node.GetEntry();
  if (!entry) return L"";
  bool dictionary = IsEqualGUID(entry->GetObjectCategoryID(), Orv::GetCategoryDict());
  return Properties(node) + (dictionary ? DictionaryText(node) : Preview(node));
}

}  // namespace OrvView
