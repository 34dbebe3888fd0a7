// CValue: pooled and shared values, reference counting, payload ownership and the lazily filled
// text of String values.
#include "orvutil/values/value.h"

#include <cstring>
#include <new>

#include "orvutil/foundation/pool.h"
#include "orvutil/foundation/strings.h"
#include "orvutil/threads/locks.h"

static_assert(sizeof(void*) != 4 || sizeof(Orv::CValue) == 24, "a value is a 16-byte payload, a count and a type");
static_assert(sizeof(Orv::tstring) == sizeof(void*), "a tstring is one pointer");

namespace Orv {

namespace {

// One slot fits the vector of any vector type.
struct SFakeVector {
  alignas(CValue::StringVector) alignas(CValue::ValueVector) alignas(CValue::DataVector) alignas(
      CValue::IntVector) unsigned char bytes[sizeof(CValue::StringVector) > sizeof(CValue::DataVector)
                                                 ? sizeof(CValue::StringVector)
                                                 : sizeof(CValue::DataVector)];
};
static_assert(sizeof(SFakeVector) >= sizeof(CValue::AtomVector) && sizeof(SFakeVector) >= sizeof(CValue::IntVector) &&
                  sizeof(SFakeVector) >= sizeof(CValue::FloatVector) &&
                  sizeof(SFakeVector) >= sizeof(CValue::ValueVector),
              "a vector slot fits every vector type");

tPoolAllocator<SFakeVector>& VectorPool() {
  static auto* pool = new tPoolAllocator<SFakeVector>();  // process-wide, never destroyed
  return *pool;
}

volatile LONG g_lastExtendedType = 0;
constexpr unsigned kExtendedTypeLimit = 0xFFFFFF;

}  // namespace

// The factory side of CValue: the value pool and the shared values.
class CValueFactory {
 public:
  static tPoolAllocator<CValue>& Pool() {
    static auto* pool = new tPoolAllocator<CValue>();  // process-wide, never destroyed
    return *pool;
  }

  // A pooled value of `type` with one reference, or null.
  static CValue* New(CValue::EType type) {
    CValue* value = Pool().New();
    if (!value) return nullptr;
    value->m_refCount = 1;
    value->m_type = type;
    return value;
  }

  static CValue* Shared(CValue::EType type) {
    CValue* value = new CValue();  // shared values live as long as the process
    value->m_type = type;
    return value;
  }

  static CValue* SharedInt(int n) {
    static CValue* const table = [] {
      CScopeStaticMemAlloc longLived;
      CValue* values = new CValue[kSharedIntCount];
      for (int i = 0; i < kSharedIntCount; ++i) {
        values[i].m_type = CValue::eInt;
        values[i].m_payload.i = i + kSharedIntMin;
      }
      return values;
    }();
    return &table[n - kSharedIntMin];
  }

  template <class Fill>
  static CValue* MakeShared(CValue::EType type, Fill const& fill) {
    CScopeStaticMemAlloc longLived;
    CValue* value = Shared(type);
    fill(value->m_payload);
    return value;
  }

  template <class V>
  static bool NewVector(CValue::EType type, CValue** out) {
    if (!out) return false;
    CValue* value = New(type);
    void* slot = value ? VectorPool().New() : nullptr;
    if (!slot) {
      if (value) value->Release();
      return false;
    }
    value->m_payload.vector = new (slot) V();
    *out = value;
    return true;
  }

  template <class V>
  static void DeleteVector(void* vector) {
    static_cast<V*>(vector)->~V();
    VectorPool().Delete(static_cast<SFakeVector*>(vector));
  }

  static constexpr int kSharedIntMin = -100;
  static constexpr int kSharedIntMax = 200;
  static constexpr int kSharedIntCount = kSharedIntMax - kSharedIntMin + 1;
};

namespace {

bool Hand(CValue* value, CValue** out) {
  if (!value) return false;
  *out = value;
  return true;
}

template <class Fill>
bool CreatePooled(CValue::EType type, CValue** out, Fill const& fill);

}  // namespace

CValue::~CValue() { DestroyPayload(); }

void CValue::AddRef() {
  if (m_refCount != kShared) InterlockedIncrement(&m_refCount);
}

void CValue::Release() {
  if (m_refCount == kShared) return;
  if (InterlockedDecrement(&m_refCount) == 0) CValueFactory::Pool().Delete(this);
}

void CValue::DestroyPayload() {
  switch (GetType()) {
    case eObject:
      if (m_payload.object) m_payload.object->Release();
      break;
    case eData:
      if (m_payload.data) m_payload.data->Release();
      break;
    case eString:
      if (HasBuffer()) const_cast<tstring&>(Buffer()).~tstring();
      break;
    case eAtomVector: CValueFactory::DeleteVector<AtomVector>(m_payload.vector); break;
    case eIntVector: CValueFactory::DeleteVector<IntVector>(m_payload.vector); break;
    case eFloatVector: CValueFactory::DeleteVector<FloatVector>(m_payload.vector); break;
    case eStringVector: CValueFactory::DeleteVector<StringVector>(m_payload.vector); break;
    case eValueVector: CValueFactory::DeleteVector<ValueVector>(m_payload.vector); break;
    case eDataVector: CValueFactory::DeleteVector<DataVector>(m_payload.vector); break;
    default: break;
  }
}

namespace {

template <class Fill>
bool CreatePooled(CValue::EType type, CValue** out, Fill const& fill) {
  if (!out) return false;
  CValue* value = CValueFactory::New(type);
  if (!value) return false;
  fill(value);
  *out = value;
  return true;
}

}  // namespace

bool CValue::CreateNothing(CValue** out) {
  static CValue* const shared = CValueFactory::Shared(eNothing);
  return out && Hand(shared, out);
}

bool CValue::CreateBool(bool value, CValue** out) {
  static CValue* const no = CValueFactory::MakeShared(eBool, [](UPayload& p) { p.b = false; });
  static CValue* const yes = CValueFactory::MakeShared(eBool, [](UPayload& p) { p.b = true; });
  return out && Hand(value ? yes : no, out);
}

bool CValue::CreateInt(int value, CValue** out) {
  if (!out) return false;
  if (value >= CValueFactory::kSharedIntMin && value <= CValueFactory::kSharedIntMax)
    return Hand(CValueFactory::SharedInt(value), out);
  return CreatePooled(eInt, out, [value](CValue* v) { v->m_payload.i = value; });
}

bool CValue::CreateFloat(float value, CValue** out) {
  static CValue* const zero = CValueFactory::MakeShared(eFloat, [](UPayload& p) { p.f = 0.0f; });
  if (!out) return false;
  if (value == 0.0f) return Hand(zero, out);
  return CreatePooled(eFloat, out, [value](CValue* v) { v->m_payload.f = value; });
}

bool CValue::CreateDouble(double value, CValue** out) {
  static CValue* const zero = CValueFactory::MakeShared(eDouble, [](UPayload& p) { p.d = 0.0; });
  if (!out) return false;
  if (value == 0.0) return Hand(zero, out);
  return CreatePooled(eDouble, out, [value](CValue* v) { v->m_payload.d = value; });
}

bool CValue::CreatePointer(void* value, CValue** out) {
  static CValue* const null = CValueFactory::MakeShared(ePointer, [](UPayload& p) { p.p = nullptr; });
  if (!out) return false;
  if (!value) return Hand(null, out);
  return CreatePooled(ePointer, out, [value](CValue* v) { v->m_payload.p = value; });
}

bool CValue::CreateObject(IUnknown* object, CValue** out) {
  static CValue* const null = CValueFactory::MakeShared(eObject, [](UPayload& p) { p.object = nullptr; });
  if (!out) return false;
  if (!object) return Hand(null, out);
  return CreatePooled(eObject, out, [object](CValue* v) {
    object->AddRef();
    v->m_payload.object = object;
  });
}

bool CValue::CreatePoint(const tPoint<int>& value, CValue** out) {
  static CValue* const zero = CValueFactory::MakeShared(ePoint, [](UPayload& p) { p.point = tPoint<int>(); });
  if (!out) return false;
  if (value == tPoint<int>()) return Hand(zero, out);
  return CreatePooled(ePoint, out, [&value](CValue* v) { v->m_payload.point = value; });
}

bool CValue::CreateRect(const tRect<int>& value, CValue** out) {
  static CValue* const zero = CValueFactory::MakeShared(eRect, [](UPayload& p) { p.rect = tRect<int>(); });
  if (!out) return false;
  if (!value.left && !value.top && !value.right && !value.bottom) return Hand(zero, out);
  return CreatePooled(eRect, out, [&value](CValue* v) { v->m_payload.rect = value; });
}

bool CValue::CreateGuid(const GUID& value, CValue** out) {
  static CValue* const null = CValueFactory::MakeShared(eGuid, [](UPayload& p) { p.guid = GUID_NULL; });
  if (!out) return false;
  if (IsEqualGUID(value, GUID_NULL)) return Hand(null, out);
  return CreatePooled(eGuid, out, [&value](CValue* v) { v->m_payload.guid = value; });
}

bool CValue::CreateData(IData* data, CValue** out) {
  return CreatePooled(eData, out, [data](CValue* v) {
    if (data) data->AddRef();
    v->m_payload.data = data;
  });
}

bool CValue::CreateAtom(unsigned int atom, CAtomizer* atomizer, CValue** out) {
  static CValue* const none = CValueFactory::MakeShared(eAtom, [](UPayload& p) { p.atom = SAtom{~0u, nullptr}; });
  if (!out) return false;
  if (atom == ~0u) return Hand(none, out);
  return CreatePooled(eAtom, out, [=](CValue* v) { v->m_payload.atom = SAtom{atom, atomizer}; });
}

namespace {

}  // namespace

CValue* CValue::EmptyString() {
  static CValue* const shared = CValueFactory::MakeShared(eString, [](UPayload& p) {
    p.string = SString{};
    p.string.text = L"";
    p.string.id = kStaticForm;
  });
  return shared;
}

bool CValue::CreateString(const tstring& text, CValue** out) {
  if (!out) return false;
  if (text.empty()) return Hand(EmptyString(), out);
  return CreatePooled(eString, out, [&text](CValue* v) {
    v->m_payload.string = SString{};
    v->BuildBuffer(text);
    v->m_payload.string.text = v->Buffer().c_str();
  });
}

bool CValue::CreateString(const wchar_t* text, CValue** out) {
  if (!out) return false;
  if (!text || !*text) return Hand(EmptyString(), out);
  return CreateString(tstring(text), out);
}

bool CValue::CreateStaticString(const wchar_t* text, CValue** out) {
  if (!out || !text) return false;
  return CreatePooled(eString, out, [text](CValue* v) {
    v->m_payload.string = SString{};
    v->m_payload.string.text = text;
    v->m_payload.string.id = kStaticForm;
  });
}

bool CValue::CreateResString(unsigned int id, HINSTANCE module, CValue** out) {
  if (!out || !id || !module || id == kStaticForm) return false;
  return CreatePooled(eString, out, [=](CValue* v) {
    v->m_payload.string = SString{};
    v->m_payload.string.module = module;
    v->m_payload.string.id = id;
  });
}

bool CValue::CreateAtomVector(CValue** out) { return CValueFactory::NewVector<AtomVector>(eAtomVector, out); }
bool CValue::CreateStringVector(CValue** out) { return CValueFactory::NewVector<StringVector>(eStringVector, out); }
bool CValue::CreateValueVector(CValue** out) { return CValueFactory::NewVector<ValueVector>(eValueVector, out); }
bool CValue::CreateIntVector(CValue** out) { return CValueFactory::NewVector<IntVector>(eIntVector, out); }
bool CValue::CreateFloatVector(CValue** out) { return CValueFactory::NewVector<FloatVector>(eFloatVector, out); }
bool CValue::CreateDataVector(CValue** out) { return CValueFactory::NewVector<DataVector>(eDataVector, out); }

unsigned long CValue::CreateExtendedType() {
  LONG next = InterlockedIncrement(&g_lastExtendedType);
  return static_cast<unsigned long>(next) <= kExtendedTypeLimit ? static_cast<unsigned long>(next) : 0;
}

bool CValue::SetExtendedType(unsigned long type) {
  if (IsShared() || type > kExtendedTypeLimit) return false;
  m_type |= static_cast<unsigned>(type) << 8;
  return true;
}

const tPoint<int>& CValue::AsPoint() const {
  static const tPoint<int> none;
  return IsType(ePoint) ? m_payload.point : none;
}

const tRect<int>& CValue::AsRect() const {
  static const tRect<int> none;
  return IsType(eRect) ? m_payload.rect : none;
}

const GUID& CValue::AsGuid() const { return IsType(eGuid) ? m_payload.guid : GUID_NULL; }

// The owned vector, or an empty stand-in (private to the calling thread, emptied on every call) for
// a value of another type.
template <class V>
V& CValue::VectorAs(EType type) {
  if (IsType(type)) return *static_cast<V*>(m_payload.vector);
  static thread_local V standIn;
  standIn.Clear();
  return standIn;
}

CValue::AtomVector& CValue::AsAtomVector() { return VectorAs<AtomVector>(eAtomVector); }
CValue::IntVector& CValue::AsIntVector() { return VectorAs<IntVector>(eIntVector); }
CValue::FloatVector& CValue::AsFloatVector() { return VectorAs<FloatVector>(eFloatVector); }
CValue::StringVector& CValue::AsStringVector() { return VectorAs<StringVector>(eStringVector); }
CValue::ValueVector& CValue::AsValueVector() { return VectorAs<ValueVector>(eValueVector); }
CValue::DataVector& CValue::AsDataVector() { return VectorAs<DataVector>(eDataVector); }

bool CValue::HasBuffer() const {
  void* bits;
  memcpy(&bits, m_payload.string.buffer, sizeof(bits));
  return bits != nullptr;
}

void CValue::BuildBuffer(const tstring& text) { new (m_payload.string.buffer) tstring(text); }

const wchar_t* CValue::AsString() const {
  if (IsType(eAtom)) {
    const wchar_t* text = m_payload.atom.atomizer ? m_payload.atom.atomizer->GetStr(m_payload.atom.atom) : nullptr;
    return text ? text : L"";
  }
  if (!IsType(eString)) return nullptr;
  const wchar_t* text = __atomic_load_n(&m_payload.string.text, __ATOMIC_ACQUIRE);
  return text ? text : LoadStringW();
}

// A resource string: loaded once, under the shared-values lock, into the buffer, whose text is then
// published.
const wchar_t* CValue::LoadStringW() const {
  CScopeCriticalSection guard(eGlobalCSSharedValues);
  CValue* self = const_cast<CValue*>(this);
  const wchar_t* text = self->m_payload.string.text;
  if (!text) {
    if (!HasBuffer()) self->BuildBuffer(Orv::LoadStringW(m_payload.string.module, m_payload.string.id));
    text = Buffer().c_str();
    __atomic_store_n(&self->m_payload.string.text, text, __ATOMIC_RELEASE);
  }
  return text;
}

// A shared-form string hands out its buffer as it is; the buffer of a static or resource string is
// built on first use and read under the lock, since it may be built at any time.
tstring CValue::AsStringObj() const {
  if (!IsType(eString)) return tstring();
  if (m_payload.string.id == 0) return Buffer();
  const wchar_t* text = AsString();
  if (!*text) return tstring();
  CScopeCriticalSection guard(eGlobalCSSharedValues);
  if (!HasBuffer()) const_cast<CValue*>(this)->BuildBuffer(tstring(text));
  return Buffer();
}

}  // namespace Orv
