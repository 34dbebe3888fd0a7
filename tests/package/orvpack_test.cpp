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

TEST(OrvPack, CompileDumpIdExtractAndErrors) {
  std::wstring dir = std::wstring(Orv::GetTempDirectory().c_str()) + L"\\orv_orvpack_test\\";
  std::wstring exeDir = std::wstring(Orv::GetExecutableDir().c_str()) + L"\\";
  CreateDirectoryW(dir.c_str(), nullptr);
  // Runs orvpack and checks its exit code; what it wrote.
  auto run = [&](std::wstring const& args, DWORD expectedExit = 0) {
    DWORD exit = 99;
    std::string output = OrvTest::RunProgram((exeDir + L"orvpack.exe").c_str(), args.c_str(), exit);
    EXPECT_EQ(expectedExit, exit) << Utf8(args) << output;
    return output;
  };
  auto quoted = [&](const wchar_t* name) { return L" \"" + dir + name + L"\""; };
  std::ofstream(Utf8(dir + L"hello.bin"), std::ios::binary) << "hello, package\n";
  std::ofstream(Utf8(dir + L"demo.txt"), std::ios::binary)
      << "# the second copy through a plug-in's registration\n"
         "new bytes ('greeting' '11111111-2222-3333-4444-555555555555') { string file { 'hello.bin' } }\n"
         "new plugged-bytes ('copy') { string file { 'hello.bin' } }\n";
  EXPECT_EQ("", run(L"compile" + quoted(L"demo.txt") + L" -o" + quoted(L"demo.pak") + L" --plugin \"" + exeDir +
                    L"orv_package_plugin.dll\""));
  std::string id = run(L"id" + quoted(L"demo.pak"));
  EXPECT_EQ(Utf8(Orv::StringFromGUID(Orv::GetPackageID((dir + L"demo.pak").c_str())).c_str()) + "\n", id);
  // The dump names the package, its nodes with their sizes, and the three GUID records.
  std::string dump = run(L"dump" + quoted(L"demo.pak"));
  EXPECT_EQ(0u, dump.find("package \"demo\" " + id + "nodes 2\n  \"greeting\" class ")) << dump;
  for (const char* fact : {"instance {11111111-2222-3333-4444-555555555555}\n    value64 0 value32 0 inline 0 payload 24/24 plain\n",
                           "\n  \"copy\" class ", "guid records 3\n", " category \"Package Byte Data\" "})
    EXPECT_NE(std::string::npos, dump.find(fact)) << fact << dump;
  EXPECT_EQ("", run(L"extract" + quoted(L"demo.pak") + L" copy -o" + quoted(L"out.bin")));
  std::ifstream out(Utf8(dir + L"out.bin"), std::ios::binary);
  EXPECT_EQ("hello, package\n", std::string(std::istreambuf_iterator<char>(out), std::istreambuf_iterator<char>()));
  // A compile error names the file and position; the old output survives it.
  std::ofstream(Utf8(dir + L"bad.txt"), std::ios::binary) << "new bytes {\n  int file { 99999999999 } }\n";
  EXPECT_EQ(Utf8(dir) + "bad.txt:2:14: error: stopped at '99999999999'\n",
            run(L"compile" + quoted(L"bad.txt") + L" -o" + quoted(L"demo.pak"), 1));
  EXPECT_EQ(id, run(L"id" + quoted(L"demo.pak")));
  const std::pair<std::wstring, DWORD> kUsage[] = {{std::wstring(), 2}, {L"frobnicate", 2}, {L"compile in.txt", 2}, {L"dump", 2},
      {L"extract x.pak n", 2}, {L"id missing.pak", 1}, {L"--help", 0}, {L"extract" + quoted(L"demo.pak") + L" nothing -o x", 1}};
  for (auto const& c : kUsage) {
    std::string output = run(c.first, c.second);
    EXPECT_EQ(0u, output.find(c.second ? "orvpack: error: " : "usage: orvpack")) << output;
  }
}

}  // namespace
