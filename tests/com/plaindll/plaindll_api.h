// What the plug-in registry tests know of their plain COM test DLL, orv_test_plaindll.dll: a DLL
// that is not built on orvutil and only has the standard COM entry points, plus exports that let a
// test steer and watch it.
#pragma once

#include <windows.h>

namespace PlainApi {

constexpr wchar_t kDllName[] = L"orv_test_plaindll.dll";

// Served only by the plain DLL.
constexpr GUID kPlainClass = {0x2d7b91e4, 0x6a35, 0x4c8e, {0x9f, 0x01, 0x5b, 0x7c, 0x3e, 0x2a, 0x80, 0x14}};
// Served by the plain DLL and by the library-based test plug-in (orv_test_plugin.dll).
constexpr GUID kSharedClass = {0x2d7b91e5, 0x6a35, 0x4c8e, {0x9f, 0x01, 0x5b, 0x7c, 0x3e, 0x2a, 0x80, 0x14}};

// Exported as void __cdecl PlainSetUnloadAnswer(HRESULT): what DllCanUnloadNow answers while no
// object or server lock is alive (S_OK at load). With objects alive it always answers S_FALSE.
// Exported as long __cdecl PlainGetClassObjectCalls(): how often DllGetClassObject was called since
// the DLL was loaded (the test plug-in's PluginGetClassObjectCalls likewise).

}  // namespace PlainApi
