// Helpers shared by the container tests: an object type that counts its live instances, and a
// recorder of change-hook calls.
#pragma once

#include <ostream>
#include <vector>

namespace ContainerTest {

// Counts live objects so that tests can prove every construction is matched by a destruction.
struct Tracked {
  static int live;
  int value;
  Tracked(int v = 0) : value(v) { ++live; }
  Tracked(const Tracked& other) : value(other.value) { ++live; }
  Tracked(Tracked&& other) noexcept : value(other.value) {
    other.value = -1;
    ++live;
  }
  Tracked& operator=(const Tracked&) = default;
  ~Tracked() { --live; }
};
inline int Tracked::live = 0;

struct HookCall {
  char kind;  // 'i' inserted, 'e' erased, 'u' moved up, 'd' moved down
  unsigned a, b, c;
  bool operator==(const HookCall& o) const { return kind == o.kind && a == o.a && b == o.b && c == o.c; }
};

inline std::ostream& operator<<(std::ostream& out, const HookCall& call) {
  return out << call.kind << '(' << call.a << ',' << call.b << ',' << call.c << ')';
}

// An array type V whose change hooks record their calls, in order.
template <typename V>
class tHookRecorder : public V {
 public:
  std::vector<HookCall> calls;

 protected:
  void OnInserted(unsigned a, unsigned b, unsigned c) override { calls.push_back({'i', a, b, c}); }
  void OnErased(unsigned a, unsigned b, unsigned c) override { calls.push_back({'e', a, b, c}); }
  void OnMovedUp(unsigned a, unsigned b, unsigned c) override { calls.push_back({'u', a, b, c}); }
  void OnMovedDown(unsigned a, unsigned b, unsigned c) override { calls.push_back({'d', a, b, c}); }
};

}  // namespace ContainerTest
