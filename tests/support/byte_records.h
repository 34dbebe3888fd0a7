// Test support: blocks as std::string and back, and the little-endian records the library's stored
// formats are made of, written here independently as a peer of the library's encoders.
#pragma once

#include <cstring>
#include <string>

#include "orvutil/orvutil.h"

namespace OrvTest {

inline std::string Bytes(Orv::IData* data) {
  return data && data->GetSize() ? std::string(reinterpret_cast<const char*>(data->GetPointer()), data->GetSize())
                                 : std::string();
}

// A new data vector holding `bytes`.
inline Orv::tSmartPtr<Orv::IData> Block(const std::string& bytes) {
  Orv::tSmartPtr<Orv::IDataVector> vector;
  Orv::CreateDataVector(static_cast<unsigned>(bytes.size()), vector.Receive());
  if (vector && !bytes.empty()) memcpy(vector->GetVector().Data(), bytes.data(), bytes.size());
  return Orv::tSmartPtr<Orv::IData>(vector.Get());
}

inline void Put32(std::string& out, unsigned v) {
  for (int shift = 0; shift < 32; shift += 8) out += static_cast<char>(v >> shift);
}
inline void PutRaw(std::string& out, const void* p, size_t n) { out.append(static_cast<const char*>(p), n); }
inline void Pad(std::string& out) { out.append((4 - out.size() % 4) % 4, '\0'); }
// A string record: its byte count, the UTF-16LE units with a terminator, padding to 4.
inline void PutText(std::string& out, const std::wstring& text) {
  Put32(out, static_cast<unsigned>((text.size() + 1) * 2));
  for (wchar_t c : text + L'\0') out += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
  Pad(out);
}

}  // namespace OrvTest
