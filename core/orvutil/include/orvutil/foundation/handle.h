// tHandle<H, Invalid, Destroy>: owns one operating-system handle and destroys it with Destroy
// when it goes (or is replaced). A handle equal to the null value of Invalid, converted to H, is no
// handle and is never destroyed. Instances: tHandle<void*, void*, MyDestroyHandle> for kernel
// handles and tHandle<void*, void*, MyDestroyFontHandle> for fonts added from memory.
//
// Not thread-safe; a handle object has one owner.
#pragma once

#include <utility>

#include "orvutil/export.h"

namespace Orv {

// Closes a kernel handle (CloseHandle); null and INVALID_HANDLE_VALUE are ignored.
ORV_API void MyDestroyHandle(void* handle);
// Removes fonts added with AddFontMemResourceEx (RemoveFontMemResourceEx); null is ignored.
ORV_API void MyDestroyFontHandle(void* handle);

template <typename H, typename Invalid, void (*Destroy)(H)>
class tHandle {
 public:
  tHandle() : m_handle(None()) {}
  explicit tHandle(H handle) : m_handle(handle) {}
  tHandle(tHandle&& other) noexcept : m_handle(other.Detach()) {}
  tHandle& operator=(tHandle&& other) noexcept {
    if (this != &other) Reset(other.Detach());
    return *this;
  }
  tHandle(const tHandle&) = delete;
  tHandle& operator=(const tHandle&) = delete;

  virtual ~tHandle() { Reset(); }

  H Get() const { return m_handle; }
  operator H() const { return m_handle; }
  bool IsValid() const { return m_handle != None(); }

  // Destroys the held handle (unless it is `handle` itself) and holds `handle`.
  void Reset(H handle = None()) {
    H old = m_handle;
    m_handle = handle;
    if (old != None() && old != handle) Destroy(old);
  }
  // Gives the handle to the caller, who destroys it.
  H Detach() {
    H handle = m_handle;
    m_handle = None();
    return handle;
  }

 private:
  static H None() { return static_cast<H>(Invalid()); }

  H m_handle;
};

}  // namespace Orv
