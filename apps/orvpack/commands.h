// The subcommands of orvpack. Each takes the arguments after its name and answers an exit code.
#pragma once

#include <string>
#include <vector>

namespace OrvPack {

using Args = std::vector<std::wstring>;

int Compile(Args const& args);
int Dump(Args const& args);
int Id(Args const& args);
int Extract(Args const& args);

}  // namespace OrvPack
