// CValue conversions between types, and equality.
#include <cerrno>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cwchar>

#include "orvutil/foundation/strings.h"
#include "orvutil/values/value.h"

namespace Orv {

namespace {

constexpr unsigned kNumberText = 256;

// Truncation toward zero where the result fits; INT_MIN (what the processor's truncating conversion
// gives) for NaN, infinities and numbers out of range.
int TruncateToInt(double value) {
  if (!(value > -2147483649.0 && value < 2147483648.0)) return INT_MIN;
  return static_cast<int>(value);
}

// Narrowing that refuses finite values a float cannot hold; infinities and NaN pass as they are.
bool NarrowToFloat(double value, float& out) {
  if (std::isfinite(value) && std::fabs(value) > FLT_MAX) return false;
  out = static_cast<float>(value);
  return true;
}

bool Format(CValue** out, const wchar_t* format, ...) {
  wchar_t text[kNumberText];
  va_list args;
  va_start(args, format);
  int written = _vsnwprintf_s(text, kNumberText, _TRUNCATE, format, args);
  va_end(args);
  if (written < 0 && !text[0]) return false;
  return CValue::CreateString(text, out);
}

// The whole text as a number: at least one character read, parsing stopped at the terminator, and
// no overflow.
bool ParseDouble(const wchar_t* text, double& out) {
  wchar_t* end = nullptr;
  errno = 0;
  out = wcstod(text, &end);
  return end != text && *end == L'\0' && errno != ERANGE;
}

bool ParseInt(const wchar_t* text, int& out) {
  wchar_t* end = nullptr;
  errno = 0;
  long value = wcstol(text, &end, 10);
  out = static_cast<int>(value);
  return end != text && *end == L'\0' && errno != ERANGE;
}

bool ParseBool(const wchar_t* text, bool& out) {
  static const wchar_t* const kFalse[] = {L"", L"false", L"no", L"0"};
  static const wchar_t* const kTrue[] = {L"true", L"yes", L"1"};
  for (const wchar_t* word : kFalse) {
    if (_wcsicmp(text, word) == 0) return !(out = false);
  }
  for (const wchar_t* word : kTrue) {
    if (_wcsicmp(text, word) == 0) return out = true;
  }
  return false;
}

bool FromDouble(double value, CValue::EType type, CValue** out) {
  float narrowed;
  switch (type) {
    case CValue::eBool: return CValue::CreateBool(value != 0.0, out);
    case CValue::eDouble: return CValue::CreateDouble(value, out);
    case CValue::eFloat: return NarrowToFloat(value, narrowed) && CValue::CreateFloat(narrowed, out);
    case CValue::eInt: return CValue::CreateInt(TruncateToInt(value), out);
    case CValue::eString: return Format(out, L"%g", value);
    default: return false;
  }
}

bool FromString(const wchar_t* text, CValue::EType type, CValue** out) {
  double number;
  int integer;
  bool flag;
  GUID guid;
  switch (type) {
    case CValue::eBool: return ParseBool(text, flag) && CValue::CreateBool(flag, out);
    case CValue::eDouble:
    case CValue::eFloat: return ParseDouble(text, number) && FromDouble(number, type, out);
    case CValue::eInt: return ParseInt(text, integer) && CValue::CreateInt(integer, out);
    case CValue::eGuid: return StringToGUID(text, guid) && CValue::CreateGuid(guid, out);
    default: return false;
  }
}

// Same count and equal elements; smart pointers compare by identity.
template <class V>
bool SameWords(const V& a, const V& b) {
  if (a.Count() != b.Count()) return false;
  for (unsigned i = 0; i < a.Count(); ++i) {
    if (!(a[i] == b[i])) return false;
  }
  return true;
}

}  // namespace

bool CValue::Convert(EType type, CValue** out) const {
  if (!out) return false;
  *out = nullptr;
  if (type == GetType()) {
    const_cast<CValue*>(this)->AddRef();
    *out = const_cast<CValue*>(this);
    return true;
  }
  switch (GetType()) {
    case eAtom: return type == eString && CreateString(AsString(), out);
    case eBool:
      if (type == eString) return CreateStaticString(m_payload.b ? L"true" : L"false", out);
      return FromDouble(m_payload.b ? 1.0 : 0.0, type, out);
    case eDouble: return FromDouble(m_payload.d, type, out);
    case eFloat: return FromDouble(m_payload.f, type, out);
    case eInt:
      if (type == eString) return Format(out, L"%d", m_payload.i);
      return FromDouble(m_payload.i, type, out);
    case eObject: return type == eBool && CreateBool(m_payload.object != nullptr, out);
    case ePoint: return type == eString && Format(out, L"(%d,%d)", m_payload.point.x, m_payload.point.y);
    case eRect:
      return type == eString && Format(out, L"(%d,%d,%d,%d)", m_payload.rect.left, m_payload.rect.top,
                                       m_payload.rect.right, m_payload.rect.bottom);
    case eString: return FromString(AsString(), type, out);
    case eGuid: return type == eString && CreateString(StringFromGUID(m_payload.guid), out);
    default: return false;
  }
}

bool CValue::operator==(const CValue& other) const {
  if (this == &other) return true;
  if (GetType() != other.GetType()) return false;
  const UPayload& a = m_payload;
  const UPayload& b = other.m_payload;
  switch (GetType()) {
    case eNothing: return true;
    case eAtom: return a.atom.atom == b.atom.atom;
    case eInt: return a.i == b.i;
    case eObject: return a.object == b.object;
    case eData: return a.data == b.data;
    case eBool: return a.b == b.b;
    case eDouble: return a.d == b.d;
    case eFloat: return a.f == b.f;
    case ePoint: return a.point == b.point;
    case eRect:
      return a.rect.left == b.rect.left && a.rect.top == b.rect.top && a.rect.right == b.rect.right &&
             a.rect.bottom == b.rect.bottom;
    case eString: return wcscmp(AsString(), other.AsString()) == 0;
    case eGuid: return IsEqualGUID(a.guid, b.guid) != FALSE;
    case eAtomVector: return SameWords(*static_cast<AtomVector*>(a.vector), *static_cast<AtomVector*>(b.vector));
    case eIntVector: return SameWords(*static_cast<IntVector*>(a.vector), *static_cast<IntVector*>(b.vector));
    case eFloatVector: return SameWords(*static_cast<FloatVector*>(a.vector), *static_cast<FloatVector*>(b.vector));
    case eStringVector:
      return SameWords(*static_cast<StringVector*>(a.vector), *static_cast<StringVector*>(b.vector));
    case eValueVector: return SameWords(*static_cast<ValueVector*>(a.vector), *static_cast<ValueVector*>(b.vector));
    case eDataVector: return SameWords(*static_cast<DataVector*>(a.vector), *static_cast<DataVector*>(b.vector));
    default: return false;  // Pointer values equal only themselves
  }
}

}  // namespace Orv
