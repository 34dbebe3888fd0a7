// CValue: a small, reference-counted variant of nineteen types (numbers, strings, atoms, geometry,
// GUIDs, object and data pointers, and vectors of these).
//
// Values come from a process-wide pool or are shared values that live for the whole process and are
// never counted (the Nothing value, both Bools, zeros, Ints from -100 to 200, the empty string, null
// pointers, GUID_NULL, the empty point and rectangle): creating one of those costs nothing. Values are
// immutable once created, except that the vectors of the vector types are edited in place through
// the As...Vector accessors.
//
// Creators store a value carrying one reference for the caller in *out and return false only for a
// null `out` or a refused argument (*out is then left alone).
//
// Accessors do not convert: read a value of another type and you get a zero, null or empty result.
// Check GetType first, or use Convert.
//
// Threading: reference counts are interlocked, and the lazily filled text of String values is
// published safely, so a value may be read and passed between threads. The vectors of vector values
// are not locked: their editors serialise themselves. An Atom value reads its text from its atomizer,
// which must outlive the value and not be cleared while the value is read.
#pragma once

#include <windows.h>

#include "orvutil/data/blocks.h"
#include "orvutil/export.h"
#include "orvutil/foundation/atomizer.h"
#include "orvutil/foundation/smartptr.h"
#include "orvutil/foundation/tstring.h"
#include "orvutil/foundation/vector.h"
#include "orvutil/ui/coords.h"

namespace Orv {

class ORV_API CValue {
 public:
  // The base types, numbered as stored.
  enum EType : unsigned {
    eNothing = 0,
    eAtom = 1,
    eAtomVector = 2,
    eBool = 3,
    eDouble = 4,
    eFloat = 5,
    eInt = 6,
    ePointer = 7,
    eObject = 8,
    ePoint = 9,
    eRect = 10,
    eString = 11,
    eStringVector = 12,
    eValueVector = 13,
    eGuid = 14,
    eIntVector = 15,
    eFloatVector = 16,
    eData = 17,
    eDataVector = 18,
  };

  using AtomVector = tVectorPOD<unsigned int>;
  using IntVector = tVectorPOD<int>;
  using FloatVector = tVectorPOD<float>;
  using StringVector = tObjVector<tstring>;
  using ValueVector = tSmartPtrVector<CValue>;
  using DataVector = tSmartPtrVector<IData>;

  static bool CreateNothing(CValue** out);
  static bool CreateBool(bool value, CValue** out);
  static bool CreateInt(int value, CValue** out);
  static bool CreateFloat(float value, CValue** out);
  static bool CreateDouble(double value, CValue** out);
  static bool CreatePointer(void* value, CValue** out);
  // Takes a reference on a non-null object.
  static bool CreateObject(IUnknown* object, CValue** out);
  static bool CreatePoint(const tPoint<int>& value, CValue** out);
  static bool CreateRect(const tRect<int>& value, CValue** out);
  static bool CreateGuid(const GUID& value, CValue** out);
  // Takes a reference on non-null data; null gives a Data value holding null.
  static bool CreateData(IData* data, CValue** out);
  // The text is read from the atomizer when asked for; 0xFFFFFFFF (no atom) gives a shared value.
  static bool CreateAtom(unsigned int atom, CAtomizer* atomizer, CValue** out);
  // Shares the caller's buffer.
  static bool CreateString(const tstring& text, CValue** out);
  // Copies the text; null counts as "".
  static bool CreateString(const wchar_t* text, CValue** out);
  // Keeps the pointer without copying: the text must outlive the value. Refuses null.
  static bool CreateStaticString(const wchar_t* text, CValue** out);
  // A string resource loaded on first reading. Refuses an id of 0 or a null module.
  static bool CreateResString(unsigned int id, HINSTANCE module, CValue** out);
  // New values with empty vectors.
  static bool CreateAtomVector(CValue** out);
  static bool CreateStringVector(CValue** out);
  static bool CreateValueVector(CValue** out);
  static bool CreateIntVector(CValue** out);
  static bool CreateFloatVector(CValue** out);
  static bool CreateDataVector(CValue** out);

  // Extended types tag values of a client's own kinds: process-wide unique numbers 1, 2, 3, ...
  // (0 once the 24 bits of the type field are used up).
  static unsigned long CreateExtendedType();
  // ORs `type` into the extended type. Refused (false) for shared values, which every caller of the
  // same creator gets, and for numbers that do not fit 24 bits.
  bool SetExtendedType(unsigned long type);
  unsigned long GetExtendedType() const { return m_type >> 8; }
  EType GetType() const { return static_cast<EType>(m_type & 0xFF); }
  bool IsType(EType type) const { return GetType() == type; }
  // Whether this is one of the process-wide shared values (never counted, never freed).
  bool IsShared() const { return m_refCount == kShared; }

  void AddRef();
  void Release();

  bool AsBool() const { return IsType(eBool) && m_payload.b; }
  int AsInt() const { return IsType(eInt) ? m_payload.i : 0; }
  float AsFloat() const { return IsType(eFloat) ? m_payload.f : 0.0f; }
  double AsDouble() const { return IsType(eDouble) ? m_payload.d : 0.0; }
  unsigned int AsAtom() const { return IsType(eAtom) ? m_payload.atom.atom : ~0u; }
  CAtomizer* AsAtomizer() const { return IsType(eAtom) ? m_payload.atom.atomizer : nullptr; }
  void* AsPointer() const { return IsType(ePointer) ? m_payload.p : nullptr; }
  // No reference added.
  IUnknown* AsObject() const { return IsType(eObject) ? m_payload.object : nullptr; }
  IData* AsData() const { return IsType(eData) ? m_payload.data : nullptr; }
  const tPoint<int>& AsPoint() const;
  const tRect<int>& AsRect() const;
  const GUID& AsGuid() const;
  // The owned vectors, editable in place. On a value of another type: an empty vector of no value.
  AtomVector& AsAtomVector();
  IntVector& AsIntVector();
  FloatVector& AsFloatVector();
  StringVector& AsStringVector();
  ValueVector& AsValueVector();
  DataVector& AsDataVector();

  // The text of a String or Atom value ("" for an Atom without text); null for other types.
  const wchar_t* AsString() const;
  // A string sharing the value's buffer (built on first use); empty for other types.
  tstring AsStringObj() const;

  // A value of `type` made from this one (this value itself, with a reference, when it already has
  // that base type). False for pairs that do not convert and for text that does not parse; *out is
  // null then.
  bool Convert(EType type, CValue** out) const;

  // Equality of values of the same base type (extended types are not compared): numbers numerically,
  // texts case-sensitively, atoms by number, objects, data and the elements of atom, int, value and
  // data vectors by identity. Pointer values are equal only to themselves; NaN never equals NaN
  // unless it is the same value object.
  bool operator==(const CValue& other) const;
  bool operator!=(const CValue& other) const { return !(*this == other); }
  bool Compare(const CValue* other) const { return other && *this == *other; }

 private:
  friend class CValueFactory;
  template <typename T, bool Locked>
  friend class tPoolAllocator;

  static constexpr LONG kShared = static_cast<LONG>(0xFFFFFFFF);
  static constexpr unsigned kStaticForm = 0xFFFFFFFF;  // string id of the static-text form

  CValue() = default;
  ~CValue();
  CValue(const CValue&) = delete;
  CValue& operator=(const CValue&) = delete;

  struct SAtom {
    unsigned int atom;
    CAtomizer* atomizer;
  };
  // The three String forms: shared (buffer set at creation), static (id kStaticForm, text set),
  // resource (module and id set; buffer and text filled on first reading).
  struct SString {
    alignas(void*) unsigned char buffer[sizeof(void*)];  // a tstring once built; zero bits before
    const wchar_t* text;     // published with release, read with acquire
    HINSTANCE module;
    unsigned int id;
  };
  union UPayload {
    bool b;
    int i;
    float f;
    double d;
    void* p;
    IUnknown* object;
    IData* data;
    SAtom atom;
    tPoint<int> point;
    tRect<int> rect;
    GUID guid;
    SString string;
    void* vector;
    UPayload() : guid() {}
  };

  static CValue* EmptyString();
  bool HasBuffer() const;
  const tstring& Buffer() const { return *reinterpret_cast<const tstring*>(m_payload.string.buffer); }
  void BuildBuffer(const tstring& text);
  const wchar_t* LoadStringW() const;
  template <class V>
  V& VectorAs(EType type);
  void DestroyPayload();

  UPayload m_payload;
  volatile LONG m_refCount = kShared;
  unsigned m_type = eNothing;
};

}  // namespace Orv
