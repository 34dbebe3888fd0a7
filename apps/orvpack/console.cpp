// UTF-8 console output for orvpack.
#include "console.h"

#include <cstdio>

namespace OrvPack {

std::string Utf8(std::wstring const& text) {
  int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(size > 0 ? size : 0, '\0');
  if (size > 0) {
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], size, nullptr, nullptr);
  }
  return out;
}

void Out(std::wstring const& line) {
  std::string bytes = Utf8(line) + "\n";
  std::fwrite(bytes.data(), 1, bytes.size(), stdout);
}

int Fail(std::wstring const& message) {
  std::string bytes = "orvpack: error: " + Utf8(message) + "\n";
  std::fwrite(bytes.data(), 1, bytes.size(), stderr);
  return eExitFailed;
}

void Diagnose(std::wstring const& file, unsigned line, unsigned column, std::wstring const& message) {
  std::string where = Utf8(file);
  if (line) where += ":" + std::to_string(line) + ":" + std::to_string(column);
  std::string bytes = where + ": error: " + Utf8(message) + "\n";
  std::fwrite(bytes.data(), 1, bytes.size(), stderr);
}

}  // namespace OrvPack
