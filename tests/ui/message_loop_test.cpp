// The message pump: filters, removal during a pump, module references, the wait cursor's filter,
// PostMessageOnce, waiting, APCs and WM_QUIT.
#include <cstdlib>
#include <string>

#include "orvutil/com.h"
#include "ui_test_support.h"

namespace UiTests {
namespace {

constexpr UINT kProbe = WM_APP + 300;

// Filter<L> appends L to the trace when it sees kProbe; the consumer's returns true. On a probe A
// first does what g_aDoes asks: 'B' removes B, 'A' removes A itself, 'P' pumps a nested loop.
std::string g_trace, g_aDoes;
char g_consumer = 0;

template <char kLetter>
bool Filter(MSG& msg) {
  if (msg.message != kProbe) return false;
  for (char action : kLetter == 'A' ? g_aDoes : std::string()) {
    if (action == 'P') Orv::HandleMessages();
    if (action == 'A' || action == 'B') Orv::RemoveMessageFilter(action == 'A' ? Filter<'A'> : Filter<'B'>);
  }
  g_trace += kLetter;
  return g_consumer == kLetter;
}
constexpr auto FilterA = &Filter<'A'>, FilterB = &Filter<'B'>, FilterC = &Filter<'C'>;

class MessageLoop : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(m_window.CreateMessageWindow()); }
  // The filters read the globals only while they are registered.
  void TearDown() override { for (auto filter : {FilterA, FilterB, FilterC}) Orv::RemoveMessageFilter(filter); }
  // Posts `count` probes to the window and pumps with this consumer and this A; the trace of the
  // filters, then '!' when the window got a probe.
  std::string Probe(char consumer = 0, std::string const& aDoes = "", int count = 1) {
    g_trace.clear();
    g_consumer = consumer;
    g_aDoes = aDoes;
    size_t before = m_window.CountOf(kProbe);
    for (int i = 0; i < count; ++i) ::PostMessageW(m_window, kProbe, 0, 0);
    Orv::HandleMessages();
    return g_trace + (m_window.CountOf(kProbe) > before ? "!" : "");
  }
  CRecordingWindow m_window;
};

// Filters run in the order of adding until one consumes the message; one removed during the walk
// (by another filter or by itself) is skipped and stays gone; a nested pump keeps the outer walk.
TEST_F(MessageLoop, FiltersRunInOrderUntilConsumedStayGoneOnceRemovedAndReleaseModules) {
  for (auto filter : {FilterA, FilterB, FilterC, static_cast<bool (*)(MSG&)>(nullptr)})
    Orv::AddMessageFilter(filter, nullptr);
  EXPECT_EQ("ABC!", Probe());
  EXPECT_EQ("AB", Probe('B'));
  EXPECT_EQ("AC!", Probe(0, "B"));
  EXPECT_EQ("AC!", Probe(0, "BA"));
  EXPECT_EQ("C!", Probe());
  Orv::AddMessageFilter(FilterB, nullptr);
  Orv::AddMessageFilter(FilterA, nullptr);
  // A removes B (already passed) and pumps the second probe inside: C, B, then the nested walk
  // (C, A), then A itself.
  EXPECT_EQ("CBCAA!", Probe(0, "BP", 2));
  // Removal takes every entry of a filter and releases the module reference each one held.
  Orv::CModule module;
  for (int i = 0; i < 2; ++i) Orv::AddMessageFilter(FilterB, &module);
  EXPECT_TRUE(module.GetObjectCount() == 2 && Probe() == "CABB!");
  Orv::RemoveMessageFilter(FilterB);
  EXPECT_TRUE(module.GetObjectCount() == 0 && Probe() == "CA!");
}

// While a wait cursor lives, WM_SETCURSOR is answered with it instead of reaching the window.
TEST_F(MessageLoop, NestedWaitCursorsAnswerSetCursorUntilTheOutermostEnds) {
  auto setCursorReachesWindow = [&] {
    ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW));
    ::PostMessageW(m_window, WM_SETCURSOR, WPARAM(m_window.GetHwnd()), HTCLIENT);
    Orv::HandleMessages();
    return m_window.CountOf(WM_SETCURSOR) > 0;
  };
  {
    Orv::CWaitCursor outer;
    { Orv::CWaitCursor inner; }
    EXPECT_TRUE(Orv::CWaitCursor::GetDepth() == 1 && !setCursorReachesWindow() &&
                ::GetCursor() == ::LoadCursorW(nullptr, IDC_WAIT));
  }
  EXPECT_TRUE(Orv::CWaitCursor::GetDepth() == 0 && setCursorReachesWindow());
}

void CALLBACK CountApc(ULONG_PTR counter) { ++*reinterpret_cast<int*>(counter); }

// PostMessageOnce posts only what is not waiting yet, per window and message. It peeks at the
// queue; the message it posts must still end the wait. The guard timer only keeps a faulty wait
// from hanging the run: it must not be what ended it (the wait takes less than half its time). APCs
// run when the pump runs, also while input is waiting (which satisfies the pump's zero wait before
// any APC runs).
TEST_F(MessageLoop, PostMessageOnceWaitingAndApcs) {
  Orv::HandleMessages();
  EXPECT_TRUE(Orv::PostMessageOnce(m_window, kProbe, 1, 0) && !Orv::PostMessageOnce(m_window, kProbe, 2, 0) &&
              Orv::PostMessageOnce(m_window, kProbe + 1, 0, 0));
  // The thread's own queue is another target.
  EXPECT_TRUE(Orv::PostMessageOnce(nullptr, kProbe, 0, 0) && !Orv::PostMessageOnce(nullptr, kProbe, 0, 0));
  EXPECT_EQ(3, RemoveQueued(m_window, kProbe) + RemoveQueued(m_window, kProbe + 1) +
                   RemoveQueued(reinterpret_cast<HWND>(-1), kProbe));
  UINT_PTR guard = ::SetTimer(nullptr, 0, 20000, nullptr);
  DWORD start = ::GetTickCount();
  MSG seen;
  ASSERT_TRUE(Orv::PostMessageOnce(m_window, kProbe, 0, 0) &&
              ::PeekMessageW(&seen, m_window, kProbe, kProbe, PM_NOREMOVE));
  EXPECT_TRUE(Orv::WaitForMessage());
  ::KillTimer(nullptr, guard);
  EXPECT_TRUE(::GetTickCount() - start < 10000 && m_window.CountOf(kProbe) == 1);
  for (bool inputWaiting : {false, true}) {
    if (inputWaiting) ::PostThreadMessageW(::GetCurrentThreadId(), kProbe, 0, 0);
    int runs = 0;
    ASSERT_TRUE(::QueueUserAPC(CountApc, ::GetCurrentThread(), reinterpret_cast<ULONG_PTR>(&runs)));
    EXPECT_TRUE(Orv::HandleMessages() && runs == 1) << inputWaiting;
    ::SleepEx(0, TRUE);  // a missed APC must not touch `runs` after it is gone
  }
}

// WM_QUIT is remembered for the rest of the process, so it is tried in a child process: it is not
// dispatched, stops the pump, and a wait returns at once.
TEST(MessageLoopDeathTest, QuitIsNotDispatchedAndStopsThePump) {
  auto run = [] {
    CRecordingWindow window;
    window.CreateMessageWindow();
    ::PostQuitMessage(3);
    ::PostMessageW(window, kProbe, 0, 0);
    bool pumped = Orv::HandleMessages(), waited = Orv::WaitForMessage();
    std::_Exit(!pumped && !waited && Orv::GotQuitMessage() && window.CountOf(kProbe) == 1 ? 0 : 1);
  };
  EXPECT_EXIT(run(), ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace UiTests
