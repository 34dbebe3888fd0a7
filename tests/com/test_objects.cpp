#include "test_objects.h"

namespace ComTest {

int CCounter::s_destructs = 0;
int CCounter::s_deletes = 0;
std::function<void(CCounter*)> CCounter::s_onDestruct;
bool CCategorized::s_failConstruct = false;

GUID const kOwnCategory = {0x9a3e1f20, 0x4b2c, 0x4d1e, {0x8f, 0x10, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66}};

GUID const& CCategorized::_GetCategoryID() const {
  return kOwnCategory;
}

}  // namespace ComTest
