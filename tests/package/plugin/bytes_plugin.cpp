// A plug-in DLL built on orvutil that adds the object-creator registration "plugged-bytes" for the
// library's byte-data classes, so package text can only use it after importing the DLL.
#include "orvutil/orvutil.h"

ORV_DEFINE_MODULE(Orv::CModule)

namespace {

Orv::StaticModuleObjectCreatorInfo s_creator(Orv::GetThisModule(), L"plugged-bytes", Orv::GetPackageByteDataCreatorClassID(),
                                             Orv::GetPackageByteDataClassID());

}  // namespace

ORV_PLUGIN_ENTRY_POINTS()
