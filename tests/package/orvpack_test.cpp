// orvpack from the shell's side: compile, dump, id and extract, usage and compile errors.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "../support/run_self.h"
#include "orvutil/orvutil.h"

namespace {

std::string Utf8(std::wstring const& text) {
  int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(size, '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], size, nullptr, nullptr);
  return out;
}

struct Tool {
  std::wstring dir = std::wstring(Orv::GetTempDirectory().c_str()) + L"\\orv_orvpack_test";
  DWORD exit = 99;
  std::string Run(std::wstring const& args) {
    std::wstring exe = std::wstring(Orv::GetExecutableDir().c_str()) + L"\\orvpack.exe";
    return OrvTest::RunProgram(exe.c_str(), args.c_str(), exit);
  }
  std::wstring Path(const wchar_t* name) const { return dir + L"\\" + name; }
  void Put(const wchar_t* name, std::string const& bytes) const {
    std::ofstream(Utf8(Path(name)), std::ios::binary) << bytes;
  }
  std::string Get(const wchar_t* name) const {
    std::ifstream in(Utf8(Path(name)), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
};

TEST(OrvPack, CompileDumpIdExtractAndErrors) {
  Tool tool;
  CreateDirectoryW(tool.dir.c_str(), nullptr);
  std::string hello = "hello, package\n";
  tool.Put(L"hello.bin", hello);
  tool.Put(L"demo.txt",
           "# two copies of one file, the second through a plug-in's registration\n"
           "new bytes ('greeting' '11111111-2222-3333-4444-555555555555') { string file { 'hello.bin' } }\n"
           "new plugged-bytes ('copy' '11111111-2222-3333-4444-555555555556') { string file { 'hello.bin' } }\n");
  std::wstring pak = tool.Path(L"demo.pak");
  std::wstring plugIn = std::wstring(Orv::GetExecutableDir().c_str()) + L"\\orv_package_plugin.dll";
  EXPECT_EQ("", tool.Run(L"compile \"" + tool.Path(L"demo.txt") + L"\" -o \"" + pak + L"\" --plugin \"" + plugIn + L"\""));
  ASSERT_EQ(0u, tool.exit);
  std::string id = tool.Run(L"id \"" + pak + L"\"");
  EXPECT_EQ(0u, tool.exit);
  EXPECT_EQ(Utf8(Orv::StringFromGUID(Orv::GetPackageID(pak.c_str())).c_str()) + "\n", id);
  std::string classId = Utf8(Orv::StringFromGUID(Orv::GetPackageByteDataClassID()).c_str());
  std::string category = Utf8(Orv::StringFromGUID(Orv::GetPackageByteDataCategory()).c_str());
  std::string module = Utf8(Orv::StringFromGUID(Orv::GetOrvutilModule().GetID()).c_str());
  std::string entry = "\" class " + classId + " category " + category + " instance {11111111-2222-3333-4444-55555555555";
  std::string sizes = "\n    value64 0 value32 0 inline 0 payload 24/24 plain\n";
  EXPECT_EQ("package \"demo\" " + id + "nodes 2\n  \"greeting" + entry + "5}" + sizes + "  \"copy" + entry + "6}" + sizes +
                "guid records 3\n  " + classId + " class \"Package Byte Data\" " + module + "\n  " + category +
                " category \"Package Byte Data\" {00000000-0000-0000-0000-000000000000}\n  " + module +
                " module \"" + Utf8(Orv::GetOrvutilModule().GetName().c_str()) + "\" {00000000-0000-0000-0000-000000000000}\n",
            tool.Run(L"dump \"" + pak + L"\""));
  EXPECT_EQ(0u, tool.exit);
  EXPECT_EQ("", tool.Run(L"extract \"" + pak + L"\" copy -o \"" + tool.Path(L"out.bin") + L"\""));
  EXPECT_EQ(0u, tool.exit);
  EXPECT_EQ(hello, tool.Get(L"out.bin"));
  // Failures: a compile error names the file and position; the old output survives it.
  tool.Put(L"bad.txt", "new bytes {\n  int file { 99999999999 } }\n");
  std::string error = tool.Run(L"compile \"" + tool.Path(L"bad.txt") + L"\" -o \"" + pak + L"\"");
  EXPECT_EQ(1u, tool.exit);
  EXPECT_EQ(Utf8(tool.Path(L"bad.txt")) + ":2:14: error: stopped at '99999999999'\n", error);
  EXPECT_EQ(id, tool.Run(L"id \"" + pak + L"\""));
  const std::pair<const wchar_t*, DWORD> kUsage[] = {{L"", 2}, {L"frobnicate", 2}, {L"compile in.txt", 2}, {L"dump", 2},
      {L"extract x.pak n", 2}, {L"id missing.pak", 1}, {L"dump missing.pak", 1}, {L"--help", 0}};
  for (auto const& c : kUsage) {
    std::string output = tool.Run(c.first);
    EXPECT_EQ(c.second, tool.exit) << Utf8(c.first) << output;
    EXPECT_EQ(0u, output.find(c.second ? "orvpack: error: " : "usage: orvpack")) << output;
  }
  tool.Run(L"extract \"" + pak + L"\" nothing -o \"" + tool.Path(L"none.bin") + L"\"");
  EXPECT_EQ(1u, tool.exit);
}

}  // namespace
