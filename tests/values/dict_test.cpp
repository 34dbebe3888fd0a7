// CDict: exact persisted bytes against an encoder written from the format, names and their case,
// parents, typed getters, read-only dictionaries and refused bytes (random and hostile bytes are the
// fuzz harness's part).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../support/byte_records.h"

namespace {

using Orv::CDict;
using Orv::CValue;
using Orv::tSmartPtr;
using Raw = std::string;
using OrvTest::Block;
using OrvTest::Put32;
using OrvTest::PutText;

Raw SavedBytes(CDict const& dict) {
  tSmartPtr<Orv::ISavedData> saved;
  EXPECT_TRUE(Orv::SaveDict(dict, true, saved.Receive()));
  return saved ? OrvTest::Bytes(saved->Load()) : Raw();
}

tSmartPtr<Orv::ISavedData> FromBytes(Raw const& bytes) {
  tSmartPtr<Orv::ISavedData> saved;
  Orv::CreateLoadedDataFromMemory(Block(bytes), false, saved.Receive());
  return saved;
}

TEST(DictFormat, EachTypeIsWrittenAsTheFormatSays) {
  const GUID g = {0x01020304, 0x0506, 0x0708, {9, 10, 11, 12, 13, 14, 15, 16}};
  const double d = 2.5;
  const float f = -1.25f;
  struct Case {
    const char* what;
    void (*set)(CDict&, unsigned);
    unsigned type;
    Raw payload;
  };
  auto bytesOf = [](auto const& v) { return Raw(reinterpret_cast<const char*>(&v), sizeof(v)); };
  Raw str, vec;
  PutText(str, L"hi");
  Put32(vec, 2);
  PutText(vec, L"");
  PutText(vec, L"abc");
  const Case kCases[] = {
      {"bool", [](CDict& x, unsigned a) { x.SetBool(a, true); }, 3, Raw("\1\0\0\0", 4)},
      {"double", [](CDict& x, unsigned a) { x.SetDouble(a, 2.5); }, 4, bytesOf(d)},
      {"float", [](CDict& x, unsigned a) { x.SetFloat(a, -1.25f); }, 5, bytesOf(f)},
      {"int", [](CDict& x, unsigned a) { x.SetInt(a, -7); }, 6, Raw("\xF9\xFF\xFF\xFF", 4)},
      {"point", [](CDict& x, unsigned a) { x.SetPoint(a, Orv::tPoint<int>(1, 2)); }, 9, Raw("\1\0\0\0\2\0\0\0", 8)},
      {"rect", [](CDict& x, unsigned a) { x.SetRect(a, Orv::tRect<int>(1, 2, 3, 4)); }, 10,
       Raw("\1\0\0\0\2\0\0\0\3\0\0\0\4\0\0\0", 16)},
      {"string", [](CDict& x, unsigned a) { x.SetString(a, Orv::tstring(L"hi")); }, 11, str},
      {"guid", [](CDict& x, unsigned a) { x.SetGuid(a, {0x01020304, 0x0506, 0x0708, {9, 10, 11, 12, 13, 14, 15, 16}}); },
       14, bytesOf(g)},
      {"data of 5", [](CDict& x, unsigned a) {
         tSmartPtr<Orv::IData> data;
         Orv::CreateDataInStaticMem(reinterpret_cast<const unsigned char*>("12345"), 5, data.Receive());
         x.SetData(a, data);
       }, 17, Raw("\5\0\0\0" "12345\0\0\0", 12)},
      {"string vector", [](CDict& x, unsigned a) {
         tSmartPtr<CValue> v;
         CValue::CreateStringVector(v.Receive());
         for (const wchar_t* text : {L"", L"abc"}) v->AsStringVector().PushBack(Orv::tstring(text));
         x.SetValue(a, v);
       }, 12, vec},
  };
  for (Case const& c : kCases) {
    CDict dict;
    c.set(dict, dict.GetAtom(L"a", false));
    Raw expected;
    for (unsigned v : {0u, 1u, c.type}) Put32(expected, v);  // version, count, type
    PutText(expected, L"a");
    expected += c.payload;
    EXPECT_EQ(expected, SavedBytes(dict)) << c.what;
    CDict back;
    ASSERT_TRUE(Orv::LoadDict(FromBytes(expected), back)) << c.what;
    EXPECT_TRUE(back.GetValue(L"a", false)->Compare(dict.GetValue(L"a", false)) || c.type == 17) << c.what;
    // Cut short, the bytes are refused and the target keeps what it held.
    CDict target;
    target.SetInt(target.GetAtom(L"keep", false), 9);
    EXPECT_FALSE(Orv::LoadDict(FromBytes(expected.substr(0, expected.size() - 4)), target)) << c.what;
    EXPECT_EQ(9, target.GetInt(target.GetAtom(L"keep", true), 0)) << c.what;
  }
  EXPECT_EQ(Raw(8, '\0'), SavedBytes(CDict()));
  // A value that cannot be saved is left out and not counted.
  CDict withPointer;
  tSmartPtr<CValue> pointer;
  CValue::CreatePointer(&withPointer, pointer.Receive());
  withPointer.SetValue(L"p", pointer);
  withPointer.SetInt(withPointer.GetAtom(L"n", false), 1);
  Raw saved = SavedBytes(withPointer);
  EXPECT_EQ(1u, *reinterpret_cast<const unsigned*>(saved.data() + 4));
  CDict back;
  EXPECT_TRUE(Orv::LoadDict(FromBytes(saved), back));
  EXPECT_EQ(1, back.GetInt(back.GetAtom(L"n", true), 0));
}

TEST(Dict, NamesParentsAndReadOnly) {
  Orv::CAtomizer atomizer;
  CDict parent, child(&parent);
  parent.SetAtomizer(&atomizer);
  child.SetAtomizer(&atomizer);
  unsigned atoms = atomizer.Size();
  EXPECT_EQ(nullptr, child.GetValue(L"never seen", true));
  EXPECT_EQ(atoms, atomizer.Size());  // reading makes no atom
  unsigned name = child.GetAtom(L"name", false);
  parent.SetInt(name, 1);
  child.SetInt(name, 2);
  EXPECT_EQ(2, child.GetInt(name, 0));
  child.SetValue(name, nullptr);
  EXPECT_EQ(1, child.GetInt(name, 0));
  EXPECT_EQ(0, child.GetInt(name, 0, false));
  EXPECT_FALSE(parent.SetParent(&child));  // a cycle
  // A case-insensitive dictionary finds any case and saves the folded name.
  CDict folded;
  ASSERT_TRUE(folded.SetCaseSensitive(false));
  folded.SetValue(L"MiXeD", nullptr);
  folded.SetInt(folded.GetAtom(L"MiXeD", false), 5);
  EXPECT_EQ(5, folded.GetInt(folded.GetAtom(L"mixed", true), 0));
  EXPECT_FALSE(folded.SetCaseSensitive(true));  // entries would change meaning
  EXPECT_EQ(std::wstring(folded.GetAtomizer().GetStr(folded.GetAtom(L"MIXED", true))),
            reinterpret_cast<const wchar_t*>(SavedBytes(folded).data() + 16));
  // Read-only: every change is ignored, loading refused.
  CDict locked;
  locked.SetInt(locked.GetAtom(L"k", false), 1);
  locked.SetReadOnly(true);
  unsigned k = locked.GetAtom(L"k", true);
  locked.SetInt(k, 2), locked.SetValue(L"other", nullptr), locked.Clear();
  locked.Add(parent, true);
  locked = parent;
  EXPECT_EQ(1u, locked.GetCount());
  EXPECT_EQ(1, locked.GetInt(k, 0));
  EXPECT_FALSE(Orv::LoadDict(FromBytes(Raw(8, '\0')), locked));
}

TEST(Dict, TypedGettersConvertOrFallBack) {
  CDict dict;
  auto a = [&](const wchar_t* n) { return dict.GetAtom(n, false); };
  dict.SetString(a(L"digits"), Orv::tstring(L"42"));
  dict.SetString(a(L"word"), Orv::tstring(L"yes"));
  dict.SetRect(a(L"rect"), Orv::tRect<int>(1, 2, 3, 4));
  dict.SetDouble(a(L"real"), 2.75);
  EXPECT_EQ((std::vector<int>{42, -1, 2}),
            (std::vector<int>{dict.GetInt(a(L"digits"), -1), dict.GetInt(a(L"word"), -1), dict.GetInt(a(L"real"), -1)}));
  EXPECT_TRUE(dict.GetBool(a(L"word"), false));
  EXPECT_EQ(Orv::tstring(L"(1,2,3,4)"), dict.GetString(a(L"rect"), Orv::tstring()));
  EXPECT_EQ(7, dict.GetRect(a(L"digits"), Orv::tRect<int>(7, 7, 7, 7)).left);  // no conversion from text
  EXPECT_EQ(5, dict.GetPoint(a(L"missing"), Orv::tPoint<int>(5, 5)).x);
  EXPECT_EQ(nullptr, dict.GetData(a(L"digits")));
}

}  // namespace
