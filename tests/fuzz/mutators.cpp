// Shared mutators: byte-level changes with boundary integers over 32-bit fields, token-level
// changes of package text, and zlib as the peer codec.
#include <zlib.h>

#include <cstring>

#include "fuzz.h"

namespace Fuzz {

unsigned Pick(Rng& rng, unsigned n) { return n ? static_cast<unsigned>(rng() % n) : 0; }

uint32_t Boundary(Rng& rng, size_t size) {
  const uint32_t s = static_cast<uint32_t>(size);
  const uint32_t values[] = {0,          1,          2,          3,     4,       0x7FFFFFFF, 0x80000000,
                             0xFFFFFFFF, 0xFFFFFFFE, 0xFFFFFFFC, s,     s - 1,   s + 1,      s * 2,
                             s / 2,      0xFFFF,     0x10000,    0x100, rng(),   rng() % 64};
  return values[Pick(rng, sizeof(values) / sizeof(values[0]))];
}

uint32_t Get32(Bytes const& b, size_t at) {
  uint32_t v = 0;
  if (at + 4 <= b.size()) memcpy(&v, b.data() + at, 4);
  return v;
}

void Put32(Bytes& b, size_t at, uint32_t v) {
  if (at + 4 <= b.size()) memcpy(&b[at], &v, 4);
}

Bytes MutateBytes(Bytes b, Rng& rng, std::vector<size_t> const& fields) {
  size_t n = b.size();
  size_t at = Pick(rng, static_cast<unsigned>(n + 1));
  size_t run = 1 + Pick(rng, Pick(rng, 2) ? 8 : 256);
  switch (Pick(rng, 7)) {
    case 0:  // bit flips
      for (unsigned i = 0, k = 1 + Pick(rng, 8); n && i < k; ++i) b[Pick(rng, n)] ^= char(1 << Pick(rng, 8));
      break;
    case 1: b.resize(Pick(rng, static_cast<unsigned>(n + 1))); break;  // truncation
    case 2: b.insert(at, run, char(Pick(rng, 2) ? 0 : rng())); break;
    case 3: b.erase(at, run); break;
    case 4: b.insert(at, b.substr(Pick(rng, static_cast<unsigned>(n + 1)), run)); break;  // a copied run
    default:  // a boundary integer over a known field, else over any aligned word
      if (n < 4) break;
      at = fields.size() && Pick(rng, 4) ? fields[Pick(rng, static_cast<unsigned>(fields.size()))]
                                         : Pick(rng, static_cast<unsigned>(n / 4)) * 4;
      Put32(b, at, Boundary(rng, n));
  }
  return b;
}

namespace {

// Package text as tokens: runs of word characters, quoted strings, white space, single others.
std::vector<Bytes> Tokens(Bytes const& text) {
  auto word = [](char c) { return isalnum(static_cast<unsigned char>(c)) || strchr("-+._", c) || (c & 0x80); };
  std::vector<Bytes> tokens;
  for (size_t i = 0; i < text.size();) {
    size_t j = i + 1;
    char c = text[i];
    if (c == '"' || c == '\'') {
      while (j < text.size() && text[j] != c && text[j] != '\n') ++j;
      j = j < text.size() ? j + 1 : j;
    } else if (word(c)) {
      while (j < text.size() && word(text[j])) ++j;
    } else if (isspace(static_cast<unsigned char>(c))) {
      while (j < text.size() && isspace(static_cast<unsigned char>(text[j]))) ++j;
    }
    tokens.push_back(text.substr(i, j - i));
    i = j;
  }
  return tokens;
}

const char* const kHostile[] = {"99999999999999999999", "2147483647", "-2147483648", "2147483648", "-2147483649",
                                "4294967295", "1e39", "-1e39", "3.4028235e38", "1e-50", "nan", "inf", "0x10",
                                "'unterminated", "\"open\n", "{", "}", "(", ")", "new", "unsaved", "import",
                                "int", "float", "string", "obj", "#", "//", "/", "\xC3\xA9", "\xE2\x80\xA8", ";"};

}  // namespace

Bytes MutateText(Bytes const& in, Rng& rng) {
  std::vector<Bytes> t = Tokens(in);
  unsigned n = static_cast<unsigned>(t.size());
  unsigned i = Pick(rng, n), j = Pick(rng, n);
  switch (Pick(rng, 6)) {
    case 0: if (n) t.erase(t.begin() + i); break;
    case 1: if (n) t.insert(t.begin() + i, t[j]); break;
    case 2: if (n) std::swap(t[i], t[j]); break;
    case 3: t.insert(t.begin() + i, kHostile[Pick(rng, sizeof(kHostile) / sizeof(kHostile[0]))]); break;
    case 4: if (n) t[i] = Bytes(Pick(rng, 2) ? 1 : 5000, t[i].empty() ? 'x' : t[i][0]); break;
    default: return MutateBytes(in, rng);
  }
  Bytes out;
  for (auto const& s : t) out += s;
  return out;
}

Bytes Deflate(Bytes const& in) {
  uLongf size = compressBound(static_cast<uLong>(in.size()));
  Bytes out(size, '\0');
  if (compress2(reinterpret_cast<Bytef*>(&out[0]), &size, reinterpret_cast<const Bytef*>(in.data()),
                static_cast<uLong>(in.size()), 9) != Z_OK)
    return Bytes();
  out.resize(size);
  return out;
}

Bytes Inflate(Bytes const& in, bool& ok) {
  z_stream z{};
  Bytes out;
  ok = inflateInit(&z) == Z_OK;
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
  z.avail_in = static_cast<uInt>(in.size());
  int result = Z_OK;
  char buffer[65536];
  while (ok && result == Z_OK) {
    z.next_out = reinterpret_cast<Bytef*>(buffer);
    z.avail_out = sizeof(buffer);
    result = inflate(&z, Z_NO_FLUSH);
    out.append(buffer, sizeof(buffer) - z.avail_out);
    if (result == Z_BUF_ERROR && z.avail_out == sizeof(buffer)) break;  // input ended inside the stream
    if (result == Z_BUF_ERROR) result = Z_OK;
  }
  ok = ok && result == Z_STREAM_END && z.avail_in == 0;
  inflateEnd(&z);
  return out;
}

}  // namespace Fuzz
