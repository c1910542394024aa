// The two commands of vexaro-pack. Each returns the process exit code:
// 0 done, 1 refused (bad input or invalid package), 2 wrong usage.
#pragma once

#include <string>
#include <vector>

namespace vexaro::pack {

int BuildCommand(const std::vector<std::string>& args);
int InspectCommand(const std::vector<std::string>& args);

}  // namespace vexaro::pack
