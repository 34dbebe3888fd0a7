// Test support: a new object of a class made by CComObject, held by a smart pointer through the
// interface I that its class counts references with.
#pragma once

#include "orvutil/orvutil.h"

namespace OrvTest {

template <class T, class I = T>
Orv::tSmartPtr<T, I> New() {
  T* object = nullptr;
  Orv::CComObject<T>::CreateObject(nullptr, &object);
  Orv::tSmartPtr<T, I> held(object);
  static_cast<I*>(object)->Release();
  return held;
}

}  // namespace OrvTest
