// Console output of orvpack: UTF-8 text on stdout, diagnostics on stderr, and the exit codes.
#pragma once

#include <string>

#include "package_file.h"

namespace OrvPack {

enum EExit { eExitOk = 0, eExitFailed = 1, eExitUsage = 2 };

std::string Utf8(std::wstring const& text);
void Out(std::wstring const& line);  // one line on stdout
// "orvpack: error: message" on stderr; answers eExitFailed.
int Fail(std::wstring const& message);
// "file:line:column: error: message" (or "file: error: message" without a position) on stderr.
void Diagnose(std::wstring const& file, unsigned line, unsigned column, std::wstring const& message);
using OrvApps::Text;

}  // namespace OrvPack
