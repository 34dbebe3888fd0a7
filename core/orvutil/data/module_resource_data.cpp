// CModule::GetResourceFileData: a block over one of the module's resources.
#include "orvutil/com/module.h"
#include "orvutil/data/blocks.h"

namespace Orv {

bool CModule::GetResourceFileData(unsigned id, wchar_t const* type, IData** out) {
  return CreateDataInResource(GetInstance(), MAKEINTRESOURCEW(id), type, out);
}

}  // namespace Orv
