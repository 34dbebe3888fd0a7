// What the host knows of the greetings plug-in: the interface its objects offer.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include "orvutil/com.h"

namespace Greetings {

struct IGreeting : public IUnknown {
  virtual Orv::tstring GetText() = 0;
  virtual int GetTimes() = 0;
};

}  // namespace Greetings

ORV_CLASS_GUID(Greetings::IGreeting, 0x7a3e51c0, 0x2b9d, 0x4c17, 0x8e, 0x64, 0x1f, 0x0a, 0x93, 0x5d, 0x2c, 0x41)
