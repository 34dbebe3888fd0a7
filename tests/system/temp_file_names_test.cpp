// Temporary files are made inside the temporary area only: a prefix or extension that would name
// another directory, a drive, a device or a stream is refused.
#include "orvutil/system.h"
#include "scratch.h"

using Orv::tstring;

TEST(TempFileNames, PrefixesAndExtensionsThatLeaveTheAreaAreRefused) {
  ASSERT_TRUE(Orv::SetTempSubDirectory(L"test_hostile_names"));
  const struct {
    const wchar_t* prefix;
    const wchar_t* extension;
  } hostile[] = {
      {L"..\\..\\orv_escape_", nullptr},
      {L"../orv_escape_", nullptr},
      {L"sub\\name", nullptr},
      {L"C:orv_escape_", nullptr},
      {L"\\\\?\\C:\\x", nullptr},
      {L"\\\\.\\pipe\\x", nullptr},
      {L"..", nullptr},
      {nullptr, L"tmp\\..\\..\\..\\x"},
      {nullptr, L"t/x"},
      {nullptr, L".."},
      {nullptr, L"tmp:stream"},
      {L"name", L"C:\\x"},
  };
  tstring area = Orv::GetTempDirectory();
  for (const auto& names : hostile) {
    tstring made = Orv::CreateTempFile(names.prefix, names.extension);
    EXPECT_EQ(made, tstring()) << ::testing::PrintToString(tstring(names.prefix)) << " "
                               << ::testing::PrintToString(tstring(names.extension));
    if (!made.empty()) Orv::DeleteFileW(made.c_str());  // leave nothing behind outside the area
  }
  Orv::tObjVector<tstring> files, directories;
  ASSERT_TRUE(Orv::GetDirectoryContents(area.c_str(), files, directories));
  EXPECT_EQ(files.Count() + directories.Count(), 0u);
  EXPECT_TRUE(Orv::SetTempSubDirectory(nullptr));
}
