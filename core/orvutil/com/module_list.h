// The process-wide list of modules, in order of construction.
#pragma once

namespace Orv {

class CModule;

namespace Detail {

void AddModuleToList(CModule* module);
void RemoveModuleFromList(CModule* module);

}  // namespace Detail
}  // namespace Orv
