// Test support: library objects made the way the library makes them, held by a smart pointer.
#pragma once

#include "orvutil/com.h"

namespace OrvTest {

// A new object of class T with one reference, held by the result.
template <class T>
Orv::tSmartPtr<T> Make() {
  T* object = nullptr;
  Orv::CComObject<T>::CreateObject(nullptr, &object);
  Orv::tSmartPtr<T> held;
  held.Attach(object);
  return held;
}

}  // namespace OrvTest
