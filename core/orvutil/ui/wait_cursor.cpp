// CWaitCursor: the nesting depth and the WM_SETCURSOR filter of the outermost object.
#include <windows.h>

#include "../detail/never_destroyed.h"
#include "orvutil/threads/locks.h"
#include "orvutil/ui/messageloop.h"
#include "orvutil/ui/waitcursor.h"

namespace Orv {

namespace {

struct SWaitCursorState {
  CCriticalSection lock;
  unsigned depth = 0;
};

SWaitCursorState& State() {
  static Detail::tNeverDestroyed<SWaitCursorState> s_state;
  return s_state.Get();
}

void ShowWaitCursor() {
  ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
}

bool WaitCursorFilter(MSG& msg) {
  if (msg.message != WM_SETCURSOR) return false;
  ShowWaitCursor();
  return true;
}

}  // namespace

CWaitCursor::CWaitCursor() {
  SWaitCursorState& state = State();
  CScopeCriticalSection guard(state.lock);
  if (state.depth++ > 0) return;
  ShowWaitCursor();
  AddMessageFilter(WaitCursorFilter, nullptr);
}

// Setting the cursor to where it is makes Windows send WM_SETCURSOR and choose the shape again.
CWaitCursor::~CWaitCursor() {
  SWaitCursorState& state = State();
  CScopeCriticalSection guard(state.lock);
  if (--state.depth > 0) return;
  RemoveMessageFilter(WaitCursorFilter);
  POINT position;
  if (::GetCursorPos(&position)) ::SetCursorPos(position.x, position.y);
}

unsigned CWaitCursor::GetDepth() {
  SWaitCursorState& state = State();
  CScopeCriticalSection guard(state.lock);
  return state.depth;
}

}  // namespace Orv
