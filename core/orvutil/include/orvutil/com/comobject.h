// CComObject<T>: finishes an implementation class into a creatable object.
//
// It supplies IUnknown for every interface of T (one QueryInterface, AddRef and Release; the entries
// of IComObject and IProvideClassInfo forward to them), the library's IComObject, and
// IProvideClassInfo for classes with a type library. The object counts against the module of the
// binary that compiles it (GetThisModule) from construction to destruction.
//
// Create objects through the creator function CComObject<T>::CreateInstance (the function modules
// register) or CComObject<T>::CreateObject.
#pragma once

#include <new>
#include <typeinfo>

#include "orvutil/com/module.h"
#include "orvutil/com/object.h"
#include "orvutil/foundation/strings.h"
#include "orvutil/threads/once.h"

namespace Orv {

namespace Detail {

// Copies the category that the module's class table records for `clsid`; false when there is none.
ORV_API bool ModuleCategoryOf(CModule& module, GUID const& clsid, GUID& category);
ORV_API HRESULT ProvideClassInfo(CModule& module, unsigned typeLibIndex, GUID const& clsid, ITypeInfo** info);

}  // namespace Detail

template <class T>
class CComObject : public T, public IComObject, public IProvideClassInfo {
 public:
  CComObject() { GetThisModule().AddRef(); }
  ~CComObject() override { GetThisModule().Release(); }

  // Creates an object with one reference (through *out), having run its _Construct.
  static HRESULT CreateObject(IUnknown* outer, T** out) {
    if (!out) return E_INVALIDARG;
    *out = nullptr;
    CComObject* object = new (std::nothrow) CComObject();
    if (!object) return E_OUTOFMEMORY;
    object->AddRef();
    IUnknown* keepAlive = object->_GetUnknown();
    keepAlive->AddRef();
    HRESULT hr = object->_Construct(outer);
    if (FAILED(hr)) {
      object->Release();
      keepAlive->Release();
      return E_FAIL;
    }
    *out = object;
    keepAlive->Release();
    return S_OK;
  }

  // The creator function of class T.
  static long __cdecl CreateInstance(IUnknown* outer, GUID const& clsid, GUID const& iid, void** ppv) {
    if (!::IsEqualGUID(clsid, GUID_NULL) && !::IsEqualGUID(clsid, __uuidof(T))) return CLASS_E_CLASSNOTAVAILABLE;
    if (!ppv) return E_INVALIDARG;
    *ppv = nullptr;
    T* object = nullptr;
    HRESULT hr = CreateObject(outer, &object);
    if (FAILED(hr)) return hr;
    if (::IsEqualGUID(iid, clsid)) {
      *ppv = static_cast<CComBaseEx*>(object);
      return S_OK;
    }
    hr = static_cast<CComObject*>(object)->QueryInterface(iid, ppv);
    static_cast<CComObject*>(object)->Release();
    return hr;
  }

  // IUnknown, shared by every interface of the object.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    if (!ppv) return E_INVALIDARG;
    if (::IsEqualGUID(riid, IID_IUnknown)) return Hand(_GetUnknown(), ppv);
    if (SUCCEEDED(this->_QueryInterface(riid, ppv))) return S_OK;
    if (::IsEqualGUID(riid, __uuidof(T))) return Hand(static_cast<CComBaseEx*>(this), ppv);
    if (::IsEqualGUID(riid, __uuidof(IComObject))) return Hand(static_cast<IComObject*>(this), ppv);
    if (::IsEqualGUID(riid, IID_IProvideClassInfo) && this->_GetTypeLibIndex() != kNoTypeLib) {
      return Hand(static_cast<IProvideClassInfo*>(this), ppv);
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return this->_AddRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return this->_Release(); }

  IUnknown* _GetUnknown() override { return static_cast<IComObject*>(this); }
  GUID const& _GetClassID() override { return __uuidof(T); }

  // Cached per class: the class's own category, else the one its module records for it (copied, so
  // the cache outlives the module's tables). Looked up again while neither is known.
  GUID const& _GetCategoryID() const override {
    bool known = s_categoryKnown.Run(eGlobalCSClassStatics, [this] {
      GUID const& own = this->T::_GetCategoryID();
      if (::IsEqualGUID(own, GUID_NULL)) return Detail::ModuleCategoryOf(GetThisModule(), __uuidof(T), s_category);
      s_category = own;
      return true;
    });
    return known ? s_category : GUID_NULL;
  }

  char const* _GetClassName() const override { return Detail::TypeName(typeid(T)); }

  // IComObject.
  GUID const& GetClassID() override { return __uuidof(T); }
  GUID const& GetCategoryID() override { return _GetCategoryID(); }
  CModule* GetModule() override { return &GetThisModule(); }
  tstring GetClassName() override { return StringFromACP(_GetClassName()); }

  // IProvideClassInfo.
  HRESULT STDMETHODCALLTYPE GetClassInfo(ITypeInfo** info) override {
    return Detail::ProvideClassInfo(GetThisModule(), this->_GetTypeLibIndex(), __uuidof(T), info);
  }

 private:
  template <class I>
  HRESULT Hand(I* pointer, void** ppv) {
    *ppv = pointer;
    AddRef();
    return S_OK;
  }

  static GUID s_category;
  static COnceFlag s_categoryKnown;
};

template <class T>
GUID CComObject<T>::s_category = GUID_NULL;
template <class T>
COnceFlag CComObject<T>::s_categoryKnown;

}  // namespace Orv
