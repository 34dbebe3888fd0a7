// The tokenizer of package text, the classification of words, and position messages.
#include <cerrno>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cwctype>
#include <string>

#include "orvutil/package/parser.h"

namespace Orv {

namespace {

bool IsAsciiLetter(wchar_t c) { return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z'); }
bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }
bool IsSpace(wchar_t c) { return std::iswspace(c) != 0; }
// Letters are the ASCII letters and every character above U+007F that is not white space.
bool IsLetter(wchar_t c) { return IsAsciiLetter(c) || (c > 0x7F && !IsSpace(c)); }
bool IsWordChar(wchar_t c) { return IsLetter(c) || IsDigit(c) || c == L'-' || c == L'+' || c == L'.' || c == L'_'; }

// Skips digits from `i`; the index after them.
size_t SkipDigits(wchar_t const* s, size_t i, size_t n) {
  while (i < n && IsDigit(s[i])) ++i;
  return i;
}

// [+-] digits, the whole word.
bool IsIntegerSpelling(wchar_t const* s, size_t n) {
  size_t i = (n && (s[0] == L'+' || s[0] == L'-')) ? 1 : 0;
  return i < n && SkipDigits(s, i, n) == n;
}

// [+-] (digits [. digits] | . digits) [(e|E) [+-] digits], the whole word.
bool IsFloatSpelling(wchar_t const* s, size_t n) {
  size_t i = (n && (s[0] == L'+' || s[0] == L'-')) ? 1 : 0;
  size_t mantissa = SkipDigits(s, i, n);
  bool digits = mantissa > i;
  i = mantissa;
  if (i < n && s[i] == L'.') {
    size_t fraction = SkipDigits(s, i + 1, n);
    digits = digits || fraction > i + 1;
    i = fraction;
  }
  if (!digits) return false;
  if (i < n && (s[i] == L'e' || s[i] == L'E')) {
    size_t j = i + 1;
    if (j < n && (s[j] == L'+' || s[j] == L'-')) ++j;
    size_t exponent = SkipDigits(s, j, n);
    if (exponent == j) return false;
    i = exponent;
  }
  return i == n;
}

bool IsIdentifierSpelling(wchar_t const* s, size_t n) {
  if (!n || !(IsLetter(s[0]) || s[0] == L'_')) return false;
  for (size_t i = 1; i < n; ++i) {
    if (!(IsLetter(s[i]) || IsDigit(s[i]) || s[i] == L'_' || s[i] == L'-')) return false;
  }
  return true;
}

// The word's kind: numbers that do not fit their type are Bad, never a clipped value.
unsigned int ClassifyWord(wchar_t const* s, size_t n) {
  std::wstring word(s, n);
  if (IsIntegerSpelling(s, n)) {
    int value = 0;
    return ReadPackageInt(word.c_str(), value) ? eTokenInteger : eTokenBad;
  }
  if (IsFloatSpelling(s, n)) {
    float value = 0;
    return ReadPackageFloat(word.c_str(), value) ? eTokenFloat : eTokenBad;
  }
  return IsIdentifierSpelling(s, n) ? eTokenIdentifier : eTokenBad;
}

class CTokenizer {
 public:
  CTokenizer(tstring const& text, tObjVector<Token>& tokens) : m_text(text), m_tokens(tokens) {}

  bool Run(Token& error) {
    wchar_t const* s = m_text.c_str();
    size_t n = m_text.size();
    for (size_t i = 0; i < n; ++i) {
      if (!Step(s, n, i, error)) return false;
    }
    if (m_mode == eString) return Fail(error, m_stringStart, n - m_stringStart);
    FlushWord(n);
    Push(eTokenEnd, n, 0);
    return true;
  }

 private:
  enum EMode { eNormal, eString, eComment };

  bool Step(wchar_t const* s, size_t n, size_t i, Token& error) {
    wchar_t c = s[i];
    if (m_mode == eComment) {
      if (c == L'\r' || c == L'\n') m_mode = eNormal;
      return true;
    }
    if (m_mode == eString) {
      if (c == L'\n') return Fail(error, m_stringStart, i - m_stringStart);
      if (c == m_quote) {
        Push(eTokenString, m_stringStart, i - m_stringStart);
        m_mode = eNormal;
      }
      return true;
    }
    if (IsWordChar(c)) {
      if (m_wordStart == kNoWord) m_wordStart = i;
      return true;
    }
    FlushWord(i);
    if (IsSpace(c)) return true;
    if (c == L'\'' || c == L'"') {
      m_mode = eString;
      m_quote = c;
      m_stringStart = i + 1;
      return true;
    }
    if (c == L'#' || (c == L'/' && i + 1 < n && s[i + 1] == L'/')) {
      m_mode = eComment;
      return true;
    }
    return Punctuation(c, i, error);
  }

  bool Punctuation(wchar_t c, size_t i, Token& error) {
    switch (c) {
      case L'{': Push(eTokenOpenBrace, i, 1); return true;
      case L'}': Push(eTokenCloseBrace, i, 1); return true;
      case L'(': Push(eTokenOpenParen, i, 1); return true;
      case L')': Push(eTokenCloseParen, i, 1); return true;
      case L',':
      case L'/':
      case L';': return true;
      default: return Fail(error, i, 1);
    }
  }

  void FlushWord(size_t end) {
    if (m_wordStart == kNoWord) return;
    Push(ClassifyWord(m_text.c_str() + m_wordStart, end - m_wordStart), m_wordStart, end - m_wordStart);
    m_wordStart = kNoWord;
  }

  void Push(unsigned int kind, size_t start, size_t length) {
    // Doubling: the vector's own growth is linear in steps, too slow for millions of tokens.
    if (m_tokens.Count() == m_tokens.Capacity()) m_tokens.Reserve(m_tokens.Count() * 2 + 64);
    Token token;
    token.kind = kind;
    token.text = m_text;
    token.start = static_cast<unsigned int>(start);
    token.length = static_cast<unsigned int>(length);
    m_tokens.PushBack(token);
  }

  bool Fail(Token& error, size_t start, size_t length) {
    error.kind = eTokenBad;
    error.text = m_text;
    error.start = static_cast<unsigned int>(start);
    error.length = static_cast<unsigned int>(length);
    return false;
  }

  static constexpr size_t kNoWord = ~size_t(0);
  tstring const& m_text;
  tObjVector<Token>& m_tokens;
  EMode m_mode = eNormal;
  wchar_t m_quote = 0;
  size_t m_stringStart = 0;
  size_t m_wordStart = kNoWord;
};

}  // namespace

bool ReadPackageInt(wchar_t const* word, int& value) {
  if (!word || !IsIntegerSpelling(word, wcslen(word))) return false;
  errno = 0;
  wchar_t* end = nullptr;
  long long read = std::wcstoll(word, &end, 10);
  if (errno == ERANGE || *end || read < INT_MIN || read > INT_MAX) return false;
  value = static_cast<int>(read);
  return true;
}

bool ReadPackageFloat(wchar_t const* word, float& value) {
  size_t n = word ? wcslen(word) : 0;
  if (!word || !(IsFloatSpelling(word, n) || IsIntegerSpelling(word, n))) return false;
  errno = 0;
  wchar_t* end = nullptr;
  double read = std::wcstod(word, &end);
  if (errno == ERANGE || *end || !std::isfinite(read) || std::fabs(read) > FLT_MAX) return false;
  float narrowed = static_cast<float>(read);
  if (narrowed == 0.0f && read != 0.0) return false;  // too small for a float
  value = narrowed;
  return true;
}

bool TokenizePackageText(tstring const& text, tObjVector<Token>& tokens, Token& error) {
  tokens.Clear();
  error = Token();
  if (text.size() >= 0xFFFFFFFFu) return false;  // positions are 32-bit
  return CTokenizer(text, tokens).Run(error);
}

tstring GetTokenPositionMessage(Token const& token) {
  wchar_t const* s = token.text.c_str();
  size_t end = token.start < token.text.size() ? token.start : token.text.size();
  unsigned long line = 1, column = 1;
  for (size_t i = 0; i < end; ++i) {
    if (s[i] == L'\r' || s[i] == L'\n') {
      if (!(s[i] == L'\n' && i > 0 && s[i - 1] == L'\r')) ++line;
      column = 1;
    } else {
      ++column;
    }
  }
  tstring message(L"Stopped at token at line:");
  message += std::to_wstring(line).c_str();
  message += L", column:";
  message += std::to_wstring(column).c_str();
  message += L", text:'";
  message += token.GetSpelling();
  message += L"'";
  return message;
}

}  // namespace Orv
