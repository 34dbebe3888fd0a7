// A typed DWORD read from an open key, against RegGetValueW called directly.
#include <windows.h>

#include <string>

#include "../harness.h"
#include "orvutil/system.h"

ORV_BENCHMARK(RegistryDwordRead) {
  std::wstring path = L"Software\\OrvUtilBench-" + std::to_wstring(::GetCurrentProcessId());
  Orv::CRegKey key;
  if (!key.Create(HKEY_CURRENT_USER, path.c_str()) || !Orv::RegSetValueW(key, L"number", 42ul)) return;
  unsigned long value = 0;
  OrvBench::Compare(
      "RegGetValueW (typed DWORD)", "::RegGetValueW", [&] { Orv::RegGetValueW(key, L"number", value, 0ul); },
      [&] {
        DWORD data = 0, bytes = sizeof(data);
        ::RegGetValueW(key, nullptr, L"number", RRF_RT_REG_DWORD, nullptr, &data, &bytes);
        OrvBench::KeepAlive(data);
      });
  OrvBench::KeepAlive(value);
  key.Close();
  Orv::RegDeleteKeyW(HKEY_CURRENT_USER, path.c_str());
}
