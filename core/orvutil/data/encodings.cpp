// The record encodings: padded byte blocks, counted UTF-16LE strings, the byte-order mark.
#include <cstring>
#include <cwchar>

#include "detail.h"
#include "orvutil/data/encodings.h"
#include "orvutil/foundation/smartptr.h"

namespace Orv {

namespace {

const unsigned char kZeros[4] = {0, 0, 0, 0};

// The zero bytes that bring `n` bytes up to a multiple of 4.
bool WritePadding(IDataWriter* out, unsigned n) {
  unsigned padding = (4u - (n & 3u)) & 3u;
  return padding == 0 || out->Write(kZeros, padding);
}

// The 32-bit byte count of a text of `length` characters and its terminator; false when it does
// not fit.
bool StringByteCount(size_t length, unsigned& count) {
  if (length >= 0x7FFFFFFFu) return false;
  count = static_cast<unsigned>(length + 1) * 2u;
  return true;
}

bool SaveString(IDataWriter* out, const wchar_t* text, size_t length) {
  unsigned count = 0;
  if (!out || !text || !StringByteCount(length, count)) return false;
  unsigned char header[4] = {static_cast<unsigned char>(count), static_cast<unsigned char>(count >> 8),
                             static_cast<unsigned char>(count >> 16), static_cast<unsigned char>(count >> 24)};
  // The text and its terminator are written as they lie in memory: UTF-16LE on Windows.
  return out->Write(header, 4) && out->Write(text, count) && WritePadding(out, count);
}

// Reads a string record: its count and padded text, both checked. `text` points at the record's
// code units and `units` counts them. On failure the position is where it was.
bool LoadStringRecord(IDataReader* in, const wchar_t*& text, unsigned& units) {
  if (!in) return false;
  unsigned start = in->GetPos();
  const unsigned char* header = in->Read(4);
  unsigned count = header ? header[0] | header[1] << 8 | header[2] << 16 | static_cast<unsigned>(header[3]) << 24 : 0;
  unsigned padded = 0;
  const unsigned char* bytes = nullptr;
  if (count != 0 && count % 2 == 0 && DataDetail::Padded(count, padded)) bytes = in->Read(padded);
  if (!bytes) {
    in->SetPos(start);
    return false;
  }
  text = reinterpret_cast<const wchar_t*>(bytes);
  units = count / 2;
  return true;
}

}  // namespace

bool SaveBytes(IDataWriter* out, const void* p, unsigned int n) {
  if (!out || !p) return false;
  return out->Write(p, n) && WritePadding(out, n);
}

bool SaveBytes(IDataWriter* out, IData* data) {
  if (!out || !data) return false;
  unsigned size = data->GetSize();
  const unsigned char* p = data->GetPointer();
  if (size == 0) return true;
  return SaveBytes(out, p, size);
}

bool LoadBytes(IDataReader* in, void* dst, unsigned int n) {
  if (!dst) return false;
  const unsigned char* p = LoadBytes(in, n);
  if (!p) return false;
  std::memcpy(dst, p, n);
  return true;
}

bool LoadBytes(IDataReader* in, unsigned int n, IData** out) {
  if (out) *out = nullptr;
  unsigned padded = 0;
  if (!in || !DataDetail::Padded(n, padded)) return false;
  unsigned start = in->GetPos();
  if (!DataDetail::RangeFits(start, padded, in->GetSize())) return false;
  if (!in->ReadData(n, out)) return false;
  if (in->SetPos(start + padded)) return true;
  if (out && *out) {
    (*out)->Release();
    *out = nullptr;
  }
  in->SetPos(start);
  return false;
}

const unsigned char* LoadBytes(IDataReader* in, unsigned int n) {
  unsigned padded = 0;
  if (!in || !DataDetail::Padded(n, padded)) return nullptr;
  return in->Read(padded);
}

template <>
bool SaveData<tstring>(IDataWriter* out, const tstring& text) {
  return SaveString(out, text.c_str(), text.size());
}

template <>
bool LoadData<tstring>(IDataReader* in, tstring& text) {
  const wchar_t* units = nullptr;
  unsigned count = 0;
  if (!LoadStringRecord(in, units, count)) return false;
  unsigned length = 0;
  while (length < count && units[length] != L'\0') ++length;
  text.assign(units, length);
  return true;
}

bool SaveRawString(IDataWriter* out, const wchar_t* text) {
  return text && SaveString(out, text, std::wcslen(text));
}

bool LoadRawString(IDataReader* in, const wchar_t*& text) {
  text = nullptr;
  if (!in) return false;
  unsigned start = in->GetPos();
  const wchar_t* units = nullptr;
  unsigned count = 0;
  if (!LoadStringRecord(in, units, count)) return false;
  for (unsigned i = 0; i < count; ++i) {
    if (units[i] == L'\0') {
      text = units;
      return true;
    }
  }
  in->SetPos(start);  // no terminator inside the record: the text would run past it
  return false;
}

bool WriteUnicodeBOM(IDataWriter* out) {
  static const unsigned char kMark[2] = {0xFF, 0xFE};
  return out && out->Write(kMark, sizeof(kMark));
}

}  // namespace Orv
