// tNeverDestroyed<T>: a T built in static storage on first use and never destroyed, for the
// library's process-wide state that objects released by exit-time destructors (of any binary) must
// still find intact. As a function-local static it is built once, thread-safely, and registers no
// destructor:
//
//   CState& State() {
//     static Detail::tNeverDestroyed<CState> s_state;
//     return s_state.Get();
//   }
#pragma once

#include <new>
#include <utility>

namespace Orv {
namespace Detail {

template <typename T>
class tNeverDestroyed {
 public:
  template <typename... Args>
  explicit tNeverDestroyed(Args&&... args) : m_object(new (m_storage) T(std::forward<Args>(args)...)) {}
  tNeverDestroyed(const tNeverDestroyed&) = delete;
  tNeverDestroyed& operator=(const tNeverDestroyed&) = delete;

  T& Get() const { return *m_object; }

 private:
  alignas(T) unsigned char m_storage[sizeof(T)];
  T* m_object;
};

}  // namespace Detail
}  // namespace Orv
