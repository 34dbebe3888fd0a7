// Runs every target: its regression seeds (seeds/<target>/*), then generated cases mutated from
// valid inputs with a fixed-seed generator, a bounded count per target or, given a time budget,
// as many as fit. A failing, crashing or hanging case saves its input to the failure folder.
//   fuzz_tests [--fuzz-seconds=N] [--fuzz-seed=N] [--fuzz-failures=DIR]
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <thread>

#include "fuzz.h"

ORV_DEFINE_MODULE(Orv::CModule)

namespace Fuzz {

namespace {

bool WriteBytes(std::wstring const& path, Bytes const& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  bool ok = file != INVALID_HANDLE_VALUE &&
            WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  return ok && written == bytes.size();
}

constexpr long long kTimeoutSeconds = 60;  // per case

unsigned g_seconds = 0;  // 0: the bounded run
unsigned g_seed = 20261207;
std::wstring g_failures = ORV_FUZZ_FAILURES;

// The case being run, for the watchdog and the crash handlers.
const Target* volatile g_target = nullptr;
const Bytes* volatile g_input = nullptr;
std::atomic<long long> g_started{0};

long long Now() {
  return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

std::wstring Widen(std::string const& s) { return std::wstring(s.begin(), s.end()); }

// Writes the input under failures/<target>/<hash>.bin and names it on stderr.
std::wstring SaveFailure(Target const& target, Bytes const& input, const char* why) {
  std::wstring dir = g_failures + L"/" + Widen(target.name);
  std::wstring path = dir + L"/" + std::to_wstring(std::hash<std::string>()(input)) + L".bin";
  CreateDirectoryW(g_failures.c_str(), nullptr);
  CreateDirectoryW(dir.c_str(), nullptr);
  WriteBytes(path, input);
  fwprintf(stderr, L"[fuzz] %hs: %hs; input saved as %ls\n", target.name, why, path.c_str());
  fflush(stderr);
  return path;
}

void SaveCurrentAndExit(const char* why) {
  if (g_target && g_input) SaveFailure(*g_target, *g_input, why);
  TerminateProcess(GetCurrentProcess(), 3);
}

LONG WINAPI OnCrash(EXCEPTION_POINTERS*) {
  SaveCurrentAndExit("crashed");
  return EXCEPTION_EXECUTE_HANDLER;
}

void Watchdog() {
  for (;;) {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    long long started = g_started.load();
    if (started && Now() - started > kTimeoutSeconds) SaveCurrentAndExit("hung");
  }
}

std::vector<Bytes> ReadSeedFiles(const char* target) {
  std::vector<Bytes> seeds;
  std::wstring dir = std::wstring(ORV_FUZZ_SEEDS) + L"/" + Widen(target);
  WIN32_FIND_DATAW found;
  HANDLE find = FindFirstFileW((dir + L"/*").c_str(), &found);
  for (BOOL more = find != INVALID_HANDLE_VALUE; more; more = FindNextFileW(find, &found)) {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    tSmartPtr<Orv::IData> data;
    std::wstring path = dir + L"/" + found.cFileName;
    EXPECT_TRUE(Orv::ReadWholeFile(path.c_str(), data.Receive())) << std::string(path.begin(), path.end());
    seeds.push_back(OrvTest::Bytes(data));
  }
  if (find != INVALID_HANDLE_VALUE) FindClose(find);
  return seeds;
}

// One case; false (with the input saved) when it broke an expectation.
bool RunCase(Target const& target, Bytes const& input) {
  g_target = &target;
  g_input = &input;
  g_started = Now();
  target.run(input);
  g_started = 0;
  if (!testing::Test::HasFailure()) return true;
  std::wstring path = SaveFailure(target, input, "failed");
  ADD_FAILURE() << "failing input saved as " << std::string(path.begin(), path.end());
  return false;
}

class FuzzTarget : public testing::TestWithParam<Target> {};

TEST_P(FuzzTarget, RefusesBadInputCleanly) {
  Target const& target = GetParam();
  std::vector<Bytes> corpus = target.seeds();
  std::vector<Bytes> regressions = ReadSeedFiles(target.name);
  for (Bytes const& seed : corpus) ASSERT_TRUE(RunCase(target, seed)) << "a valid input";
  for (Bytes const& seed : regressions) ASSERT_TRUE(RunCase(target, seed)) << "a regression seed";
  corpus.insert(corpus.end(), regressions.begin(), regressions.end());
  Rng rng(g_seed + static_cast<unsigned>(std::hash<std::string>()(target.name)));
  long long end = Now() + g_seconds / Targets().size();
  unsigned cases = 0;
  while (g_seconds ? Now() < end : cases < target.ciCases) {
    Bytes input = corpus[Pick(rng, static_cast<unsigned>(corpus.size()))];
    for (unsigned i = 0, k = 1 + Pick(rng, 3); i < k; ++i) input = target.mutate(input, rng);
    ++cases;
    if (!RunCase(target, input)) break;
  }
  printf("[fuzz] %s: %u regression seeds, %u generated cases (seed %u)\n", target.name,
         static_cast<unsigned>(regressions.size()), cases, g_seed);
}

INSTANTIATE_TEST_SUITE_P(Loaders, FuzzTarget, testing::ValuesIn(Targets()),
                         [](testing::TestParamInfo<Target> const& info) { return std::string(info.param.name); });

unsigned Number(const char* text, unsigned fallback) { return text && *text ? strtoul(text, nullptr, 0) : fallback; }

void ReadOptions(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    auto value = [&](const char* flag) { return arg.rfind(flag, 0) == 0 ? arg.c_str() + strlen(flag) : nullptr; };
    if (const char* v = value("--fuzz-seconds=")) g_seconds = Number(v, 0);
    if (const char* v = value("--fuzz-seed=")) g_seed = Number(v, g_seed);
    if (const char* v = value("--fuzz-failures=")) g_failures = Widen(v);
  }
}

}  // namespace
}  // namespace Fuzz

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  Fuzz::ReadOptions(argc, argv);
  Orv::CWinMainInit init(0);
  SetUnhandledExceptionFilter(Fuzz::OnCrash);
  std::set_terminate([] { Fuzz::SaveCurrentAndExit("terminated"); });
  std::thread(Fuzz::Watchdog).detach();
  return RUN_ALL_TESTS();
}
