// tSmartPtr<T, I>: holds one reference on a reference-counted object (any type with AddRef and
// Release, such as a COM interface). Copying adds a reference, destruction and reassignment
// release one. I names the interface the count is held through, for classes that inherit AddRef
// and Release along more than one path.
//
// tSmartPtrVector<T, N, I>: an array of such pointers with N elements of inline storage.
//
// A tSmartPtr object is not thread-safe; the counts it changes are whatever the object makes them.
#pragma once

#include <cstddef>

#include "orvutil/foundation/vector.h"

namespace Orv {

template <typename T, typename I = T>
class tSmartPtr {
 public:
  tSmartPtr() noexcept : m_object(nullptr) {}
  tSmartPtr(std::nullptr_t) noexcept : m_object(nullptr) {}
  // Adds a reference to `object` (null allowed).
  tSmartPtr(T* object) : m_object(object) { AddRef(m_object); }
  tSmartPtr(const tSmartPtr& other) : m_object(other.m_object) { AddRef(m_object); }
  tSmartPtr(tSmartPtr&& other) noexcept : m_object(other.m_object) { other.m_object = nullptr; }
  // From a pointer to a derived class.
  template <typename U, typename J>
  tSmartPtr(const tSmartPtr<U, J>& other) : tSmartPtr(static_cast<T*>(other.Get())) {}

  ~tSmartPtr() { Release(m_object); }

  tSmartPtr& operator=(T* object) {
    AddRef(object);  // first, so that assigning the held object keeps it alive
    T* old = m_object;
    m_object = object;
    Release(old);
    return *this;
  }
  tSmartPtr& operator=(std::nullptr_t) {
    Reset();
    return *this;
  }
  tSmartPtr& operator=(const tSmartPtr& other) { return *this = other.m_object; }
  tSmartPtr& operator=(tSmartPtr&& other) noexcept {
    if (this != &other) {
      T* old = m_object;
      m_object = other.m_object;
      other.m_object = nullptr;
      Release(old);
    }
    return *this;
  }

  T* Get() const { return m_object; }
  operator T*() const { return m_object; }
  T* operator->() const { return m_object; }
  T& operator*() const { return *m_object; }

  // Releases the held object (if any) and holds none.
  void Reset() {
    T* old = m_object;
    m_object = nullptr;
    Release(old);
  }
  // Takes over a reference the caller owns, without adding one.
  void Attach(T* object) {
    T* old = m_object;
    m_object = object;
    Release(old);
  }
  // Gives the held reference to the caller and holds none.
  T* Detach() {
    T* object = m_object;
    m_object = nullptr;
    return object;
  }
  // Releases the held object and returns the place for a creator's out-parameter.
  T** Receive() {
    Reset();
    return &m_object;
  }
  // Hands a new reference to `*out`; false when `out` is null.
  bool CopyTo(T** out) const {
    if (!out) return false;
    AddRef(m_object);
    *out = m_object;
    return true;
  }

 private:
  static void AddRef(T* object) {
    if (object) static_cast<I*>(object)->AddRef();
  }
  static void Release(T* object) {
    if (object) static_cast<I*>(object)->Release();
  }

  T* m_object;
};

template <typename T, unsigned N = 0, typename I = T>
using tSmartPtrVector = tVector<tSmartPtr<T, I>, 0, N>;

}  // namespace Orv
