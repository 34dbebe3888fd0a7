// CValue: conversions against the C runtime's own parsing and formatting, shared values, accessors
// on values of other types, ownership of payloads, and use from several threads.
#include <gtest/gtest.h>

#include <cmath>
#include <cwchar>
#include <limits>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "orvutil/orvutil.h"
#include "orvutil/values.h"

namespace {

using Orv::CValue;

using Held = Orv::tSmartPtr<CValue>;

std::wstring Printf(const wchar_t* format, double value) {
  wchar_t text[256];
  _snwprintf_s(text, 256, _TRUNCATE, format, value);
  return text;
}

// The converted value as "<type>:<text>", or "fail".
std::wstring Converted(CValue* from, CValue::EType to) {
  Held result;
  if (!from->Convert(to, result.Receive())) return result ? L"fail but set" : L"fail";
  Held text;
  if (to == CValue::eString) return L"s:" + std::wstring(result->AsString());
  if (!result->Convert(CValue::eString, text.Receive())) return L"no text";
  return std::to_wstring(result->GetType()) + L":" + text->AsString();
}

TEST(ValueConvert, EveryPairFollowsTheRuntimesParsingAndFormatting) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double kDoubles[] = {0.0, -0.0, 2.5, -1e-7, 1e300, -2.9, 123456789.0, nan, HUGE_VAL};
  for (double d : kDoubles) {
    Held value;
    ASSERT_TRUE(CValue::CreateDouble(d, value.Receive()));
    SCOPED_TRACE(Printf(L"%g", d).c_str());
    if (d == 0.0) d = 0.0;  // zeros share one value, the positive one
    EXPECT_EQ(L"s:" + Printf(L"%g", d), Converted(value.Get(), CValue::eString));
    bool fits = !(std::isfinite(d) && std::fabs(d) > 3.4e38);
    EXPECT_EQ(fits ? L"5:" + Printf(L"%g", static_cast<float>(d)) : L"fail", Converted(value.Get(), CValue::eFloat));
    int truncated = std::isfinite(d) && std::fabs(d) < 2147483648.0 ? static_cast<int>(d) : INT_MIN;
    EXPECT_EQ(L"6:" + std::to_wstring(truncated), Converted(value.Get(), CValue::eInt));
    EXPECT_EQ(d != 0.0 ? L"3:true" : L"3:false", Converted(value.Get(), CValue::eBool));
    EXPECT_EQ(L"fail", Converted(value.Get(), CValue::eGuid));
  }
  // Texts parse when the whole text is a number that does not overflow, as wcstod and wcstol read it.
  const wchar_t* kTexts[] = {L"12", L" 7", L"7x", L"-0", L"1e300", L"1e999", L"99999999999", L"0x10", L"", L"2.5",
                             L"abc"};
  for (const wchar_t* text : kTexts) {
    Held value;
    ASSERT_TRUE(CValue::CreateString(text, value.Receive()));
    SCOPED_TRACE(text);
    wchar_t* end;
    errno = 0;
    double d = wcstod(text, &end) + 0.0;  // -0 becomes the shared zero
    bool parsesDouble = end != text && !*end && errno != ERANGE;
    EXPECT_EQ(parsesDouble ? L"4:" + Printf(L"%g", d) : L"fail", Converted(value.Get(), CValue::eDouble));
    errno = 0;
    long n = wcstol(text, &end, 10);
    bool parsesInt = end != text && !*end && errno != ERANGE;
    EXPECT_EQ(parsesInt ? L"6:" + std::to_wstring(n) : L"fail", Converted(value.Get(), CValue::eInt));
  }
  struct Case {
    const wchar_t* text;
    CValue::EType to;
    const wchar_t* expected;
  } const kCases[] = {
      {L"YES", CValue::eBool, L"3:true"},     {L"No", CValue::eBool, L"3:false"},   {L"", CValue::eBool, L"3:false"},
      {L"0", CValue::eBool, L"3:false"},      {L"1", CValue::eBool, L"3:true"},     {L"yess", CValue::eBool, L"fail"},
      {L"1e300", CValue::eFloat, L"fail"},    {L"{00000000-0000-0000-0000-000000000001}", CValue::eGuid,
                                               L"14:{00000000-0000-0000-0000-000000000001}"},
      {L"CLSID", CValue::eGuid, L"fail"},     {L"12", CValue::ePoint, L"fail"},     {L"12", CValue::eAtom, L"fail"},
  };
  for (const Case& c : kCases) {
    Held value;
    ASSERT_TRUE(CValue::CreateString(c.text, value.Receive()));
    EXPECT_EQ(c.expected, Converted(value.Get(), c.to)) << c.text << " to " << c.to;
  }
}

TEST(ValueConvert, OtherTypesConvertByTheirOwnRules) {
  Orv::CAtomizer atomizer;
  Held atom, yes, integer, point, rect, guid, object, pointer, nothing, vector, data, stringValue;
  ASSERT_TRUE(CValue::CreateAtom(atomizer.GetAtom(L"name"), &atomizer, atom.Receive()) &&
              CValue::CreateBool(true, yes.Receive()));
  ASSERT_TRUE(CValue::CreateInt(-7, integer.Receive()) &&
              CValue::CreatePoint(Orv::tPoint<int>(1, -2), point.Receive()));
  ASSERT_TRUE(CValue::CreateRect(Orv::tRect<int>(1, 2, 3, 4), rect.Receive()) &&
              CValue::CreateGuid(GUID{1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}}, guid.Receive()));
  ASSERT_TRUE(CValue::CreateObject(nullptr, object.Receive()) && CValue::CreatePointer(&atomizer, pointer.Receive()));
  ASSERT_TRUE(CValue::CreateNothing(nothing.Receive()) && CValue::CreateIntVector(vector.Receive()));
  ASSERT_TRUE(CValue::CreateData(nullptr, data.Receive()) && CValue::CreateString(L"x", stringValue.Receive()));
  struct Case {
    CValue* from;
    CValue::EType to;
    const wchar_t* expected;
  } const kCases[] = {
      {atom.Get(), CValue::eString, L"s:name"},    {atom.Get(), CValue::eInt, L"fail"},
      {yes.Get(), CValue::eString, L"s:true"},     {yes.Get(), CValue::eDouble, L"4:1"},
      {yes.Get(), CValue::eInt, L"6:1"},           {yes.Get(), CValue::eFloat, L"5:1"},
      {integer.Get(), CValue::eString, L"s:-7"},   {integer.Get(), CValue::eFloat, L"5:-7"},
      {integer.Get(), CValue::eBool, L"3:true"},   {point.Get(), CValue::eString, L"s:(1,-2)"},
      {rect.Get(), CValue::eString, L"s:(1,2,3,4)"},
      {guid.Get(), CValue::eString, L"s:{00000001-0002-0003-0405-060708090A0B}"},
      {object.Get(), CValue::eBool, L"3:false"},   {object.Get(), CValue::eString, L"fail"},
      {pointer.Get(), CValue::eString, L"fail"},   {nothing.Get(), CValue::eString, L"fail"},
      {vector.Get(), CValue::eString, L"fail"},    {data.Get(), CValue::eBool, L"fail"},
      {stringValue.Get(), CValue::eAtom, L"fail"},
  };
  for (const Case& c : kCases) EXPECT_EQ(c.expected, Converted(c.from, c.to)) << c.from->GetType() << " to " << c.to;
  // The same base type hands out the value itself.
  Held same;
  ASSERT_TRUE(integer->Convert(CValue::eInt, same.Receive()));
  EXPECT_EQ(integer.Get(), same.Get());
  EXPECT_FALSE(integer->Convert(CValue::eInt, nullptr));
}

TEST(ValueShared, SmallValuesAreSharedAndOthersFresh) {
  struct Case {
    const char* what;
    bool (*create)(CValue**);
    bool shared;
  } const kCases[] = {
      {"Int -100", [](CValue** o) { return CValue::CreateInt(-100, o); }, true},
      {"Int 200", [](CValue** o) { return CValue::CreateInt(200, o); }, true},
      {"Int -101", [](CValue** o) { return CValue::CreateInt(-101, o); }, false},
      {"Int 201", [](CValue** o) { return CValue::CreateInt(201, o); }, false},
      {"Double -0.0", [](CValue** o) { return CValue::CreateDouble(-0.0, o); }, true},
      {"Double NaN", [](CValue** o) { return CValue::CreateDouble(std::nan(""), o); }, false},
      {"Float 0", [](CValue** o) { return CValue::CreateFloat(-0.0f, o); }, true},
      {"String null", [](CValue** o) { return CValue::CreateString(static_cast<const wchar_t*>(nullptr), o); }, true},
      {"String empty tstring", [](CValue** o) { return CValue::CreateString(Orv::tstring(), o); }, true},
      {"Data null", [](CValue** o) { return CValue::CreateData(nullptr, o); }, false},
      {"Atom none", [](CValue** o) { return CValue::CreateAtom(~0u, nullptr, o); }, true},
      {"Rect zero", [](CValue** o) { return CValue::CreateRect(Orv::tRect<int>(), o); }, true},
      {"Guid null", [](CValue** o) { return CValue::CreateGuid(GUID_NULL, o); }, true},
      {"Bool", [](CValue** o) { return CValue::CreateBool(false, o); }, true},
  };
  for (const Case& c : kCases) {
    Held first, second;
    ASSERT_TRUE(c.create(first.Receive())) << c.what;
    ASSERT_TRUE(c.create(second.Receive())) << c.what;
    EXPECT_EQ(c.shared, first->IsShared()) << c.what;
    EXPECT_EQ(c.shared, first.Get() == second.Get()) << c.what;
    EXPECT_EQ(c.shared, !first->SetExtendedType(1)) << c.what;
  }
  Held nan1, nan2, untouched;
  ASSERT_TRUE(CValue::CreateDouble(std::nan(""), nan1.Receive()) && CValue::CreateDouble(std::nan(""), nan2.Receive()));
  EXPECT_FALSE(*nan1.Get() == *nan2.Get());
  EXPECT_TRUE(*nan1.Get() == *nan1.Get());
  EXPECT_FALSE(CValue::CreateStaticString(nullptr, untouched.Receive()));
  EXPECT_FALSE(CValue::CreateResString(0, GetModuleHandleW(nullptr), untouched.Receive()));
  EXPECT_FALSE(CValue::CreateResString(1, nullptr, untouched.Receive()));
  EXPECT_EQ(nullptr, untouched.Get());
  EXPECT_FALSE(CValue::CreateInt(1, nullptr));
}

TEST(ValueCompare, EqualityFollowsEachTypesIdentity) {
  int target = 0;
  Held p1, p2, s1, s2, s3, v1, v2, v3, e1, e2;
  ASSERT_TRUE(CValue::CreatePointer(&target, p1.Receive()) && CValue::CreatePointer(&target, p2.Receive()));
  ASSERT_TRUE(CValue::CreateString(L"Text", s1.Receive()) && CValue::CreateStaticString(L"Text", s2.Receive()));
  ASSERT_TRUE(CValue::CreateString(L"text", s3.Receive()) && CValue::CreateValueVector(v1.Receive()));
  ASSERT_TRUE(CValue::CreateValueVector(v2.Receive()) && CValue::CreateValueVector(v3.Receive()));
  v1->AsValueVector().PushBack(s1);
  v2->AsValueVector().PushBack(s2);
  v3->AsValueVector().PushBack(s1);
  // Extended types are not compared, and each new one is distinct.
  unsigned long tag = CValue::CreateExtendedType();
  EXPECT_NE(tag, CValue::CreateExtendedType());
  ASSERT_TRUE(CValue::CreateInt(1000, e1.Receive()) && CValue::CreateInt(1000, e2.Receive()));
  ASSERT_TRUE(e1->SetExtendedType(tag) && e1->SetExtendedType(2));
  EXPECT_EQ(tag | 2, e1->GetExtendedType());
  EXPECT_EQ(CValue::eInt, e1->GetType());
  EXPECT_FALSE(e2->SetExtendedType(0x1000000));
  // Pointers by identity of the value, texts by content, vectors by their elements' identity.
  const std::tuple<CValue*, CValue*, bool> kPairs[] = {
      {p1, p2, false}, {s1, s2, true}, {s1, s3, false}, {v1, v2, false}, {v1, v3, true}, {e1, e2, true}};
  for (auto const& pair : kPairs)
    EXPECT_EQ(std::get<2>(pair), *std::get<0>(pair) == *std::get<1>(pair)) << &pair - kPairs;
}

TEST(ValueAccess, OtherTypesReadAsEmptyAndPayloadsAreOwned) {
  Held text, number, vector;
  ASSERT_TRUE(CValue::CreateString(L"12", text.Receive()) && CValue::CreateInt(5000, number.Receive()) &&
              CValue::CreateIntVector(vector.Receive()));
  EXPECT_TRUE(text->AsInt() == 0 && !number->AsString() && !number->AsObject() && number->AsStringObj().empty());
  number->AsIntVector().PushBack(1);
  EXPECT_EQ(0u, number->AsIntVector().Count());  // a stand-in, not the payload
  vector->AsIntVector().PushBack(1);
  EXPECT_EQ(1u, vector->AsIntVector().Count());
  // An Object value holds a reference on its object; a String value shares the caller's buffer.
  Orv::tSmartPtr<Orv::ITree> object;
  ASSERT_TRUE(Orv::CreateTree(object.Receive()));
  auto references = [&] { return object->AddRef(), object->Release(); };
  ULONG alone = references();
  Held holder;
  CValue::CreateObject(object, holder.Receive());
  EXPECT_EQ(alone + 1, references());
  holder = nullptr;
  EXPECT_EQ(alone, references());
  Held shared;
  Orv::tstring buffer(L"shared text");
  CValue::CreateString(buffer, shared.Receive());
  EXPECT_TRUE(buffer.c_str() == shared->AsString() && buffer.c_str() == shared->AsStringObj().c_str());
}

// A string resource of a system module: the peer is LoadStringW itself.
TEST(ValueThreads, ResourceTextLoadsOnceForFourThreads) {
  HINSTANCE user32 = GetModuleHandleW(L"user32.dll");
  const wchar_t* peer = nullptr;
  unsigned id = 1;
  while (id < 4096 && ::LoadStringW(user32, id, reinterpret_cast<LPWSTR>(&peer), 0) <= 0) ++id;
  ASSERT_LT(id, 4096u);
  std::wstring expected(peer, ::LoadStringW(user32, id, reinterpret_cast<LPWSTR>(&peer), 0));
  Held value;
  ASSERT_TRUE(CValue::CreateResString(id, user32, value.Receive()));
  std::vector<std::wstring> seen(4);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 2000; ++i) {
        Held copy, number;
        if (value->Convert(CValue::eString, copy.Receive()) && CValue::CreateInt(1000 + i, number.Receive()))
          seen[t] = i % 2 ? copy->AsString() : copy->AsStringObj().c_str();
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(std::vector<std::wstring>(4, expected), seen);
}

}  // namespace
