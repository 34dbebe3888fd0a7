// System: directories, a file written and read back, and a registry value, all under places of
// this example's own that it removes again.
#include <cstdio>

#include "orvutil/orvutil.h"

int main() {
  Orv::tstring root = Orv::GetTempDirectory() + L"\\system-example";
  Orv::tstring file = root + L"\\a\\b\\note.txt";
  if (!Orv::CreateDirectoryW((root + L"\\a\\b").c_str())) return 1;  // with its ancestors

  const char text[] = "written by the example";
  {
    Orv::CFile out;  // closes the handle when it goes
    if (!out.OpenWrite(file.c_str()) || !Orv::WriteFile(out, text, sizeof(text) - 1)) return 1;
  }
  Orv::tObjVector<Orv::tstring> files, directories;
  if (!Orv::GetDirectoryContents((root + L"\\a\\b").c_str(), files, directories)) return 1;
  std::printf("%u file(s), the first %ls of %u bytes\n", files.Count(), files.Count() ? files[0].c_str() : L"-",
              Orv::GetFileSize(file.c_str()));

  // Registry values under a key of our own; typed reads fall back to a default.
  Orv::CRegKey key;
  if (!key.Create(HKEY_CURRENT_USER, L"Software\\OrvutilExample")) return 1;
  unsigned long runs = 0, missing = 0;
  Orv::RegSetValueW(key, L"Runs", 7ul);
  bool read = Orv::RegGetValueW(key, L"Runs", runs, 0ul);
  bool absent = !Orv::RegGetValueW(key, L"Nothing", missing, 42ul);
  std::printf("Runs = %lu, a missing value reads as its default %lu\n", runs, missing);
  key.Close();
  Orv::RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\OrvutilExample");

  // Failures are values: the removed directory is gone, and opening a missing file says false.
  bool removed = Orv::DeleteDirectory(root.c_str(), true) && !Orv::DirectoryExists(root.c_str());
  Orv::CFile in;
  bool cannotOpen = !in.OpenRead(file.c_str());
  return read && runs == 7 && absent && missing == 42 && removed && cannotOpen ? 0 : 1;
}
