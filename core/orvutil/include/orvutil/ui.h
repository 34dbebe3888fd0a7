// User interface: window and dialog objects, the message pump with its filters and modeless-dialog
// routing, the wait cursor, geometry, window and scrolling helpers, and the rich edit control.
#pragma once

#include "orvutil/ui/coords.h"
#include "orvutil/ui/geometry.h"
#include "orvutil/ui/window.h"
#include "orvutil/ui/dialog.h"
#include "orvutil/ui/messageloop.h"
#include "orvutil/ui/waitcursor.h"
#include "orvutil/ui/windowhelpers.h"
#include "orvutil/ui/scrolling.h"
#include "orvutil/ui/richedit.h"
