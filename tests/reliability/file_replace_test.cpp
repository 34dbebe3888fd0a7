// Saving over files whose replacement fails: the saver reports the failure, the old file stays as
// it was and no temporary file is left beside it; a good save replaces the file whole.
#include <gtest/gtest.h>

#include <functional>

#include "../support/process_usage.h"
#include "../support/run_self.h"
#include "../support/scratch.h"
#include "../support/samples.h"

namespace {

using namespace OrvTest;
using ScratchFiles::tstring;

class FileReplace : public ScratchFiles::ScratchTest {
 protected:
  // Names of temporary files left in the test's directory.
  std::string Leftovers() {
    std::string names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(Path(L"*.tmp").c_str(), &found);
    for (bool more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileW(search, &found)) {
      names += Narrow(tstring(found.cFileName)) + " ";
    }
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
    return names;
  }
  std::string State(const tstring& path) {
    std::string bytes;
    if (ScratchFiles::ReadRaw(path, bytes)) return "file:" + bytes;
    return ScratchFiles::ExistsRaw(path) ? "directory" : "none";
  }
  static std::wstring Quoted(const tstring& path) { return L"\"" + std::wstring(path.c_str()) + L"\""; }
  bool Orvpack(const std::wstring& args) {
    DWORD exit = 99;
    std::wstring exe = std::wstring(Orv::GetExecutableDir().c_str()) + L"\\orvpack.exe";
    std::string output = OrvTest::RunProgram(exe.c_str(), args.c_str(), exit);
    EXPECT_EQ(exit == 0, output.empty()) << output;
    return exit == 0;
  }
};

TEST_F(FileReplace, FailedSavesReportAndLeaveTheOldFileAndNoTemporary) {
  ASSERT_TRUE(ScratchFiles::WriteRaw(Path(L"payload.bin"), SampleBytes(700, 7)));
  ASSERT_TRUE(ScratchFiles::WriteRaw(Path(L"in.txt"), "new bytes ('greeting') { string file { 'payload.bin' } }\n"));
  std::wstring text = Quoted(Path(L"in.txt")), source = Quoted(Path(L"source.pak"));
  ASSERT_TRUE(Orvpack(L"compile " + text + L" -o " + source));
  Ptr<Orv::IPackage> package = SamplePackage();
  struct Saver {
    const char* name;
    std::function<bool(const tstring& target)> save;
    bool inProcess;
    bool inPlace = false;  // opens the file itself: a read-only file is left to the system's refusal
  } savers[] = {
      {"SavePackageToFile", [&](const tstring& t) { return Orv::SavePackageToFile(package, t.c_str()); }, true},
      {"CLog::AddFile",
       [](const tstring& t) {
         Orv::CLog log;
         return log.AddFile(t.c_str(), false) && log.Trace(L"a line of the log");
       },
       true, true},
      {"orvpack compile", [&](const tstring& t) { return Orvpack(L"compile " + text + L" -o " + Quoted(t)); }, false},
      {"orvpack extract",
       [&](const tstring& t) { return Orvpack(L"extract " + source + L" greeting -o " + Quoted(t)); }, false}};
  auto oldFile = [](const tstring& t) { ScratchFiles::WriteRaw(t, "old"); };
  // Ways for the replacement to fail: what makes the target so, and whether the test then holds it
  // open without sharing while the saver runs.
  struct {
    const char* name;
    std::function<void(const tstring& target)> prepare;
    bool hold;
  } blockers[] = {
      {"open without sharing", oldFile, true},
      {"read-only", [&](const tstring& t) { oldFile(t), SetFileAttributesW(t.c_str(), FILE_ATTRIBUTE_READONLY); }, false},
      {"a directory", [](const tstring& t) { CreateDirectoryW(t.c_str(), nullptr); }, false},
      {"in a missing folder", [](const tstring&) {}, false}};
  for (auto& saver : savers) {
    saver.save(Path(L"first.pak"));  // what the first save sets up once is no leak
    for (auto& blocker : blockers) {
      if (saver.inPlace && blocker.name[0] == 'r') continue;
      tstring target = Path(blocker.name[0] == 'i' ? L"missing\\out.pak" : L"out.pak");
      blocker.prepare(target);
      std::string before = State(target);
      HANDLE held = blocker.hold ? CreateFileW(target.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr) : nullptr;
      DWORD handles = OrvTest::HandleCount();
      EXPECT_FALSE(saver.save(target)) << saver.name << ", target " << blocker.name;
      if (saver.inProcess) {
        EXPECT_EQ(handles, OrvTest::HandleCount()) << saver.name << ", target " << blocker.name;
      }
      if (held && held != INVALID_HANDLE_VALUE) CloseHandle(held);
      EXPECT_EQ(before, State(target)) << saver.name << ", target " << blocker.name;
      EXPECT_EQ("", Leftovers()) << saver.name << ", target " << blocker.name;
      SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileW(target.c_str());
      RemoveDirectoryW(target.c_str());
    }
    // The same target, free now, is replaced whole.
    tstring target = Path(L"out.pak");
    ScratchFiles::WriteRaw(target, "old");
    EXPECT_TRUE(saver.save(target)) << saver.name;
    EXPECT_NE("file:old", State(target)) << saver.name;
    EXPECT_EQ("", Leftovers()) << saver.name;
  }
}

TEST_F(FileReplace, APayloadThatCannotBeReadFailsTheSave) {
  tstring source = Path(L"payload.bin"), target = Path(L"out.pak");
  ASSERT_TRUE(ScratchFiles::WriteRaw(source, SampleBytes(500, 8)));
  ASSERT_TRUE(ScratchFiles::WriteRaw(target, "old"));
  Ptr<Orv::IDataFile> file;
  Ptr<Orv::ISavedData> saved;
  Ptr<Orv::IPackageEntry> entry;
  Ptr<Orv::IPackage> package;
  ASSERT_TRUE(Orv::CreateDataFile(source.c_str(), false, file.Receive()));
  ASSERT_TRUE(Orv::CreateSavedDataFromFile(file, 0, 500, 500, false, saved.Receive()));
  ASSERT_TRUE(Orv::CreatePackageEntry(L"gone", GUID_NULL, GUID_NULL, GUID_NULL, saved, entry.Receive()));
  ASSERT_TRUE(Orv::CreatePackage(package.Receive()));
  package->AddNode(entry);
  ASSERT_TRUE(DeleteFileW(source.c_str()));
  EXPECT_FALSE(Orv::SavePackageToFile(package, target.c_str()));
  EXPECT_EQ("file:old", State(target));
  EXPECT_EQ("", Leftovers());
}

}  // namespace
