// Reference-counted object bases of the component model.
//
// An implementation class derives from one of CComBase (interlocked count, may be shared between
// threads), CComBaseUnsafe (plain count, one thread only) or CComBaseNoRef (no count: lifetime owned
// elsewhere) and from its COM interfaces, names its class GUID with ORV_CLASS_GUID and lists its
// interfaces once with ORV_INTERFACES. CComObject<T> (orvutil/com/comobject.h) finishes it into a
// creatable object that also implements IComObject and IProvideClassInfo.
//
//   class CCounter : public Orv::CComBase, public ICounter {
//    public:
//     ORV_INTERFACES(ICounter)
//     ...
//   };
//   ORV_CLASS_GUID(CCounter, 0x12345678, 0x1234, 0x1234, 0x12, 0x34, 0x56, 0x78, 0x9a, 0xbc, 0xde, 0xf0)
#pragma once

#include <windows.h>
#include <ocidl.h>

#include <type_traits>
#include <typeinfo>

#include "orvutil/export.h"
#include "orvutil/foundation/tstring.h"

// Gives a class or interface its GUID, read back with __uuidof. Use at global scope with the
// namespace-qualified name: ORV_CLASS_GUID(Orv::CProxyComListener, 0xb18470d8, ...).
#define ORV_CLASS_GUID(type, l, w1, w2, b1, b2, b3, b4, b5, b6, b7, b8) \
  __CRT_UUID_DECL(type, l, w1, w2, b1, b2, b3, b4, b5, b6, b7, b8)

namespace Orv {

class CModule;

// The type-library index of a class without a type library.
constexpr unsigned int kNoTypeLib = 0xFFFFFFFFu;

// The creator function that modules register for a class: creates an object of the class and asks
// it for `iid` (the class GUID itself as `iid` hands out the implementation object).
typedef long(__cdecl* ComCreatorFunction)(IUnknown* outer, GUID const& clsid, GUID const& iid, void** ppv);

// The root of every object: only the virtual operations that CComObject<T> relies on.
class ORV_API CComBaseEx {
 public:
  CComBaseEx() = default;
  CComBaseEx(const CComBaseEx&) {}
  CComBaseEx& operator=(const CComBaseEx&) { return *this; }
  virtual ~CComBaseEx();

  virtual HRESULT _QueryInterface(REFIID riid, void** ppv) = 0;
  // The identity of the object: the IUnknown pointer that every QueryInterface(IID_IUnknown) gives.
  virtual IUnknown* _GetUnknown() = 0;
  virtual long _GetRefCount() const = 0;
  virtual GUID const& _GetClassID() = 0;
  // GUID_NULL unless the class declares a category (by overriding this) or its module records one.
  virtual GUID const& _GetCategoryID() const;
  virtual char const* _GetClassName() const;
  // The index of the class's type library in its module, or kNoTypeLib for none.
  virtual unsigned int _GetTypeLibIndex() const;
  // Announces the new object to the object listeners. Overrides call the base first.
  virtual long _Construct(IUnknown* outer);
  // Announces the end of the object to the object listeners. Overrides call the base last.
  virtual void _Destruct();
  virtual void _DeleteThis();

  void _TrackLeak() {}
  void _NoLeak() {}
  static void DumpComObjects() {}
};

// Interlocked reference count: AddRef, Release and the count may be used from any thread.
class ORV_API CComBase : public CComBaseEx {
 public:
  CComBase() = default;
  CComBase(const CComBase& other) : CComBaseEx(other), m_refCount(other._GetRefCount()) {}
  CComBase& operator=(const CComBase& other) {
    m_refCount = other._GetRefCount();
    return *this;
  }

  unsigned long _AddRef() { return static_cast<unsigned long>(::InterlockedIncrement(&m_refCount)); }
  // Drops one reference; the last one runs _Destruct (with the count held at 1, so references taken
  // and dropped there cannot end the object twice) and then _DeleteThis.
  unsigned long _Release();
  long _GetRefCount() const override;

 private:
  mutable volatile LONG m_refCount = 0;
};

// Plain reference count for objects that never leave their thread.
class ORV_API CComBaseUnsafe : public CComBaseEx {
 public:
  CComBaseUnsafe() = default;
  CComBaseUnsafe(const CComBaseUnsafe& other) : CComBaseEx(other), m_refCount(other.m_refCount) {}
  CComBaseUnsafe& operator=(const CComBaseUnsafe& other) {
    m_refCount = other.m_refCount;
    return *this;
  }

  unsigned long _AddRef() { return static_cast<unsigned long>(++m_refCount); }
  unsigned long _Release();
  long _GetRefCount() const override { return m_refCount; }

 private:
  long m_refCount = 0;
};

// No count: the object is owned by something else (a static, a member) and Release never ends it.
class ORV_API CComBaseNoRef : public CComBaseEx {
 public:
  unsigned long _AddRef() { return 1; }
  unsigned long _Release() { return 1; }
  long _GetRefCount() const override { return 1; }
};

// The library's own interface of every CComObject: class, category, module and class name.
struct IComObject : public IUnknown {
  virtual GUID const& GetClassID() = 0;
  virtual GUID const& GetCategoryID() = 0;
  virtual CModule* GetModule() = 0;
  virtual tstring GetClassName() = 0;
};

namespace Detail {

// The interface-map walk behind ORV_INTERFACES: compares `riid` with each listed interface in order.
template <class T>
HRESULT QueryInterfaceMap(T*, REFIID, void** ppv) {
  *ppv = nullptr;
  return E_NOINTERFACE;
}

template <class T, class I, class... Rest>
HRESULT QueryInterfaceMap(T* self, REFIID riid, void** ppv) {
  static_assert(std::is_base_of<I, T>::value, "ORV_INTERFACES lists an interface the class does not implement");
  if (!::IsEqualGUID(riid, __uuidof(I))) return QueryInterfaceMap<T, Rest...>(self, riid, ppv);
  *ppv = self ? static_cast<I*>(self) : nullptr;
  if (self) self->_GetUnknown()->AddRef();
  return S_OK;
}

// The demangled, namespace-qualified name of a type, kept for the life of the process.
ORV_API char const* TypeName(std::type_info const& type);

}  // namespace Detail

}  // namespace Orv

// The interface map of an implementation class: every interface that QueryInterface answers, in the
// order they are compared, base interfaces included (IComListener before IProxyComListener).
#define ORV_INTERFACES(...)                                                                                       \
  HRESULT _QueryInterface(REFIID riid, void** ppv) override {                                                     \
    if (!ppv) return E_INVALIDARG;                                                                                \
    return ::Orv::Detail::QueryInterfaceMap<std::remove_pointer_t<decltype(this)>, __VA_ARGS__>(this, riid, ppv); \
  }

ORV_CLASS_GUID(Orv::IComObject, 0x0f5e6dc3, 0xd6f6, 0x4104, 0xb1, 0x9f, 0x24, 0xb6, 0x93, 0xe6, 0x50, 0x72)
