// CDict look-ups by atom and by name against std::unordered_map<std::wstring, std::variant>, and
// saving then loading a 100,000-entry dictionary against writing the same entries with WriteFile
// through zlib.
#include <zlib.h>

#include <string>
#include <unordered_map>
#include <variant>
#include <vector>

#include "../harness.h"
#include "orvutil/orvutil.h"

namespace {

using Variant = std::variant<int, double, std::wstring>;

std::wstring Name(unsigned i) { return L"option_" + std::to_wstring(i * 2654435761u % 100000); }

}  // namespace

ORV_BENCHMARK(DictLookup) {
  Orv::CDict dict;
  std::unordered_map<std::wstring, Variant> peer;
  std::vector<std::wstring> names;
  std::vector<unsigned> atoms;
  for (unsigned i = 0; i < 1000; ++i) {
    names.push_back(Name(i));
    atoms.push_back(dict.GetAtom(names.back().c_str(), false));
    dict.SetInt(atoms.back(), static_cast<int>(i));
    peer.emplace(names.back(), static_cast<int>(i));
  }
  long sink = 0;
  OrvBench::Compare(
      "CDict.GetValue by atom x1000", "std::unordered_map<std::wstring, variant>.find",
      [&] {
        for (unsigned atom : atoms) sink += dict.GetValue(atom, true)->AsInt();
      },
      [&] {
        for (auto const& name : names) sink += std::get<int>(peer.find(name)->second);
      });
  OrvBench::Compare(
      "CDict.GetValue by name x1000", "std::unordered_map<std::wstring, variant>.find",
      [&] {
        for (auto const& name : names) sink += dict.GetValue(name.c_str(), true)->AsInt();
      },
      [&] {
        for (auto const& name : names) sink += std::get<int>(peer.find(name)->second);
      });
  OrvBench::KeepAlive(sink);
}

ORV_BENCHMARK(DictSaveLoad) {
  Orv::CDict dict;
  std::vector<std::pair<std::wstring, int>> entries;
  for (unsigned i = 0; i < 100000; ++i) {
    entries.emplace_back(L"entry" + std::to_wstring(i), static_cast<int>(i * 7));
    dict.SetInt(dict.GetAtom(entries.back().first.c_str(), false), entries.back().second);
  }
  wchar_t folder[MAX_PATH];
  GetTempPathW(MAX_PATH, folder);
  std::wstring path = std::wstring(folder) + L"orv_dict_bench.bin";
  size_t sink = 0;
  OrvBench::Compare(
      "SaveDict + LoadDict, 100000 entries (compressed)", "entries through zlib + WriteFile, read back + uncompress",
      [&] {
        Orv::tSmartPtr<Orv::ISavedData> saved;
        Orv::SaveDict(dict, false, saved.Receive());
        Orv::IData* stored = saved->GetSavedData();
        Orv::tSmartPtr<Orv::ISavedData> reread;
        Orv::CreateSavedDataFromMemory(stored, saved->GetLoadedSize(), true, reread.Receive());
        Orv::CDict back;
        Orv::LoadDict(reread, back);
        sink += back.GetCount();
      },
      [&] {
        std::string raw;
        for (auto const& e : entries) {
          raw.append(reinterpret_cast<const char*>(e.first.c_str()), (e.first.size() + 1) * 2);
          raw.append(reinterpret_cast<const char*>(&e.second), 4);
        }
        uLongf size = compressBound(raw.size());
        std::string packed(size, '\0');
        compress2(reinterpret_cast<Bytef*>(&packed[0]), &size, reinterpret_cast<const Bytef*>(raw.data()), raw.size(), 9);
        HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written;
        WriteFile(file, packed.data(), size, &written, nullptr);
        CloseHandle(file);
        uLongf back = raw.size();
        uncompress(reinterpret_cast<Bytef*>(&raw[0]), &back, reinterpret_cast<const Bytef*>(packed.data()), size);
        sink += back;
      });
  OrvBench::KeepAlive(sink);
  DeleteFileW(path.c_str());
}
