// CWaitCursor: a scope object that shows the wait cursor while it lives.
//
// Objects nest, on any thread: the outermost one shows the system wait cursor and installs a
// message filter that answers every pumped WM_SETCURSOR with the wait cursor; when the outermost
// one ends, the filter goes and the cursor is set to its current position so that Windows works out
// its shape again. The nesting depth is process-wide and locked.
#pragma once

#include "orvutil/export.h"

namespace Orv {

class ORV_API CWaitCursor {
 public:
  CWaitCursor();
  ~CWaitCursor();
  CWaitCursor(const CWaitCursor&) = delete;
  CWaitCursor& operator=(const CWaitCursor&) = delete;

  // The number of CWaitCursor objects alive.
  static unsigned GetDepth();
};

}  // namespace Orv
